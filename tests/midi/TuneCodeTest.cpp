// The tune code: the notes at the opening's beats, relative to the key's tonic.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"

namespace rq {
namespace {

std::string CodeOf(const std::string& fields, const std::string& body) {
  return test::Converted(fields, body).midi.CodeText();
}

TEST(TuneCode, SamplesTheBeatsOfTheFirstTwoFullBars) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:D", "d2fd Adfd|d2fd Adfd|"), "04740474");
  // The pickup's notes are sampled first and thrown away at the first bar line.
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:D", "FA|d2fd Adfd|d2fd Adfd|"), "04740474");
  // Compound meters sample the first and third eighth of each beat.
  EXPECT_EQ(CodeOf("M:6/8\nL:1/8\nK:C", "CDE FGA|Bcd efg|"), "0459B247");
  // A long note fills every slot it covers.
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "E8|G8|"), "44447777");
}

TEST(TuneCode, EmptySlotsAreZeros) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "e2 z2 e2 e2|e8|"), "40000000");  // a rest on a beat ends sampling
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "e4f4|"), "44550000");
}

// The distance is taken before the octave is dropped: the B below the tonic is 1, the
// B above it B; minor and modal keys count from their relative major's tonic.
TEST(TuneCode, DistanceFromTheTonic) {
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:C", "B,4 B4|"), "11BB0000");
  const std::string body = "A2cA eAcA|G2BG dGBG|";
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:Am", body), CodeOf("M:4/4\nL:1/8\nK:C", body));
  EXPECT_EQ(CodeOf("M:4/4\nL:1/8\nK:Edor", "E2B2 E2B2|"), CodeOf("M:4/4\nL:1/8\nK:D", "E2B2 E2B2|"));
}

TEST(TuneCode, ValueIsTheDigitsAsThirtyTwoBits) {
  EXPECT_EQ(TuneCodeValue("00000000"), 0);
  EXPECT_EQ(TuneCodeValue("04740474"), 0x04740474);
  test::Converted high("M:4/4\nL:1/8\nK:C", "B8|B8|");
  EXPECT_EQ(high.midi.CodeText(), "BBBBBBBB");
  EXPECT_EQ(high.midi.CodeValue(), static_cast<int32_t>(0xBBBBBBBBu));
  EXPECT_LT(high.midi.CodeValue(), 0);
}

}  // namespace
}  // namespace rq
