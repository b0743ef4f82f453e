// Integer reading that never overflows, and the rounding rules stored values rely on.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Numbers.h"

namespace rq {
namespace {

// A sign and digits within the 32-bit range read as a number; anything else, blanks too, does not.
TEST(ParseInt, SignAndDigitsWithinRangeOnly) {
  for (const auto& [text, value] : {std::pair{"42", 42}, {"+7", 7}, {"-15", -15}, {"007", 7},
                                    {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}}) {
    EXPECT_EQ(ParseInt(text), value) << text;
  }
  for (const char* bad : {"", "-", "+", " 5", "5 ", "5a", "1e3", "0x10", "--1", "3.0", "2147483648", "-2147483649",
                          "99999999999999999999999999"}) {
    EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
  }
}

TEST(StrToIntDef, DefaultsAndHexadecimal) {
  for (const auto& [text, value] : {std::pair{"12", 12}, {"twelve", -1}, {"$BEE7FC", 0xBEE7FC}, {"$", -1},
                                    {"$123456789", -1}}) {
    EXPECT_EQ(StrToIntDef(text, -1), value) << text;
  }
}

TEST(ReadDigits, StopsAtTheFirstNonDigitAndAtTheLimit) {
  size_t used = 0;
  EXPECT_EQ(ReadDigits("12ab", 100, &used), 12);
  EXPECT_EQ(used, 2u);
  EXPECT_FALSE(ReadDigits("101", 100, &used).has_value());
  EXPECT_EQ(used, 3u);
  EXPECT_FALSE(ReadDigits("x1", 100, &used).has_value());
}

TEST(Rounding, HalvesToEven) {
  for (const auto& [x, rounded] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}}) {
    EXPECT_EQ(RoundHalfEven(x), rounded) << x;
  }
}

}  // namespace
}  // namespace rq
