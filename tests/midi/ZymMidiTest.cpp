// The player on a hand-stepped clock and timer, sending to devices that keep what they get.
#include "midi/ZymMidi.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "PlayerDoubles.h"
#include "midi/MidiSettings.h"

namespace rq::test {
namespace {

constexpr int kOn = 0x90;
constexpr int kOff = 0x80;

using Sends = std::vector<Sent>;

class PlayerTest : public ::testing::Test {
 protected:
  // A player whose channel set-up at the open is already forgotten.
  void SetUp() override {
    NewPlayer();
    ports_.sent.clear();
  }

  // A new player on the port, made after resetting the settings and then changing them as `set` does.
  void NewPlayer(int port = 0, const std::function<void(MidiSettings&)>& set = [](MidiSettings&) {}) {
    player_.reset();
    settings_.MidiSpeed = 100;
    settings_.MidiPitch = 0;
    settings_.MidiVolume = 100;
    settings_.MidiOctave = 0;
    for (auto& patch : settings_.MidiPatch) patch = 0;
    settings_.MidiReady = false;
    set(settings_);
    player_ = std::make_unique<TZymMidiPlayer>(port, settings_, ports_, clock_, timers_);
    player_->SetOnStop([this] { ++stops_; });
  }
  // Replaces the player's events by these notes (start, end, pitch) of velocity 80.
  void Fill(std::initializer_list<std::array<int, 3>> notes) {
    player_->RefillContainer([&](TMidiContainer& c) {
      c.Clear();
      for (const auto& [start, end, pitch] : notes) AddNote(c, start, end, pitch);
    });
  }
  // Lets `ms` of time pass, firing the timer every 10 ms.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      clock_.now += 10;
      timers_.Fire();
    }
  }
  // Starts these notes and lets them play for `ms`.
  void Play(std::initializer_list<std::array<int, 3>> notes, int ms) {
    Fill(notes);
    player_->Start();
    Run(ms);
  }

  ManualClock clock_;
  ManualTimers timers_;
  MemoryPorts ports_{clock_};
  MidiSettings settings_;
  std::unique_ptr<TZymMidiPlayer> player_;
  int stops_ = 0;
};

// ---- Tempo and the 10 ms grid ----

// The speed sets the tempo, and a bar's length in time follows from it: when a note on tick 1920 goes out.
TEST_F(PlayerTest, TempoFromSpeedSetsWhenTheSecondBarSounds) {
  struct Speed { int speed, tempo; int64_t secondBarMs; };
  for (const Speed& c : {Speed{0, 60, 4010}, {100, 200, 1210}, {150, 270, 890}, {200, 340, 710}}) {
    SetUp();
    player_->SetSpeed(c.speed);
    EXPECT_EQ(player_->Tempo(), c.tempo) << "speed " << c.speed;
    Play({{1920, 2400, 64}}, 5000);
    const Sends notes = ports_.Notes();
    ASSERT_FALSE(notes.empty()) << "speed " << c.speed;
    EXPECT_EQ(notes[0], (Sent{c.secondBarMs, kOn, 64, 80})) << "speed " << c.speed;
  }
}

// Events go out on the first 10 ms tick past their time, the meter shows, and the volume scales later notes.
TEST_F(PlayerTest, EventsGoOutOnTheTimerGrid) {
  Fill({{0, 240, 60}, {240, 480, 62}});
  player_->RefillContainer(
      [](TMidiContainer& c) { c.AddEvent(std::make_unique<TTimeSignature>(0, kTagConverter, 6, 8)); });
  player_->Start();
  EXPECT_EQ(timers_.period, 10);
  Run(10);
  int num = 0, den = 0;
  player_->GetMeter(num, den);
  EXPECT_EQ(num, 6);
  EXPECT_EQ(den, 8);
  player_->SetVolume(50);
  Run(390);
  EXPECT_EQ(ports_.sent, (Sends{{10, kOn, 60, 80}, {160, kOn, 60, 0}, {160, kOn, 62, 40}, {310, kOn, 62, 0}}));
}

