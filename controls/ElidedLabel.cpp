#include "controls/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace rq {

QString TElidedLabel::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize TElidedLabel::minimumSizeHint() const {
  const QSize whole = QLabel::minimumSizeHint();
  const QMargins m = contentsMargins();
  const int ellipsis = fontMetrics().horizontalAdvance(QChar(0x2026)) + m.left() + m.right();
  return {std::min(whole.width(), ellipsis), whole.height()};
}

bool TElidedLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && ShownText() != text()) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    return true;
  }
  return QLabel::event(event);
}

void TElidedLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  drawFrame(&painter);
  const int flags = QStyle::visualAlignment(layoutDirection(), alignment()) | Qt::TextSingleLine;
  style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(), ShownText(), foregroundRole());
}

}  // namespace rq
