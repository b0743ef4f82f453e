// A drawing context on a recording canvas with a 60-pixel music font in a 100-pixel
// row: line space 6, glyph offset 30, middle line at 50.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "score/DrawCtxt.h"
#include "score/RecordingCanvas.h"

namespace rq::test {

struct RecordedStaff {
  RecordingCanvas canvas;
  TDrawCtxt ctx;
  RowRect rect{100, 1000, 900, 1100};

  explicit RecordedStaff(int lineThickness = 1) {
    canvas.SetCharWidth('q', 20);
    canvas.SetCharWidth('#', 12);
    canvas.SetCharWidth('b', 10);
    canvas.SetCharWidth('.', 6);
    canvas.SetCharWidth('l', 2);
    canvas.SetCharWidth('[', 2);
    canvas.SetCharWidth(']', 15);
    ctx.Canvas = &canvas;
    ctx.SetStaffMetrics(100);
    ctx.SetNumberHeights();
    ctx.LineThickness = lineThickness;
    canvas.Clear();
  }

  // Absolute y of a glyph cell drawn for a staff position relative to the row.
  int GlyphTop(int rowY) const { return rect.Top + rowY - ctx.GlyphOffset; }
  std::vector<CanvasCall> Texts() const { return canvas.Calls(CanvasOp::Text); }
  std::vector<CanvasCall> Lines() const { return canvas.Calls(CanvasOp::Line); }
  std::vector<CanvasCall> Fills() const { return canvas.Calls(CanvasOp::Fill); }
};

}  // namespace rq::test