// Speed, pitch, volume and programs out of range are brought into range.
TEST_F(PlayerTest, SettingsOutOfRangeAreClamped) {
  player_->SetSpeed(500);
  EXPECT_EQ(player_->Tempo(), 340);
  EXPECT_EQ(settings_.MidiSpeed, 200);
  player_->SetSpeed(-20);
  EXPECT_EQ(player_->Tempo(), 60);
  player_->SetTempo(0);
  EXPECT_GT(player_->Tempo(), 0);
  player_->SetVolume(250);
  EXPECT_EQ(settings_.MidiVolume, 100);
  player_->SetPitch(-99);
  EXPECT_EQ(settings_.MidiPitch, -63);

  ports_.sent.clear();
  player_->SetPatch(2, 300);
  player_->SetPatch(16, 5);
  player_->NoteOn(0, 200, 300);
  player_->NoteOn(-1, 60, 100);
  player_->NoteOff(3, -4);
  EXPECT_EQ(ports_.sent, (Sends{{0, 0xC2, 127, 0}, {0, kOn, 127, 127}, {0, 0x83, 0, 0}}));
}

// ---- Pause, seek and loop ----

// A pause silences the notes and holds the position; resuming goes on from there.
TEST_F(PlayerTest, PauseAndResumeContinueInPlace) {
  Play({{0, 960, 60}, {960, 1920, 62}}, 300);
  player_->Pause(true);
  EXPECT_EQ(player_->PositionTicks(), 480);
  Run(5000);
  EXPECT_EQ(player_->PositionTicks(), 480);
  player_->Pause(false);
  Run(400);
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}, {300, kOff, 60, 0}, {5610, kOn, 60, 0}, {5610, kOn, 62, 80}}));
}

// A seek silences sounding notes and plays on from the new place without replaying a note-on.
TEST_F(PlayerTest, SeekSilencesSoundingNotesAndGoesOnFromThere) {
  Play({{0, 960, 60}, {960, 1440, 62}}, 100);
  player_->Seek(480);
  EXPECT_EQ(player_->PositionTicks(), 480);
  Run(320);
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}, {100, kOff, 60, 0}, {410, kOn, 60, 0}, {410, kOn, 62, 80}}));
}

// The loop silences and replays its range, or with no bounds the whole tune, without stopping.
TEST_F(PlayerTest, LoopReplaysTheRangeOrTheWholeTune) {
  player_->SetLoopOn(true);
  player_->SetLoop(1920, 3840);
  Play({{0, 960, 60}, {1920, 3840, 62}, {3840, 4800, 64}}, 3630);
  EXPECT_TRUE(player_->Playing());
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}, {610, kOn, 60, 0}, {1210, kOn, 62, 80}, {2410, kOff, 62, 0},
                                {2420, kOn, 62, 80}, {3620, kOff, 62, 0}, {3630, kOn, 62, 80}}));
  EXPECT_EQ(stops_, 0);

  player_->Stop(false);
  player_->SetLoop(960, 960);  // equal bounds clear the loop range
  Fill({{0, 480, 60}});
  ports_.sent.clear();
  player_->Start();
  Run(330);
  EXPECT_EQ(ports_.Notes(), (Sends{{3640, kOn, 60, 80}, {3940, kOn, 60, 0}, {3960, kOn, 60, 80}}));
}

// ---- Start, stop and the end of a tune ----

