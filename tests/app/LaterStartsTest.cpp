// Files that later starts of the program hand over, taken by the running window while
// it shows a message of its own, asks a question or reads a file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QMessageBox>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <utility>
#include <vector>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/CtrlFile.h"
#include "app/MainEcr.h"
#include "platform/SingleInstance.h"

namespace rq {
namespace {

using Claimed = TSingleInstance::Start;
constexpr int kWaitMs = 15000;

// A later start is a process of its own; here a thread, so that this thread's event
// loop (and the message box's) keeps serving while it waits for its answer.
std::future<Claimed> HandOver(const QString& name, const std::string& path) {
  return std::async(std::launch::async,
                    [name, path] { return TSingleInstance(name).Claim({QString::fromStdString(path)}); });
}

Claimed Finish(std::future<Claimed>& later) {
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, kWaitMs))
      << "a later start is still waiting";
  return later.get();
}

int MessageBoxesShown() {
  int shown = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(window) && window->isVisible()) ++shown;
  }
  return shown;
}

std::string Tunes(int count, const std::string& title) {
  std::string text;
  for (int x = 1; x <= count; ++x) {
    text += "X:" + std::to_string(x) + "\nT:" + title + " " + std::to_string(x) + "\nK:D\nABcd efga|\n\n";
  }
  return text;
}

void AnswerYes(QWidget* box) {
  auto* question = static_cast<QMessageBox*>(box);
  for (QAbstractButton* button : question->buttons()) {
    if (question->buttonRole(button) == QMessageBox::YesRole) button->click();
  }
}

std::string FileName(const TAbcFile* file) { return std::filesystem::path(file->FileName).filename().string(); }

class LaterStartsTest : public test::AppFixture {
 protected:
  // The running program's side of the hand-overs, on a name of this test's own.
  TSingleInstance& Serve(TAppContext& app) {
    instance_ = std::make_unique<TSingleInstance>(name_);
    EXPECT_EQ(instance_->Claim({}), Claimed::First) << instance_->FailureReason().toStdString();
    app.MainEcr()->ServeLaterStarts(*instance_);
    instance_->StartDelivering();
    return *instance_;
  }
  // The files opened, by name, in the order they got a tab.
  void RecordOpened(TAppContext& app) {
    QObject::connect(app.FileControl(), &TCtrlFile::FileAdded,
                     [this](TAbcFile* file, bool) { opened_.push_back(FileName(file)); });
  }
  // What a program ending now hands on to the next: the hand-overs it took and did
  // not open, in the order they came.
  QStringList HandedOn(TAppContext& app) { return app.MainEcr()->TakeWaitingHandOvers() + instance_->StopServing(); }
  QString OpenCommand(const std::string& name) const {
    return QString::fromStdString("[Open(" + Path(name) + ")]");
  }
  const QString name_ = QStringLiteral("rq-test-%1-later").arg(::getpid());
  std::unique_ptr<TSingleInstance> instance_;
  std::vector<std::string> opened_;
};

// While the "File already open" box waits, two more starts hand over a file each (the
// same file again, then a new one): one box at a time, and the new file opens only
// after the second box, in the order the starts sent them.
TEST_F(LaterStartsTest, HandOversDuringAWarningTakeTheirTurn) {
  realMessages_ = true;
  TAppContext& app = Start();
  Serve(app);
  const QString name = name_;
  OpenUserFile("jigs.abc", "X:1\nT:The Kesh\nK:G\nGAG GAB|\n");
  Write("slides.abc", "X:1\nT:Dennis Murphy\nK:D\nA2d d2e|\n");

  std::vector<std::string> events;
  QObject::connect(app.FileControl(), &TCtrlFile::FileAdded, [&](TAbcFile* file, bool) {
    events.push_back("opened " + std::filesystem::path(file->FileName).filename().string());
  });
  auto answer = [&](QWidget* box) {
    events.push_back("warning, boxes shown: " + std::to_string(MessageBoxesShown()));
    static_cast<QMessageBox*>(box)->buttons().front()->click();
  };
  std::future<Claimed> second, third;
  test::ModalAnswers modals;
  modals.Then([&](QWidget* box) {
    second = HandOver(name, Path("jigs.abc"));
    EXPECT_EQ(Finish(second), Claimed::PassedOn);
    third = HandOver(name, Path("slides.abc"));
    EXPECT_EQ(Finish(third), Claimed::PassedOn);
    QTest::qWait(100);
    answer(box);
  });
  modals.Then(answer);

  auto first = HandOver(name, Path("jigs.abc"));
  EXPECT_EQ(Finish(first), Claimed::PassedOn);
  ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 3; }, kWaitMs));
  EXPECT_EQ(events, (std::vector<std::string>{"warning, boxes shown: 1", "warning, boxes shown: 1",
                                              "opened slides.abc"}));
}

