// The drawing context derived from the music font's height.
#include <vector>

#include "ScoreTestHelpers.h"
#include "score/ScoreSymbol.h"

namespace rq::test {
namespace {

// The row layout's numbers and the staff positions for a few font heights (71 and 72
// on either side of a line-space step, 80 with an odd line space), as literal pixels.
// Pitches: 1 the C below the staff, 3 the bottom line, 7 the middle, 11 the top line;
// half line spaces truncate toward the middle of the staff.
TEST(DrawCtxt, MetricsAndStaffPositionsFollowTheFontHeight) {
  struct Case {
    int fontH, rowH, headW;
    int lineSpace, glyphOffset, numberHeight, tupletHeight, staffMid, baseY, clefY, stemOffset;
    std::vector<int> staffY;  // of pitches -2, 1, 3, 7, 8, 11
  };
  const Case cases[] = {
      {60, 121, 37, 6, 30, 12, 10, 60, 78, 72, 7, {87, 78, 72, 60, 57, 48}},
      {71, 100, 26, 6, 35, 14, 11, 50, 68, 62, 4, {77, 68, 62, 50, 47, 38}},
      {72, 100, 26, 7, 36, 14, 12, 50, 71, 64, 4, {81, 71, 64, 50, 47, 36}},
      {80, 90, 30, 7, 40, 16, 13, 45, 66, 59, 5, {76, 66, 59, 45, 42, 31}},
      {113, 121, 37, 10, 56, 22, 18, 60, 90, 80, 7, {105, 90, 80, 60, 55, 40}},
      {400, 301, 100, 34, 200, 80, 66, 150, 252, 218, 19, {303, 252, 218, 150, 133, 82}},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas({kMusicFace, c.fontH, false});
    canvas.SetCharWidth('q', c.headW);
    TDrawCtxt ctx{.Canvas = &canvas};
    ctx.SetStaffMetrics(c.rowH);
    ctx.SetNumberHeights();
    SCOPED_TRACE(c.fontH);
    EXPECT_EQ(ctx.LineSpace, c.lineSpace);
    EXPECT_EQ(ctx.GlyphOffset, c.glyphOffset);
    EXPECT_EQ(ctx.NumberHeight, c.numberHeight);
    EXPECT_EQ(ctx.TupletHeight, c.tupletHeight);
    EXPECT_EQ(ctx.StaffMid, c.staffMid);
    EXPECT_EQ(ctx.BaseY, c.baseY);
    EXPECT_EQ(ctx.ClefY, c.clefY);
    EXPECT_EQ(ctx.HeadWidth, c.headW);
    EXPECT_EQ(ctx.StemOffset, c.stemOffset);
    std::vector<int> staffY;
    for (const int pitch : {-2, 1, 3, 7, 8, 11}) staffY.push_back(ctx.StaffY(pitch));
    EXPECT_EQ(staffY, c.staffY);
  }
}

// Thick lines grow right and down by the line thickness; a vertical one is drawn upward.
TEST(DrawCtxt, ThickLines) {
  RecordedStaff s(3);
  DrawHLine(s.ctx, 10, 40, 70);
  DrawVLine(s.ctx, 15, 20, 60);
  EXPECT_EQ(SegsOf(s.Lines()), (Segs{{10, 70, 40, 70}, {10, 71, 40, 71}, {10, 72, 40, 72},
                                     {15, 60, 15, 20}, {16, 60, 16, 20}, {17, 60, 17, 20}}));
}

}  // namespace
}  // namespace rq::test
