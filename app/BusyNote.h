// What a start shows while it waits for a running program too busy to take its files.
#pragma once

#include <QtGlobal>

#include <memory>

class QMessageBox;

namespace rq {

class TBusyNote {
 public:
  // After this long without an answer the running program is busy (opening a large
  // file, say), and the user who started this one should know why nothing opens yet.
  static constexpr int kDelayMs = 3000;

  // For a start with files: one without files never waits.
  explicit TBusyNote(qsizetype files);
  ~TBusyNote();

  // The start's wait hook: shows the note once the start has waited kDelayMs and lets
  // the note's events run. False once the user has closed the note: the start may end
  // as soon as its files are in the running program's queue.
  bool Waited(int waitedMs);

 private:
  qsizetype files_;
  std::unique_ptr<QMessageBox> note_;
};

}  // namespace rq
