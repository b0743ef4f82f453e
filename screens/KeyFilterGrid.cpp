#include "screens/KeyFilterGrid.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/ImageList.h"
#include "notation/AbcDef.h"
#include "screens/TuneRow.h"

namespace rq {
namespace {
constexpr int kNameX = 16;
constexpr int kFontPixels = 9;
}  // namespace

TKeyFilterGrid::TKeyFilterGrid(QWidget* parent) : QWidget(parent) {
  QFont f = font();
  f.setPixelSize(kFontPixels);
  setFont(f);
  setAutoFillBackground(true);
  setFixedSize(sizeHint());
}

QSize TKeyFilterGrid::sizeHint() const { return {kCols * kColWidth, kRows * kRowHeight}; }

void TKeyFilterGrid::SetKeySet(const std::bitset<256>* keys) {
  keys_ = keys;
  update();
}

void TKeyFilterGrid::SetImages(const TImageList* images) {
  images_ = images;
  update();
}

int TKeyFilterGrid::ItemAt(QPoint pos) const {
  if (pos.x() < 0 || pos.y() < 0) return -1;
  const int col = pos.x() / kColWidth;
  const int row = pos.y() / kRowHeight;
  if (col >= kCols || row >= kRows) return -1;
  return col * kRows + row;
}

QRect TKeyFilterGrid::ItemRect(int item) const {
  return {item / kRows * kColWidth, item % kRows * kRowHeight, kColWidth, kRowHeight};
}

void TKeyFilterGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor background = palette().color(QPalette::Window);
  for (int item = 0; item < kCols * kRows; ++item) {
    const QRect cell = ItemRect(item);
    p.fillRect(cell, background);
    if (item >= kKeyItems) continue;
    const std::string_view name = KeyNames[static_cast<size_t>(item + 1)];
    p.setPen(Qt::black);
    p.drawText(cell.left() + kNameX, cell.top() + p.fontMetrics().ascent(),
               QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    const bool chosen = keys_ && keys_->test(static_cast<size_t>(item + 1));
    if (images_) p.drawPixmap(cell.left(), cell.top() - 1, images_->Image(chosen ? imgMarked : imgUnmarked));
  }
}

void TKeyFilterGrid::mousePressEvent(QMouseEvent* event) {
  const int item = ItemAt(event->position().toPoint());
  if (item >= 0) emit ItemPressed(item);
}

}  // namespace rq
