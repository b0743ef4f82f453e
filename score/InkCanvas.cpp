// Ink boxes: glyphs from the music font's outlines at the cell height drawn, lines
// and fills as they are; white fills (the background) are no ink.
#include "score/InkCanvas.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "score/PainterCanvas.h"

namespace rq {

InkCanvas::InkCanvas(ScoreCanvas& measure) : measure_(measure), saved_(measure.Font()) {}

InkCanvas::~InkCanvas() { measure_.SetFont(saved_); }

void InkCanvas::Take(double left, double right, double top, double bottom) {
  const int t = static_cast<int>(std::floor(top));
  const int b = static_cast<int>(std::ceil(bottom));
  if (keepBoxes_) boxes_.push_back({static_cast<int>(std::floor(left)), static_cast<int>(std::ceil(right)), t});
  if (!seen_) {
    top_ = t;
    bottom_ = b;
    seen_ = true;
    return;
  }
  top_ = std::min(top_, t);
  bottom_ = std::max(bottom_, b);
}

const QRectF& InkCanvas::GlyphBox(int height, unsigned char code) {
  thread_local std::map<int, Boxes> sets;
  thread_local std::pair<int, Boxes*> last{-1, nullptr};
  if (last.first != height) last = {height, &sets[height]};
  Boxes& set = *last.second;
  if (!set.raw.isValid()) set.raw = QRawFont::fromFont(PainterCanvas::QtFont({kMusicFace, height, false}, nullptr));
  if (!set.known[code]) {
    set.known[code] = true;
    const QList<quint32> index = set.raw.glyphIndexesForString(QString(QChar(0xF000 + code)));
    if (!index.isEmpty() && index[0] != 0) {
      // The canvas puts the baseline the ascent below the cell's top.
      set.box[code] = set.raw.boundingRect(index[0]).translated(0, std::floor(set.raw.ascent()));
    }
  }
  return set.box[code];
}

int InkCanvas::TopWithin(int x1, int x2) const {
  int top = INT_MAX;
  for (const Box& box : boxes_) {
    if (box.left < x2 && box.right > x1) top = std::min(top, box.top);
  }
  return top;
}

void InkCanvas::TextOut(int x, int y, std::string_view text) {
  const CanvasFont& font = measure_.Font();
  // Across, only kept boxes need measuring.
  if (font.family != kMusicFace) {
    Take(x, keepBoxes_ ? x + measure_.TextWidth(text) : x, y, y + font.height);
    return;
  }
  // Each glyph of a string starts where the one before it ends.
  double left = x;
  for (const char c : text) {
    const QRectF& box = GlyphBox(font.height, static_cast<unsigned char>(c));
    if (!box.isEmpty()) Take(left + box.left(), left + box.right(), y + box.top(), y + box.bottom());
    if (keepBoxes_ && text.size() > 1) left += measure_.TextWidth(std::string_view(&c, 1));
  }
}

void InkCanvas::Line(int x1, int y1, int x2, int y2) {
  Take(std::min(x1, x2), std::max(x1, x2) + 1, std::min(y1, y2), std::max(y1, y2) + 1);
}

void InkCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (brush_ == kWhite || y2 <= y1) return;
  Take(x1, x2, y1, y2);
}

}  // namespace rq
