// The knob: a rotary control whose red dot shows an integer position on a 300° sweep.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace rq {

// Angles are in degrees, counter-clockwise from three o'clock with y up: `Min` sits
// at 240 (eight o'clock), `Max` at −60 (four o'clock), and the sweep passes the top.
// The left button turns the knob when pressed inside the round face and dragged
// about the centre; the keys step it. While the pointer hovers, the position label
// shows the value the pointer points at.
//
// A range with `Max` below `Min` turns the other way: positions are kept between the
// two and `Min` still sits at 240.
class TKnob : public QWidget {
  Q_OBJECT

 public:
  explicit TKnob(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v) { SetParams(position_, v, max_); }
  void SetMax(int v) { SetParams(position_, min_, v); }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  // Clamps the position into the range, moves the dot, writes the label and signals
  // Changed, also when nothing changed.
  void SetParams(int position, int min, int max);

  uint16_t PageSize() const { return pageSize_; }
  void SetPageSize(uint16_t v) { pageSize_ = v; }
  // A spring-loaded knob returns to 0 when the drag ends or the focus is lost.
  bool SpringLoaded() const { return springLoaded_; }
  void SetSpringLoaded(bool v);
  // The label (not owned) showing "value caption"; it is shown and hidden with the knob.
  QLabel* PositionLabel() const { return label_; }
  void SetPositionLabel(QLabel* label);
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  QColor LineColor() const { return lineColor_; }
  // The dot's outline colour; the button face colour is refused (the dot would vanish).
  void SetLineColor(const QColor& color);
  const QPixmap& BtnBitMap() const { return face_; }
  void SetBtnBitMap(const QPixmap& face);

  // Angle of the current position.
  int Angle() const { return angle_; }
  // The value an angle stands for.
  int ValueOfAngle(int angle) const;
  // The angle of a client point about the centre, snapped out of the dead zone below
  // the centre: its left half to `Min`, its right half to `Max`.
  int AngleOfPoint(QPoint point) const;
  // Centre of the red dot in client pixels.
  QPoint IndicatorCenter() const;
  bool Dragging() const { return dragging_; }

  // A round shaded face of the given side, for knobs that bring none of their own.
  static QPixmap MakeFace(int side);

  QSize sizeHint() const override { return {40, 40}; }
  void setVisible(bool visible) override;

 signals:
  // Every position update, whether the value changed or not.
  void Changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateAngleFactor();
  void WriteLabel(int value);
  bool InsideFace(QPoint point) const;

  int min_ = 0;
  int max_ = 127;
  int position_ = 0;
  uint16_t pageSize_ = 10;
  bool springLoaded_ = false;
  QPointer<QLabel> label_;
  QColor lineColor_;
  QPixmap face_;
  QString caption_;
  int side_ = 0;
  float angleFactor_ = 0;  // degrees per unit of value
  int angle_ = 240;
  int pointerAngle_ = 240;
  bool dragging_ = false;
};

}  // namespace rq
