// The panel against the player's real timer thread: many rounds of play, stop, pause,
// seek and switching tunes, each racing the ticks; ThreadSanitizer runs it in CI.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <thread>

#include "PanelTestHelpers.h"
#include "controls/Knob.h"
#include "screens/MeasureGrid.h"

namespace rq {
namespace {

class PlayerStressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("midi.log").toStdString();
    ports_ = std::make_unique<RecorderMidiPorts>(path_, SystemClock());
    player_ = std::make_unique<TZymMidiPlayer>(0, settings_, *ports_, SystemClock(), SystemTimers());
    converter_ = std::make_unique<TAbcMidi>(settings_);
    host_ = std::make_unique<QWidget>();
    new QVBoxLayout(host_.get());
    panel_ = std::make_unique<TPlayerEcr>(*player_, *converter_, parser_, settings_);
    panel_->OnCreate(host_.get());
    panel_->KnobSpeed()->SetPosition(200);
  }
  void Show(const std::string& abc) {
    const TLines lines = SplitLines(abc);
    parser_.Parse(lines);
    panel_->OnTuneShown(nullptr, lines);
  }
  // Lets the timer thread play a little and the posted notices arrive.
  void Let(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    QCoreApplication::processEvents();
  }

  QTemporaryDir dir_;
  std::string path_;
  std::unique_ptr<RecorderMidiPorts> ports_;
  MidiSettings settings_;
  std::unique_ptr<TZymMidiPlayer> player_;
  std::unique_ptr<TAbcMidi> converter_;
  TAbcParser parser_;
  std::unique_ptr<QWidget> host_;
  std::unique_ptr<TPlayerEcr> panel_;
};

// 200 rounds: play, pause and resume, restart, switch tunes while playing, seek on the
// grid, loop on and off, and a tune short enough to end by itself now and then. At
// the end nothing plays, no note hangs and no notice is left to stop a later display.
TEST_F(PlayerStressTest, PlayStopSwitchRounds) {
  const std::string tunes[] = {test::Reel(8), test::Jig(8), "X:1\nT:Short\nM:4/4\nL:1/8\nK:C\nC|\n"};
  TMeasureGrid* grid = panel_->GridMesure();
  for (int round = 0; round < 200; ++round) {
    switch (round % 5) {
      case 0:
        Show(tunes[round % 3]);
        panel_->PlayButton()->click();
        break;
      case 1:
        panel_->StopButton()->click();
        Let(1);
        panel_->PlayButton()->click();
        break;
      case 2:
        panel_->RewButton()->click();
        break;
      case 3:
        test::Click(grid, grid->CellRect(1 + round % 3, 1).center());
        panel_->LoopSwitch()->click();
        break;
      case 4:
        Show(tunes[(round + 1) % 3]);
        panel_->StopPlay(0);
        panel_->PrepareTune();
        panel_->Play();
        break;
    }
    Let(round % 20 == 0 ? 150 : 2);
  }
  panel_->StopPlay(1);
  Let(5);
  EXPECT_FALSE(player_->Playing());
  EXPECT_FALSE(panel_->PlayTimer()->isActive());

  // The player goes on being usable: a last play of the short tune ends by itself
  // and its notice switches the display off.
  if (player_->LoopOn()) panel_->LoopSwitch()->click();
  Show(tunes[2]);
  panel_->PlayButton()->click();
  ASSERT_TRUE(test::WaitFor([&] { return !player_->Playing(); }));
  Let(5);
  EXPECT_FALSE(panel_->PlayTimer()->isActive());
  panel_.reset();
  player_.reset();

  EXPECT_EQ(test::HangingNotes(test::ReadRecording(path_)), 0);
}

}  // namespace
}  // namespace rq
