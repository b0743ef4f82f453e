// The list grid: a long list of items shown down each column and on into the next.
#pragma once

#include <QAbstractScrollArea>
#include <QRect>
#include <functional>

class QPainter;

namespace rq {

// Draw state of one cell, as a set of these flags.
enum TGridDrawState : unsigned {
  gdSelected = 1,  // the current item
  gdFocused = 2,   // the current item while the grid has the focus
  gdFixed = 4,     // a fixed cell (the list grid has none)
};

// Shows `GridMax` items in columns of as many rows as the client height holds; the
// grid scrolls sideways. It keeps no item data: the owner draws each item through
// the draw callback and hears of each change of the current item through SelectIdx.
//
// Moves made by the user (keys, clicks, the wheel) always select the item moved to
// and signal it once. Moves made by code (a relayout, SetLeftCol) never signal;
// SetGridIdx signals when the current item changes, so the owner's selection
// handling runs the same way for both.
class TListGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Paints item `idx` in `rect`; `state` is a set of TGridDrawState flags. The painter
  // is not clipped to the cell: cells are painted top to bottom after the grid lines,
  // so a cell may reach over the pixel row above it.
  using DrawCellFn = std::function<void(QPainter& painter, int idx, const QRect& rect, unsigned state)>;

  explicit TListGrid(QWidget* parent = nullptr);

  int GridMax() const { return gridMax_; }
  // Sets the number of items and lays the grid out again; a negative count is ignored.
  void SetGridMax(int count);
  int GridIdx() const { return gridIdx_; }
  // Makes item `index` (0 .. GridMax) current without scrolling and signals it: 0.
  // −1, with nothing changed, when the index is out of range or already current.
  int SetGridIdx(int index);

  int RowsPerCol() const { return rowsPerCol_; }
  int ColsUsed() const { return colsUsed_; }
  int RowCount() const { return rowCount_; }
  int ColCount() const { return colCount_; }
  int Col() const { return col_; }
  int Row() const { return row_; }
  int LeftCol() const { return leftCol_; }
  // Scrolls so that column `col` is the first one shown; signals TopLeftChanged.
  void SetLeftCol(int col);

  int DefaultColWidth() const { return colWidth_; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  // Horizontal grid lines of `width` pixels under each row; they add to the row pitch.
  void SetHorzLines(bool on, int width = 1);

  void SetOnDrawCell(DrawCellFn draw) { drawCell_ = std::move(draw); }

  // The client rectangle of a cell; empty when its column is scrolled out of view.
  QRect CellRect(int col, int row) const;
  // The cell under a client point; false (and −1, −1) when the point is on no cell.
  bool MouseToCell(QPoint point, int& col, int& row) const;
  // column × rows per column + row, without a range check.
  int ColRowToIdx(int col, int row) const { return col * PerCol() + row; }

 signals:
  // The current item changed (see the class comment for when).
  void SelectIdx(int idx);
  // The grid scrolled.
  void TopLeftChanged();
  // A mouse press on a cell, before the press selects anything (double clicks excluded).
  void CellMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint point);
  // A left-button double click on a cell.
  void DblClick();
  // The client area changed size; the new layout is already in place.
  void Resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  int PerCol() const { return rowsPerCol_ > 0 ? rowsPerCol_ : 1; }
  int RowPitch() const { return rowHeight_ + (horzLines_ ? lineWidth_ : 0); }
  int WholeVisibleCols() const;
  void Layout();
  void UpdateScrollBar();
  // Moves the current cell as the user asked: a cell past the last item selects the
  // last item instead. Signals once when the current item or cell changed.
  void UserMoveTo(int col, int row);
  void PlaceCurrentCell();
  void ScrollIntoView(int col);
  void PaintCell(QPainter& painter, int col, int row, const QRect& rect);

  DrawCellFn drawCell_;
  int gridMax_ = 0;
  int gridIdx_ = 0;
  int rowsPerCol_ = 0;
  int colsUsed_ = 0;
  int rowCount_ = 1;
  int colCount_ = 1;
  int col_ = 0;
  int row_ = 0;
  int leftCol_ = 0;
  int colWidth_ = 64;
  int rowHeight_ = 24;
  bool horzLines_ = false;
  int lineWidth_ = 1;
  int wheelPending_ = 0;  // wheel turn not yet worth a step
};

}  // namespace rq
