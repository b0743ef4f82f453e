// The score view's drawing grid: one staff row of the score page per grid row,
// painted on demand, scrolled row by row.
#pragma once

#include <QAbstractScrollArea>

#include <optional>
#include <vector>

#include "score/DrawCtxt.h"
#include "score/ScoreLine.h"

namespace rq {

class TScorePage;

// Rows are laid out again for the current width, row height and font size on every
// paint, so zooming and the rulers never rebuild the score. The grid has no cell
// selection; the wheel scrolls it as usual. Rows wider than the view scroll sideways.
class TScoreGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TScoreGrid(QWidget* parent = nullptr);

  // The page to draw (not owned; null draws nothing). Call again after it is rebuilt.
  void SetPage(const TScorePage* page);
  int RowCount() const { return rowCount_; }

  // Callers pass values already limited to what the drawing can take.
  void SetFontSize(int size);
  void SetBeamThickness(int thickness);
  void SetRowHeight(int height);
  void SetColWidth(int width);
  int FontSize() const { return fontSize_; }
  int RowHeight() const { return rowHeight_; }
  int ColWidth() const { return colWidth_; }

  int TopRow() const;
  void SetTopRow(int row);

  // Paints the rows that show in a viewport of `size` from the top row, as a paint
  // event does: white cells, the staff lines and each row's symbols.
  void PaintRows(QPainter& painter, QSize size) const;

  // Pixels of the rows scrolled out at the left: rows wider than the view scroll
  // sideways.
  int LeftOffset() const;

 signals:
  void ScrolledAcross(int leftOffset);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateScrollBars();
  int VisibleRows() const;
  int LastTopRow() const;
  TDrawCtxt Context(ScoreCanvas& canvas) const;
  const RowRoom& Room(TDrawCtxt& ctx, int row) const;

  const TScorePage* page_ = nullptr;
  int rowCount_ = 0;
  int fontSize_ = 60;
  int beamThickness_ = 2;
  int rowHeight_ = 80;
  int colWidth_ = 680;
  // Each row's room at the sizes above, measured when first needed.
  mutable std::vector<std::optional<RowRoom>> rooms_;
};

}  // namespace rq
