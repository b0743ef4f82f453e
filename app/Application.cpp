#include "app/Application.h"

#include <QMessageBox>
#include <exception>

#include "controls/WindowOrder.h"

namespace rq {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name only: a display name set here would be appended to every window's
  // title on Linux desktops ("Confirm — ..."), and each window has its own title.
  setApplicationName("Reelquill 2.0");
  // The desktop entry the association installs, for the desktop to find our icon.
  setDesktopFileName("reelquill");
  setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowError(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowError("An unknown error occurred.");
  }
  return false;
}

void TApplication::ShowError(const QString& text) {
  // The error box restores the normal cursor: a long operation that failed may
  // have left the busy cursor on.
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  QMessageBox box(QMessageBox::Critical, "Reelquill 2", text, QMessageBox::Ok);
  ExecAbove(box);
}

}  // namespace rq
