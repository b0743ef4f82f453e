// The score canvas on a QPainter: screen, page preview and printer.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "score/ScoreCanvas.h"

namespace rq {

class PainterCanvas : public ScoreCanvas {
 public:
  // The painter must outlive the canvas; the music font is expected registered.
  PainterCanvas(QPainter& painter, const CanvasFont& font);
  // Draws what is still held back: on a vector device, flush or destroy the canvas
  // before the painter ends or moves to another page.
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  void SetFont(const CanvasFont& font) override;
  const CanvasFont& Font() const override { return font_; }
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  // The canvas sets the painter's pen as it draws; it does not put the caller's back.
  void SetPenColor(QRgb color) override;
  void SetBrushColor(QRgb color) override;
  void SetTextColor(QRgb color) override;
  void Flush() override;

  // The Qt font that stands for a canvas font: its cell is the requested height.
  static QFont QtFont(const CanvasFont& font, QPaintDevice* device);

 private:
  // Glyph images of the music font at one pixel size and colour, made on first use.
  struct GlyphImages;
  // The set for a size and colour, shared by every canvas of the thread so that it
  // outlives the canvas of one paint; the most recently used few are kept.
  static std::shared_ptr<GlyphImages> SharedGlyphImages(int pixelSize, QRgb rgb);

  // What a font needs for drawing and measuring, made once per font on this canvas:
  // a row switches to the number face and back for every tuplet and ending, and
  // measures the same glyphs again on every paint.
  struct FontState {
    FontState(const CanvasFont& f, const QFont& q, QPaintDevice* device)
        : font(f), qfont(q), metrics(q, device) {
      widths.fill(-1);
    }
    CanvasFont font;
    QFont qfont;
    QFontMetrics metrics;
    int ascent = 0;
    std::array<int, 256> widths;  // of single bytes; -1 until measured
    std::unordered_map<std::string, int> longWidths;
    // Each code's glyph ready to draw without text layout; empty where the font has
    // no glyph. Text faces: on vector devices only, with each glyph's advance.
    QRawFont raw;
    std::array<QGlyphRun, 256> glyphs;
    std::array<qreal, 256> advances{};
    bool glyphsReady = false;  // raw, glyphs and advances looked up
    // Music face only, on raster devices: the glyphs as images in the text colour.
    std::shared_ptr<GlyphImages> images;
  };

  // Lines side by side, each the first moved on by one pixel (a stem, a beam, a thick
  // bar): on a vector device they become one shape instead of one line each.
  struct LineRun {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the first line
    int count = 0;                       // 0: no run held
    int dx = 0, dy = 0;                  // from one line to the next
    QRgb rgb = 0;
  };

  QString Decode(std::string_view text) const;
  void DrawLine(int x1, int y1, int x2, int y2);
  // Vector devices (printers, PDF files) write every drawing call out as it comes:
  // lines, fills and glyphs of one colour are held back and go out as rectangles,
  // one filled shape and one glyph run (Flush), much less for the device to write.
  // True when the line continues the run held, which then takes it.
  bool Extends(int x1, int y1, int x2, int y2);
  // The run held becomes part of the ink.
  void RunToInk();
  // Held ink of another colour goes out first.
  void Hold(QRgb rgb);
  void HoldGlyph(unsigned char code, QPointF baseline);
  // Text of a text face as held glyphs (no shaping: endings' and tuplets' numbers);
  // false when the face has no glyph for one of its bytes.
  bool HoldText(std::string_view text, QPointF baseline);
  void FlushGlyphs();
  const FontState& StateFor(const CanvasFont& font);
  void PrepareGlyphs(FontState& state) const;
  // Draws a glyph of the music font from its image at the baseline's start.
  void DrawGlyphImage(unsigned char code, QPoint baseline);

  QPainter& painter_;
  // Glyphs go to the device as cached images: a raster device at one pixel per pixel
  // (drawn without scaling). Qt's raster engine caches glyphs only up to 64 pixels and
  // turns larger ones into outlines on every draw; printers get the glyphs themselves.
  bool rasterDevice_ = false;
  LineRun run_;
  QList<QRectF> inkRects_;
  QPainterPath inkBands_;
  // Glyphs held back, one run per font: rows switch between the music font and the
  // number face for every ending and tuplet.
  struct HeldRun {
    const FontState* state = nullptr;
    QList<quint32> indexes;
    QList<QPointF> positions;
  };
  std::vector<HeldRun> heldRuns_;
  bool glyphsHeld_ = false;
  QRgb heldRgb_ = kBlack;
  CanvasFont font_;
  std::vector<std::unique_ptr<FontState>> fonts_;
  FontState* current_ = nullptr;
  // Symbols set their colours before every drawing, mostly to what they were already.
  QRgb penRgb_ = kBlack;
  QRgb brushRgb_ = kWhite;
  QRgb textRgb_ = kBlack;
  QBrush penBrush_ = QBrush(QColor::fromRgba(kBlack));  // straight lines are filled runs
  QPen linePen_ = QPen(QColor::fromRgba(kBlack), 0);
  QBrush brush_ = QBrush(QColor::fromRgba(kWhite));
  QPen text_ = QPen(QColor::fromRgba(kBlack), 0);
};

}  // namespace rq
