// What the player panel shows of a prepared tune: its measure columns, the position
// text and the loop selected on the measure grid. No Qt, no player.
#pragma once

#include <cstdint>
#include <string>

#include "midi/MidiEvents.h"

namespace rq {

// The converter's results for the tune the panel prepared, copied when it was
// prepared so that later conversions elsewhere cannot change them.
struct TuneTiming {
  MidiTick Pickup = 0;    // ticks before the first bar line; 0 or less: none
  MidiTick Total = 0;     // end of the tune
  MidiTick Measure = 1920;

  // The values as the panel uses them: no negative pickup, a bar of at least one tick.
  MidiTick PickupTicks() const { return Pickup > 0 ? Pickup : 0; }
  MidiTick MeasureTicks() const { return Measure > 0 ? Measure : 1920; }
  bool HasPickup() const { return Pickup > 0; }
};

// Grid columns: column 0 is the pickup when there is one, else the first measure.
int ColumnCount(const TuneTiming& t);
// Where column `c` starts (0 for c <= 0) and ends.
MidiTick ColumnStartTick(int c, const TuneTiming& t);
MidiTick ColumnEndTick(int c, const TuneTiming& t);

// The position display and the grid column of a play position. In a bar:
// "6/8  012 : 04 : 120" (meter, measure, beat, tick in the beat); in the pickup:
// "06/08-000:00:". A meter with a zero gives 4/4.
struct PositionDisplay {
  std::string text;
  int column = 0;
};
PositionDisplay DescribePosition(MidiTick position, int num, int den, const TuneTiming& t);

// The loop the user selects on the measure grid by dragging across columns.
class LoopSelection {
 public:
  // A press in column `column` anchors the next drag.
  void Press(int column);
  // The pointer is over column `column` with the button down (-1: off the grid,
  // which reaches column 0 or the last column). True when the selection was set.
  bool Drag(int column, int lastColumn);
  void Clear();

  int First() const { return first_; }
  int Last() const { return last_; }
  int Anchor() const { return anchor_; }
  bool Dragging() const { return dragging_; }
  bool Contains(int column) const { return first_ <= column && column <= last_; }
  // The loop's bounds in ticks: from the start of the first column to the end of the
  // last; a bound without a column is 0, so no selection means no loop.
  MidiTick StartTick(const TuneTiming& t) const;
  MidiTick EndTick(const TuneTiming& t) const;

 private:
  int first_ = -1;
  int last_ = -1;
  int anchor_ = 0;
  bool dragging_ = false;
};

}  // namespace rq
