// The note a start shows while the running program is too busy to take its files.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>

#include <vector>

#include "app/BusyNote.h"

namespace rq {
namespace {

std::vector<QMessageBox*> NotesShown() {
  std::vector<QMessageBox*> notes;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* note = qobject_cast<QMessageBox*>(window); note && note->isVisible()) notes.push_back(note);
  }
  return notes;
}

// Nothing shows before the start has waited three seconds; then one note, which leaves
// the start free to end once its user closes it, and does not come back.
TEST(BusyNote, ShowsAfterThreeSecondsOfWaitingUntilClosed) {
  TBusyNote busy(1);
  EXPECT_TRUE(busy.Waited(0));
  EXPECT_TRUE(busy.Waited(2900));
  EXPECT_TRUE(NotesShown().empty()) << "the note showed before three seconds";
  EXPECT_TRUE(busy.Waited(3000));
  ASSERT_EQ(NotesShown().size(), 1u) << "no note at three seconds";
  QMessageBox* note = NotesShown().front();
  EXPECT_EQ(note->windowTitle(), "Information");
  EXPECT_EQ(note->text(), "Reelquill 2 is busy; the file will open when it is ready.");
  EXPECT_FALSE(note->isModal());
  EXPECT_TRUE(busy.Waited(3100));
  EXPECT_EQ(NotesShown(), std::vector<QMessageBox*>{note});

  note->button(QMessageBox::Ok)->click();
  EXPECT_FALSE(busy.Waited(3200));
  EXPECT_FALSE(busy.Waited(60000));
  EXPECT_TRUE(NotesShown().empty());
}

// The user's click on Ok reaches the note as an event in the queue, while the start
// waits without an event loop of its own: the wait hook lets it run, so the next wait
// ends.
TEST(BusyNote, OkClickedWhileWaitingEndsTheWait) {
  TBusyNote busy(1);
  busy.Waited(TBusyNote::kDelayMs);
  ASSERT_EQ(NotesShown().size(), 1u);
  QAbstractButton* ok = NotesShown().front()->button(QMessageBox::Ok);
  ASSERT_NE(ok, nullptr);
  const QPointF inside = QRectF(ok->rect()).center();
  const QPointF onScreen = ok->mapToGlobal(inside);
  QCoreApplication::postEvent(ok, new QMouseEvent(QEvent::MouseButtonPress, inside, onScreen, Qt::LeftButton,
                                                  Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      ok, new QMouseEvent(QEvent::MouseButtonRelease, inside, onScreen, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  EXPECT_FALSE(busy.Waited(TBusyNote::kDelayMs + 100)) << "Ok was clicked, and the start waits on";
  EXPECT_TRUE(NotesShown().empty());
}

// A start with several files speaks of them all.
TEST(BusyNote, SpeaksOfSeveralFiles) {
  TBusyNote busy(3);
  busy.Waited(3000);
  ASSERT_EQ(NotesShown().size(), 1u);
  EXPECT_EQ(NotesShown().front()->text(), "Reelquill 2 is busy; the files will open when it is ready.");
}

}  // namespace
}  // namespace rq
