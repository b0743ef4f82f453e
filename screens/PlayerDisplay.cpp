#include "screens/PlayerDisplay.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace rq {

int ColumnCount(const TuneTiming& t) {
  const MidiTick columns = t.Total / t.MeasureTicks() + (t.HasPickup() ? 1 : 0);
  return static_cast<int>(std::clamp<MidiTick>(columns, 1, std::numeric_limits<int>::max()));
}

MidiTick ColumnStartTick(int c, const TuneTiming& t) {
  if (c <= 0) return 0;
  if (!t.HasPickup()) return c * t.MeasureTicks();
  return (c - 1) * t.MeasureTicks() + t.PickupTicks();
}

MidiTick ColumnEndTick(int c, const TuneTiming& t) {
  c = std::max(c, 0);
  if (!t.HasPickup()) return (c + 1) * t.MeasureTicks();
  return c * t.MeasureTicks() + t.PickupTicks();
}

PositionDisplay DescribePosition(MidiTick position, int num, int den, const TuneTiming& t) {
  if (num <= 0 || den <= 0) num = den = 4;
  char text[96];
  if (position < t.PickupTicks()) {
    std::snprintf(text, sizeof text, "%.2d/%.2d-%.3d:%.2d:", num, den, 0, 0);
    return {text, 0};
  }
  const MidiTick measureTicks = t.MeasureTicks();
  const MidiTick p = position - t.PickupTicks();
  const MidiTick measure = p / measureTicks + 1;
  const MidiTick beatLength = std::max<MidiTick>(measureTicks / num, 1);
  const MidiTick inMeasure = p % measureTicks;
  const MidiTick beat = inMeasure / beatLength + 1;
  const MidiTick tick = inMeasure % beatLength;
  std::snprintf(text, sizeof text, "%.1d/%.1d  %.3lld : %.2lld : %.3lld", num, den, static_cast<long long>(measure),
                static_cast<long long>(beat), static_cast<long long>(tick));
  const MidiTick column = t.HasPickup() ? measure : measure - 1;
  return {text, static_cast<int>(std::min<MidiTick>(column, std::numeric_limits<int>::max()))};
}

void LoopSelection::Press(int column) {
  anchor_ = column;
  dragging_ = false;
}

bool LoopSelection::Drag(int column, int lastColumn) {
  const int c = column >= 0 ? column : (first_ < anchor_ ? 0 : lastColumn);
  if (c == anchor_ && !dragging_) return false;
  dragging_ = true;
  first_ = std::min(anchor_, c);
  last_ = std::max(anchor_, c);
  return true;
}

void LoopSelection::Clear() { first_ = last_ = -1; }

MidiTick LoopSelection::StartTick(const TuneTiming& t) const { return first_ < 0 ? 0 : ColumnStartTick(first_, t); }

MidiTick LoopSelection::EndTick(const TuneTiming& t) const { return last_ < 0 ? 0 : ColumnEndTick(last_, t); }

}  // namespace rq
