// The knob: position arithmetic, pointer angles, drags, keys and painting.
#include "controls/Knob.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace rq {

namespace {

constexpr int kMinAngle = 240;
constexpr int kMaxAngle = -60;
constexpr float kSweep = 300.0f;

// Rounds to the nearest integer, halves to even.
int Nearest(double x) { return static_cast<int>(std::nearbyint(x)); }

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

}  // namespace

TKnob::TKnob(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  lineColor_ = palette().color(QPalette::Highlight);
  resize(40, 40);
  UpdateAngleFactor();
  angle_ = kMinAngle;
}

void TKnob::UpdateAngleFactor() {
  angleFactor_ = max_ == min_ ? 0.0f : kSweep / static_cast<float>(static_cast<int64_t>(max_) - min_);
}

void TKnob::SetParams(int position, int min, int max) {
  if (min != min_) {
    min_ = min;
    UpdateAngleFactor();
  }
  if (max != max_) {
    max_ = max;
    UpdateAngleFactor();
  }
  position = std::clamp(position, std::min(min_, max_), std::max(min_, max_));
  position_ = position;
  angle_ = kMinAngle - Nearest(static_cast<double>(static_cast<int64_t>(position) - min_) * angleFactor_);
  update();
  WriteLabel(position_);
  emit Changed();
}

void TKnob::SetSpringLoaded(bool v) {
  springLoaded_ = v;
  if (v) SetPosition(0);
}

void TKnob::SetPositionLabel(QLabel* label) {
  label_ = label;
  if (label) WriteLabel(position_);
}

void TKnob::SetCaption(const QString& caption) {
  caption_ = caption;
  WriteLabel(position_);
}

void TKnob::SetLineColor(const QColor& color) {
  if (color == lineColor_ || color == palette().color(QPalette::Button)) return;
  lineColor_ = color;
  update();
}

void TKnob::SetBtnBitMap(const QPixmap& face) {
  face_ = face;
  update();
}

void TKnob::setVisible(bool visible) {
  QWidget::setVisible(visible);
  if (label_) label_->setVisible(visible);
}

int TKnob::ValueOfAngle(int angle) const {
  if (angleFactor_ == 0.0f) return min_;
  return ClampToInt(min_ + static_cast<int64_t>(Nearest((kMinAngle - angle) / static_cast<double>(angleFactor_))));
}

int TKnob::AngleOfPoint(QPoint point) const {
  const int cx = width() / 2;
  const int cy = height() / 2;
  int a = 0;
  if (point.x() != cx) {
    a = Nearest(std::atan(static_cast<double>(cy - point.y()) / (point.x() - cx)) * 180.0 / std::numbers::pi);
    if (point.x() < cx) a = (a + 540) % 360;
  } else {
    a = point.y() <= cy ? 90 : kMinAngle;
  }
  if (a > kMinAngle && a < 271) a = kMinAngle;
  if (a < kMaxAngle) a = kMaxAngle;
  return a;
}

QPoint TKnob::IndicatorCenter() const {
  const int w = width();
  const int h = height();
  const int cx = w / 2;
  const int cy = h / 2;
  const int rx = cx - w / 4;
  const int ry = cy - h / 4;
  // Radians from the top, clockwise: ±2.5 at the ends of the range.
  double b = 0;
  if (max_ != min_) {
    b = 5.0 * (position_ - (static_cast<double>(min_) + max_) / 2.0) / (static_cast<double>(max_) - min_);
  }
  return {Nearest(cx + rx * std::sin(b)), Nearest(cy - ry * std::cos(b))};
}

void TKnob::WriteLabel(int value) {
  if (label_) label_->setText(QString::number(value) + QLatin1Char(' ') + caption_);
}

bool TKnob::InsideFace(QPoint point) const {
  if (width() <= 0 || height() <= 0) return false;
  const double rx = width() / 2.0;
  const double ry = height() / 2.0;
  const double dx = (point.x() + 0.5 - rx) / rx;
  const double dy = (point.y() + 0.5 - ry) / ry;
  return dx * dx + dy * dy <= 1.0;
}

void TKnob::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, face_);
  const QPoint dot = IndicatorCenter();
  painter.setPen(lineColor_);
  painter.setBrush(QColor(255, 0, 0));
  painter.drawEllipse(QRect(dot.x() - 3, dot.y() - 3, 6, 6));
}

// The knob stays square: it grows to the larger side and shrinks to the smaller one.
void TKnob::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width();
  const int h = height();
  side_ = (w <= side_ && h <= side_) ? std::min(w, h) : std::max(w, h);
  if (w != side_ || h != side_) resize(side_, side_);
}

void TKnob::mouseMoveEvent(QMouseEvent* event) {
  pointerAngle_ = AngleOfPoint(event->position().toPoint());
  const int value = ValueOfAngle(pointerAngle_);
  if (dragging_ && value != position_) SetPosition(value);
  WriteLabel(value);
  QWidget::mouseMoveEvent(event);
}

void TKnob::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  // The press point's own angle: a press may come without a move before it.
  pointerAngle_ = AngleOfPoint(point);
  if (event->button() == Qt::LeftButton && InsideFace(point)) {
    dragging_ = true;
    SetPosition(ValueOfAngle(pointerAngle_));
  }
  QWidget::mousePressEvent(event);
}

void TKnob::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) {
    if (springLoaded_) {
      SetPosition(0);
    } else if (const int value = ValueOfAngle(pointerAngle_); value != position_) {
      SetPosition(value);
    }
  }
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void TKnob::leaveEvent(QEvent* event) {
  WriteLabel(position_);
  QWidget::leaveEvent(event);
}

void TKnob::focusOutEvent(QFocusEvent* event) {
  dragging_ = false;
  if (springLoaded_) SetPosition(0);
  QWidget::focusOutEvent(event);
}

void TKnob::keyPressEvent(QKeyEvent* event) {
  int64_t target = 0;
  switch (event->key()) {
    case Qt::Key_PageUp: target = static_cast<int64_t>(position_) + pageSize_; break;
    case Qt::Key_PageDown: target = static_cast<int64_t>(position_) - pageSize_; break;
    case Qt::Key_End: target = max_; break;
    case Qt::Key_Home: target = min_; break;
    case Qt::Key_Left:
    case Qt::Key_Down: target = static_cast<int64_t>(position_) - 1; break;
    case Qt::Key_Up:
    case Qt::Key_Right: target = static_cast<int64_t>(position_) + 1; break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
  SetPosition(ClampToInt(target));
}

QPixmap TKnob::MakeFace(int side) {
  QPixmap face(side, side);
  face.fill(Qt::transparent);
  QPainter painter(&face);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF disc(1, 1, side - 2, side - 2);
  QRadialGradient shade(disc.center() - QPointF(side / 6.0, side / 6.0), side * 0.7);
  shade.setColorAt(0, QColor(245, 245, 245));
  shade.setColorAt(1, QColor(140, 140, 140));
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  painter.setBrush(shade);
  painter.drawEllipse(disc);
  return face;
}

}  // namespace rq
