// A program started as in real life, offscreen: its own program folder, scripted
// answers, the recording MIDI device and scripted save dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "../library/FileTestHelpers.h"
#include "app/AppContext.h"
#include "library/UserInterface.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"
#include "platform/ProgramFolder.h"

namespace rq::test {

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString();
    ports_ = std::make_unique<RecorderMidiPorts>(folder_ + "/midi.log", *clock_);
  }
  void TearDown() override {
    context_.reset();
    ports_.reset();
    SetProgramFolder("");
  }

  TAppContext& Start(bool welcome = false) {
    TAppOptions options;
    options.programFolder = folder_;
    options.midiPorts = otherPorts_ ? otherPorts_ : ports_.get();
    options.clock = clock_;
    options.timers = timers_;
    options.ui = &ui_;
    options.showWelcome = welcome;
    options.log = &log_;
    auto next = [](std::vector<std::string>& names) {
      if (names.empty()) return std::string();
      std::string name = names.front();
      names.erase(names.begin());
      return name;
    };
    options.askOpenFileName = [this] {
      ++openAsked_;
      return std::string();
    };
    options.askSaveFileName = [this, next](const std::string&, const std::string&) { return next(saveNames_); };
    options.askMidiFileName = [this, next](const std::string&, const std::string&) { return next(midiNames_); };
    options.printDialog = printDialog_;
    context_ = std::make_unique<TAppContext>(options);
    context_->Start();
    return *context_;
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const { WriteBytes(Path(name), bytes); }
  // A user file of the program folder, written with these bytes, then opened.
  TAbcFile* OpenUserFile(const std::string& name, const std::string& bytes) {
    Write(name, bytes);
    EXPECT_EQ(context_->FileControl()->OpenFile(Path(name)), kCtrlOk);
    return context_->FileControl()->FindFile(Path(name));
  }
  // A drag as a user makes it: a press on one widget, a move past the drag distance and
  // a release over a point of another.
  static void Drag(QWidget* source, QPoint from, QWidget* target, QPoint to) {
    const QPoint end = source->mapFromGlobal(target->mapToGlobal(to));
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    QTest::mouseMove(source, from + QPoint(5, 0));
    QTest::mouseMove(source, end);
    QTest::mouseRelease(source, Qt::LeftButton, {}, end);
  }
  std::vector<std::string> AskedTexts() const {
    std::vector<std::string> texts;
    for (const auto& q : ui_.Asked) texts.push_back(q.text);
    return texts;
  }

  QTemporaryDir dir_;
  std::string folder_;
  IMillisecondClock* clock_ = &SystemClock();  // set before SetUp for hand-stepped time
  ITimerService* timers_ = &SystemTimers();
  std::unique_ptr<RecorderMidiPorts> ports_;
  IMidiOutPorts* otherPorts_ = nullptr;  // set before Start for other devices than the recorder
  TScriptedUserInterface ui_;
  std::vector<std::string> saveNames_;  // answers of the save dialogs; none left: cancelled
  std::vector<std::string> midiNames_;
  int openAsked_ = 0;  // the open dialog, always cancelled
  std::function<bool(QPrinter&)> printDialog_;  // unset: the real print dialog
  std::vector<std::string> log_;
  std::unique_ptr<TAppContext> context_;
};

}  // namespace rq::test
