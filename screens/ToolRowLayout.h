// The layout of the browser's tool row: widgets left to right at their own widths,
// the last one taking the rest of its line. Where the row is too narrow to leave
// the last widget its least width, the row breaks into two lines before a chosen
// widget. Every place depends on the row's width alone: a lamp that lights or a
// text that changes never moves another widget.
#pragma once

#include <QLayout>
#include <QList>

namespace rq {

class TToolRowLayout : public QLayout {
 public:
  explicit TToolRowLayout(QWidget* parent = nullptr);
  ~TToolRowLayout() override;

  // The widget that starts the second line when the row breaks.
  void SetBreakBefore(QWidget* widget) { breakBefore_ = widget; }
  // The least width the last widget is given, on one line or two.
  void SetLastMinimum(int width) { lastMinimum_ = width; }
  // 1 or 2: the lines the row takes at `width` (the row's own width, margins included).
  int LinesAt(int width) const;

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
  void setGeometry(const QRect& rect) override;

 private:
  int BreakIndex() const;
  // Widths of the items [first, last) laid side by side, spacing between them.
  int RunWidth(int first, int last) const;
  int LineHeight() const;
  int OneLineWidth() const;
  int TwoLineWidth() const;
  // Places the items [first, last) from `left` on the line at `top`; the row's last
  // item gets everything up to `right`.
  void PlaceRun(int first, int last, int left, int top, int right) const;

  QList<QLayoutItem*> items_;
  QWidget* breakBefore_ = nullptr;
  int lastMinimum_ = 0;
};

}  // namespace rq
