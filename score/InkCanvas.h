// A canvas that draws nothing and keeps the box around the ink drawn on it: what a
// row needs above and below its staff so that no neighbour's ink meets its own.
#pragma once

#include <QRawFont>
#include <QRectF>
#include <array>
#include <map>
#include <vector>

#include "score/ScoreCanvas.h"

namespace rq {

class InkCanvas : public ScoreCanvas {
 public:
  // Fonts and widths come from the measuring canvas, so a row lays out as it draws
  // there; its font is put back when the ink canvas goes.
  explicit InkCanvas(ScoreCanvas& measure);
  ~InkCanvas() override;
  InkCanvas(const InkCanvas&) = delete;
  InkCanvas& operator=(const InkCanvas&) = delete;

  void SetFont(const CanvasFont& font) override { measure_.SetFont(font); }
  const CanvasFont& Font() const override { return measure_.Font(); }
  // Music glyphs count with their outline's box, other text with its cell.
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override { return measure_.TextWidth(text); }
  int TextHeight(std::string_view text) override { return measure_.TextHeight(text); }
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  void SetPenColor(QRgb /*color*/) override {}
  void SetBrushColor(QRgb color) override { brush_ = color; }
  void SetTextColor(QRgb /*color*/) override {}

  bool Empty() const { return !seen_; }
  int Top() const { return top_; }
  int Bottom() const { return bottom_; }  // the lowest inked row plus one

  // Keeps the box of every piece of ink from now on, for TopWithin.
  void KeepBoxes() { keepBoxes_ = true; }
  // The highest ink kept that reaches into the columns x1 <= x < x2; INT_MAX for none.
  int TopWithin(int x1, int x2) const;

 private:
  struct Box {
    int left, right, top;
  };
  // A music font height's glyph boxes, relative to the cell's top-left.
  struct Boxes {
    QRawFont raw;
    std::array<QRectF, 256> box;
    std::array<bool, 256> known{};
  };
  // The boxes are kept per thread for every ink canvas: rows are measured one by one.
  static const QRectF& GlyphBox(int height, unsigned char code);
  void Take(double left, double right, double top, double bottom);

  ScoreCanvas& measure_;
  CanvasFont saved_;
  QRgb brush_ = kWhite;
  bool seen_ = false;
  int top_ = 0;
  int bottom_ = 0;
  bool keepBoxes_ = false;
  std::vector<Box> boxes_;
};

}  // namespace rq
