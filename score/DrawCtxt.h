// Staff metrics shared by every symbol of a row, derived from the canvas font.
#pragma once

namespace rq {

class ScoreCanvas;

// Pitch steps: 1 is the C below the staff, 3 the bottom line, 7 the middle line,
// 11 the top line; one step is half a line space. 999 marks a rest.
inline constexpr int kRestPitch = 999;

// Row coordinates: symbols get x relative to Left; every canvas call adds Left and Top.
struct RowRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

struct TDrawCtxt {
  ScoreCanvas* Canvas = nullptr;  // its font is the music font while symbols draw
  int StaffMid = 0;       // y of the middle line, relative to the row's top
  int LineSpace = 0;      // between staff lines
  int GlyphOffset = 0;    // a glyph's cell top lies this far above the position it marks
  int BaseY = 0;          // y of pitch 1
  int ClefY = 0;          // y of the bottom line
  int HeadWidth = 0;      // of "q"
  int HeadHeight = 0;     // of "q"
  int StemOffset = 0;     // an up-stem's inset from the head's right edge
  int BeamThickness = 1;  // 1-pixel lines per beam
  int LineThickness = 1;  // 1-pixel lines per stem, ledger line or thin bar
  int NumberHeight = 0;   // font height of ending numbers
  int TupletHeight = 0;   // font height of tuplet numbers

  // StaffMid to StemOffset, from the row height and the canvas font.
  void SetStaffMetrics(int rowHeight);
  // NumberHeight and TupletHeight, from the canvas font height.
  void SetNumberHeights();
  // y of a pitch step relative to the row's top.
  int StaffY(int pitch) const;
};

// From a head's left edge to its up-stem, as the note glyphs have it.
inline int StemInset(int headWidth) { return headWidth - headWidth * 19 / 100; }

// The context the screen draws with on `canvas` (at its font): 1-pixel lines, beams
// `beamThickness` thick, numbers sized from the font.
TDrawCtxt ScreenContext(ScoreCanvas& canvas, int beamThickness);

}  // namespace rq
