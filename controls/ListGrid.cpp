// The list grid: layout, painting, and the moves of the current item.
#include "controls/ListGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace rq {

namespace {
constexpr int kWheelNotch = 120;
}

TListGrid::TListGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  // Always there, so that the rows per column do not change with the bar's presence.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  horizontalScrollBar()->setRange(0, 0);
}

void TListGrid::SetGridMax(int count) {
  if (count < 0) return;
  gridMax_ = count;
  Layout();
}

int TListGrid::SetGridIdx(int index) {
  if (index < 0 || index > gridMax_ || index == gridIdx_) return -1;
  gridIdx_ = index;
  PlaceCurrentCell();
  viewport()->update();
  emit SelectIdx(index);
  return 0;
}

void TListGrid::SetLeftCol(int col) { horizontalScrollBar()->setValue(col); }

void TListGrid::SetDefaultColWidth(int width) {
  colWidth_ = std::max(1, width);
  UpdateScrollBar();
  viewport()->update();
}

void TListGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::max(1, height);
  Layout();
}

void TListGrid::SetHorzLines(bool on, int width) {
  horzLines_ = on;
  lineWidth_ = std::max(0, width);
  Layout();
}

QRect TListGrid::CellRect(int col, int row) const {
  if (col < leftCol_ || col >= colCount_ || row < 0 || row >= rowCount_) return {};
  const int x = (col - leftCol_) * colWidth_;
  if (x >= viewport()->width()) return {};
  return {x, row * RowPitch(), colWidth_, rowHeight_};
}

bool TListGrid::MouseToCell(QPoint point, int& col, int& row) const {
  col = row = -1;
  if (point.x() < 0 || point.y() < 0 || point.x() >= viewport()->width()) return false;
  const int c = leftCol_ + point.x() / colWidth_;
  const int r = point.y() / RowPitch();
  if (c >= colCount_ || r >= rowCount_) return false;
  col = c;
  row = r;
  return true;
}

int TListGrid::WholeVisibleCols() const { return std::max(1, viewport()->width() / colWidth_); }

// Rows follow the client height; the number of columns follows from the item count.
void TListGrid::Layout() {
  const QSize client = viewport()->size();
  const int line = horzLines_ ? lineWidth_ : 0;
  // The width, not the height, is compared with the row pitch: a grid lower than one
  // row still gets one row.
  if (client.height() <= 0 || client.width() <= rowHeight_ + line) return;
  rowsPerCol_ = std::max(1, client.height() / RowPitch());
  colsUsed_ = (gridMax_ - 1) / rowsPerCol_ + 1;
  rowCount_ = rowsPerCol_;
  colCount_ = std::max(1, colsUsed_);
  gridIdx_ = std::min(gridIdx_, gridMax_);
  PlaceCurrentCell();
  UpdateScrollBar();
  viewport()->update();
}

// The cell of the current item, never clamped into the columns: the place after
// the last item may lie in a column of its own, and then no item lights.
void TListGrid::PlaceCurrentCell() {
  col_ = gridIdx_ / PerCol();
  row_ = gridIdx_ % PerCol();
}

void TListGrid::UpdateScrollBar() {
  QScrollBar* bar = horizontalScrollBar();
  const int visible = WholeVisibleCols();
  bar->setRange(0, std::max(0, colCount_ - visible));
  bar->setPageStep(visible);
  bar->setSingleStep(1);
}

void TListGrid::scrollContentsBy(int, int) {
  leftCol_ = horizontalScrollBar()->value();
  viewport()->update();
  emit TopLeftChanged();
}

void TListGrid::ScrollIntoView(int col) {
  const int visible = WholeVisibleCols();
  if (col < leftCol_) {
    SetLeftCol(col);
  } else if (col > leftCol_ + visible - 1) {
    SetLeftCol(col - visible + 1);
  }
}

