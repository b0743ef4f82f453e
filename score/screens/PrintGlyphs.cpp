// 24-pixel glyphs: a magnifier, arrows, a printer, a page, a cross and a ticked box,
// in the program's ink and colours.
#include "score/screens/PrintGlyphs.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace rq {
namespace {

constexpr int kSize = 24;
const QColor kInk(0x3C, 0x3C, 0x3C);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kGrey(0x9A, 0xA3, 0xAB);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kGreen(0x2E, 0x8B, 0x3A);
const QColor kBlue(0x2E, 0x6D, 0xA4);

QPen Ink(qreal width, const QColor& colour = kInk) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Sheet(QPainter& p, const QRectF& r) {
  p.setPen(Ink(1.2));
  p.setBrush(kPaper);
  p.drawRect(r);
  p.setPen(Ink(1.0, kGrey));
  for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3) p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void Magnifier(QPainter& p, const QPointF& centre, qreal radius) {
  p.setPen(Ink(2.2));
  p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7), centre + QPointF(radius * 1.7, radius * 1.7));
  p.setPen(Ink(1.5));
  p.setBrush(kPaper);
  p.drawEllipse(centre, radius, radius);
}

void Cross(QPainter& p, const QPointF& c, qreal half, const QColor& colour) {
  p.setPen(Ink(2.4, colour));
  p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
  p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void Arrow(QPainter& p, bool right) {
  const qreal tip = right ? 18 : 6;
  const qreal base = right ? 8 : 16;
  p.setPen(Ink(1.3));
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF({QPointF(base, 5), QPointF(tip, 12), QPointF(base, 19)}));
}

void Draw(QPainter& p, PrintGlyph glyph) {
  switch (glyph) {
    case PrintGlyph::ZoomMinus:
    case PrintGlyph::ZoomPlus:
      Magnifier(p, QPointF(10, 10), 7);
      p.setPen(Ink(1.8));
      p.drawLine(QPointF(7, 10), QPointF(13, 10));
      if (glyph == PrintGlyph::ZoomPlus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
      break;
    case PrintGlyph::PagePrev: Arrow(p, false); break;
    case PrintGlyph::PageNext: Arrow(p, true); break;
    case PrintGlyph::PrintList:
      p.setPen(Ink(1.2));
      p.setBrush(kPaper);
      p.drawRect(QRectF(6.5, 2.5, 11, 8));
      p.setBrush(kGrey);
      p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2);
      Sheet(p, QRectF(6.5, 13.5, 11, 8));
      p.setPen(Qt::NoPen);
      p.setBrush(kGreen);
      p.drawEllipse(QPointF(18.5, 11.5), 1.2, 1.2);
      break;
    case PrintGlyph::ClearList:
      Sheet(p, QRectF(4.5, 2.5, 13, 18));
      Cross(p, QPointF(16, 16), 4, kRed);
      break;
    case PrintGlyph::DeleteTune: Cross(p, QPointF(12, 12), 6, kRed); break;
    case PrintGlyph::Preview:
      Sheet(p, QRectF(3.5, 2.5, 13, 18));
      Magnifier(p, QPointF(14, 13), 5);
      break;
    case PrintGlyph::TickedOnly:
      p.setPen(Ink(1.2));
      p.setBrush(kPaper);
      p.drawRect(QRectF(4.5, 4.5, 15, 15));
      p.setPen(Ink(2.4, kGreen));
      p.drawPolyline(QPolygonF({QPointF(7.5, 12), QPointF(11, 16), QPointF(17, 7.5)}));
      break;
  }
}

}  // namespace

QIcon PrintGlyphIcon(PrintGlyph glyph) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, glyph);
  painter.end();
  return QIcon(pixmap);
}

void GiveGlyph(QAction* action, PrintGlyph glyph) {
  if (action && action->icon().isNull()) action->setIcon(PrintGlyphIcon(glyph));
}

}  // namespace rq
