// The page control: paging, change events, tab shifting, hot tracking, drops,
// property interlocks and the drawn tabs.
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>

#include "ControlTestHelpers.h"

namespace rq::test {
namespace {

using Page95Control = PageFixture;

// Paging wraps at both ends and skips pages whose tab is hidden.
TEST_F(Page95Control, PagingWrapsAndSkipsHiddenTabs) {
  Build(4);
  struct Case { int from; bool forward; int hidden /* page with a hidden tab, −1 none */, expected; };
  for (const Case c : {Case{3, true, -1, 0}, Case{0, false, -1, 3}, Case{0, true, 1, 2}, Case{3, true, 0, 1},
                       Case{2, false, 1, 0}}) {
    for (int i = 0; i < 4; ++i) pc->Pages(i)->SetTabVisible(i != c.hidden);
    pc->SetActivePage(pc->Pages(c.from));
    const int before = changes;
    pc->SelectNextPage(c.forward);
    EXPECT_EQ(pc->ActivePage(), pc->Pages(c.expected)) << c.from << (c.forward ? " forward" : " back");
    EXPECT_EQ(changes, before + 1);
  }
}

// Left and Right on the focused tab row select the previous or next visible tab as
// the user does, and stop at the ends. With no tab selected Right selects the first
// visible tab, wherever the selection was before, and Left selects none.
TEST_F(Page95Control, ArrowKeysStepThroughVisibleTabs) {
  Build(5);
  struct Case {
    int before;  // −1: a tab was selected, then none
    int hidden;  // page whose tab is hidden, −1 none
    Qt::Key key;
    int expected;
  };
  for (const Case c : {Case{0, 1, Qt::Key_Right, 2}, Case{2, 1, Qt::Key_Left, 0}, Case{4, -1, Qt::Key_Right, 4},
                       Case{0, -1, Qt::Key_Left, 0}, Case{-1, -1, Qt::Key_Right, 0}, Case{-1, 0, Qt::Key_Right, 1},
                       Case{-1, -1, Qt::Key_Left, -1}}) {
    for (int i = 0; i < 5; ++i) pc->Pages(i)->SetTabVisible(i != c.hidden);
    if (c.before >= 0) {
      pc->SetTabIndex(c.before);
    } else {
      pc->SetTabIndex(3);
      pc->SetTabIndex(-1);
    }
    const int before = changes;
    QTest::keyClick(bar(), c.key);
    EXPECT_EQ(pc->TabIndex(), c.expected) << c.before << (c.key == Qt::Key_Left ? " left" : " right");
    EXPECT_EQ(changes, before + (c.expected != c.before ? 1 : 0)) << c.before;
  }
}

// Pages set by code, added or removed raise no OnChange; a click raises it once. A
// disabled control (edit mode) never changes page, and OnChanging can refuse, both a
// click and paging (Ctrl+Tab itself is tried in CtrlTabPagingTest).
TEST_F(Page95Control, ChangeOnlyForTheUsersSelection) {
  Build(3);
  pc->SetActivePage(pc->Pages(2));
  pc->SetTabIndex(1);
  auto* extra = new TTab95Sheet;
  extra->SetPageControl(pc);
  delete pc->Pages(1);
  pc->tabBar()->moveTab(0, 1);
  EXPECT_EQ(changes, 0);

  Click(1);
  EXPECT_EQ(pc->TabIndex(), 1);
  EXPECT_EQ(changes, 1);
  Click(1);  // already selected
  EXPECT_EQ(changes, 1);

  pc->setEnabled(false);
  Click(0);
  pc->SelectNextPage(false);
  EXPECT_EQ(pc->TabIndex(), 1);
  pc->setEnabled(true);
  pc->SetOnChanging([] { return false; });
  Click(0);
  pc->SelectNextPage(true);
  EXPECT_EQ(pc->TabIndex(), 1);
  EXPECT_EQ(changes, 1);
}

// Dragging a tab onto another moves its page there and raises OnTabShift once;
// everything else moves nothing.
TEST_F(Page95Control, TabShifting) {
  Build(3);
  pc->SetAllowTabShifting(true);
  Press(bar(), TabCenter(0));
  Drag(bar(), TabCenter(1));
  Drag(bar(), TabCenter(2));
  Release(bar(), TabCenter(2));
  EXPECT_EQ(Order(), "BCA");
  EXPECT_EQ(pc->ActivePage()->Caption().trimmed(), "A");
  EXPECT_EQ(shifts, 1);

  struct Case { const char* what; QPoint press, release; };
  const QPoint offTabs(bar()->width() + 20, 3);
  for (const Case& c : {Case{"same tab", TabCenter(2), TabCenter(2)}, Case{"off the tabs", TabCenter(2), offTabs},
                        Case{"press off the tabs", offTabs, TabCenter(0)}}) {
    Press(bar(), c.press);
    Release(bar(), c.release);
    EXPECT_EQ(Order(), "BCA") << c.what;
  }

  // The pressed tab closes before the release.
  Press(bar(), TabCenter(2));
  delete pc->Pages(2);
  Release(bar(), TabCenter(0));
  EXPECT_EQ(Order(), "BC");

  pc->SetAllowTabShifting(false);
  Press(bar(), TabCenter(1));
  Release(bar(), TabCenter(0));
  EXPECT_EQ(Order(), "BC");
  EXPECT_EQ(shifts, 1);
}

// The hot tab follows the mouse with one OnTabTrack per change and clears on leaving;
// the hint follows it. A drop reports the tab under the pointer at the drop, not the
// one seen before.
TEST_F(Page95Control, HotTrackingHintsAndDrops) {
  Build(3);
  pc->Pages(2)->SetTabHint(QStringLiteral("  third file  "));
  Hover(bar(), TabCenter(1));
  Hover(bar(), TabCenter(2));
  Hover(bar(), TabCenter(2) + QPoint(2, 1));
  EXPECT_EQ(tracked, (std::vector<int>{1, 2}));
  EXPECT_EQ(pc->HotTab(), 2);
  EXPECT_EQ(pc->toolTip(), "third file");
  Leave(bar());
  EXPECT_EQ(pc->HotTab(), -1);
  EXPECT_EQ(tracked.back(), -1);
  EXPECT_EQ(pc->toolTip(), "");

  pc->setAcceptDrops(true);
  std::vector<int> over;
  int dropped = -2;
  QObject::connect(pc, &TCustomTab95Control::OnDragOver,
                   [&](QDragMoveEvent* e, int tab) { over.push_back(tab); e->accept(); });
  QObject::connect(pc, &TCustomTab95Control::OnDragDrop, [&](QDropEvent*, int tab) { dropped = tab; });
  QMimeData data;
  data.setText(QStringLiteral("X:1"));
  const QPoint at1 = bar()->mapTo(pc, TabCenter(1));
  const QPoint at2 = bar()->mapTo(pc, TabCenter(2));
  QDragEnterEvent enter(at1, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(pc, &enter);
  EXPECT_EQ(pc->HotTab(), 1);
  QDropEvent drop(at2, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(pc, &drop);
  EXPECT_EQ(over, std::vector<int>{1});
  EXPECT_EQ(dropped, 2);
  EXPECT_EQ(pc->HotTab(), -1);
}

// A click on a tab takes the keyboard focus only while the control is a tab stop;
// without one the focus stays where it was.
TEST_F(Page95Control, TabStopDecidesWhetherAClickTakesTheFocus) {
  Build(3);
  auto* edit = new QLineEdit(window.get());
  edit->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  struct Case { bool tabStop; int tab; bool focusOnTabs; };
  for (const Case c : {Case{false, 1, false}, Case{true, 2, true}, Case{false, 0, false}}) {
    pc->SetTabStop(c.tabStop);
    edit->setFocus();
    QTest::mouseClick(bar(), Qt::LeftButton, {}, TabCenter(c.tab));
    EXPECT_EQ(pc->TabIndex(), c.tab);
    EXPECT_EQ(QApplication::focusWidget() == bar(), c.focusOnTabs) << c.tabStop;
  }
}

// Property interlocks and the texts of the refusals.
TEST_F(Page95Control, PropertyInterlocksAndErrors) {
  Build(3);
  pc->SetScrollOpposite(true);
  EXPECT_TRUE(pc->MultiLine());
  pc->SetMultiLine(false);
  EXPECT_FALSE(pc->ScrollOpposite());

  pc->SetTabPosition(tpBottomRight);
  pc->SetVerticalTabs(true);
  pc->SetButtonStyle(true);
  EXPECT_EQ(pc->TabPosition(), tpTopLeft);
  EXPECT_FALSE(pc->VerticalTabs());

  const auto message = [](const std::function<void()>& f) -> std::string {
    try { f(); } catch (const std::exception& e) { return e.what(); }
    return "no error";
  };
  const std::string buttons = "Buttons are only supported when aligned along the top";
  EXPECT_EQ(message([&] { pc->SetTabPosition(tpTopLeft); }), buttons);
  EXPECT_EQ(message([&] { pc->SetVerticalTabs(true); }), buttons);
  EXPECT_FALSE(pc->VerticalTabs());

  pc->SetTabWidth(80);
  const std::string range = "Propriété TPage95Control hors limites";
  EXPECT_EQ(message([&] { pc->SetTabWidth(-1); }), range);
  EXPECT_EQ(message([&] { pc->SetTabHeight(-5); }), range);
  EXPECT_EQ(pc->TabWidth(), 80);

  EXPECT_EQ(message([&] { pc->Pages(0)->SetPageIndex(3); }),
            "3 est une valeur de PageIndex incorrecte.  PageIndex doit être compris entre 0 et 2");
  EXPECT_EQ(Order(), "ABC");
}

// Colours and offsets of the drawn tabs, read back from the painted tab row.
class Page95Drawing : public PageFixture {
 protected:
  void SetUp() override {
    Build(2);
    pc->SetTabActiveColor(kActive);
    pc->SetTabInactiveColor(kInactive);
    pc->SetTabHeight(26);
    images = std::make_unique<TImageList>(8, 8);
    QPixmap red(8, 8);
    red.fill(kImage);
    images->Add(red);
    QApplication::processEvents();
  }
  QImage Shot() const { return bar()->grab().toImage(); }

  static constexpr QRgb kActive = 0xffeac684, kInactive = 0xfffce7be, kImage = 0xffff0000;
  std::unique_ptr<TImageList> images;
};

// The fixed tab length applies to every tab.
TEST_F(Page95Drawing, FixedTabWidth) {
  pc->SetTabWidth(80);
  QApplication::processEvents();
  EXPECT_EQ(bar()->tabRect(0).width(), bar()->tabRect(1).width());
  const int width80 = bar()->tabRect(0).width();
  pc->SetTabWidth(100);
  EXPECT_EQ(bar()->tabRect(1).width(), width80 + 20);
}

// Unselected tabs are drawn moved toward the page: 1 pixel down on top, 2 up at the bottom.
TEST_F(Page95Drawing, UnselectedTabsShiftTowardThePage) {
  for (const auto side : {tpTopLeft, tpBottomRight}) {
    pc->SetTabPosition(side);
    QApplication::processEvents();
    const QImage img = Shot();
    const QRect drawn = pc->ItemRect(1).translated(pc->TabSideShift());
    EXPECT_EQ(pc->TabSideShift(), side == tpTopLeft ? QPoint(0, 1) : QPoint(0, -2));
    const int x = drawn.right() - 2;
    EXPECT_EQ(std::pair(img.pixel(x, drawn.top()), img.pixel(x, drawn.bottom())), std::pair(kInactive, kInactive));
    const int outside = side == tpTopLeft ? drawn.top() - 1 : drawn.bottom() + 1;
    EXPECT_NE(img.pixel(x, outside), kInactive);
    const QRect selected = pc->ItemRect(0);
    EXPECT_EQ(img.pixel(selected.right() - 2, selected.top()), kActive);
    EXPECT_EQ(img.pixel(selected.right() - 2, selected.bottom()), kActive);
  }
}

// Images sit 5 pixels in from the left, the selected one a pixel right and up, the
// others a pixel down; an image index of −1 draws none.
TEST_F(Page95Drawing, ImageOffsets) {
  pc->SetImages(images.get());
  pc->Pages(0)->SetImageIndex(0);
  pc->Pages(1)->SetImageIndex(0);
  QApplication::processEvents();
  QImage img = Shot();
  for (const int tab : {0, 1}) {
    const bool selected = tab == 0;
    QRect r = pc->ItemRect(tab);
    if (!selected) r.translate(pc->TabSideShift());
    const int x = r.left() + 5 + (selected ? 1 : 0);
    const int y = r.height() / 2 - 4 + r.top() + (selected ? -1 : 1);
    EXPECT_EQ(img.pixel(x, y), kImage) << tab;
    EXPECT_EQ(img.pixel(x + 7, y + 7), kImage) << tab;
    EXPECT_NE(img.pixel(x - 1, y), kImage) << tab;
    EXPECT_NE(img.pixel(x, y - 1), kImage) << tab;
  }
  pc->Pages(1)->SetImageIndex(-1);
  QApplication::processEvents();
  img = Shot();
  const QRect r = pc->ItemRect(1).translated(pc->TabSideShift());
  for (int x = r.left(); x < r.left() + 5; ++x) EXPECT_EQ(img.pixel(x, r.center().y()), kInactive);
}

// The hot tab's caption is drawn in the highlight colour only while HotTrack is on.
TEST_F(Page95Drawing, HotTabCaptionInHighlight) {
  const QRgb highlight = pc->palette().color(QPalette::Highlight).rgb();
  const auto highlighted = [&](int tab) {
    const QImage img = Shot();
    const QRect r = pc->ItemRect(tab).translated(pc->TabSideShift());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += img.pixel(x, y) == highlight;
    return n;
  };
  Hover(bar(), TabCenter(1));
  EXPECT_EQ(highlighted(1), 0);
  pc->SetHotTrack(true);
  EXPECT_GT(highlighted(1), 0);
  Hover(bar(), TabCenter(0));
  EXPECT_EQ(highlighted(1), 0);
}

// A handler may draw the tab itself; the frame in its brush follows.
TEST_F(Page95Drawing, OnDrawTabReplacesTheDrawing) {
  std::vector<int> drawn;
  pc->SetOnDrawTab([&](TCustomTab95Control&, QPainter& canvas, const QString&, int index, const QRect& rect) {
    drawn.push_back(index);
    canvas.fillRect(rect, Qt::white);
    canvas.setBrush(QColor(Qt::blue));
  });
  const QImage img = Shot();
  EXPECT_EQ(drawn, (std::vector<int>{1, 0}));
  const QRect r = pc->ItemRect(0);
  EXPECT_EQ(img.pixel(r.topLeft()), QColor(Qt::blue).rgb());
  EXPECT_EQ(img.pixel(r.center()), QColor(Qt::white).rgb());
}

}  // namespace
}  // namespace rq::test
