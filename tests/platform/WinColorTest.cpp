// Windows colour values from the settings as the colours drawn.
#include <gtest/gtest.h>

#include "platform/WinColor.h"

namespace rq {
namespace {

// $BBGGRR by its bytes; "no colour" and unknown system colours are no colour at all;
// a known system colour is the palette's.
TEST(WinColor, SettingsValuesToColours) {
  EXPECT_EQ(WinColorToQColor(0x84C6EA), QColor(0xEA, 0xC6, 0x84));
  EXPECT_EQ(WinColorToQColor(WinRgb(0x12, 0x34, 0x56)), QColor(0x12, 0x34, 0x56));
  EXPECT_FALSE(WinColorToQColor(kClNone).isValid());
  EXPECT_TRUE(WinColorToQColor(static_cast<int32_t>(0x80000005)).isValid());  // window background
  EXPECT_FALSE(WinColorToQColor(static_cast<int32_t>(0x80000001)).isValid());
}

}  // namespace
}  // namespace rq
