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

class PlayerStressTest : public test::PanelFixture {
 protected:
  PlayerStressTest() { realTime_ = true; }
  // Lets the timer thread play a little and the posted notices arrive.
  void Let(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    QCoreApplication::processEvents();
  }
};

// 200 rounds: play, pause and resume, restart, switch tunes while playing, seek on the
// grid, loop on and off, and a tune short enough to end by itself now and then. At
// the end nothing plays, no note hangs and no notice is left to stop a later display.
TEST_F(PlayerStressTest, PlayStopSwitchRounds) {
  const std::string tunes[] = {test::Reel(8), test::Jig(8), "X:1\nT:Short\nM:4/4\nL:1/8\nK:C\nC|\n"};
  TPlayerEcr* panel = &Panel();
  panel->KnobSpeed()->SetPosition(200);
  TMeasureGrid* grid = panel->GridMesure();
  for (int round = 0; round < 200; ++round) {
    switch (round % 5) {
      case 0:
        Show(tunes[round % 3]);
        panel->PlayButton()->click();
        break;
      case 1:
        panel->StopButton()->click();
        Let(1);
        panel->PlayButton()->click();
        break;
      case 2:
        panel->RewButton()->click();
        break;
      case 3:
        test::Click(grid, grid->CellRect(1 + round % 3, 1).center());
        panel->LoopSwitch()->click();
        break;
      case 4:
        Show(tunes[(round + 1) % 3]);
        panel->StopPlay(0);
        panel->PrepareTune();
        panel->Play();
        break;
    }
    Let(round % 20 == 0 ? 150 : 2);
  }
  panel->StopPlay(1);
  Let(5);
  EXPECT_FALSE(player_->Playing());
  EXPECT_FALSE(panel->PlayTimer()->isActive());

  // The player goes on being usable: a last play of the short tune ends by itself
  // and its notice switches the display off.
  if (player_->LoopOn()) panel->LoopSwitch()->click();
  Show(tunes[2]);
  panel->PlayButton()->click();
  EXPECT_TRUE(test::WaitFor([&] {
    QCoreApplication::processEvents();
    return !panel->PlayTimer()->isActive();
  }));
  EXPECT_FALSE(player_->Playing());
  panel_.reset();
  player_.reset();
  EXPECT_EQ(Hanging(), 0);
}

}  // namespace
}  // namespace rq
