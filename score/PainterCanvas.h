// The score canvas on a QPainter: screen, page preview and printer.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <optional>

#include "score/ScoreCanvas.h"

namespace rq {

class PainterCanvas : public ScoreCanvas {
 public:
  // The painter must outlive the canvas; the music font is expected registered.
  PainterCanvas(QPainter& painter, const CanvasFont& font);

  void SetFont(const CanvasFont& font) override;
  const CanvasFont& Font() const override { return font_; }
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  void SetPenColor(QRgb color) override { pen_ = color; }
  void SetBrushColor(QRgb color) override { brush_ = color; }
  void SetTextColor(QRgb color) override { text_ = color; }

  // The Qt font that stands for a canvas font: its cell is the requested height.
  static QFont QtFont(const CanvasFont& font, QPaintDevice* device);

 private:
  QString Decode(std::string_view text) const;

  QPainter& painter_;
  CanvasFont font_;
  QFont qfont_;
  std::optional<QFontMetrics> metrics_;
  int ascent_ = 0;
  QRgb pen_ = kBlack;
  QRgb brush_ = kWhite;
  QRgb text_ = kBlack;
};

}  // namespace rq
