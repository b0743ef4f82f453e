// The tune code: the notes at the opening's beats, relative to the key's tonic.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"

namespace rq {
namespace {

using test::Tune;

std::string CodeOf(const std::string& fields, const std::string& body) {
  TAbcParser parser;
  parser.Parse(SplitLines(Tune(fields, body)));
  TAbcMidi midi;
  midi.Convert(parser.Elements());
  return midi.CodeText();
}

TEST(TuneCode, QuarterBeatsOfTheFirstTwoBars) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:D", "d2fd Adfd|d2fd Adfd|"), "04740474");
}

// The pickup's notes are sampled first and thrown away at the first bar line.
TEST(TuneCode, PickupIsNotPartOfTheCode) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:D", "FA|d2fd Adfd|d2fd Adfd|"), "04740474");
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:D", "A2|d2fd Adfd|d2fd Adfd|"), "04740474");
}

TEST(TuneCode, CompoundMetersSampleFirstAndThirdEighths) {
  EXPECT_EQ(CodeOf("M:6/8\nL:1/8\nK:C", "CDE FGA|Bcd efg|"), "0459B247");
}

TEST(TuneCode, LongNotesFillEverySlotTheyCover) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "E8|G8|"), "44447777");
}

// Sampling stops at the first slot that falls in a rest.
TEST(TuneCode, RestOnABeatEndsSampling) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "e2 z2 e2 e2|e8|"), "40000000");
}

TEST(TuneCode, ShortTuneEndsInZeros) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "e4f4|"), "44550000");
}

// The distance is taken before the octave is dropped: the B below the tonic is 1,
// the B above it B.
TEST(TuneCode, DistanceFromTheTonicInEitherDirection) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "B,4 B4|"), "11BB0000");
}

TEST(TuneCode, MinorKeysShareTheirRelativeMajorsTonic) {
  const std::string body = "A2cA eAcA|G2BG dGBG|";
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:Am", body), CodeOf("M:4/4\nL:1/8\nK:C", body));
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:Edor", "E2B2 E2B2|"), CodeOf("M:4/4\nL:1/8\nK:D", "E2B2 E2B2|"));
}

TEST(TuneCode, ValueIsTheDigitsAsThirtyTwoBits) {
  EXPECT_EQ(TuneCodeValue("00000000"), 0);
  EXPECT_EQ(TuneCodeValue("04740474"), 0x04740474);
  EXPECT_LT(TuneCodeValue("B0000000"), 0);
  EXPECT_EQ(TuneCodeValue("B0000000"), static_cast<int32_t>(0xB0000000u));

  TAbcParser parser;
  parser.Parse(SplitLines(Tune("M:4/4\nL:1/8\nK:C", "B8|B8|")));
  TAbcMidi midi;
  midi.Convert(parser.Elements());
  EXPECT_EQ(midi.CodeText(), "BBBBBBBB");
  EXPECT_EQ(midi.CodeValue(), static_cast<int32_t>(0xBBBBBBBBu));
}

}  // namespace
}  // namespace rq
