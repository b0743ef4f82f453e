// The sizes the score's music font may take on screen, and what follows from a size.
#pragma once

namespace rq {

// The smallest and largest music font size on screen.
inline constexpr int kScoreZoomMin = 60;
inline constexpr int kScoreZoomMax = 113;

// Only some sizes draw the font's glyphs cleanly: 60, 61, 63, 68-76, 83-90, 97-100
// and 108-113.
bool IsScoreZoomSize(int size);

// `size` limited to the smallest and largest size, then moved by `step` (+1 or -1;
// 0 counts as +1) until it is an allowed size.
int StepScoreZoom(int size, int step);

// The beam thickness that suits a music font size: 2 below 69, 4 above 90, else 3.
int BeamThicknessFor(int fontSize);

}  // namespace rq
