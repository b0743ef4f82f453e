// Windows kept inside the screen's available area.
#include <gtest/gtest.h>

#include "controls/ScreenFit.h"

namespace rq {
namespace {

// A window is moved back inside the area by the least distance on each axis, and
// shrunk only where it is larger than the area; one inside stays where it is.
TEST(FitInside, MovesThenShrinksIntoTheArea) {
  const QRect area(0, 30, 1280, 994);  // a screen with a 30-pixel panel on top
  const struct {
    QRect wanted;
    QRect fitted;
  } cases[] = {
      {{100, 100, 400, 300}, {100, 100, 400, 300}},     // inside
      {{1100, 200, 400, 300}, {880, 200, 400, 300}},    // past the right edge
      {{-50, 10, 400, 300}, {0, 30, 400, 300}},         // above the panel, left of the screen
      {{900, 900, 600, 400}, {680, 624, 600, 400}},     // past the bottom-right corner
      {{200, 100, 1600, 1200}, {0, 30, 1280, 994}},     // larger than the screen
      {{3000, 2000, 1000, 700}, {280, 324, 1000, 700}}, // placed on a screen no longer there
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitInside(c.wanted, area), c.fitted) << c.wanted.x() << "," << c.wanted.y();
  }
}

}  // namespace
}  // namespace rq
