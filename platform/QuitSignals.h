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
  // Catches SIGTERM, SIGHUP and SIGINT from now on, and ignores SIGXFSZ so a write
  // past the file-size limit fails with its reason. A signal is held until
  // StartDelivering, so one that comes while the program is still starting (and the
  // event loop already runs for its progress) is not emitted to nobody. One object at
  // a time; its end gives the three signals their default action back.
  explicit TQuitSignals(QObject* parent = nullptr);
  ~TQuitSignals() override;
  TQuitSignals(const TQuitSignals&) = delete;
  TQuitSignals& operator=(const TQuitSignals&) = delete;

  // From now on the signals come out as Received, those held first.
  void StartDelivering();

 signals:
  // One of the three signals arrived (its number).
  void Received(int signalNumber);

 private:
  void ReadPending();

  int fds_[2] = {-1, -1};  // the handler writes to [1]; [0] is watched
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace rq
