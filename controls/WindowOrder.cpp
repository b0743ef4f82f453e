#include "controls/WindowOrder.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QWindow>

namespace rq {

QWidget* StayOnTopWindow() {
  auto staysOnTop = [](const QWidget* w) {
    return w && w->isWindow() && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  };
  if (QWidget* active = QApplication::activeWindow(); staysOnTop(active)) return active;
  QWidget* found = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (staysOnTop(w)) found = w;
  }
  return found;
}

void ComeAboveEverything(QWidget* dialog) {
  QWidget* over = StayOnTopWindow();
  if (!over || over == dialog) return;
  dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // Belonging to that window (without being its child, which it could delete) keeps
  // the dialog above it, also when a click raises that window.
  dialog->winId();
  if (QWindow* handle = dialog->windowHandle()) handle->setTransientParent(over->windowHandle());
}

int ExecAbove(QDialog& dialog) {
  ComeAboveEverything(&dialog);
  return dialog.exec();
}

}  // namespace rq
