// The player panel's arithmetic: measure columns, the position display and the loop
// selected on the measure grid.
#include <gtest/gtest.h>

#include <utility>

#include "screens/PlayerDisplay.h"

namespace rq {
namespace {

constexpr TuneTiming kReel{0, 32 * 1920, 1920};
constexpr TuneTiming kReelWithPickup{480, 480 + 32 * 1920, 1920};
constexpr TuneTiming kJig{0, 16 * 1440, 1440};
constexpr TuneTiming kJigWithPickup{240, 240 + 16 * 1440, 1440};

// One column per measure, the pickup its own column; never fewer than one.
TEST(PlayerDisplayTest, ColumnsCountMeasuresAndThePickup) {
  struct Case {
    TuneTiming timing;
    int columns;
  } cases[] = {
      {kReel, 32},
      {kReelWithPickup, 33},
      {{-1, 5 * 1920, 1920}, 5},  // "no bar line after the music" is no pickup
      {{0, 0, 1920}, 1},
      {{0, 1920, 0}, 1},          // a bar of 0 ticks counts as 4/4
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnCount(c.timing), c.columns) << c.timing.Pickup << " " << c.timing.Total;
  }
}

// Column 0 is the pickup when there is one; columns end where the next begins.
TEST(PlayerDisplayTest, ColumnTicks) {
  struct Case {
    TuneTiming timing;
    int column;
    MidiTick start, end;
  } cases[] = {
      {kReel, 2, 3840, 5760}, {kReel, -1, 0, 1920}, {kReelWithPickup, 0, 0, 480},
      {kReelWithPickup, 7, 480 + 6 * 1920, 480 + 7 * 1920},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnStartTick(c.column, c.timing), c.start) << c.column;
    EXPECT_EQ(ColumnEndTick(c.column, c.timing), c.end) << c.column;
  }
}

// Meter, measure, beat and tick in the beat; inside the pickup only the meter.
TEST(PlayerDisplayTest, PositionTextAndColumn) {
  struct Case {
    MidiTick position;
    int num, den;
    TuneTiming timing;
    const char* text;
    int column;
  } cases[] = {
      {16680, 6, 8, kJig, "6/8  012 : 04 : 120", 11},
      {0, 4, 4, kReel, "4/4  001 : 01 : 000", 0},
      {1919, 4, 4, kReel, "4/4  001 : 04 : 479", 0},
      {1920, 4, 4, kReel, "4/4  002 : 01 : 000", 1},
      {100, 6, 8, kJigWithPickup, "06/08-000:00:", 0},
      {240, 6, 8, kJigWithPickup, "6/8  001 : 01 : 000", 1},
      {500, 0, 0, kReel, "4/4  001 : 02 : 020", 0},         // no meter yet: 4/4
      {1000, 4, 4, {-1, 1920 * 4, 1920}, "4/4  001 : 03 : 040", 0},
      {100, 99, 4, {0, 1920, 50}, "99/4  003 : 01 : 000", 2},  // a beat of at least one tick
  };
  for (const Case& c : cases) {
    const PositionDisplay shown = DescribePosition(c.position, c.num, c.den, c.timing);
    EXPECT_EQ(shown.text, c.text) << c.position;
    EXPECT_EQ(shown.column, c.column) << c.position;
  }
}

// Dragging from column 5 to column 2 selects 2..5 and loops from the start of the
// first to the end of the last; staying on the anchor selects nothing, coming back
// to it loops that column alone; off the grid the drag reaches column 0 when the
// selection lies before the anchor, else the last column.
TEST(PlayerDisplayTest, DraggingSelectsTheLoop) {
  LoopSelection loop;
  loop.Press(5);
  EXPECT_FALSE(loop.Drag(5, 31));
  EXPECT_EQ(loop.First(), -1);
  EXPECT_TRUE(loop.Drag(2, 31));
  EXPECT_EQ(std::pair(loop.First(), loop.Last()), std::pair(2, 5));
  EXPECT_EQ(loop.StartTick(kReel), 3840);
  EXPECT_EQ(loop.EndTick(kReel), 11520);
  loop.Drag(-1, 31);
  EXPECT_EQ(std::pair(loop.First(), loop.Last()), std::pair(0, 5));
  loop.Drag(6, 31);
  loop.Drag(-1, 31);
  EXPECT_EQ(std::pair(loop.First(), loop.Last()), std::pair(5, 31));
  loop.Clear();
  EXPECT_EQ(loop.StartTick(kReel), 0);
  EXPECT_EQ(loop.EndTick(kReel), 0);

  loop.Press(0);
  loop.Drag(1, 32);
  loop.Drag(0, 32);
  EXPECT_EQ(std::pair(loop.First(), loop.Last()), std::pair(0, 0));
  EXPECT_EQ(loop.EndTick(kReel), 1920);
  EXPECT_EQ(loop.EndTick(kReelWithPickup), 480);
}

}  // namespace
}  // namespace rq
