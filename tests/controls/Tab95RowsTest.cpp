// Rows of tabs (MultiLine, ScrollOpposite), buttons pressed together (MultiSelect),
// and which sheet a page control shows.
#include "ControlTestHelpers.h"

namespace rq::test {
namespace {

// Eight tabs of 44 pixels (40 + the ends) in a 150-pixel control: three to a row.
class Tab95Rows : public PageFixture {
 protected:
  static constexpr int kRow = 22;  // tab height 20 + the selected tab's lift

  void SetUp() override {
    Build(8);
    pc->setFixedWidth(150);
    pc->SetTabWidth(40);
    pc->SetTabHeight(kRow - 2);
    QApplication::processEvents();
  }
  // The tab's centre in the control's coordinates.
  QPoint CenterOf(int tab) const { return bar()->mapTo(pc, pc->TabRect(tab).center()); }
  int TopOf(int tab) const { return bar()->mapTo(pc, pc->TabRect(tab).topLeft()).y(); }
  // A press and release on the tab, on whichever part of the control shows it.
  void ClickTab(int tab, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint at = CenterOf(tab);
    QWidget* w = pc->childAt(at);
    ASSERT_NE(w, nullptr);
    const QPoint local = w->mapFrom(pc, at);
    QMouseEvent press(QEvent::MouseButtonPress, local, w->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, w->mapToGlobal(local), Qt::LeftButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(w, &release);
  }
  QRect PageArea() const { return QRect(pc->ActivePage()->mapTo(pc, QPoint()), pc->ActivePage()->size()); }
};

// One row scrolls; MultiLine wraps the tabs into three rows inside the control's width
// and the page moves down below them.
TEST_F(Tab95Rows, MultiLineWrapsIntoRows) {
  EXPECT_EQ(pc->RowCount(), 1);
  EXPECT_EQ(bar()->height(), kRow);
  pc->SetMultiLine(true);
  QApplication::processEvents();
  EXPECT_EQ(pc->RowCount(), 3);
  EXPECT_EQ(bar()->height(), 3 * kRow);
  for (int tab = 0; tab < 8; ++tab) {
    EXPECT_LE(pc->TabRect(tab).right(), 149) << tab;
    EXPECT_EQ(pc->TabAt(CenterOf(tab)), tab);
  }
  EXPECT_GE(PageArea().top(), 3 * kRow);
  pc->SetMultiLine(false);
  QApplication::processEvents();
  EXPECT_EQ(pc->RowCount(), 1);
  EXPECT_EQ(bar()->height(), kRow);
}

// Tabs that exactly fill the control's width share a row; a pixel less and the
// last of them starts the next row.
TEST_F(Tab95Rows, TabsThatExactlyFillARowShareIt) {
  pc->SetMultiLine(true);
  struct Case {
    int width;
    int rows;
  };
  for (const Case c : {Case{3 * 44, 3}, Case{3 * 44 - 1, 4}, Case{4 * 44, 2}}) {
    pc->setFixedWidth(c.width);
    QApplication::processEvents();
    EXPECT_EQ(pc->RowCount(), c.rows) << c.width;
  }
}

// The selected tab's row stands next to the page, the rows after it further out and
// the rows before it beyond those; ScrollOpposite puts every other row beyond the page
// in the same order outward, and the page lies between. Tops are from the control's
// top, or its bottom when negative.
TEST_F(Tab95Rows, RowOrderAroundThePage) {
  struct Case {
    bool opposite;
    int selected;
    int rowTops[3];  // rows of tabs 0, 3 and 6
  };
  for (const Case c : {Case{false, 0, {2 * kRow, kRow, 0}}, Case{false, 6, {kRow, 0, 2 * kRow}},
                       Case{true, 0, {0, -2 * kRow, -kRow}}, Case{true, 4, {-kRow, 0, -2 * kRow}}}) {
    pc->SetMultiLine(true);
    pc->SetScrollOpposite(c.opposite);
    ClickTab(c.selected);
    QApplication::processEvents();
    ASSERT_EQ(pc->TabIndex(), c.selected);
    for (int row = 0; row < 3; ++row) {
      const int top = c.rowTops[row] >= 0 ? c.rowTops[row] : pc->height() + c.rowTops[row];
      EXPECT_EQ(TopOf(row * 3), top) << "selected " << c.selected << (c.opposite ? " opposite" : "") << " row " << row;
    }
    const QRect page = PageArea();
    EXPECT_GE(page.top(), c.opposite ? kRow : 3 * kRow);
    EXPECT_LE(page.bottom(), c.opposite ? pc->height() - 2 * kRow : pc->height());
    const QWidget* under = pc->childAt(CenterOf(c.selected == 0 ? 7 : 0));
    EXPECT_FALSE(under == pc->ActivePage() || pc->ActivePage()->isAncestorOf(under));
  }
}

// Ctrl+click presses buttons without selecting them; a plain click releases them.
// Without MultiSelect, or without buttons, Ctrl+click selects as any click.
TEST_F(Tab95Rows, MultiSelectPressesSeveralButtons) {
  pc->SetMultiLine(true);
  pc->SetButtonStyle(true);
  pc->SetMultiSelect(true);
  QApplication::processEvents();
  ClickTab(1, Qt::ControlModifier);
  ClickTab(2, Qt::ControlModifier);
  EXPECT_EQ(pc->TabIndex(), 0);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(pc->TabDown(0) && pc->TabDown(1) && pc->TabDown(2));
  EXPECT_FALSE(pc->TabDown(3));

  // A pressed button is drawn sunk: its dark edge on top, where a raised one is light.
  const QImage img = bar()->grab().toImage();
  const auto topEdge = [&](int tab) { return img.pixel(pc->ItemRect(tab).left() + 3, pc->ItemRect(tab).top() - 2); };
  EXPECT_EQ(topEdge(2), pc->palette().color(QPalette::Dark).rgb());
  EXPECT_EQ(topEdge(3), pc->palette().color(QPalette::Light).rgb());

  ClickTab(1, Qt::ControlModifier);
  EXPECT_FALSE(pc->TabDown(1));
  ClickTab(3);
  EXPECT_EQ(pc->TabIndex(), 3);
  EXPECT_FALSE(pc->TabDown(2));

  pc->SetMultiSelect(false);
  ClickTab(4, Qt::ControlModifier);
  EXPECT_EQ(pc->TabIndex(), 4);
  pc->SetMultiSelect(true);
  pc->SetButtonStyle(false);
  ClickTab(5, Qt::ControlModifier);
  EXPECT_EQ(pc->TabIndex(), 5);
  EXPECT_FALSE(pc->TabDown(4));
}

using PageShown = PageFixture;

// Showing a sheet makes it the active page in place of the one before; no page active
// hides the shown one and selects no tab, until a sheet is shown or a tab clicked.
TEST_F(PageShown, ShowingASheetActivatesIt) {
  Build(3);
  const auto shown = [&] {
    QString s;
    for (int i = 0; i < pc->PageCount(); ++i) s += pc->Pages(i)->isVisible() ? pc->Pages(i)->Caption().trimmed() : "";
    return s;
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int active;  // −1: none
    const char* visible;
  };
  const std::vector<Step> steps = {
      {"show C", [&] { pc->Pages(2)->show(); }, 2, "C"},
      {"none", [&] { pc->SetActivePage(nullptr); }, -1, ""},
      {"show C again", [&] { pc->Pages(2)->show(); }, 2, "C"},
      {"tab index none", [&] { pc->SetTabIndex(-1); }, -1, ""},
      {"click C", [&] { Click(2); }, 2, "C"},
      {"show A", [&] { pc->Pages(0)->setVisible(true); }, 0, "A"},
      {"none, then B", [&] { pc->SetActivePage(nullptr); pc->SetActivePage(pc->Pages(1)); }, 1, "B"},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(pc->TabIndex(), s.active) << s.what;
    EXPECT_EQ(pc->ActivePage(), s.active < 0 ? nullptr : pc->Pages(s.active)) << s.what;
    EXPECT_EQ(shown(), s.visible) << s.what;
  }
  EXPECT_EQ(changes, 1);  // the click only
}

// With no page active, removing a page leaves none shown.
TEST_F(PageShown, NoActivePageSurvivesRemovingOne) {
  Build(3);
  pc->SetActivePage(pc->Pages(1));
  pc->SetActivePage(nullptr);
  delete pc->Pages(1);
  EXPECT_EQ(pc->ActivePage(), nullptr);
  for (int i = 0; i < pc->PageCount(); ++i) EXPECT_FALSE(pc->Pages(i)->isVisible()) << i;
}

}  // namespace
}  // namespace rq::test
