// The signals that ask a program to end (SIGTERM at logout or from kill, SIGHUP when
// its terminal goes, SIGINT from Ctrl+C) turned into a Qt signal on the thread that
// owns the object, so the program can end in order instead of dying mid-way.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace rq {

class TQuitSignals : public QObject {
  Q_OBJECT

 public:
  // Catches SIGTERM, SIGHUP and SIGINT from now on (a signal that arrives before
  // anyone listens is delivered once the event loop runs), and ignores SIGXFSZ so a
  // write past the file-size limit fails with its reason. One object at a time;
  // its end gives the three signals their default action back.
  explicit TQuitSignals(QObject* parent = nullptr);
  ~TQuitSignals() override;
  TQuitSignals(const TQuitSignals&) = delete;
  TQuitSignals& operator=(const TQuitSignals&) = delete;

 signals:
  // One of the three signals arrived (its number).
  void Received(int signalNumber);

 private:
  void ReadPending();

  int fds_[2] = {-1, -1};  // the handler writes to [1]; [0] is watched
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace rq
