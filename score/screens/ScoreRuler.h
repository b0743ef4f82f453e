// A ruler panel of the score view: its length is the score's row width (horizontal)
// or sets the row height (vertical); the user drags its far edge to change it.
#pragma once

#include <QWidget>

namespace rq {

class TScoreRuler : public QWidget {
  Q_OBJECT

 public:
  // `thickness`: the fixed height of a horizontal ruler, or width of a vertical one.
  TScoreRuler(Qt::Orientation orientation, int thickness, QWidget* parent = nullptr);

  int Length() const { return length_; }
  // Sets the length, limited to the ruler's range; signals nothing.
  void SetLength(int length);
  void SetRange(int minimum, int maximum);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }

  // Pixels at the far edge that take the drag.
  static constexpr int kGrip = 6;

 signals:
  // The user dragged the edge to a new length.
  void LengthChanged(int length);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int Along(QPointF point) const;
  bool OnGrip(QPointF point) const;

  Qt::Orientation orientation_;
  int length_ = 100;
  int minimum_ = 1;
  int maximum_ = 10000;
  int dragOffset_ = -1;  // from the pointer to the far edge while dragging; -1 not dragging
};

}  // namespace rq
