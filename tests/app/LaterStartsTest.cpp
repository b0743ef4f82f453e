// Files that later starts of the program hand over, taken by the running window while
// it shows a message of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <future>

#include "AppFixture.h"
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

class LaterStartsTest : public test::AppFixture {};

// While the "File already open" box waits, two more starts hand over a file each (the
// same file again, then a new one): one box at a time, and the new file opens only
// after the second box, in the order the starts sent them.
TEST_F(LaterStartsTest, HandOversDuringAWarningTakeTheirTurn) {
  realMessages_ = true;
  TAppContext& app = Start();
  const QString name = QStringLiteral("rq-test-%1-later").arg(::getpid());
  TSingleInstance instance(name);
  ASSERT_EQ(instance.Claim({}), Claimed::First) << instance.FailureReason().toStdString();
  app.MainEcr()->ServeLaterStarts(instance);
  instance.StartDelivering();
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

}  // namespace
}  // namespace rq
