// The list grid: layout, moves by key and mouse, and the selection signal.
#include <QWheelEvent>

#include "ControlTestHelpers.h"
#include "controls/ListGrid.h"

namespace rq::test {
namespace {

// A grid with 14-pixel rows and 200-pixel columns whose client area is w × h.
class ListGridTest : public testing::Test {
 protected:
  void SetUp() override {
    grid.SetDefaultRowHeight(14);
    grid.SetDefaultColWidth(200);
    grid.resize(600, 400);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }
  void SetClient(int w, int h) {
    grid.resize(w + grid.width() - grid.viewport()->width(), h + grid.height() - grid.viewport()->height());
    ASSERT_EQ(grid.viewport()->size(), QSize(w, h));
  }
  // `count` items in columns of 10 rows; 25 make columns of 10, 10 and 5.
  void Make(int count = 25, int width = 700) {
    SetClient(width, 140);
    grid.SetGridMax(count);
  }
  QPoint CellCentre(int col, int row) { return grid.CellRect(col, row).center(); }

  TListGrid grid;
};

// Rows follow the client height, columns the item count. A negative count, or a
// client too narrow for a row, keeps the last layout.
TEST_F(ListGridTest, Layout) {
  struct Case { int count, height, rows, cols; };
  for (const Case c : {Case{150, 370, 26, 6}, Case{0, 370, 26, 1}, Case{150, 10, 1, 150}, Case{0, 10, 1, 0}}) {
    SetClient(600, c.height);
    grid.SetGridMax(c.count);
    EXPECT_EQ(std::pair(grid.RowsPerCol(), grid.ColsUsed()), std::pair(c.rows, c.cols))
        << c.count << " items, height " << c.height;
  }
  SetClient(600, 370);
  grid.SetGridMax(150);
  EXPECT_EQ(grid.ColRowToIdx(1, 4), 30);
  int col = 0, row = 0;
  ASSERT_TRUE(grid.MouseToCell(CellCentre(1, 4), col, row));
  EXPECT_EQ(std::pair(col, row), std::pair(1, 4));
  EXPECT_FALSE(grid.MouseToCell(QPoint(10, 26 * 14 + 2), col, row));  // below the last row
  EXPECT_EQ(std::pair(col, row), std::pair(-1, -1));

  grid.SetGridMax(-1);
  EXPECT_EQ(grid.GridMax(), 150);
  SetClient(14, 140);
  EXPECT_EQ(grid.RowsPerCol(), 26);
  SetClient(15, 140);
  EXPECT_EQ(grid.RowsPerCol(), 10);
}

// Selecting by code before any layout has run must not divide by zero.
TEST(ListGridNoLayout, SelectBeforeLayout) {
  TListGrid grid;
  grid.SetDefaultRowHeight(5000);  // wider than the client: no layout
  grid.SetGridMax(40);
  EXPECT_EQ(grid.RowsPerCol(), 0);
  EXPECT_EQ(grid.SetGridIdx(30), 0);
  EXPECT_EQ(grid.GridIdx(), 30);
}

// Selecting by code signals; shrinking the list below the current item clamps it, silently.
TEST_F(ListGridTest, SetGridIdxByCodeAndShrinking) {
  Make();
  QSignalSpy spy(&grid, &TListGrid::SelectIdx);
  EXPECT_EQ(grid.SetGridIdx(0), -1);  // already current
  EXPECT_EQ(grid.SetGridIdx(26), -1);
  EXPECT_EQ(grid.SetGridIdx(-1), -1);
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(grid.SetGridIdx(25), 0);  // the place after the last item
  EXPECT_EQ(grid.SetGridIdx(13), 0);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(1).at(0).toInt(), 13);
  EXPECT_EQ(std::pair(grid.Col(), grid.Row()), std::pair(1, 3));
  grid.SetGridMax(5);
  EXPECT_EQ(grid.GridIdx(), 5);
  EXPECT_EQ(spy.count(), 2);
}

// Selecting by code lights the item selected, and the place after the last item
// lights none, also when the items fill their columns exactly.
TEST_F(ListGridTest, FullColumnsLightTheSelectedItem) {
  Make(20);  // two full columns of 10
  std::vector<int> lit;
  grid.SetOnDrawCell([&lit](QPainter&, int idx, const QRect&, unsigned state) {
    if (state & gdSelected) lit.push_back(idx);
  });
  auto lights = [&] {
    lit.clear();
    grid.viewport()->grab();
    return lit;
  };
  grid.SetGridIdx(19);
  EXPECT_EQ(lights(), std::vector<int>{19});
  grid.SetGridIdx(20);
  EXPECT_EQ(lights(), std::vector<int>{});
  grid.SetGridMax(30);
  grid.SetGridIdx(29);
  grid.SetGridMax(20);  // the current item goes: the place after the last
  EXPECT_EQ(lights(), std::vector<int>{});
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(grid.GridIdx(), 19);
  EXPECT_EQ(lights(), std::vector<int>{19});
}

// Each key from an item selected by code: the first key is never swallowed, and a
// move past the last item selects the last one.
TEST_F(ListGridTest, KeysMoveAndSignalOnce) {
  struct Case { int from; Qt::Key key; Qt::KeyboardModifiers mods; int to; };
  const std::vector<Case> cases = {
      {10, Qt::Key_Up, {}, 9},             {9, Qt::Key_Down, {}, 10},   {24, Qt::Key_Down, {}, 24},
      {3, Qt::Key_Up, {}, 2},              {15, Qt::Key_Left, {}, 5},   {18, Qt::Key_Right, {}, 24},
      {3, Qt::Key_PageDown, {}, 9},        {13, Qt::Key_PageUp, {}, 10}, {13, Qt::Key_Home, {}, 3},
      {3, Qt::Key_End, {}, 23},            {8, Qt::Key_End, {}, 24},    {13, Qt::Key_Home, Qt::ControlModifier, 0},
      {3, Qt::Key_End, Qt::ControlModifier, 24},
  };
  Make();
  for (const Case& c : cases) {
    grid.SetGridIdx(c.from == 0 ? 1 : 0);
    grid.SetGridIdx(c.from);
    QSignalSpy spy(&grid, &TListGrid::SelectIdx);
    QTest::keyClick(&grid, c.key, c.mods);
    EXPECT_EQ(grid.GridIdx(), c.to) << "from " << c.from << " key " << c.key;
    EXPECT_EQ(grid.ColRowToIdx(grid.Col(), grid.Row()), c.to) << "from " << c.from << " key " << c.key;
    ASSERT_EQ(spy.count(), c.from == c.to ? 0 : 1) << "from " << c.from << " key " << c.key;
    if (c.from != c.to) { EXPECT_EQ(spy.at(0).at(0).toInt(), c.to); }
  }
}

// Up at the very top of the list does nothing; a relayout moves the cell silently,
// and the next key still selects from the current item.
TEST_F(ListGridTest, KeyAfterRelayoutIsNotSwallowed) {
  Make();
  QSignalSpy spy(&grid, &TListGrid::SelectIdx);
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(spy.count(), 0);
  QTest::keyClick(&grid, Qt::Key_PageDown);  // item 9
  SetClient(600, 70);                        // 5 rows: item 9 is now column 1, row 4
  EXPECT_EQ(std::pair(grid.Col(), grid.Row()), std::pair(1, 4));
  QTest::keyClick(&grid, Qt::Key_Down);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(1).at(0).toInt(), 10);
  EXPECT_EQ(grid.GridIdx(), 10);
}