// "Send 5 tunes to trash ?" is open when a later start hands over a file of 3 tunes:
// the file opens only once the question is answered, and Yes empties the file it was
// asked about; saved, the other file keeps its tunes on disk.
TEST_F(LaterStartsTest, AHandOverDuringAQuestionWaitsForTheAnswer) {
  realMessages_ = true;
  TAppContext& app = Start();
  Serve(app);
  const QString name = name_;
  RecordOpened(app);
  TAbcFile* reels = OpenUserFile("reels.abc", Tunes(5, "Reel"));
  Write("hornpipes.abc", Tunes(3, "Hornpipe"));
  const int trashed = app.FileControl()->Trash()->FilterList.AllCount();

  test::ModalAnswers modals;
  modals.Then([&](QWidget* box) {
    auto later = HandOver(name, Path("hornpipes.abc"));
    EXPECT_EQ(Finish(later), Claimed::PassedOn);
    QTest::qWait(200);
    EXPECT_EQ(app.FileControl()->FindFile(Path("hornpipes.abc")), nullptr) << "opened under the question";
    EXPECT_EQ(app.MainEcr()->WaitingHandOvers(), 1u);
    auto* question = static_cast<QMessageBox*>(box);
    EXPECT_EQ(question->text().toStdString(), "Send 5 tunes to trash ?");
    AnswerYes(box);
  });
  (*app.Actions())[ActionId::DeleteAll]->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened_.size() == 2; }, kWaitMs));

  EXPECT_EQ(opened_, (std::vector<std::string>{"reels.abc", "hornpipes.abc"}));
  TAbcFile* hornpipes = app.FileControl()->FindFile(Path("hornpipes.abc"));
  ASSERT_NE(hornpipes, nullptr);
  EXPECT_EQ(reels->FilterList.AllCount(), 0);
  EXPECT_EQ(hornpipes->FilterList.AllCount(), 3);
  EXPECT_EQ(app.FileControl()->Trash()->FilterList.AllCount(), trashed + 5);
  EXPECT_EQ(app.FileControl()->SaveAll(), kCtrlOk);
  EXPECT_EQ(test::ReadBytes(Path("hornpipes.abc")), Tunes(3, "Hornpipe"));
  EXPECT_EQ(test::ReadBytes(Path("reels.abc")).find("X:"), std::string::npos);
}

// While a large file is read, later starts hand over another file and the same one:
// both wait for the read to end; the other opens after it, and the same file then is
// open already (once) and is shown.
TEST_F(LaterStartsTest, AHandOverDuringAReadWaitsForTheRead) {
  TAppContext& app = Start();
  TSingleInstance& instance = Serve(app);
  RecordOpened(app);
  Write("session.abc", Tunes(300, "Jig"));
  Write("polkas.abc", Tunes(2, "Polka"));
  bool handedOver = false;
  ui_.WhileInProgress = [&] {
    // The hand-overs arrive as the socket delivers them: in the loop the read runs.
    if (std::exchange(handedOver, true)) return;
    emit instance.OpenCommand(QString::fromStdString("[Open(" + Path("polkas.abc") + ")]"));
    emit instance.OpenCommand(QString::fromStdString("[Open(" + Path("session.abc") + ")]"));
    EXPECT_EQ(app.MainEcr()->WaitingHandOvers(), 2u);
  };
  ASSERT_EQ(app.FileControl()->OpenFile(Path("session.abc")), kCtrlOk);
  ASSERT_TRUE(handedOver);
  ASSERT_TRUE(QTest::qWaitFor([&] { return app.MainEcr()->WaitingHandOvers() == 0; }, kWaitMs));

  EXPECT_EQ(opened_, (std::vector<std::string>{"session.abc", "polkas.abc"}));
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"File already open"});
  TAbcFile* session = app.FileControl()->FindFile(Path("session.abc"));
  EXPECT_EQ(session->FilterList.AllCount(), 300);
  EXPECT_EQ(app.ShownFile(), session);
}

