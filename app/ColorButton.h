// A colour button: shows its colour; its menu offers the platform's sixteen named
// colours and "&Other..." for a free choice. Colours are Windows colour values.
#pragma once

#include <QToolButton>
#include <cstdint>

#include "platform/WinColor.h"

namespace rq {

class TColorButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TColorButton(QWidget* parent = nullptr);

  int32_t Color() const { return color_; }
  // Shows the colour; ColorChanged follows, as for a choice of the user, unless
  // `notify` is false.
  void SetColor(int32_t color, bool notify = true);

 signals:
  void ColorChanged(int32_t color);

 private:
  void ChooseOther();

  int32_t color_ = kClBlack;
};

}  // namespace rq
