#include "screens/ToolRowLayout.h"

#include <QWidget>
#include <algorithm>

namespace rq {

TToolRowLayout::TToolRowLayout(QWidget* parent) : QLayout(parent) {}

TToolRowLayout::~TToolRowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void TToolRowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* TToolRowLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* TToolRowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

// The break falls after the last item when there is no break widget: the row then
// keeps one line, however narrow.
int TToolRowLayout::BreakIndex() const {
  for (int i = 0; i < items_.size(); ++i) {
    if (breakBefore_ && items_.at(i)->widget() == breakBefore_) return i;
  }
  return std::max(0, count() - 1);
}

int TToolRowLayout::RunWidth(int first, int last) const {
  int width = 0;
  int placed = 0;
  for (int i = first; i < last; ++i) {
    const QLayoutItem* item = items_.at(i);
    if (item->isEmpty()) continue;
    width += item->sizeHint().width();
    ++placed;
  }
  return width + std::max(0, placed - 1) * std::max(0, spacing());
}

int TToolRowLayout::LineHeight() const {
  int height = 0;
  for (const QLayoutItem* item : items_) height = std::max(height, item->sizeHint().height());
  return height;
}

int TToolRowLayout::OneLineWidth() const {
  const QMargins m = contentsMargins();
  return m.left() + RunWidth(0, count() - 1) + std::max(0, spacing()) + lastMinimum_ + m.right();
}

int TToolRowLayout::TwoLineWidth() const {
  const QMargins m = contentsMargins();
  const int split = BreakIndex();
  const int second = RunWidth(split, count() - 1) + lastMinimum_ + (split < count() - 1 ? std::max(0, spacing()) : 0);
  return m.left() + std::max(RunWidth(0, split), second) + m.right();
}

int TToolRowLayout::LinesAt(int width) const { return width >= OneLineWidth() ? 1 : 2; }

int TToolRowLayout::heightForWidth(int width) const {
  const QMargins m = contentsMargins();
  const int lines = LinesAt(width);
  return m.top() + lines * LineHeight() + (lines - 1) * std::max(0, spacing()) + m.bottom();
}

QSize TToolRowLayout::sizeHint() const { return {OneLineWidth(), heightForWidth(OneLineWidth())}; }

QSize TToolRowLayout::minimumSize() const { return {TwoLineWidth(), heightForWidth(OneLineWidth())}; }

void TToolRowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  if (items_.isEmpty()) return;
  const QRect inner = rect.marginsRemoved(contentsMargins());
  if (LinesAt(rect.width()) == 1) {
    PlaceRun(0, count(), inner.left(), inner.top(), inner.right());
    return;
  }
  const int split = BreakIndex();
  PlaceRun(0, split, inner.left(), inner.top(), inner.right());
  PlaceRun(split, count(), inner.left(), inner.top() + LineHeight() + std::max(0, spacing()), inner.right());
}

void TToolRowLayout::PlaceRun(int first, int last, int left, int top, int right) const {
  const int lineHeight = LineHeight();
  int x = left;
  for (int i = first; i < last; ++i) {
    QLayoutItem* item = items_.at(i);
    const bool fills = i == count() - 1;
    if (item->isEmpty() && !fills) continue;
    const int width = fills ? std::max(lastMinimum_, right + 1 - x) : item->sizeHint().width();
    // An item that may grow takes the line's height; any other keeps its own, centred.
    const int height = std::min(lineHeight, item->maximumSize().height());
    item->setGeometry(QRect(x, top + (lineHeight - height) / 2, width, height));
    x += width + std::max(0, spacing());
  }
}

}  // namespace rq