// A click selects the clicked item in one step, whatever row was current; a double
// click raises only DblClick.
TEST_F(ListGridTest, ClicksAndDoubleClicks) {
  Make();
  grid.SetGridIdx(8);
  QSignalSpy select(&grid, &TListGrid::SelectIdx);
  QSignalSpy down(&grid, &TListGrid::CellMouseDown);
  QSignalSpy dbl(&grid, &TListGrid::DblClick);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(2, 3));
  ASSERT_EQ(select.count(), 1);
  EXPECT_EQ(select.at(0).at(0).toInt(), 23);
  QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, CellCentre(0, 1));
  EXPECT_EQ(grid.GridIdx(), 1);
  EXPECT_EQ(down.count(), 2);
  // An empty cell after the last item: the press is reported, nothing is selected.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(2, 7));
  EXPECT_EQ(down.count(), 3);
  EXPECT_EQ(grid.GridIdx(), 1);
  EXPECT_EQ(select.count(), 2);
  // Right of the last column there is no cell at all.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(650, 10));
  EXPECT_EQ(down.count(), 3);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(0, 2));
  EXPECT_EQ(dbl.count(), 1);
  EXPECT_EQ(down.count(), 3);
  EXPECT_EQ(select.count(), 2);
}

// An empty grid has nothing to select: keys and clicks never signal an item.
TEST_F(ListGridTest, EmptyGridSelectsNothing) {
  Make(0);
  QSignalSpy spy(&grid, &TListGrid::SelectIdx);
  for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_End, Qt::Key_PageDown}) QTest::keyClick(&grid, key);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(0, 3));
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(grid.GridIdx(), 0);
}

// A wheel notch steps like the Up and Down keys, wrap included; half notches add up.
TEST_F(ListGridTest, WheelStepsThroughTheList) {
  Make();
  grid.SetGridIdx(9);
  for (const auto& [delta, idx] : std::initializer_list<std::pair<int, int>>{{-120, 10}, {60, 10}, {60, 9}}) {
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &wheel);
    EXPECT_EQ(grid.GridIdx(), idx) << "after a turn of " << delta;
  }
}

// The column wrap scrolls the new column into view.
TEST_F(ListGridTest, WrapScrollsIntoView) {
  Make(45, 450);  // two whole columns
  QSignalSpy scrolled(&grid, &TListGrid::TopLeftChanged);
  grid.SetGridIdx(19);
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.LeftCol(), 1);
  EXPECT_EQ(scrolled.count(), 1);
  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid.LeftCol(), 0);
}

// The owner draws each item once, the current one marked selected (and focused
// while the grid has the focus); cells after the last item are not handed over.
TEST_F(ListGridTest, DrawCallbackPerItem) {
  Make();
  grid.SetGridIdx(12);
  std::vector<std::pair<int, unsigned>> drawn;
  grid.SetOnDrawCell([&](QPainter&, int idx, const QRect&, unsigned state) { drawn.emplace_back(idx, state); });
  grid.setFocus();
  grid.viewport()->grab();
  ASSERT_EQ(drawn.size(), 25u);
  for (const auto& [idx, state] : drawn) {
    EXPECT_EQ(state, idx == 12 ? unsigned{gdSelected | (grid.hasFocus() ? gdFocused : 0u)} : 0u) << idx;
  }
}

}  // namespace
}  // namespace rq::test
