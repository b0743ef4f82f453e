// The player panel on a player with the recording device, a hand-stepped clock and
// timer, and tunes written inline.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "PlayerDoubles.h"
#include "RecordedMessages.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "platform/MidiDevices.h"
#include "screens/PlayerEcr.h"

namespace rq::test {

// A 4/4 reel of `bars` full bars of eighth notes, with a quarter-note pickup when
// asked; bars from `highFrom` on (counted from 1) play only the g above the staff.
inline std::string Reel(int bars, bool pickup = false, int highFrom = 0) {
  std::string abc = "X:1\nT:Test Reel\nR:reel\nM:4/4\nL:1/8\nK:C\n";
  if (pickup) abc += "FA|";
  for (int bar = 1; bar <= bars; ++bar) {
    abc += highFrom > 0 && bar >= highFrom ? "gggg gggg|" : "CDEF GABc|";
    if (bar % 4 == 0) abc += "\n";
  }
  return abc + "\n";
}

// A 6/8 jig of `bars` bars, with an eighth-note pickup when asked.
inline std::string Jig(int bars, bool pickup = false) {
  std::string abc = "X:1\nT:Test Jig\nR:jig\nM:6/8\nL:1/8\nK:G\n";
  if (pickup) abc += "D|";
  for (int bar = 1; bar <= bars; ++bar) abc += "GAB cde|";
  return abc + "\n";
}

constexpr int kHighG = 79;

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
inline void Click(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  SendMouse(w, QEvent::MouseButtonPress, pos, button, button);
  SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

// On the hand-stepped clock and timer, or on the machine's when `realTime` is set
// before SetUp (the player's own timer thread then plays).
class PanelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("midi.log").toStdString();
    const IMillisecondClock& clock = realTime_ ? SystemClock() : clock_;
    ports_ = std::make_unique<RecorderMidiPorts>(path_, clock);
    player_ = std::make_unique<TZymMidiPlayer>(0, settings_, *ports_, clock,
                                               realTime_ ? SystemTimers() : static_cast<ITimerService&>(timers_));
    converter_ = std::make_unique<TAbcMidi>(settings_);
    host_ = std::make_unique<QWidget>();
    new QVBoxLayout(host_.get());
  }
  void TearDown() override {
    panel_.reset();
    player_.reset();
  }

  // The panel, created as start-up creates it, on the settings as they are now.
  TPlayerEcr& Panel() {
    if (!panel_) {
      panel_ = std::make_unique<TPlayerEcr>(*player_, *converter_, parser_, settings_);
      panel_->OnCreate(host_.get());
      host_->resize(1000, 80);
      host_->show();
    }
    return *panel_;
  }
  // The open-files controller showing a tune: the shared parser parses it first.
  void Show(const std::string& abc) {
    const TLines lines = SplitLines(abc);
    parser_.Parse(lines);
    Panel().OnTuneShown(nullptr, lines);
  }
  // Steps the clock and the player's timer, 10 ms at a time.
  void Run(int64_t ms) {
    for (int64_t t = 0; t < ms; t += TZymMidiPlayer::kTimerPeriodMs) {
      clock_.now += TZymMidiPlayer::kTimerPeriodMs;
      timers_.Fire();
    }
  }
  // Every message the device received, in order.
  std::vector<Sent> Recorded() const { return ReadRecording(path_); }
  std::vector<int> NoteOnPitches() const {
    std::vector<int> pitches;
    for (const Sent& m : Recorded()) {
      if ((m.status & 0xF0) == 0x90 && m.data2 > 0) pitches.push_back(m.data1);
    }
    return pitches;
  }
  int Hanging() const { return HangingNotes(Recorded()); }

  bool realTime_ = false;
  QTemporaryDir dir_;
  std::string path_;
  ManualClock clock_;
  ManualTimers timers_;
  std::unique_ptr<RecorderMidiPorts> ports_;
  MidiSettings settings_;
  std::unique_ptr<TZymMidiPlayer> player_;
  std::unique_ptr<TAbcMidi> converter_;
  TAbcParser parser_;
  std::unique_ptr<QWidget> host_;
  std::unique_ptr<TPlayerEcr> panel_;
};

}  // namespace rq::test
