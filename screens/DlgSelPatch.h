// The instrument pop-up: the resource module's list of the 128 instruments in a
// borderless window under the player's PATCH button. A click on an instrument is
// the list's own business (it sets the first channel's program).
#pragma once

#include <QPointer>
#include <QWidget>

namespace rq {

class TDlgSelPatch : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumns = 4;

  TDlgSelPatch();

  // Moves the instrument list into the pop-up and sizes both to show every name,
  // in kColumns columns, without scrolling.
  void OnCreate(QWidget* listPatch);
  // Shows the pop-up right under `button`, kept on the screen.
  void ShowUnder(const QWidget* button);

  QWidget* PanPatch() const { return panPatch_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // The widget a press at `at` (global) was aimed at, past the pop-up.
  QWidget* WidgetUnder(QPoint at) const;

  QWidget* panPatch_ = nullptr;
  QPointer<const QWidget> button_;
};

}  // namespace rq
