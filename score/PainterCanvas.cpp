// QPainter canvas: cell-top text, GDI-style lines that stop short of their end point;
// on raster devices music glyphs drawn from images kept per size and colour, on vector
// devices lines, fills and glyphs held back and sent as a few shapes and glyph runs.
#include "score/PainterCanvas.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <list>

namespace rq {

struct PainterCanvas::GlyphImages {
  GlyphImages(int size, QRgb colour) : pixelSize(size), rgb(colour) {}
  int pixelSize;
  QRgb rgb;
  std::array<QImage, 256> images;   // null until first drawn
  std::array<QPoint, 256> offsets;  // of each image's top-left from the baseline's start
};

std::shared_ptr<PainterCanvas::GlyphImages> PainterCanvas::SharedGlyphImages(int pixelSize, QRgb rgb) {
  constexpr size_t kKept = 8;
  thread_local std::list<std::shared_ptr<GlyphImages>> kept;
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    if ((*it)->pixelSize == pixelSize && (*it)->rgb == rgb) {
      kept.splice(kept.begin(), kept, it);
      return kept.front();
    }
  }
  kept.push_front(std::make_shared<GlyphImages>(pixelSize, rgb));
  if (kept.size() > kKept) kept.pop_back();
  return kept.front();
}

namespace {

// A glyph drawn once into an image just large enough for its ink and antialiased edges.
QImage RenderGlyph(const QGlyphRun& run, QRgb rgb, QPoint& offset) {
  const QRectF bounds = run.rawFont().boundingRect(run.glyphIndexes().front());
  const QRect box(QPoint(static_cast<int>(std::floor(bounds.left())) - 1, static_cast<int>(std::floor(bounds.top())) - 1),
                  QPoint(static_cast<int>(std::ceil(bounds.right())) + 1, static_cast<int>(std::ceil(bounds.bottom())) + 1));
  QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setPen(QColor::fromRgba(rgb));
  painter.drawGlyphRun(QPointF(-box.left(), -box.top()), run);
  offset = box.topLeft();
  return image;
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const CanvasFont& font) : painter_(painter) {
  inkBands_.setFillRule(Qt::WindingFill);
  const QPaintEngine* engine = painter.paintEngine();
  rasterDevice_ = engine != nullptr && engine->type() == QPaintEngine::Raster && painter.device() != nullptr &&
                  painter.device()->devicePixelRatio() == 1.0;
  SetFont(font);
}

PainterCanvas::~PainterCanvas() { Flush(); }

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

void PainterCanvas::PrepareGlyphs(FontState& state) const {
  state.glyphsReady = true;
  const bool music = state.font.family == kMusicFace;
  if (!music && rasterDevice_) return;
  const QRawFont raw = QRawFont::fromFont(state.qfont);
  state.raw = raw;
  if (!raw.isValid()) return;
  QString codes;
  for (int c = 0; c < 256; ++c) codes.append(QChar(music ? 0xF000 + c : c));
  const QList<quint32> indexes = raw.glyphIndexesForString(codes);
  const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
  for (int c = 0; c < 256 && c < indexes.size(); ++c) {
    if (indexes[c] == 0) continue;
    QGlyphRun& run = state.glyphs[static_cast<size_t>(c)];
    run.setRawFont(raw);
    run.setGlyphIndexes({indexes[c]});
    run.setPositions({QPointF(0, 0)});
    if (c < advances.size()) state.advances[static_cast<size_t>(c)] = advances[c].x();
  }
}

void PainterCanvas::SetFont(const CanvasFont& font) {
  font_ = font;
  for (auto& state : fonts_) {
    if (state->font == font) {
      current_ = state.get();
      return;
    }
  }
  const QFont qfont = QtFont(font, painter_.device());
  auto state = std::make_unique<FontState>(font, qfont, painter_.device());
  // Truncated like the glyph offset (height div 2), so an odd height puts the music
  // font's baseline exactly on the staff position.
  state->ascent = static_cast<int>(QFontMetricsF(qfont, painter_.device()).ascent());
  current_ = state.get();
  fonts_.push_back(std::move(state));
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

void PainterCanvas::DrawGlyphImage(unsigned char code, QPoint baseline) {
  FontState& state = *current_;
  if (!state.images || state.images->rgb != textRgb_) state.images = SharedGlyphImages(state.font.height, textRgb_);
  GlyphImages& set = *state.images;
  QImage& image = set.images[code];
  if (image.isNull()) image = RenderGlyph(state.glyphs[code], textRgb_, set.offsets[code]);
  painter_.drawImage(baseline + set.offsets[code], image);
}

void PainterCanvas::TextOut(int x, int y, std::string_view text) {
  // Glyphs are looked up on the first text of a font: sizes tried while a row is
  // fitted are only measured.
  if (!current_->glyphsReady) PrepareGlyphs(*current_);
  const QPointF baseline(x, y + current_->ascent);
  // On a vector device every glyph joins the held runs: music glyphs, meters and the
  // numbers of endings and tuplets (plain digits: no text layout is needed).
  if (!rasterDevice_ && HoldText(text, baseline)) return;
  // One glyph of the music font needs no text layout: on a raster device it is drawn
  // from an image made once.
  if (text.size() == 1 && font_.family == kMusicFace) {
    const auto code = static_cast<unsigned char>(text[0]);
    const QGlyphRun& run = current_->glyphs[code];
    if (!run.isEmpty()) {
      if (painter_.worldTransform().type() <= QTransform::TxTranslate) {
        painter_.setPen(text_);
        DrawGlyphImage(code, QPoint(x, y + current_->ascent));
      } else {
        painter_.setPen(text_);
        painter_.drawGlyphRun(baseline, run);
      }
      return;
    }
  }
  Flush();
  painter_.setPen(text_);
  painter_.setFont(current_->qfont);
  painter_.drawText(baseline, Decode(text));
}

int PainterCanvas::TextWidth(std::string_view text) {
  if (text.size() == 1) {
    int& width = current_->widths[static_cast<unsigned char>(text[0])];
    if (width < 0) width = current_->metrics.horizontalAdvance(Decode(text));
    return width;
  }
  const std::string key(text);
  const auto known = current_->longWidths.find(key);
  if (known != current_->longWidths.end()) return known->second;
  const int width = current_->metrics.horizontalAdvance(Decode(text));
  current_->longWidths.emplace(key, width);
  return width;
}

void PainterCanvas::SetPenColor(QRgb color) {
  if (color == penRgb_) return;
  penRgb_ = color;
  penBrush_ = QBrush(QColor::fromRgba(color));
  linePen_ = QPen(QColor::fromRgba(color), 0);
}

void PainterCanvas::SetBrushColor(QRgb color) {
  if (color == brushRgb_) return;
  brushRgb_ = color;
  brush_ = QBrush(QColor::fromRgba(color));
}

void PainterCanvas::SetTextColor(QRgb color) {
  if (color == textRgb_) return;
  textRgb_ = color;
  text_ = QPen(QColor::fromRgba(color), 0);
}

// The cell is the font's height by construction (Qt rounds ascent and descent apart).
int PainterCanvas::TextHeight(std::string_view /*text*/) { return std::max(font_.height, 1); }

void PainterCanvas::Line(int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;
  if (rasterDevice_) {
    DrawLine(x1, y1, x2, y2);
    return;
  }
  if (Extends(x1, y1, x2, y2)) return;
  RunToInk();
  run_ = {x1, y1, x2, y2, 1, 0, 0, penRgb_};
}

void PainterCanvas::DrawLine(int x1, int y1, int x2, int y2) {
  if (x1 == x2 || y1 == y2) {
    // Straight lines as exact pixel runs: the start included, the end left out.
    const int left = x1 == x2 ? x1 : (x1 < x2 ? x1 : x2 + 1);
    const int top = y1 == y2 ? y1 : (y1 < y2 ? y1 : y2 + 1);
    const int width = x1 == x2 ? 1 : std::abs(x2 - x1);
    const int height = y1 == y2 ? 1 : std::abs(y2 - y1);
    painter_.fillRect(left, top, width, height, penBrush_);
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
  // Pixel lines: no antialiasing, whatever the painter's own hint (it is put back).
  const bool smooth = painter_.testRenderHint(QPainter::Antialiasing);
  if (smooth) painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(linePen_);
  painter_.drawLine(x1, y1, ex, ey);
  if (smooth) painter_.setRenderHint(QPainter::Antialiasing, true);
}

void PainterCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (x2 <= x1 || y2 <= y1) return;
  if (rasterDevice_) {
    painter_.fillRect(x1, y1, x2 - x1, y2 - y1, brush_);
    return;
  }
  RunToInk();
  Hold(brushRgb_);
  inkRects_.append(QRectF(x1, y1, x2 - x1, y2 - y1));
}

// ---- vector devices: ink held back ------------------------------------------------

void PainterCanvas::Hold(QRgb rgb) {
  // Ink of one colour may go out in any order; another colour keeps the order.
  if ((!inkRects_.isEmpty() || !inkBands_.isEmpty() || glyphsHeld_) && heldRgb_ != rgb) Flush();
  heldRgb_ = rgb;
}

void PainterCanvas::HoldGlyph(unsigned char code, QPointF baseline) {
  Hold(textRgb_);
  HeldRun* run = nullptr;
  for (HeldRun& held : heldRuns_) {
    if (held.state == current_) run = &held;
  }
  if (run == nullptr) run = &heldRuns_.emplace_back(HeldRun{current_, {}, {}});
  run->indexes.append(current_->glyphs[code].glyphIndexes().front());
  run->positions.append(baseline);
  glyphsHeld_ = true;
}

bool PainterCanvas::HoldText(std::string_view text, QPointF baseline) {
  for (const char c : text) {
    if (current_->glyphs[static_cast<unsigned char>(c)].isEmpty()) return false;
  }
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    HoldGlyph(code, baseline);
    baseline.rx() += current_->advances[code];
  }
  return true;
}

bool PainterCanvas::Extends(int x1, int y1, int x2, int y2) {
  if (run_.count == 0 || run_.rgb != penRgb_) return false;
  const int dx = x1 - run_.x1;
  const int dy = y1 - run_.y1;
  if (x2 - run_.x2 != dx || y2 - run_.y2 != dy) return false;
  if (run_.count == 1) {
    // Straight lines grow across their length only; slanted ones either way.
    const bool vertical = run_.x1 == run_.x2;
    const bool horizontal = run_.y1 == run_.y2;
    const bool across = (std::abs(dx) == 1 && dy == 0 && !horizontal) || (dx == 0 && std::abs(dy) == 1 && !vertical);
    if (!across) return false;
    run_.dx = dx;
    run_.dy = dy;
  } else if (dx != run_.dx * run_.count || dy != run_.dy * run_.count) {
    return false;
  }
  ++run_.count;
  return true;
}

void PainterCanvas::RunToInk() {
  if (run_.count == 0) return;
  const LineRun run = run_;
  run_.count = 0;
  Hold(run.rgb);
  // Every line covers one pixel across its length: the run covers lo..hi across.
  int sx = run.dx;
  int sy = run.dy;
  if (run.count == 1) {
    const bool flat = std::abs(run.x2 - run.x1) >= std::abs(run.y2 - run.y1);
    sx = flat ? 0 : 1;
    sy = flat ? 1 : 0;
  }
  const int reach = (sx + sy) * (run.count - 1);
  const int lo = std::min(0, reach);
  const int hi = std::max(0, reach) + 1;
  if (run.x1 == run.x2) {
    // As one line draws it: the start included, the end left out.
    const int top = run.y2 > run.y1 ? run.y1 : run.y2 + 1;
    inkRects_.append(QRectF(run.x1 + lo, top, hi - lo, std::abs(run.y2 - run.y1)));
    return;
  }
  if (run.y1 == run.y2) {
    const int left = run.x2 > run.x1 ? run.x1 : run.x2 + 1;
    inkRects_.append(QRectF(left, run.y1 + lo, std::abs(run.x2 - run.x1), hi - lo));
    return;
  }
  // Slanted lines: the band they cover.
  const QPointF a(std::abs(sx) * lo, std::abs(sy) * lo);
  const QPointF b(std::abs(sx) * hi, std::abs(sy) * hi);
  const QPointF start(run.x1, run.y1);
  const QPointF end(run.x2, run.y2);
  inkBands_.addPolygon(QPolygonF({start + a, end + a, end + b, start + b}));
  inkBands_.closeSubpath();
}

void PainterCanvas::FlushGlyphs() {
  if (!glyphsHeld_) return;
  painter_.setPen(QPen(QColor::fromRgba(heldRgb_), 0));
  for (HeldRun& held : heldRuns_) {
    if (held.indexes.isEmpty()) continue;
    QGlyphRun run;
    run.setRawFont(held.state->raw);
    run.setGlyphIndexes(held.indexes);
    run.setPositions(held.positions);
    painter_.drawGlyphRun(QPointF(0, 0), run);
    held.indexes.clear();
    held.positions.clear();
  }
  glyphsHeld_ = false;
}

void PainterCanvas::Flush() {
  RunToInk();
  if (!inkRects_.isEmpty() || !inkBands_.isEmpty()) {
    painter_.save();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor::fromRgba(heldRgb_));
    // Rectangles as rectangles: the device writes them shortest.
    painter_.drawRects(inkRects_);
    if (!inkBands_.isEmpty()) painter_.drawPath(inkBands_);
    painter_.restore();
    inkRects_.clear();
    inkBands_.clear();
  }
  FlushGlyphs();
}

}  // namespace rq
