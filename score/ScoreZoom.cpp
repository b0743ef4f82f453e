#include "score/ScoreZoom.h"

#include <algorithm>
#include <iterator>

namespace rq {

bool IsScoreZoomSize(int size) {
  constexpr struct {
    int low, high;
  } kRanges[] = {{60, 61}, {63, 63}, {68, 76}, {83, 90}, {97, 100}, {108, 113}};
  return std::any_of(std::begin(kRanges), std::end(kRanges),
                     [size](const auto& r) { return size >= r.low && size <= r.high; });
}

int StepScoreZoom(int size, int step) {
  step = step < 0 ? -1 : 1;
  int s = std::clamp(size, kScoreZoomMin, kScoreZoomMax);
  // Both ends are allowed sizes, so the walk always stops inside the range.
  while (!IsScoreZoomSize(s)) s += step;
  return s;
}

int BeamThicknessFor(int fontSize) {
  if (fontSize < 69) return 2;
  if (fontSize > 90) return 4;
  return 3;
}

}  // namespace rq
