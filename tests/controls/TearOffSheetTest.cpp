// Tear-off sheets: the grip's threshold, the floating window and docking back in order.
#include "ControlTestHelpers.h"
#include "controls/FloatingForm.h"

namespace rq::test {
namespace {

class TearOffSheet : public PageFixture {
 protected:
  // The page control with every sheet dragable.
  void Build(int sheets) {
    PageFixture::Build(sheets);
    for (int i = 0; i < pc->PageCount(); ++i) pc->Pages(i)->SetDragable(true);
  }
  // Presses the sheet's grip and moves the mouse by (dx, dy) with the button held.
  void DragGrip(TTab95Sheet* sheet, int dx, int dy) {
    const QPoint start = sheet->GripPressArea().center();
    Press(sheet, start);
    Drag(sheet, start + QPoint(dx, dy));
  }
  void TearOff(TTab95Sheet* sheet) {
    DragGrip(sheet, 30, 40);
    Release(sheet, sheet->GripPressArea().center() + QPoint(30, 40));
  }
  static void CloseFloatingWindow(TTab95Sheet* sheet) {
    sheet->FloatingForm()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::vector<std::pair<const char*, int>> floatEvents;
  void RecordFloatEvents(TTab95Sheet* sheet) {
    QObject::connect(pc, &TPage95Control::OnFloatChange,
                     [this](TTab95Sheet*, TFloatState s) { floatEvents.emplace_back("control", s); });
    QObject::connect(sheet, &TTab95Sheet::OnFloatChange,
                     [this](TTab95Sheet*, TFloatState s) { floatEvents.emplace_back("sheet", s); });
  }
};

// A grip move of 3 pixels starts no drag; 4 pixels does; a press off the grip never does.
TEST_F(TearOffSheet, DragThreshold) {
  Build(2);
  TTab95Sheet* sheet = pc->ActivePage();
  struct Case { int dx, dy; bool drags; };
  for (const Case c : {Case{3, 3, false}, Case{-3, 0, false}, Case{4, 0, true}, Case{0, -4, true}}) {
    DragGrip(sheet, c.dx, c.dy);
    EXPECT_EQ(sheet->Dragging(), c.drags) << c.dx << "," << c.dy;
    Release(sheet, QPoint(-100, -100));  // outside: a drag floats the sheet, so put it back
    if (sheet->Floating()) CloseFloatingWindow(sheet);
  }
  Press(sheet, sheet->GripPressArea().bottomRight() + QPoint(0, 5));
  Drag(sheet, sheet->GripPressArea().bottomRight() + QPoint(20, 25));
  EXPECT_FALSE(sheet->Dragging());
  Release(sheet, QPoint());
}

// Tearing off the active sheet floats it in a window of its size at the outline, makes
// the first visible page active, and announces it on the control and then the sheet.
// Closing the window docks the sheet back, active, in the order of the static indexes,
// and frees the window; the next tear-off makes a new one.
TEST_F(TearOffSheet, TearOffAndDockBackInStaticOrder) {
  Build(3);
  for (int i = 0; const int s : {2, 0, 1}) pc->Pages(i++)->SetStaticPageIndex(s);
  pc->Pages(0)->SetTabVisible(false);
  TTab95Sheet* sheet = pc->Pages(1);
  pc->SetActivePage(sheet);
  RecordFloatEvents(sheet);
  const QSize size = sheet->size();
  TearOff(sheet);

  ASSERT_TRUE(sheet->Floating());
  EXPECT_EQ(Order(), "AC");
  EXPECT_EQ(pc->ActivePage()->Caption().trimmed(), "C");
  EXPECT_EQ(changes, 1);
  QPointer<TFloatingForm> form = sheet->FloatingForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(std::pair(form->pos(), form->size()), std::pair(sheet->DragRect().topLeft(), size));
  EXPECT_EQ(floatEvents, (std::vector<std::pair<const char*, int>>{{"control", 0}, {"sheet", 0}}));

  floatEvents.clear();
  CloseFloatingWindow(sheet);
  EXPECT_FALSE(sheet->Floating());
  EXPECT_TRUE(form.isNull());
  EXPECT_EQ(Order(), "BCA");
  EXPECT_EQ(pc->ActivePage(), sheet);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(floatEvents, (std::vector<std::pair<const char*, int>>{{"control", 1}, {"sheet", 1}}));

  TearOff(sheet);
  ASSERT_NE(sheet->FloatingForm(), nullptr);
  CloseFloatingWindow(sheet);
}

// With RemoveLastTab off the only sheet stays; with it on the only sheet tears off.
TEST_F(TearOffSheet, LastSheetOnlyWithRemoveLastTab) {
  Build(1);
  TTab95Sheet* sheet = pc->Pages(0);
  TearOff(sheet);
  EXPECT_FALSE(sheet->Floating());
  pc->SetRemoveLastTab(true);
  TearOff(sheet);
  EXPECT_EQ(pc->PageCount(), 0);
  CloseFloatingWindow(sheet);
  EXPECT_EQ(pc->PageCount(), 1);
}

// Sheets with equal static indexes keep their order when a sheet docks back; a
// floating window goes with its page control.
TEST_F(TearOffSheet, EqualStaticIndexesKeepTheirOrderAndTheWindowGoesWithItsControl) {
  Build(3);
  QPointer<TTab95Sheet> a = pc->Pages(0);
  pc->SetActivePage(a);
  TearOff(a);
  EXPECT_EQ(Order(), "BC");
  CloseFloatingWindow(a);
  EXPECT_EQ(Order(), "BCA");
  TearOff(a);
  ASSERT_TRUE(a->Floating());
  window.reset();
  EXPECT_TRUE(a.isNull());
}

}  // namespace
}  // namespace rq::test
