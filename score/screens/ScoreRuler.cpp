#include "score/screens/ScoreRuler.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace rq {

TScoreRuler::TScoreRuler(Qt::Orientation orientation, int thickness, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
  if (orientation_ == Qt::Horizontal) {
    setFixedHeight(thickness);
  } else {
    setFixedWidth(thickness);
  }
  setMouseTracking(true);
  SetLength(length_);
}

void TScoreRuler::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  SetLength(length_);
}

void TScoreRuler::SetLength(int length) {
  length_ = std::clamp(length, minimum_, maximum_);
  if (orientation_ == Qt::Horizontal) {
    setFixedWidth(length_);
  } else {
    setFixedHeight(length_);
  }
  update();
}

int TScoreRuler::Along(QPointF point) const {
  return static_cast<int>(orientation_ == Qt::Horizontal ? point.x() : point.y());
}

bool TScoreRuler::OnGrip(QPointF point) const { return Along(point) >= length_ - kGrip; }

void TScoreRuler::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xF4, 0xEE, 0xD8));
  p.setPen(QColor(0x80, 0x80, 0x80));
  // A tick every 10 pixels, longer every 50 and 100, along the edge next to the score.
  const bool horizontal = orientation_ == Qt::Horizontal;
  const int depth = horizontal ? height() : width();
  for (int at = 10; at < length_ - kGrip; at += 10) {
    const int tick = at % 100 == 0 ? depth / 2 : at % 50 == 0 ? depth / 3 : depth / 5;
    if (horizontal) {
      p.drawLine(at, depth - 1, at, depth - 1 - tick);
    } else {
      p.drawLine(depth - 1, at, depth - 1 - tick, at);
    }
  }
  const QRect grip = horizontal ? QRect(length_ - kGrip, 0, kGrip, depth) : QRect(0, length_ - kGrip, depth, kGrip);
  p.fillRect(grip, QColor(0xA0, 0xA0, 0xA0));
}

void TScoreRuler::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnGrip(event->position())) {
    dragOffset_ = length_ - Along(event->position());
    return;
  }
  QWidget::mousePressEvent(event);
}

void TScoreRuler::mouseMoveEvent(QMouseEvent* event) {
  const bool horizontal = orientation_ == Qt::Horizontal;
  if (dragOffset_ < 0) {
    if (OnGrip(event->position())) {
      setCursor(horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    } else {
      unsetCursor();
    }
    return;
  }
  const int length = std::clamp(Along(event->position()) + dragOffset_, minimum_, maximum_);
  if (length == length_) return;
  SetLength(length);
  emit LengthChanged(length_);
}

void TScoreRuler::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragOffset_ = -1;
  QWidget::mouseReleaseEvent(event);
}

}  // namespace rq
