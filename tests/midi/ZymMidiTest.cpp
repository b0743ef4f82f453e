// The player on a hand-stepped clock and timer, sending to a recorder device.
#include "midi/ZymMidi.h"

#include <gtest/gtest.h>

#include <thread>

#include "PlayerDoubles.h"
#include "midi/MidiSettings.h"

namespace rq::test {
namespace {

constexpr int kOn = 0x90;
constexpr int kOff = 0x80;

void AddNote(TMidiContainer& c, MidiTick start, MidiTick end, int pitch, int velocity = 80, int channel = 1) {
  c.AddEvent(std::make_unique<TNote_On>(start, kTagConverter, velocity, pitch, channel, end));
  c.AddEvent(std::make_unique<TNote_On>(end, kTagConverter, 0, pitch, channel, end));
}

void ResetSettings() {
  MidiSettings& config = MidiConfig();
  config.MidiSpeed = 100;
  config.MidiPitch = 0;
  config.MidiVolume = 100;
  config.MidiOctave = 0;
  for (auto& patch : config.MidiPatch) patch = 0;
  config.MidiReady = false;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    player_ = std::make_unique<TZymMidiPlayer>(0, ports_, clock_, timers_);
    player_->SetOnStop([this] { ++stops_; });
    MarkSent();
  }

  void Fill(const std::function<void(TMidiContainer&)>& fill) {
    player_->RefillContainer([&](TMidiContainer& c) {
      c.Clear();
      fill(c);
    });
  }
  // Lets `ms` of time pass, firing the timer every 10 ms.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      clock_.Advance(10);
      timers_.Fire();
    }
  }
  // Forgets what was sent so far (the channel set-up of the open, say).
  void MarkSent() { mark_ = ReadRecording(path_).size(); }
  // Messages sent since the last mark, timed from the start of the first test step.
  std::vector<Sent> SentSinceMark() const {
    const auto all = ReadRecording(path_);
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(mark_, all.size())), all.end()};
  }
  std::vector<Sent> NotesSent() const { return NotesOf(SentSinceMark()); }

  ManualClock clock_;
  ManualTimers timers_;
  std::string path_ = TempFile(".rec");
  RecorderMidiPorts ports_{path_, clock_};
  std::unique_ptr<TZymMidiPlayer> player_;
  int stops_ = 0;
  size_t mark_ = 0;
};

// ---- Tempo and the 10 ms grid ----

struct SpeedCase {
  int speed;
  int tempo;
  int64_t secondBarMs;  // when a note on tick 1920 goes out
};

class PlayerSpeedTest : public PlayerTest, public ::testing::WithParamInterface<SpeedCase> {};

// The speed sets the tempo, and a bar's length in time follows from it.
TEST_P(PlayerSpeedTest, TempoFromSpeedSetsWhenTheSecondBarSounds) {
  const SpeedCase c = GetParam();
  player_->SetSpeed(c.speed);
  EXPECT_EQ(player_->Tempo(), c.tempo);
  EXPECT_EQ(MidiConfig().MidiSpeed, c.speed);
  Fill([](TMidiContainer& t) { AddNote(t, 1920, 2400, 64); });
  player_->Start();
  Run(5000);
  const auto notes = NotesSent();
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes[0], (Sent{c.secondBarMs, kOn, 64, 80}));
}

INSTANTIATE_TEST_SUITE_P(Speeds, PlayerSpeedTest,
                         ::testing::Values(SpeedCase{0, 60, 4010}, SpeedCase{100, 200, 1210},
                                           SpeedCase{150, 270, 890}, SpeedCase{200, 340, 710}));

// An event goes out on the first tick whose position has passed its time.
TEST_F(PlayerTest, EventsGoOutOnTheTimerGrid) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 240, 60);
    AddNote(t, 240, 480, 62);
  });
  player_->Start();
  Run(400);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {160, kOn, 60, 0}, {160, kOn, 62, 80},
                                            {310, kOn, 62, 0}}));
}

// Speed, pitch, volume and programs out of range are brought into range.
TEST_F(PlayerTest, SettingsOutOfRangeAreClamped) {
  player_->SetSpeed(500);
  EXPECT_EQ(player_->Tempo(), 340);
  EXPECT_EQ(MidiConfig().MidiSpeed, 200);
  player_->SetSpeed(-20);
  EXPECT_EQ(player_->Tempo(), 60);
  player_->SetTempo(0);
  EXPECT_GT(player_->Tempo(), 0);
  player_->SetVolume(250);
  EXPECT_EQ(MidiConfig().MidiVolume, 100);
  player_->SetPitch(-99);
  EXPECT_EQ(MidiConfig().MidiPitch, -63);

  MarkSent();
  player_->SetPatch(2, 300);
  player_->SetPatch(16, 5);
  player_->NoteOn(0, 200, 300);
  player_->NoteOn(-1, 60, 100);
  player_->NoteOff(3, -4);
  EXPECT_EQ(SentSinceMark(), (std::vector<Sent>{{0, 0xC2, 127, 0}, {0, kOn, 127, 127}, {0, 0x83, 0, 0}}));
}

