// Windows kept inside the screen's available area.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

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

// A kept window that grows past the screen on one side only, across or down, is
// brought back inside the available area, frame and all.
TEST(KeepOnScreen, WindowGrownOneWayComesBackInside) {
  const QRect area = AvailableAreaAt(QPoint(0, 0));
  ASSERT_TRUE(area.isValid());
  for (const QSize grown : {QSize(area.width() + 200, 200), QSize(300, area.height() + 200)}) {
    QWidget window;
    KeepOnScreen(&window);
    window.setGeometry(area.left() + 50, area.top() + 50, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();  // the fit after the first showing
    window.resize(grown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(window.frameGeometry()); }))
        << grown.width() << "x" << grown.height() << ": " << window.frameGeometry().width() << "x"
        << window.frameGeometry().height();
  }
}

// A maximised window is the window manager's: the keeper leaves it maximised and
// keeps the placement it goes back to (the one the settings store), even one from a
// larger screen. Restored, the window comes back inside the available area.
TEST(KeepOnScreen, MaximisedWindowKeepsItsPlacementUntilRestored) {
  const QRect area = AvailableAreaAt(QPoint(0, 0));
  const QRect placements[] = {
      {area.left() + 100, area.top() + 50, area.width() + 300, area.height() / 2},  // wider than the screen
      {area.left() - 500, area.top() - 400, 300, 200},                             // off its top-left corner
  };
  for (const QRect& normal : placements) {
    QWidget window;
    KeepOnScreen(&window);
    window.setGeometry(normal);
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.normalGeometry(), normal) << normal.x() << "," << normal.y();

    window.showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(window.frameGeometry()); }))
        << normal.x() << "," << normal.y() << ": " << window.frameGeometry().x() << "," << window.frameGeometry().y()
        << " " << window.frameGeometry().width() << "x" << window.frameGeometry().height();
  }
}

}  // namespace
}  // namespace rq
