// The program's application object: its event dispatch catches every exception a
// handler lets escape, shows it in the error box and goes on, so one failing command
// never takes the user's open tunes down with it.
#pragma once

#include <QApplication>

namespace rq {

class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows an error in the error box; used for errors that reach the event loop.
  static void ShowError(const QString& text);
};

}  // namespace rq