// ---- Pause, seek and loop ----

// A pause silences the notes and holds the position; resuming goes on from there.
TEST_F(PlayerTest, PauseAndResumeContinueInPlace) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 960, 60);
    AddNote(t, 960, 1920, 62);
  });
  player_->Start();
  Run(300);
  player_->Pause(true);
  EXPECT_TRUE(player_->Paused());
  EXPECT_EQ(player_->PositionTicks(), 480);
  Run(5000);
  EXPECT_EQ(player_->PositionTicks(), 480);
  player_->Pause(false);
  Run(400);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {300, kOff, 60, 0}, {5610, kOn, 60, 0},
                                            {5610, kOn, 62, 80}}));
}

// After a seek into a note its note-on is not replayed; its note-off comes when due.
TEST_F(PlayerTest, SeekInsideANoteSkipsItsStartAndKeepsItsEnd) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 960, 60);
    AddNote(t, 960, 1440, 62);
  });
  player_->Start();
  player_->Seek(480);
  EXPECT_EQ(player_->PositionTicks(), 480);
  Run(320);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{310, kOn, 60, 0}, {310, kOn, 62, 80}}));
}

// Jumping while a note sounds switches it off, since its own note-off is skipped.
TEST_F(PlayerTest, SeekWhilePlayingSilencesSoundingNotes) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 960, 60);
    AddNote(t, 1920, 2400, 64);
  });
  player_->Start();
  Run(100);
  player_->Seek(1200);
  Run(100);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {100, kOff, 60, 0}}));
}

// Past the loop end, sounding notes are switched off and play resumes at the loop start.
TEST_F(PlayerTest, LoopBetweenBoundsReplaysTheSecondBar) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 960, 60);
    AddNote(t, 1920, 3840, 62);
    AddNote(t, 3840, 4800, 64);
  });
  player_->SetLoopOn(true);
  player_->SetLoop(1920, 3840);
  player_->Start();
  Run(3630);
  EXPECT_TRUE(player_->Playing());
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80},
                                            {610, kOn, 60, 0},
                                            {1210, kOn, 62, 80},
                                            {2410, kOff, 62, 0},
                                            {2420, kOn, 62, 80},
                                            {3620, kOff, 62, 0},
                                            {3630, kOn, 62, 80}}));
  EXPECT_EQ(stops_, 0);
}

// With the loop on and no bounds the whole tune starts again after its last event.
TEST_F(PlayerTest, LoopWithoutBoundsRepeatsTheTune) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 480, 60); });
  player_->SetLoopOn(true);
  player_->SetLoop(960, 960);  // equal bounds clear the loop range
  player_->Start();
  Run(330);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {310, kOn, 60, 0}, {330, kOn, 60, 80}}));
}

// ---- Start, stop and the end of a tune ----

// The tune ends on the tick after its last event: the player stops and tells once.
TEST_F(PlayerTest, EndOfTuneStopsAndCallsTheHandlerOnce) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 480, 60); });
  player_->Start();
  Run(310);
  EXPECT_TRUE(player_->Playing());
  Run(10);
  EXPECT_FALSE(player_->Playing());
  EXPECT_EQ(stops_, 1);
  EXPECT_FALSE(timers_.Running());
  player_->Tick(10'000);  // a late tick of the stopping timer
  Run(100);
  EXPECT_EQ(stops_, 1);

  // It plays again from the start.
  MarkSent();
  player_->Start();
  EXPECT_EQ(timers_.starts, 2);
  Run(10);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{430, kOn, 60, 80}}));
}

// A stop from the window thread ends the timer before silencing the notes.
TEST_F(PlayerTest, StopEndsTheTimerAndSilencesNotes) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 960, 60); });
  player_->Start();
  EXPECT_EQ(timers_.period, 10);
  Run(100);
  player_->Stop(false);
  EXPECT_FALSE(player_->Playing());
  EXPECT_FALSE(timers_.Exists());
  EXPECT_EQ(stops_, 0);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {100, kOff, 60, 0}}));
  player_->Stop(true);
  EXPECT_EQ(stops_, 1);
}

// When no timer can be started the player does not pretend to play.
TEST_F(PlayerTest, TimerThatCannotStartLeavesThePlayerStopped) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 960, 60); });
  timers_.refuse = true;
  player_->Start();
  EXPECT_FALSE(player_->Playing());
}

