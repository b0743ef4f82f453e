// The welcome box: the program's name and version, a link to a note beside the
// program, and a button that closes it. Shown on top of the main window at start,
// centred on it.
#pragma once

#include <QDialog>

#include "app/FormTexts.h"

class QLabel;
class QPushButton;

namespace rq {

class TdlgWelcome : public QDialog {
  Q_OBJECT

 public:
  // The blurb's key in a language file's [Cmpstring]; the button's follows.
  static constexpr int kFirstTextTag = 120;

  explicit TdlgWelcome(QWidget* parent);

  // Applies a language file (none: nothing changes).
  void Translate(const IniFile* language);

  QLabel* Version() const { return labVersion_; }
  QPushButton* CloseButton() const { return btnClose_; }

  // The close button: ends a modal showing with OK and hides the box.
  void OnCloseWelcome();
  // Shows the box, not modal, right after the main window shows (now, if it is up).
  void ShowWithParent();
  // The note the link opens.
  static QString NotePath();
  // Centred on the main window where it is now, inside the screen.
  void CentreOnWindow();

 protected:
  void showEvent(QShowEvent* event) override;
  // Shows the box after the main window, and keeps it centred on the window.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* labVersion_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  TFormTexts texts_;
  bool showWithParent_ = false;
};

}  // namespace rq
