// The player on its real timer thread, with the window thread busy at the same time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "PlayerDoubles.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"

namespace rq::test {
namespace {

using namespace std::chrono_literals;

// Two voices of eighth notes on channels 1 and 2, a bar and a half long.
void FillTune(TMidiContainer& c) {
  c.Clear();
  for (int i = 0; i < 12; ++i) AddNote(c, i * 240, i * 240 + 240, 60 + i, 90, 1);
  for (int i = 0; i < 6; ++i) AddNote(c, i * 480, i * 480 + 480, 48 + i, 70, 2);
}

class PlayerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player_ = std::make_unique<TZymMidiPlayer>(0, settings_, ports_, SystemClock(), SystemTimers());
    player_->SetSpeed(200);
    player_->SetOnStop([this] { ++stops_; });
    player_->RefillContainer(FillTune);
  }

  MemoryPorts ports_{SystemClock()};
  MidiSettings settings_;
  std::unique_ptr<TZymMidiPlayer> player_;
  std::atomic<int> stops_{0};
};

// A short tune plays to its end: every note, in the container's order, then one stop.
TEST_F(PlayerThreadTest, ShortTunePlaysCompletelyAndInOrder) {
  std::vector<Sent> expected;
  for (size_t i = 0; i < player_->Container().EventCount(); ++i) {
    const TMIDI_Event* e = player_->Container().GetEvent(static_cast<std::ptrdiff_t>(i));
    expected.push_back({0, e->Status(), e->Data1(), e->Data2(settings_.MidiVolume)});
  }
  player_->Start();
  ASSERT_TRUE(WaitFor([this] { return stops_ > 0; }));
  EXPECT_FALSE(player_->Playing());

  const auto notes = ports_.Notes();
  ASSERT_EQ(notes.size(), expected.size());
  for (size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ((Sent{0, notes[i].status, notes[i].data1, notes[i].data2}), expected[i]) << "message " << i;
    if (i > 0) {
      EXPECT_GE(notes[i].ms, notes[i - 1].ms);
    }
  }
  player_.reset();
  EXPECT_EQ(stops_, 1);
}

// The window thread's calls while the timer plays: only ThreadSanitizer judges the
// sharing (ctest label thread_sanitizer).
TEST_F(PlayerThreadTest, WindowThreadCallsWhilePlaying) {
  player_->SetLoopOn(true);
  player_->Start();
  for (int round = 0; round < 40; ++round) {
    player_->SetSpeed(150 + round);
    player_->SetVolume(60 + round);
    player_->SetPitch(round % 8);
    player_->NoteOn(3, 72, 80);
    player_->NoteOff(3, 72);
    player_->SetLoop(round % 2 ? 480 : -1, round % 2 ? 1920 : -1);
    player_->Pause(true);
    player_->Seek(240 * (round % 12));
    player_->Pause(false);
    if (round % 10 == 0) player_->RefillContainer(FillTune);
    int num = 0, den = 0;
    player_->GetMeter(num, den);
    (void)player_->PositionTicks();
    std::this_thread::sleep_for(3ms);
  }
  player_->Stop(false);
  EXPECT_FALSE(player_->Playing());
  player_->SetLoopOn(false);
  player_->Start();
  ASSERT_TRUE(WaitFor([this] { return stops_ > 0; }));
}

}  // namespace
}  // namespace rq::test
