// The in-process drag: started by a move of 3 pixels, offered to the target under
// the pointer, dropped where the button is let go, cancelled by Escape.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "ControlTestHelpers.h"
#include "controls/DragControl.h"

namespace rq {
namespace {

using test::Drag;
using test::Press;
using test::Release;

// A window with a source on top and, below it, an outer target holding an inner one.
class DragControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    source = new QWidget;
    source->setFixedSize(100, 40);
    outer = new QWidget;
    outer->setFixedSize(200, 100);
    inner = new QWidget(outer);
    inner->setGeometry(10, 10, 50, 50);
    layout->addWidget(source);
    layout->addWidget(outer);
    drag.AddSource(source, [this](const QPoint& pressed) {
      pressedAt = pressed;
      return allowStart;
    });
    drag.AddTarget(
        outer, [this](const QPoint& pos) { return pos.x() > 100; },
        [this](const QPoint& pos) { drops.push_back({outer, pos}); });
    drag.AddTarget(
        inner, [](const QPoint&) { return true; }, [this](const QPoint& pos) { drops.push_back({inner, pos}); });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  // A point of a widget in the source's coordinates, as a held mouse reports it.
  QPoint On(QWidget* w, QPoint pos) const { return source->mapFromGlobal(w->mapToGlobal(pos)); }

  struct Drop {
    QWidget* target;
    QPoint pos;
  };
  TDragControl drag;
  std::unique_ptr<QWidget> window;
  QWidget* source = nullptr;
  QWidget* outer = nullptr;
  QWidget* inner = nullptr;
  bool allowStart = true;
  QPoint pressedAt;
  std::vector<Drop> drops;
};

// Two pixels stay a click; three start the drag with the press point.
TEST_F(DragControlTest, ThreePixelsStartADrag) {
  QSignalSpy started(&drag, &TDragControl::DragStarted);
  Press(source, {20, 20});
  Drag(source, {22, 18});
  EXPECT_FALSE(drag.Dragging());
  Drag(source, {20, 23});
  EXPECT_TRUE(drag.Dragging());
  EXPECT_EQ(pressedAt, QPoint(20, 20));
  Release(source, {20, 23});

  allowStart = false;
  Press(source, {20, 20});
  Drag(source, {40, 20});
  EXPECT_FALSE(drag.Dragging()) << "the source refused: the press stays its own";
  Release(source, {40, 20});
  EXPECT_EQ(started.count(), 1);
}

// The innermost target under the pointer decides; the drop goes where the button is
// let go, asked again there; elsewhere nothing drops.
TEST_F(DragControlTest, DropGoesWhereTheButtonIsLetGo) {
  QSignalSpy ended(&drag, &TDragControl::DragEnded);
  Press(source, {20, 20});
  Drag(source, On(inner, {5, 5}));
  EXPECT_EQ(drag.AcceptingTarget(), inner);
  Drag(source, On(outer, {150, 50}));
  EXPECT_EQ(drag.AcceptingTarget(), outer);
  Drag(source, On(outer, {80, 80}));
  EXPECT_EQ(drag.AcceptingTarget(), nullptr) << "the outer target refuses its left half";
  Release(source, On(inner, {7, 8}));
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].target, inner);
  EXPECT_EQ(drops[0].pos, QPoint(7, 8));
  ASSERT_EQ(ended.count(), 1);
  EXPECT_TRUE(ended[0].at(0).toBool());

  Press(source, {20, 20});
  Drag(source, On(outer, {150, 50}));
  Release(source, On(outer, {80, 50}));
  EXPECT_EQ(drops.size(), 1u);
  ASSERT_EQ(ended.count(), 2);
  EXPECT_FALSE(ended[1].at(0).toBool());
}

// A disabled target takes nothing; Escape ends the drag with nothing dropped.
TEST_F(DragControlTest, DisabledTargetsAndEscape) {
  outer->setEnabled(false);
  Press(source, {20, 20});
  Drag(source, On(inner, {5, 5}));
  EXPECT_EQ(drag.AcceptingTarget(), nullptr);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(drag.Dragging());
  Release(source, On(inner, {5, 5}));
  EXPECT_TRUE(drops.empty());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace rq
