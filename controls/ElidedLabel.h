// A one-line label that, when its text is wider than itself, shows the text shortened
// with an ellipsis instead of cutting it, and that a layout may narrow down to the
// ellipsis.
#pragma once

#include <QLabel>

namespace rq {

class TElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}
  explicit TElidedLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}

  // The text as it is drawn at the label's present width: whole, or its start
  // followed by an ellipsis. text() stays the whole text.
  QString ShownText() const;

  QSize minimumSizeHint() const override;

 protected:
  // A shortened text shows whole in the label's tip.
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace rq
