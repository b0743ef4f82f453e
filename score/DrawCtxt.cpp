// Staff metrics from the font height: a line space is a twelfth of the music font's cell.
#include "score/DrawCtxt.h"

#include "score/ScoreCanvas.h"

namespace rq {

void TDrawCtxt::SetStaffMetrics(int rowHeight) {
  const int fontH = Canvas->Font().height;
  StaffMid = rowHeight / 2;
  LineSpace = static_cast<int>(fontH / 12.0) + 1;
  GlyphOffset = fontH / 2;
  BaseY = StaffMid + 3 * LineSpace;
  ClefY = StaffMid + 2 * LineSpace;
  HeadWidth = Canvas->TextWidth("q");
  HeadHeight = Canvas->TextHeight("q");
  StemOffset = static_cast<int>((HeadWidth * 19) / 100.0);
}

TDrawCtxt ScreenContext(ScoreCanvas& canvas, int beamThickness) {
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  ctx.BeamThickness = beamThickness;
  ctx.LineThickness = 1;
  ctx.SetNumberHeights();
  return ctx;
}

void TDrawCtxt::SetNumberHeights() {
  const int fontH = Canvas->Font().height;
  NumberHeight = static_cast<int>(fontH / 5.0);
  TupletHeight = static_cast<int>(fontH / 6.0);
}

int TDrawCtxt::StaffY(int pitch) const {
  // In double: a pitch far off the staff must not overflow on the way.
  const double halfSteps = (static_cast<double>(pitch) - 1.0) * LineSpace / 2.0;
  return BaseY - static_cast<int>(halfSteps);
}

}  // namespace rq