void TListGrid::UserMoveTo(int col, int row) {
  if (gridMax_ <= 0) return;  // nothing to select
  int item = ColRowToIdx(col, row);
  if (item >= gridMax_) {
    item = gridMax_ - 1;
    col = item / PerCol();
    row = item % PerCol();
  }
  const bool changed = item != gridIdx_ || col != col_ || row != row_;
  gridIdx_ = item;
  col_ = col;
  row_ = row;
  ScrollIntoView(col);
  if (!changed) return;
  viewport()->update();
  emit SelectIdx(item);
}

void TListGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Layout();
  emit Resized();
}

// The lines go first and the cells top to bottom after them, unclipped, so an owner
// may draw over the line or the pixel row just above a cell.
void TListGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QColor background = palette().color(QPalette::Base);
  painter.fillRect(viewport()->rect(), background);
  if (horzLines_ && lineWidth_ > 0) {
    for (int row = 0; row < rowCount_; ++row) {
      painter.fillRect(0, row * RowPitch() + rowHeight_, viewport()->width(), lineWidth_, palette().color(QPalette::Mid));
    }
  }
  for (int col = leftCol_; col < colCount_; ++col) {
    if ((col - leftCol_) * colWidth_ >= viewport()->width()) break;
    for (int row = 0; row < rowCount_; ++row) PaintCell(painter, col, row, CellRect(col, row));
  }
}

// Cells after the last item keep the background; the owner draws the others.
void TListGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect) {
  const int item = col * rowCount_ + row;
  if (!drawCell_ || item >= gridMax_) return;
  unsigned state = 0;
  if (col == col_ && row == row_) state = gdSelected | (hasFocus() ? gdFocused : 0u);
  painter.save();
  drawCell_(painter, item, rect, state);
  painter.restore();
}

void TListGrid::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  int col = 0;
  int row = 0;
  if (!MouseToCell(event->position().toPoint(), col, row)) return;
  emit CellMouseDown(event->button(), event->modifiers(), event->position().toPoint());
  // Any button selects, and a press on an empty cell after the last item selects nothing.
  if (ColRowToIdx(col, row) >= gridMax_) return;
  UserMoveTo(col, row);
}

void TListGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  int col = 0;
  int row = 0;
  if (MouseToCell(event->position().toPoint(), col, row)) emit DblClick();
}

void TListGrid::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int lastCol = colCount_ - 1;
  const int lastRow = rowCount_ - 1;
  int col = col_;
  int row = row_;
  switch (event->key()) {
    case Qt::Key_Up:
      // Up at the top of a column goes on at the bottom of the previous one.
      if (row > 0) {
        --row;
      } else if (col > 0) {
        --col;
        row = lastRow;
      }
      break;
    case Qt::Key_Down:
      if (row < lastRow) {
        ++row;
      } else if (col < lastCol) {
        ++col;
        row = 0;
      }
      break;
    case Qt::Key_Left:
      col = std::max(0, col - (ctrl ? WholeVisibleCols() : 1));
      break;
    case Qt::Key_Right:
      col = std::min(lastCol, col + (ctrl ? WholeVisibleCols() : 1));
      break;
    case Qt::Key_PageUp:
      row = 0;  // every row of a column is in view
      break;
    case Qt::Key_PageDown:
      row = lastRow;
      break;
    case Qt::Key_Home:
      col = 0;
      if (ctrl) row = 0;
      break;
    case Qt::Key_End:
      col = lastCol;
      if (ctrl) row = lastRow;
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  event->accept();
  if (col != col_ || row != row_) UserMoveTo(col, row);
}

// The current item is drawn differently while the grid has the focus.
void TListGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void TListGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

// The wheel steps through the list like the Up and Down keys.
void TListGrid::wheelEvent(QWheelEvent* event) {
  wheelPending_ += event->angleDelta().y();
  event->accept();
  while (wheelPending_ >= kWheelNotch || wheelPending_ <= -kWheelNotch) {
    const bool up = wheelPending_ > 0;
    wheelPending_ += up ? -kWheelNotch : kWheelNotch;
    QKeyEvent key(QEvent::KeyPress, up ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    keyPressEvent(&key);
  }
}

}  // namespace rq
