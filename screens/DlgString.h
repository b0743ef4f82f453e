// The one-line prompt the program asks names with (a new set, a set's new name). The
// caller sets the caption and the text, shows it modally and reads the text when
// the result is 1 (Ok, or Enter in the text); Cancel, Escape and the close box give 2.
#pragma once

#include <QDialog>

class QLineEdit;
class QToolButton;

namespace rq {

class TDlgString : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;

  explicit TDlgString(QWidget* parent = nullptr);

  void OnCreate();
  QLineEdit* EDString() const { return edString_; }
  QToolButton* OkButton() const { return speedButton1_; }
  QToolButton* CancelButton() const { return speedButton2_; }

  void reject() override;

 private:
  QLineEdit* edString_ = nullptr;
  QToolButton* speedButton1_ = nullptr;
  QToolButton* speedButton2_ = nullptr;
};

}  // namespace rq
