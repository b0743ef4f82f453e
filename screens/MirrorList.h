// The second tune list: the same rows in one column that scrolls up and down, with
// a line between rows and the row of the browser's current tune highlighted.
#pragma once

#include <QAbstractScrollArea>
#include <functional>

namespace rq {

class TMirrorList : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Paints row `row` in `rect`; `state` holds TGridDrawState flags (controls/ListGrid.h).
  using DrawRowFn = std::function<void(QPainter& painter, int row, const QRect& rect, unsigned state)>;
  static constexpr int kRowHeight = 15;
  static constexpr int kLineWidth = 1;

  explicit TMirrorList(QWidget* parent = nullptr);

  int RowCount() const { return rowCount_; }
  // At least one row, as a grid always has.
  void SetRowCount(int count);
  int Row() const { return row_; }
  // Makes a row current (clamped into the rows) without scrolling.
  void SetRow(int row);
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  // Scrolls as little as needed to show the row.
  void ScrollToRow(int row);
  QRect RowRect(int row) const;
  void SetOnDrawRow(DrawRowFn draw) { drawRow_ = std::move(draw); }

 signals:
  // A click made a row current.
  void RowClicked(int row);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  static constexpr int kPitch = kRowHeight + kLineWidth;
  int VisibleRows() const;
  void UpdateScrollBar();

  DrawRowFn drawRow_;
  int rowCount_ = 1;
  int row_ = 0;
  int topRow_ = 0;
};

}  // namespace rq
