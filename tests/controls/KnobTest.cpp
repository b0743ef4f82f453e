// The knob: angles and values, pointer rules, drags, keys, label and shape.
#include <QLabel>

#include "ControlTestHelpers.h"
#include "controls/Knob.h"

namespace rq::test {
namespace {

// A 40 × 40 knob inside a window, with its label.
class KnobTest : public testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    knob.setParent(&window);
    label.setParent(&window);
    knob.SetPositionLabel(&label);
    knob.SetCaption("Speed");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QWidget window;
  TKnob knob;
  QLabel label;
};

// The ends and the middle of the sweep, both ways. Positions are clamped into the
// range (either way round) and every update signals.
TEST(KnobArithmetic, AnglesValuesAndClamping) {
  struct Case { int min, max, position, angle; };
  TKnob knob;
  for (const Case c : {Case{0, 127, 0, 240}, Case{0, 127, 127, -60}, Case{0, 127, 64, 89}, Case{-63, 63, 0, 90},
                       Case{1, 100, 100, -60}, Case{10, 0, 10, 240}, Case{10, 0, 0, -60}, Case{5, 5, 5, 240}}) {
    knob.SetParams(c.position, c.min, c.max);
    EXPECT_EQ(std::pair(knob.Angle(), knob.ValueOfAngle(c.angle)), std::pair(c.angle, c.position))
        << c.min << ".." << c.max << " at " << c.position;
  }
  knob.SetParams(0, 0, 127);
  QSignalSpy changed(&knob, &TKnob::Changed);
  knob.SetPosition(500);
  EXPECT_EQ(knob.Position(), 127);
  knob.SetPosition(127);
  EXPECT_EQ(changed.count(), 2);
  knob.SetParams(20, 10, 0);
  EXPECT_EQ(knob.Position(), 10);
  knob.SetPosition(-5);
  EXPECT_EQ(knob.Position(), 0);
}

// Pointer angles about the centre of a 40 × 40 knob, with the dead zone below it.
TEST_F(KnobTest, PointerAngles) {
  struct Case { QPoint point; int angle; };
  for (const Case c : {Case{{20, 35}, 240}, Case{{21, 35}, -60}, Case{{20, 5}, 90}, Case{{5, 20}, 180},
                       Case{{35, 20}, 0}, Case{{10, 30}, 225}, Case{{30, 30}, -45}}) {
    EXPECT_EQ(knob.AngleOfPoint(c.point), c.angle) << c.point.x() << "," << c.point.y();
  }
}

// Hovering shows the value under the pointer without turning the knob. A press inside
// the face turns the knob to the press point at once, even when no move came before
// it (the last hover was elsewhere); a press in a corner, outside the face, does nothing.
TEST_F(KnobTest, HoverAndPress) {
  knob.SetPosition(10);
  EXPECT_EQ(label.text(), "10 Speed");
  Hover(&knob, {35, 20});
  EXPECT_EQ(label.text(), "102 Speed");
  EXPECT_EQ(knob.Position(), 10);
  Leave(&knob);
  EXPECT_EQ(label.text(), "10 Speed");
  Press(&knob, {2, 2});
  EXPECT_FALSE(knob.Dragging());
  Release(&knob, {2, 2});
  EXPECT_EQ(knob.Position(), 10);
  Press(&knob, {5, 20});
  EXPECT_EQ(knob.Position(), 25);
  Drag(&knob, {35, 20});
  Release(&knob, {35, 20});
  EXPECT_FALSE(knob.Dragging());
  EXPECT_EQ(knob.Position(), 102);
}

// A spring-loaded knob goes back to 0 (clamped to its minimum) on release and on
// losing the focus.
TEST_F(KnobTest, SpringLoaded) {
  knob.SetParams(50, 1, 100);
  knob.SetSpringLoaded(true);
  EXPECT_EQ(knob.Position(), 1);
  Press(&knob, {35, 20});
  Release(&knob, {35, 20});
  EXPECT_EQ(knob.Position(), 1);
  knob.SetPosition(70);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(&knob, &out);
  EXPECT_EQ(knob.Position(), 1);
}

TEST_F(KnobTest, Keys) {
  struct Case { Qt::Key key; int position; };
  knob.SetPosition(60);
  for (const Case c : {Case{Qt::Key_PageUp, 70}, Case{Qt::Key_Up, 71}, Case{Qt::Key_Right, 72},
                       Case{Qt::Key_PageDown, 62}, Case{Qt::Key_Left, 61}, Case{Qt::Key_Down, 60},
                       Case{Qt::Key_End, 127}, Case{Qt::Key_PageUp, 127}, Case{Qt::Key_Home, 0},
                       Case{Qt::Key_Down, 0}}) {
    QTest::keyClick(&knob, c.key);
    EXPECT_EQ(knob.Position(), c.position) << "key " << c.key;
  }
}

// The knob stays square; its label is shown and hidden with it, and a label deleted
// elsewhere is forgotten, not written to.
TEST_F(KnobTest, ShapeAndLabel) {
  knob.resize(60, 50);
  EXPECT_EQ(knob.size(), QSize(60, 60));
  knob.resize(30, 50);
  EXPECT_EQ(knob.size(), QSize(30, 30));
  knob.hide();
  EXPECT_FALSE(label.isVisibleTo(&window));
  knob.show();
  EXPECT_TRUE(label.isVisibleTo(&window));
  auto* other = new QLabel;
  knob.SetPositionLabel(other);
  delete other;
  EXPECT_EQ(knob.PositionLabel(), nullptr);
  knob.SetPosition(5);
  EXPECT_EQ(knob.Position(), 5);
}

// The dot sits on the upper part of the circle at the ends; the button face
// colour is refused as the dot's outline.
TEST_F(KnobTest, IndicatorAndLineColor) {
  knob.SetPosition(0);
  const QPoint low = knob.IndicatorCenter();
  knob.SetPosition(127);
  const QPoint high = knob.IndicatorCenter();
  EXPECT_LT(low.x(), 20);
  EXPECT_GT(high.x(), 20);
  EXPECT_EQ(low.y(), high.y());
  EXPECT_EQ(knob.grab().toImage().pixelColor(high), QColor(255, 0, 0));
  const QColor before = knob.LineColor();
  knob.SetLineColor(knob.palette().color(QPalette::Button));
  EXPECT_EQ(knob.LineColor(), before);
}

}  // namespace
}  // namespace rq::test
