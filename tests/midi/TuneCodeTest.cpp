// The tune code: the notes at the opening's beats, relative to the key's tonic.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"

namespace rq {
namespace {

// Samples the beats of the first two full bars; empty slots are zeros.
TEST(TuneCode, SamplesTheBeatsOfTheFirstTwoFullBars) {
  struct Case { const char* fields; const char* body; const char* code; };
  for (const Case& c : {
           Case{"M:4/4\nL:1/8\nK:D", "d2fd Adfd|d2fd Adfd|", "04740474"},
           {"M:4/4\nL:1/8\nK:D", "FA|d2fd Adfd|d2fd Adfd|", "04740474"},  // the pickup is thrown away
           {"M:6/8\nL:1/8\nK:C", "CDE FGA|Bcd efg|", "0459B247"},  // the first and third eighth of each beat
           {"M:4/4\nL:1/8\nK:C", "E8|G8|", "44447777"},  // a long note fills every slot it covers
           {"M:4/4\nL:1/8\nK:C", "e2 z2 e2 e2|e8|", "40000000"},  // a rest on a beat ends sampling
           {"M:4/4\nL:1/8\nK:C", "e4f4|", "44550000"},
           // The distance is taken before the octave is dropped: the B below the tonic is 1,
           // the B above it B; minor and modal keys count from their relative major's tonic.
           {"M:4/4\nL:1/8\nK:C", "B,4 B4|", "11BB0000"},
           {"M:4/4\nL:1/8\nK:Am", "A2cA eAcA|G2BG dGBG|", "90407B2B"},
           {"M:4/4\nL:1/8\nK:Edor", "E2B2 E2B2|", "29290000"}}) {
    EXPECT_EQ(test::Converted(c.fields, c.body).midi.CodeText(), c.code) << c.fields << " | " << c.body;
  }
}

// The value reads the digits as thirty-two bits, the top one the sign.
TEST(TuneCode, ValueIsTheDigitsAsThirtyTwoBits) {
  EXPECT_EQ(TuneCodeValue("04740474"), 0x04740474);
  EXPECT_EQ(test::Converted("M:4/4\nL:1/8\nK:C", "B8|B8|").midi.CodeValue(), static_cast<int32_t>(0xBBBBBBBBu));
}

}  // namespace
}  // namespace rq