// The tune ends on the tick after its last event: the player stops and tells once.
TEST_F(PlayerTest, EndOfTuneStopsAndCallsTheHandlerOnce) {
  Play({{0, 480, 60}}, 310);
  EXPECT_TRUE(player_->Playing());
  Run(10);
  EXPECT_FALSE(player_->Playing());
  EXPECT_EQ(stops_, 1);
  EXPECT_FALSE(timers_.Running());
  player_->Tick(10'000);  // a late tick of the stopping timer
  Run(100);
  EXPECT_EQ(stops_, 1);

  // It plays again from the start.
  ports_.sent.clear();
  player_->Start();
  Run(10);
  EXPECT_EQ(ports_.Notes(), (Sends{{430, kOn, 60, 80}}));
}

// A stop from the window thread ends the timer before silencing the notes.
TEST_F(PlayerTest, StopEndsTheTimerAndSilencesNotes) {
  Play({{0, 960, 60}}, 100);
  player_->Stop(false);
  EXPECT_FALSE(player_->Playing());
  EXPECT_EQ(timers_.live, nullptr);
  EXPECT_EQ(stops_, 0);
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}, {100, kOff, 60, 0}}));
  player_->Stop(true);
  EXPECT_EQ(stops_, 1);
}

// Without a timer the player does not pretend to play, and a pause before a stop does not mute the next start.
TEST_F(PlayerTest, StartNeedsATimerAndIsNotHeldByAStoppedPause) {
  Fill({{0, 960, 60}});
  timers_.refuse = true;
  player_->Start();
  EXPECT_FALSE(player_->Playing());
  timers_.refuse = false;
  player_->Start();
  player_->Pause(true);
  player_->Stop(false);
  player_->Start();
  Run(10);
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}}));
}

// ---- The container while playing ----

// Refilling while playing silences the old notes and goes on at the same position.
TEST_F(PlayerTest, RefillWhilePlayingContinuesInTheNewEvents) {
  Play({{0, 960, 60}}, 100);
  Fill({{0, 960, 62}, {320, 640, 64}});
  Run(110);
  EXPECT_EQ(ports_.Notes(), (Sends{{10, kOn, 60, 80}, {100, kOff, 60, 0}, {210, kOn, 64, 80}}));
}

// A tick that comes while the window thread holds the player is skipped.
TEST_F(PlayerTest, TickIsSkippedWhileThePlayerIsBusy) {
  Play({{0, 960, 60}}, 0);
  player_->RefillContainer([&](TMidiContainer&) { std::thread([&] { player_->Tick(5000); }).join(); });
  EXPECT_EQ(player_->PositionTicks(), 0);
  EXPECT_TRUE(ports_.Notes().empty());
}

// ---- What reaches the device ----

// Every open sends each channel's instrument and the bend, and a new pitch bends every channel
// alike, so voices on several channels stay in tune; a port that does not exist leaves MIDI unready.
TEST_F(PlayerTest, OpeningADeviceSendsInstrumentsAndBend) {
  NewPlayer(0, [](MidiSettings& config) {
    config.MidiPatch[2] = 40;
    config.MidiPitch = 5;
  });
  EXPECT_TRUE(settings_.MidiReady);
  const auto setup = [](int program) {
    Sends sent;
    for (int channel = 0; channel < 16; ++channel) {
      sent.push_back({0, 0xC0 + channel, channel == 2 ? program : 0, 0});
      sent.push_back({0, 0xE0 + channel, 0, 69});
    }
    return sent;
  };
  EXPECT_EQ(ports_.sent, setup(40));
  player_->SetPatch(2, 71);
  ASSERT_TRUE(player_->Output().Close());
  ports_.sent.clear();
  ASSERT_TRUE(player_->Output().Open());
  EXPECT_EQ(ports_.sent, setup(71));
  ports_.sent.clear();
  player_->SetPitch(0);  // no bend
  ASSERT_EQ(ports_.sent.size(), 16u);
  for (int channel = 0; channel < 16; ++channel) EXPECT_EQ(ports_.sent[channel], (Sent{0, 0xE0 + channel, 0, 64}));

  NewPlayer(7);
  EXPECT_FALSE(settings_.MidiReady);
  EXPECT_FALSE(player_->Output().IsOpen());
}

}  // namespace
}  // namespace rq::test
