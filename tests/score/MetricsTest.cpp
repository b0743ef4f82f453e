// The drawing context derived from the music font's height.
#include "ScoreTestHelpers.h"
#include "score/ScoreSymbol.h"

namespace rq::test {
namespace {

// The row layout's numbers for the smallest and largest screen font.
TEST(DrawCtxt, MetricsFollowTheFontHeight) {
  struct Case {
    int fontH, lineSpace, glyphOffset, numberHeight, tupletHeight;
  };
  for (const Case c : {Case{60, 6, 30, 12, 10}, Case{113, 10, 56, 22, 18}, Case{400, 34, 200, 80, 66}}) {
    RecordingCanvas canvas({kMusicFace, c.fontH, false});
    canvas.SetCharWidth('q', 37);
    TDrawCtxt ctx{.Canvas = &canvas};
    ctx.SetStaffMetrics(121);
    ctx.SetNumberHeights();
    SCOPED_TRACE(c.fontH);
    EXPECT_EQ(ctx.LineSpace, c.lineSpace);
    EXPECT_EQ(ctx.GlyphOffset, c.glyphOffset);
    EXPECT_EQ(ctx.NumberHeight, c.numberHeight);
    EXPECT_EQ(ctx.TupletHeight, c.tupletHeight);
    EXPECT_EQ(ctx.StaffMid, 60);
    EXPECT_EQ(ctx.BaseY, 60 + 3 * c.lineSpace);
    EXPECT_EQ(ctx.ClefY, 60 + 2 * c.lineSpace);
    EXPECT_EQ(ctx.HeadWidth, 37);
    EXPECT_EQ(ctx.StemOffset, 7);  // 37 x 19 / 100, truncated
  }
}

// Staff steps: the middle line is the row's middle, odd steps lie halfway between lines.
TEST(DrawCtxt, StaffPositions) {
  RecordedStaff s;
  EXPECT_EQ(s.ctx.StaffY(7), s.ctx.StaffMid);
  EXPECT_EQ(s.ctx.StaffY(3), s.ctx.StaffMid + 2 * s.ctx.LineSpace);
  EXPECT_EQ(s.ctx.StaffY(11), s.ctx.StaffMid - 2 * s.ctx.LineSpace);
  EXPECT_EQ(s.ctx.StaffY(1), s.ctx.BaseY);
  EXPECT_EQ(s.ctx.StaffY(8), s.ctx.StaffMid - 3);  // half of 6
  EXPECT_EQ(s.ctx.StaffY(-2), s.ctx.BaseY + 9);    // Trunc(-3 x 6 / 2.0) = -9
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