// "Quit Reelquill ?" is open when a later start hands over a file; Yes ends the
// program: the file does not open in the window that is going, it waits to be handed on.
TEST_F(LaterStartsTest, AHandOverDuringTheQuitQuestionIsHandedOnAfterYes) {
  realMessages_ = true;
  TAppContext& app = Start();
  Serve(app);
  const QString name = name_;
  RecordOpened(app);
  OpenUserFile("reels.abc", Tunes(2, "Reel"));
  Write("jigs.abc", Tunes(2, "Jig"));

  std::vector<std::string> asked;
  test::ModalAnswers modals;
  modals.Then([&](QWidget* box) {
    asked.push_back(static_cast<QMessageBox*>(box)->text().toStdString());
    auto later = HandOver(name, Path("jigs.abc"));
    EXPECT_EQ(Finish(later), Claimed::PassedOn);
    QTest::qWait(100);
    AnswerYes(box);
  });
  app.MainEcr()->close();
  QTest::qWait(300);  // waiting hand-overs look again every 50 ms

  EXPECT_EQ(asked, std::vector<std::string>{"Quit Reelquill ?"});
  EXPECT_FALSE(app.MainEcr()->isVisible());
  EXPECT_EQ(opened_, std::vector<std::string>{"reels.abc"});
  EXPECT_EQ(HandedOn(app), QStringList{OpenCommand("jigs.abc")});
}

// A new file's save question, answered Yes, then the quit question, answered Yes: a
// file handed over during each waits, and both are handed on in the order they came.
TEST_F(LaterStartsTest, HandOversDuringTheSaveAndQuitQuestionsAreHandedOnInOrder) {
  realMessages_ = true;
  saveNames_ = {Path("new.abc")};
  TAppContext& app = Start();
  Serve(app);
  const QString name = name_;
  RecordOpened(app);
  app.FileControl()->NewFile();
  Write("jigs.abc", Tunes(2, "Jig"));
  Write("polkas.abc", Tunes(2, "Polka"));

  std::vector<std::string> asked;
  auto handOverThenYes = [&](const std::string& file) {
    return [&, file](QWidget* box) {
      asked.push_back(static_cast<QMessageBox*>(box)->text().toStdString());
      auto later = HandOver(name, Path(file));
      EXPECT_EQ(Finish(later), Claimed::PassedOn);
      QTest::qWait(100);
      AnswerYes(box);
    };
  };
  test::ModalAnswers modals;
  modals.Then(handOverThenYes("jigs.abc"));
  modals.Then(handOverThenYes("polkas.abc"));
  app.MainEcr()->close();
  QTest::qWait(300);

  EXPECT_EQ(asked, (std::vector<std::string>{"Save New File :abcnew1", "Quit Reelquill ?"}));
  EXPECT_FALSE(app.MainEcr()->isVisible());
  EXPECT_TRUE(std::filesystem::exists(Path("new.abc")));
  EXPECT_EQ(opened_, std::vector<std::string>{"abcnew1"});
  EXPECT_EQ(HandedOn(app), (QStringList{OpenCommand("jigs.abc"), OpenCommand("polkas.abc")}));
}

}  // namespace
}  // namespace rq
