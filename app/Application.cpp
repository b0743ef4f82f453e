#include "app/Application.h"

#include <QMessageBox>
#include <exception>

namespace rq {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Reelquill 2.0");
  setApplicationDisplayName("Reelquill 2.0");
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
  QMessageBox::critical(nullptr, "Reelquill 2", text);
}

}  // namespace rq
