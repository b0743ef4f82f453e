#include "screens/BrowserImages.h"

#include <QPainter>
#include <QPixmap>
#include <functional>

#include "controls/ImageList.h"
#include "screens/TuneRow.h"

namespace rq {
namespace {

constexpr int kSize = 13;

QPixmap Drawn(const std::function<void(QPainter&)>& draw) {
  QPixmap image(kSize, kSize);
  image.fill(Qt::transparent);
  QPainter p(&image);
  draw(p);
  return image;
}

void CheckBox(QPainter& p, bool ticked) {
  p.fillRect(1, 1, 11, 11, Qt::white);
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.drawRect(1, 1, 10, 10);
  if (!ticked) return;
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
  p.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
}

}  // namespace

TImageList* MakeBrowserImages(QObject* parent) {
  auto* images = new TImageList(kSize, kSize, parent);
  for (int i = 0; i <= imgResult; ++i) {
    switch (i) {
      case imgUnmarked: images->Add(Drawn([](QPainter& p) { CheckBox(p, false); })); break;
      case imgMarked: images->Add(Drawn([](QPainter& p) { CheckBox(p, true); })); break;
      case imgNew:
        images->Add(Drawn([](QPainter& p) {
          p.setRenderHint(QPainter::Antialiasing);
          p.setBrush(QColor(0xE0, 0x30, 0x30));
          p.setPen(Qt::NoPen);
          p.drawEllipse(QRectF(3.5, 3.5, 6, 6));
        }));
        break;
      case imgList:
        images->Add(Drawn([](QPainter& p) {
          for (int y : {3, 6, 9}) p.fillRect(2, y, 9, 2, QColor(0x30, 0x30, 0x80));
        }));
        break;
      case imgResult:
        images->Add(Drawn([](QPainter& p) {
          p.setRenderHint(QPainter::Antialiasing);
          p.setPen(QPen(QColor(0x30, 0x30, 0x80), 1.5));
          p.drawEllipse(QRectF(1.5, 1.5, 7, 7));
          p.drawLine(QPointF(7.5, 7.5), QPointF(11.5, 11.5));
        }));
        break;
      default: images->Add(Drawn([](QPainter&) {})); break;
    }
  }
  return images;
}

}  // namespace rq
