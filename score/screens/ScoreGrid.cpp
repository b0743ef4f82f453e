#include "score/screens/ScoreGrid.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "score/PainterCanvas.h"
#include "score/ScorePage.h"

namespace rq {

TScoreGrid::TScoreGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::NoFocus);
  viewport()->setAutoFillBackground(false);
  // Every pixel is painted: no erase first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  verticalScrollBar()->setSingleStep(1);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
  horizontalScrollBar()->setSingleStep(20);
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int offset) {
    viewport()->update();
    emit ScrolledAcross(offset);
  });
}

void TScoreGrid::SetPage(const TScorePage* page) {
  page_ = page;
  rowCount_ = page ? static_cast<int>(page->Rows.size()) : 0;
  rooms_.clear();
  UpdateScrollBars();
  viewport()->update();
}

void TScoreGrid::SetFontSize(int size) {
  fontSize_ = size;
  rooms_.clear();
  UpdateScrollBars();
  viewport()->update();
}

void TScoreGrid::SetBeamThickness(int thickness) {
  beamThickness_ = thickness;
  rooms_.clear();
  viewport()->update();
}

void TScoreGrid::SetRowHeight(int height) {
  rowHeight_ = std::max(height, 1);
  rooms_.clear();
  UpdateScrollBars();
  viewport()->update();
}

void TScoreGrid::SetColWidth(int width) {
  colWidth_ = std::max(width, 1);
  rooms_.clear();
  UpdateScrollBars();
  viewport()->update();
}

int TScoreGrid::TopRow() const { return verticalScrollBar()->value(); }

void TScoreGrid::SetTopRow(int row) { verticalScrollBar()->setValue(row); }

int TScoreGrid::VisibleRows() const { return std::max(1, viewport()->height() / rowHeight_); }

void TScoreGrid::UpdateScrollBars() {
  QScrollBar* bar = verticalScrollBar();
  bar->setPageStep(VisibleRows());
  bar->setRange(0, LastTopRow());
  QScrollBar* across = horizontalScrollBar();
  across->setPageStep(viewport()->width());
  across->setRange(0, std::max(0, colWidth_ - viewport()->width()));
}

int TScoreGrid::LeftOffset() const { return horizontalScrollBar()->value(); }

// The top row that shows the last rows in full: rows that grew to hold their ink take
// more than one cell, so counting cells alone would leave the last row out of reach.
int TScoreGrid::LastTopRow() const {
  if (!page_ || rowCount_ == 0) return 0;
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  PainterCanvas canvas(painter, {kMusicFace, fontSize_, false});
  TDrawCtxt ctx = Context(canvas);
  const int height = viewport()->height();
  int row = rowCount_;
  for (int used = 0; row > 0; --row) {
    used += Room(ctx, row - 1).Height(rowHeight_);
    if (used > height && row < rowCount_) break;
  }
  return std::max(0, row);
}

// A row's room is measured once for the current sizes: every paint and scroll needs it,
// and measuring lays the row out and runs over all its ink.
const RowRoom& TScoreGrid::Room(TDrawCtxt& ctx, int row) const {
  if (rooms_.size() != static_cast<size_t>(rowCount_)) rooms_.assign(static_cast<size_t>(rowCount_), std::nullopt);
  std::optional<RowRoom>& room = rooms_[static_cast<size_t>(row)];
  if (!room) room = RowInkRoom(ctx, page_->Rows[static_cast<size_t>(row)].get(), rowHeight_, colWidth_);
  return *room;
}

TDrawCtxt TScoreGrid::Context(ScoreCanvas& canvas) const { return ScreenContext(canvas, beamThickness_); }

void TScoreGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TScoreGrid::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  const int left = LeftOffset();
  painter.translate(-left, 0);
  PaintRows(painter, viewport()->size() + QSize(left, 0));
}

void TScoreGrid::PaintRows(QPainter& painter, QSize size) const {
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  if (!page_) return;
  PainterCanvas canvas(painter, {kMusicFace, fontSize_, false});
  TDrawCtxt ctx = Context(canvas);
  // A row whose ink reaches past its cell gets the room it needs, so that it never
  // meets its neighbours'.
  for (int row = TopRow(), top = 0; row < rowCount_ && top < size.height(); ++row) {
    TScoreLine* line = page_->Rows[static_cast<size_t>(row)].get();
    const RowRoom room = Room(ctx, row);
    const int rowTop = top + room.above;
    PaintScoreRow(ctx, line, RowRect{0, rowTop, colWidth_, rowTop + rowHeight_}, rowHeight_, colWidth_);
    top += room.Height(rowHeight_);
  }
}

}  // namespace rq
