// The player panel's measure grid: one column per measure (the pickup first when the
// tune has one), measure numbers above, the playing measure and the loop marked
// below. It draws and reports the mouse; the panel decides what a press means.
#pragma once

#include <QWidget>

namespace rq {

class TMeasureGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColWidth = 20;
  static constexpr int kNumberRowHeight = 10;
  static constexpr int kMeasureRowHeight = 13;

  explicit TMeasureGrid(QWidget* parent = nullptr);

  int Columns() const { return columns_; }
  void SetColumns(int count);
  bool HasPickup() const { return hasPickup_; }
  void SetHasPickup(bool pickup);
  int CurrentColumn() const { return current_; }
  void SetCurrentColumn(int column);
  void SetLoop(int first, int last);

  // The first column shown; moving it signals TopLeftChanged.
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int column);
  // Columns shown whole (at least one).
  int VisibleColumns() const;
  // Scrolls, when needed, so that the column is shown whole.
  void ScrollToColumn(int column);

  // The column under a client point; -1 when the point is on no column.
  int ColumnAt(QPoint point) const;
  // A cell's client rectangle (row 0 numbers, row 1 measures); empty when not shown.
  QRect CellRect(int column, int row) const;

  QSize sizeHint() const override { return {32 * kColWidth, kNumberRowHeight + kMeasureRowHeight}; }

 signals:
  void MouseDown(Qt::MouseButton button, int column);
  // The pointer moved with the left button down.
  void MouseMove(int column);
  void MouseUp(Qt::MouseButton button, int column);
  void DoubleClick(int column);
  void TopLeftChanged();
  void Resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void PaintNumber(QPainter& p, int column);
  void PaintMeasure(QPainter& p, int column);

  int columns_ = 32;
  bool hasPickup_ = false;
  int current_ = 0;
  int loopFirst_ = -1;
  int loopLast_ = -1;
  int leftCol_ = 0;
};

}  // namespace rq
