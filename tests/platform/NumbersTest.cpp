// Integer reading that never overflows, and the rounding rules stored values rely on.
#include <gtest/gtest.h>

#include "platform/Numbers.h"

namespace rq {
namespace {

TEST(ParseInt, SignAndDigitsOnly) {
  EXPECT_EQ(ParseInt("42"), 42);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("-15"), -15);
  EXPECT_EQ(ParseInt("007"), 7);
  for (const char* bad : {"", "-", "+", " 5", "5 ", "5a", "1e3", "0x10", "--1", "3.0"}) {
    EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
  }
}

TEST(ParseInt, OutOfRangeIsNotANumber) {
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(ParseInt("2147483648").has_value());
  EXPECT_FALSE(ParseInt("-2147483649").has_value());
  EXPECT_FALSE(ParseInt("99999999999999999999999999").has_value());
}

TEST(StrToIntDef, DefaultsAndHexadecimal) {
  EXPECT_EQ(StrToIntDef("12", -1), 12);
  EXPECT_EQ(StrToIntDef("twelve", -1), -1);
  EXPECT_EQ(StrToIntDef("$BEE7FC", 0), 0xBEE7FC);
  EXPECT_EQ(StrToIntDef("$", 5), 5);
  EXPECT_EQ(StrToIntDef("$123456789", 5), 5);
}

TEST(ReadDigits, StopsAtTheFirstNonDigitAndAtTheLimit) {
  size_t used = 0;
  EXPECT_EQ(ReadDigits("12ab", 100, &used), 12);
  EXPECT_EQ(used, 2u);
  EXPECT_FALSE(ReadDigits("101", 100, &used).has_value());
  EXPECT_EQ(used, 3u);
  EXPECT_FALSE(ReadDigits("x1", 100, &used).has_value());
}

TEST(Rounding, HalvesToEvenAndTruncationTowardZero) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(Trunc(-1.7), -1);
  EXPECT_EQ(Trunc(1.7), 1);
}

}  // namespace
}  // namespace rq
