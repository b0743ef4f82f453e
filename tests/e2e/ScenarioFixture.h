// The whole program driven as a user drives it: the real main window offscreen, scripted
// answers, the recording MIDI device on a hand-stepped clock, files handed over by a
// second start of the real program, and quitting through the window's close.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "../app/AppFixture.h"
#include "../screens/BrowserTestHelpers.h"
#include "PlayerDoubles.h"
#include "RecordedMessages.h"
#include "app/AppContext.h"
#include "app/MainEcr.h"
#include "controls/ListGrid.h"
#include "midi/ZymMidi.h"
#include "platform/SingleInstance.h"
#include "screens/DlgString.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"
#include "screens/PlayerEcr.h"

namespace rq::test {

class ScenarioFixture : public AppFixture {
 protected:
  void SetUp() override {
    clock_ = &manualClock_;
    timers_ = &manualTimers_;
    AppFixture::SetUp();
  }
  void TearDown() override {
    instance_.reset();
    AppFixture::TearDown();
  }

  // Starts the program on the program folder as it is and shows its window; it
  // listens for later starts as the program does.
  TAppContext& Launch() {
    TAppContext& app = Start();
    TMainEcr* main = app.MainEcr();
    main->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(main));
    instance_ = std::make_unique<TSingleInstance>(SocketPath());
    EXPECT_EQ(instance_->Claim({}), TSingleInstance::Start::First) << instance_->FailureReason().toStdString();
    QObject::connect(instance_.get(), &TSingleInstance::OpenCommand, main, &TMainEcr::OnExecDDEMacro);
    instance_->StartDelivering();
    return app;
  }
  // The program ends (its objects saving what they keep) and starts again on the same folder.
  TAppContext& Relaunch() {
    instance_.reset();
    context_.reset();
    return Launch();
  }
  // The window's close box: true when the program agreed to end. The scripted answers
  // are given to the questions it asks on the way.
  bool CloseWindow(std::deque<int32_t> answers) {
    ui_.Asked.clear();
    ui_.Answers = std::move(answers);
    MainEcr()->close();
    return !MainEcr()->isVisible();
  }

  // A second start of the real program with this file: it hands the file over and ends.
  void OpenThroughSecondStart(const std::string& path) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("RQ_INSTANCE_NAME", SocketPath());
    env.insert("RQ_PROGRAM_DIR", QString::fromStdString(Path("second")));  // never used when it hands over
    second.setProcessEnvironment(env);
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    second.start(RQ_BIN_DIR "/reelquill", {QString::fromStdString(path)});
    ASSERT_TRUE(second.waitForStarted(10000));
    // This thread serves the socket: it keeps handling events while the second start runs.
    const bool ended = QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 30000);
    if (!ended) second.kill();
    ASSERT_TRUE(ended) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
  }

  TFileEcr& Browser() const { return *FileEcr(); }
  TListGrid& Grid() const { return *Browser().LstGrid(); }
  TPlayerEcr& Player() const { return *PlayerEcr(); }
  // The titles of the view shown, in order.
  std::vector<std::string> View() const {
    const TAbcFile* file = Browser().CurList();
    std::vector<std::string> titles;
    for (int32_t row = 0; file && row < file->FilterList.Count(); ++row) titles.push_back(file->GetTitle(row));
    return titles;
  }
  // A point of a row of the list, `x` pixels from its cell's left edge (the mark box is the first 18).
  QPoint RowPoint(int row, int x) const {
    const int perCol = Grid().RowsPerCol();
    const QRect cell = Grid().CellRect(row / perCol, row % perCol);
    return {cell.left() + x, cell.center().y()};
  }
  void ClickRow(int row, int x) { QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, RowPoint(row, x)); }
  void Key(Qt::Key key) { QTest::keyClick(&Grid(), key); }
  // A key pressed wherever the focus is, as the user types it.
  void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key, modifiers);
  }

  // A click on a tool button of the window, found by its name; it must be there to click.
  void ClickButton(const char* name) {
    auto* button = MainEcr()->findChild<QToolButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  static void ClickTab(QTabBar* bar, int index) { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center()); }
  // A click on a button that asks a name: the prompt gets the name typed and Enter,
  // then the main window gets the keys back (offscreen, nothing else gives them back).
  void ClickButtonAndName(const char* name, const QString& text) {
    QTimer::singleShot(0, MainEcr(), [text] {
      auto* prompt = qobject_cast<TDlgString*>(QApplication::activeModalWidget());
      ASSERT_NE(prompt, nullptr);
      QTest::keyClicks(prompt->EDString(), text);
      QTest::keyClick(prompt->EDString(), Qt::Key_Return);
    });
    ClickButton(name);
    QApplication::setActiveWindow(MainEcr());
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainEcr()));
  }

  // The editor's line `line` typed over: caret there, the line selected, the text typed.
  void TypeOverLine(int line, const QString& text) {
    QPlainTextEdit* editor = EditEcr()->AbcEditor();
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < line; ++i) QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClicks(editor, text);
  }

  // Quits (the answers given to its questions), starts again and opens the file from
  // the first entry of the recent-files menu.
  TAbcFile* QuitAndReopen(const std::string& name, std::deque<int32_t> answers) {
    EXPECT_TRUE(CloseWindow(std::move(answers)));
    Relaunch();
    const QList<QAction*> recent = MainEcr()->findChild<QMenu*>("mnReload")->actions();
    if (!recent.isEmpty()) recent.front()->trigger();
    return FileControl()->FindFile(Path(name));
  }

  // Steps the clock and the player's timer, 10 ms at a time.
  void Run(int64_t ms) {
    for (int64_t t = 0; t < ms; t += TZymMidiPlayer::kTimerPeriodMs) {
      manualClock_.now += TZymMidiPlayer::kTimerPeriodMs;
      manualTimers_.Fire();
    }
  }
  // The note-ons the device received, in order.
  std::vector<Sent> NoteOns() const {
    std::vector<Sent> ons = ReadRecording(Path("midi.log"));
    std::erase_if(ons, [](const Sent& m) { return (m.status & 0xF0) != 0x90 || m.data2 == 0; });
    return ons;
  }

  QString SocketPath() const { return QString::fromStdString(Path("instance.sock")); }

  ManualClock manualClock_;
  ManualTimers manualTimers_;
  std::unique_ptr<TSingleInstance> instance_;
};

}  // namespace rq::test