// Stopping clears a pause, so the next start is heard.
TEST_F(PlayerTest, StartAfterAPausedStopPlays) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 960, 60); });
  player_->Start();
  player_->Pause(true);
  player_->Stop(false);
  MarkSent();
  player_->Start();
  Run(10);
  EXPECT_EQ(NotesSent().size(), 1u);
}

// ---- The container while playing ----

// Refilling while playing silences the old notes and goes on at the same position.
TEST_F(PlayerTest, RefillWhilePlayingContinuesInTheNewEvents) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 960, 60); });
  player_->Start();
  Run(100);
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 960, 62);
    AddNote(t, 320, 640, 64);
  });
  Run(110);
  EXPECT_EQ(NotesSent(), (std::vector<Sent>{{10, kOn, 60, 80}, {100, kOff, 60, 0}, {210, kOn, 64, 80}}));
}

// A tick that comes while the window thread holds the player is skipped.
TEST_F(PlayerTest, TickIsSkippedWhileThePlayerIsBusy) {
  Fill([](TMidiContainer& t) { AddNote(t, 0, 960, 60); });
  player_->Start();
  player_->RefillContainer([&](TMidiContainer&) {
    std::thread timerThread([&] { player_->Tick(5000); });
    timerThread.join();
  });
  EXPECT_EQ(player_->PositionTicks(), 0);
  EXPECT_TRUE(NotesSent().empty());
}

// ---- What reaches the device ----

// The volume scales the velocity of notes sent after the change.
TEST_F(PlayerTest, VolumeScalesVelocities) {
  Fill([](TMidiContainer& t) {
    AddNote(t, 0, 240, 60, 64);
    AddNote(t, 480, 720, 62, 64);
  });
  player_->Start();
  Run(10);
  player_->SetVolume(50);
  Run(300);
  const auto notes = NotesSent();
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0].data2, 64);
  EXPECT_EQ(notes[2], (Sent{310, kOn, 62, 32}));
}

// A meter event sets the meter the panel shows and is never sent.
TEST_F(PlayerTest, MeterEventsSetTheMeterWithoutSending) {
  Fill([](TMidiContainer& t) {
    t.AddEvent(std::make_unique<TTimeSignature>(0, kTagConverter, 6, 8));
    AddNote(t, 0, 480, 60);
  });
  player_->Start();
  Run(10);
  int num = 0, den = 0;
  player_->GetMeter(num, den);
  EXPECT_EQ(num, 6);
  EXPECT_EQ(den, 8);
  EXPECT_EQ(SentSinceMark(), (std::vector<Sent>{{10, kOn, 60, 80}}));
}

// The bend goes to every channel, so voices on several channels stay in tune; pitch 0 is no bend.
TEST_F(PlayerTest, PitchBendsAllSixteenChannels) {
  player_->SetPitch(10);
  player_->SetPitch(0);
  const auto sent = SentSinceMark();
  ASSERT_EQ(sent.size(), 32u);
  for (int channel = 0; channel < 16; ++channel) {
    EXPECT_EQ(sent[channel], (Sent{0, 0xE0 + channel, 0, 74}));
    EXPECT_EQ(sent[16 + channel], (Sent{0, 0xE0 + channel, 0, 64}));
  }
}

// Every open sends each channel's instrument and the bend, so a new device sounds as chosen.
TEST_F(PlayerTest, OpeningADeviceSendsInstrumentsAndBend) {
  player_.reset();
  ResetSettings();
  MidiConfig().MidiPatch[2] = 40;
  MidiConfig().MidiPitch = 5;
  player_ = std::make_unique<TZymMidiPlayer>(0, ports_, clock_, timers_);
  EXPECT_TRUE(MidiConfig().MidiReady);
  auto expected = [](int changedChannel, int program) {
    std::vector<Sent> setup;
    for (int channel = 0; channel < 16; ++channel) {
      setup.push_back({0, 0xC0 + channel, channel == changedChannel ? program : 0, 0});
      setup.push_back({0, 0xE0 + channel, 0, 69});
    }
    return setup;
  };
  EXPECT_EQ(ReadRecording(path_), expected(2, 40));

  player_->SetPatch(2, 71);
  ASSERT_TRUE(player_->Output().Close());
  ASSERT_TRUE(player_->Output().Open());  // the recorder starts a fresh file
  EXPECT_EQ(ReadRecording(path_), expected(2, 71));
}

// A port that does not exist leaves the player unready, and nothing breaks.
TEST_F(PlayerTest, MissingPortLeavesMidiNotReady) {
  player_.reset();
  ResetSettings();
  player_ = std::make_unique<TZymMidiPlayer>(7, ports_, clock_, timers_);
  EXPECT_FALSE(MidiConfig().MidiReady);
  EXPECT_FALSE(player_->Output().IsOpen());
  player_->SetPitch(3);
  player_->NoteOn(0, 60, 100);
}

}  // namespace
}  // namespace rq::test
