// QPainter canvas: cell-top text, GDI-style lines that stop short of their end point.
#include "score/PainterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace rq {

PainterCanvas::PainterCanvas(QPainter& painter, const CanvasFont& font) : painter_(painter) {
  SetFont(font);
}

QFont PainterCanvas::QtFont(const CanvasFont& font, QPaintDevice* device) {
  QFont f(QString::fromStdString(font.family));
  f.setBold(font.bold);
  const int height = std::max(font.height, 1);
  f.setPixelSize(height);
  if (font.family == kMusicFace) {
    // A glyph the music font lacks must not be borrowed from another face.
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
  }
  // Text faces have a cell taller than their em: shrink the em to fit the cell.
  const int cell = QFontMetrics(f, device).height();
  if (cell > height) f.setPixelSize(std::max(1, height * height / cell));
  return f;
}

void PainterCanvas::SetFont(const CanvasFont& font) {
  font_ = font;
  qfont_ = QtFont(font, painter_.device());
  metrics_.emplace(qfont_, painter_.device());
  // Truncated like the glyph offset (height div 2), so an odd height puts the music
  // font's baseline exactly on the staff position.
  ascent_ = static_cast<int>(QFontMetricsF(qfont_, painter_.device()).ascent());
}

QString PainterCanvas::Decode(std::string_view text) const {
  QString s;
  s.reserve(static_cast<qsizetype>(text.size()));
  const bool music = font_.family == kMusicFace;
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    s.append(QChar(music ? 0xF000 + code : code));
  }
  return s;
}

void PainterCanvas::TextOut(int x, int y, std::string_view text) {
  painter_.setFont(qfont_);
  painter_.setPen(QColor::fromRgba(text_));
  painter_.drawText(x, y + ascent_, Decode(text));
}

int PainterCanvas::TextWidth(std::string_view text) { return metrics_->horizontalAdvance(Decode(text)); }

// The cell is the font's height by construction (Qt rounds ascent and descent apart).
int PainterCanvas::TextHeight(std::string_view /*text*/) { return std::max(font_.height, 1); }

void PainterCanvas::Line(int x1, int y1, int x2, int y2) {
  const QColor color = QColor::fromRgba(pen_);
  if (x1 == x2 || y1 == y2) {
    // Straight lines as exact pixel runs: the start included, the end left out.
    if (x1 == x2 && y1 == y2) return;
    const int left = x1 == x2 ? x1 : (x1 < x2 ? x1 : x2 + 1);
    const int top = y1 == y2 ? y1 : (y1 < y2 ? y1 : y2 + 1);
    const int width = x1 == x2 ? 1 : std::abs(x2 - x1);
    const int height = y1 == y2 ? 1 : std::abs(y2 - y1);
    painter_.fillRect(left, top, width, height, color);
    return;
  }
  // A slanted line ends one step before its end point along its longer axis.
  const int dx = x2 - x1;
  const int dy = y2 - y1;
  int ex;
  int ey;
  if (std::abs(dx) >= std::abs(dy)) {
    ex = x2 - (dx > 0 ? 1 : -1);
    ey = y1 + static_cast<int>(std::nearbyint(static_cast<double>(ex - x1) * dy / dx));
  } else {
    ey = y2 - (dy > 0 ? 1 : -1);
    ex = x1 + static_cast<int>(std::nearbyint(static_cast<double>(ey - y1) * dx / dy));
  }
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(QPen(color, 0));
  painter_.drawLine(x1, y1, ex, ey);
  painter_.restore();
}

void PainterCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (x2 <= x1 || y2 <= y1) return;
  painter_.fillRect(x1, y1, x2 - x1, y2 - y1, QColor::fromRgba(brush_));
}

}  // namespace rq
