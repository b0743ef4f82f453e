#include "screens/MirrorList.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "controls/ListGrid.h"

namespace rq {

TMirrorList::TMirrorList(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  UpdateScrollBar();
}

void TMirrorList::SetRowCount(int count) {
  rowCount_ = std::max(1, count);
  row_ = std::min(row_, rowCount_ - 1);
  UpdateScrollBar();
  viewport()->update();
}

void TMirrorList::SetRow(int row) {
  row_ = std::clamp(row, 0, rowCount_ - 1);
  viewport()->update();
}

void TMirrorList::SetTopRow(int row) { verticalScrollBar()->setValue(row); }

void TMirrorList::ScrollToRow(int row) {
  if (row < topRow_) {
    SetTopRow(row);
  } else if (row >= topRow_ + VisibleRows()) {
    SetTopRow(row - VisibleRows() + 1);
  }
}

int TMirrorList::VisibleRows() const { return std::max(1, viewport()->height() / kPitch); }

QRect TMirrorList::RowRect(int row) const { return {0, (row - topRow_) * kPitch, viewport()->width(), kRowHeight}; }

void TMirrorList::UpdateScrollBar() {
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, std::max(0, rowCount_ - VisibleRows()));
  bar->setPageStep(VisibleRows());
}

void TMirrorList::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBar();
}

void TMirrorList::scrollContentsBy(int, int) {
  topRow_ = verticalScrollBar()->value();
  viewport()->update();
}

// The lines go first and the rows are not clipped, so a row may draw over the line above it.
void TMirrorList::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  const int last = std::min(rowCount_, topRow_ + viewport()->height() / kPitch + 1);
  for (int row = topRow_; row < last; ++row) {
    painter.fillRect(0, RowRect(row).bottom() + 1, viewport()->width(), kLineWidth, palette().color(QPalette::Mid));
  }
  if (!drawRow_) return;
  for (int row = topRow_; row < last; ++row) {
    const unsigned state = row == row_ ? gdSelected | (hasFocus() ? gdFocused : 0u) : 0u;
    painter.save();
    drawRow_(painter, row, RowRect(row), state);
    painter.restore();
  }
}

void TMirrorList::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  const int row = topRow_ + event->position().toPoint().y() / kPitch;
  if (row >= rowCount_) return;
  SetRow(row);
  emit RowClicked(row);
}

}  // namespace rq
