#include "app/BusyNote.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace rq {

TBusyNote::TBusyNote(qsizetype files) : files_(files) {}

TBusyNote::~TBusyNote() = default;

bool TBusyNote::Waited(int waitedMs) {
  if (!note_ && waitedMs >= kDelayMs) {
    const QString text = files_ == 1 ? QStringLiteral("Reelquill 2 is busy; the file will open when it is ready.")
                                     : QStringLiteral("Reelquill 2 is busy; the files will open when it is ready.");
    note_ = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("Information"), text,
                                          QMessageBox::Ok);
    note_->setModal(false);
    note_->show();
  }
  QCoreApplication::processEvents();
  return !note_ || note_->isVisible();
}

}  // namespace rq
