// A drawing context on a recording canvas with a 60-pixel music font in a 100-pixel
// row: line space 6, glyph offset 30, middle line at 50.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <ostream>
#include <string>
#include <vector>

#include "score/DrawCtxt.h"
#include "score/RecordingCanvas.h"

namespace rq::test {

// Lines and fills as {x1, y1, x2, y2}.
using Segs = std::vector<std::vector<int>>;
inline Segs SegsOf(const std::vector<CanvasCall>& calls) {
  Segs segs;
  for (const CanvasCall& c : calls) segs.push_back({c.x1, c.y1, c.x2, c.y2});
  return segs;
}

// A text written at a place.
struct Txt {
  std::string text;
  int x, y;
  bool operator==(const Txt&) const = default;
  friend std::ostream& operator<<(std::ostream& o, const Txt& t) { return o << '"' << t.text << "\" at " << t.x << ',' << t.y; }
};

// Pixels of an RGB32 image darker than `below` in x1 <= x < x2, y1 <= y < y2.
inline int InkIn(const QImage& image, int x1, int y1, int x2, int y2, int below = 128) {
  int n = 0;
  for (int y = y1; y < y2; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = x1; x < x2; ++x) n += qGray(line[x]) < below ? 1 : 0;
  }
  return n;
}
inline bool Inked(const QImage& image, int x, int y) { return InkIn(image, x, y, x + 1, y + 1) > 0; }

struct RecordedStaff {
  RecordingCanvas canvas;
  TDrawCtxt ctx;
  RowRect rect{100, 1000, 900, 1100};

  explicit RecordedStaff(int lineThickness = 1) {
    for (const auto& [code, width] : {std::pair{'q', 20}, {'#', 12}, {'b', 10}, {'.', 6}, {'l', 2}, {'[', 2}, {']', 15},
                                          {'8', 17}, {'C', 23}, {'&', 25}}) {
      canvas.SetCharWidth(code, width);
    }
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
  std::vector<Txt> TextsAt() const {
    std::vector<Txt> out;
    for (const CanvasCall& c : Texts()) out.push_back({c.text, c.x1, c.y1});
    return out;
  }
};

}  // namespace rq::test
