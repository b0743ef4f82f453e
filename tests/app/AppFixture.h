// A program started as in real life, offscreen: its own program folder, scripted
// answers, the recording MIDI device and scripted save dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <QTest>
#include <deque>
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

// A rectangle as "x,y wxh", for messages about where a window stands.
inline std::string Text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// Answers the real modal dialogs as they open, one scripted answer each showing, in
// order; a dialog with no answer left is closed. Each answer runs from the dialog's own event
// loop, so a dialog it opens in turn is answered too.
class ModalAnswers : public QObject {
 public:
  using Answer = std::function<void(QWidget*)>;
  ModalAnswers() {
    connect(&timer_, &QTimer::timeout, this, &ModalAnswers::Poll);
    timer_.start(5);
  }
  void Then(Answer answer) { answers_.push_back(std::move(answer)); }
  // The class of each modal dialog met, in order.
  std::vector<std::string> Seen;

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    for (const QPointer<QWidget>& done : handled_) {
      if (done == modal) return;
    }
    handled_.emplace_back(modal);
    modal->installEventFilter(this);
    Seen.emplace_back(modal->metaObject()->className());
    Answer answer = answers_.empty() ? Answer(Close) : std::move(answers_.front());
    if (!answers_.empty()) answers_.pop_front();
    QPointer<QWidget> target(modal);
    QTimer::singleShot(0, this, [target, answer] {
      if (target) answer(target);
    });
  }
  // A dialog answered and closed may come back (the set name prompt does).
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      watched->removeEventFilter(this);
      std::erase_if(handled_, [watched](const QPointer<QWidget>& done) { return !done || done == watched; });
    }
    return false;
  }
  static void Close(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }

  QTimer timer_;
  std::deque<Answer> answers_;
  std::vector<QPointer<QWidget>> handled_;
};

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
    options.ui = realMessages_ ? nullptr : &ui_;
    options.showWelcome = welcome;
    options.log = &log_;
    auto next = [](std::vector<std::string>& names) {
      if (names.empty()) return std::string();
      std::string name = names.front();
      names.erase(names.begin());
      return name;
    };
    if (!realFileDialogs_) {
      options.askOpenFileName = [this] {
        ++openAsked_;
        return std::string();
      };
      options.askSaveFileName = [this, next](const std::string&, const std::string&) { return next(saveNames_); };
      options.askMidiFileName = [this, next](const std::string&, const std::string&) { return next(midiNames_); };
      options.askFolder = [this, next] { return next(folderNames_); };
    }
    options.printDialog = printDialog_;
    options.openDocument = openDocument_;
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
  std::vector<std::string> folderNames_;  // answers of Merge Directory's folder dialog
  bool realFileDialogs_ = false;  // set before Start: Qt's file dialogs, not the scripted ones
  bool realMessages_ = false;  // set before Start: the resource module's message boxes, not ui_
  int openAsked_ = 0;  // the open dialog, always cancelled
  std::function<bool(QPrinter&)> printDialog_;  // unset: the real print dialog
  // The desktop's opener of documents; unset: the real one.
  std::function<void(const std::string&, OpenDocumentDone)> openDocument_;
  std::vector<std::string> log_;
  std::unique_ptr<TAppContext> context_;
};

}  // namespace rq::test
