#include "screens/MeasureGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "platform/WinColor.h"

namespace rq {
namespace {

constexpr int32_t kNumberBackground = 4342563;  // $424323, a dark teal

}  // namespace

TMeasureGrid::TMeasureGrid(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kNumberRowHeight + kMeasureRowHeight);
  // The playing measure and its neighbours, at the window's least width.
  setMinimumWidth(3 * kColWidth);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QFont small = font();
  small.setPixelSize(kNumberRowHeight);
  setFont(small);
}

void TMeasureGrid::SetColumns(int count) {
  columns_ = std::max(count, 1);
  if (leftCol_ >= columns_) SetLeftCol(columns_ - 1);
  update();
}

void TMeasureGrid::SetHasPickup(bool pickup) {
  hasPickup_ = pickup;
  update();
}

void TMeasureGrid::SetCurrentColumn(int column) {
  current_ = column;
  update();
}

void TMeasureGrid::SetLoop(int first, int last) {
  loopFirst_ = first;
  loopLast_ = last;
  update();
}

void TMeasureGrid::SetLeftCol(int column) {
  column = std::clamp(column, 0, columns_ - 1);
  if (column == leftCol_) return;
  leftCol_ = column;
  update();
  emit TopLeftChanged();
}

int TMeasureGrid::VisibleColumns() const { return std::max(1, width() / kColWidth); }

// A page at a time: the column that runs off the right edge starts the next page,
// and the last page ends at the last column.
void TMeasureGrid::ScrollToColumn(int column) {
  const int visible = VisibleColumns();
  if (column < leftCol_) {
    SetLeftCol(column);
  } else if (column >= leftCol_ + visible) {
    SetLeftCol(std::min(column, std::max(0, columns_ - visible)));
  }
}

int TMeasureGrid::ColumnAt(QPoint point) const {
  if (point.x() < 0 || point.y() < 0 || point.x() >= width() || point.y() >= height()) return -1;
  const int column = leftCol_ + point.x() / kColWidth;
  return column < columns_ ? column : -1;
}

QRect TMeasureGrid::CellRect(int column, int row) const {
  if (column < leftCol_ || column >= columns_) return {};
  const int x = (column - leftCol_) * kColWidth;
  if (x >= width()) return {};
  return row == 0 ? QRect(x, 0, kColWidth, kNumberRowHeight)
                  : QRect(x, kNumberRowHeight, kColWidth, kMeasureRowHeight);
}

void TMeasureGrid::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), WinColorToQColor(kNumberBackground));
  for (int column = leftCol_; column < columns_ && !CellRect(column, 0).isEmpty(); ++column) {
    PaintNumber(p, column);
    PaintMeasure(p, column);
  }
}

// Numbers stand on the first measure and on every fourth: 1, 4, 8, ... counted from
// the first full measure, which is column 1 when the tune has a pickup.
void TMeasureGrid::PaintNumber(QPainter& p, int column) {
  const QRect cell = CellRect(column, 0);
  p.fillRect(cell, WinColorToQColor(kNumberBackground));
  const int number = hasPickup_ ? column : column + 1;
  const bool shown = hasPickup_ ? (column == 1 || (column > 0 && column % 4 == 0)) : (column == 0 || number % 4 == 0);
  if (!shown) return;
  p.setPen(Qt::white);
  p.drawText(QRect(cell.left() - 1, cell.top() - 2, 3 * kColWidth, cell.height() + 2), Qt::AlignLeft | Qt::AlignTop,
             QString::number(number));
}

void TMeasureGrid::PaintMeasure(QPainter& p, int column) {
  const QRect cell = CellRect(column, 1);
  const QRect inner = cell.adjusted(1, 1, -1, -1);
  if (column == 0 && hasPickup_) {
    p.fillRect(cell, WinColorToQColor(kNumberBackground));
    const QPolygon triangle({QPoint(inner.left() + 2, inner.bottom()), QPoint(inner.right(), inner.bottom()),
                             QPoint(inner.right(), inner.top())});
    p.setPen(Qt::gray);
    p.setBrush(Qt::gray);
    p.drawPolygon(triangle);
  } else {
    const bool looped = loopFirst_ <= column && column <= loopLast_;
    p.fillRect(inner, WinColorToQColor(looped ? kClSilver : kClGray));
  }
  if (column == current_) {
    p.setPen(Qt::yellow);
    p.setBrush(Qt::red);
    p.drawRect(inner.adjusted(0, 0, -1, -1));
  }
}

void TMeasureGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resized();
}

void TMeasureGrid::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(event->button(), ColumnAt(event->position().toPoint()));
}

void TMeasureGrid::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) emit MouseMove(ColumnAt(event->position().toPoint()));
}

void TMeasureGrid::mouseReleaseEvent(QMouseEvent* event) {
  emit MouseUp(event->button(), ColumnAt(event->position().toPoint()));
}

void TMeasureGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit DoubleClick(ColumnAt(event->position().toPoint()));
}

}  // namespace rq
