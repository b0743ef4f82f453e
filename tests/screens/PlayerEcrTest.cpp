// The player panel offscreen: the buttons, knobs and measure grid driving a player
// that sends to the recording device on a hand-stepped clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <tuple>

#include "PanelTestHelpers.h"
#include "controls/Knob.h"
#include "library/AbcSet.h"
#include "library/FileAbc.h"
#include "screens/MeasureGrid.h"
#include "screens/TuneBrowser.h"

namespace rq {
namespace {

class PlayerEcrTest : public test::PanelFixture {
 protected:
  QPoint Cell(int column) { return Panel().GridMesure()->CellRect(column, 1).center(); }
  // The browser's Enter in its list: with a changed selection it prepares and plays
  // the tune shown; otherwise it stops a playing tune, or plays.
  void Enter(bool selectionChanged) {
    TPlayerEcr& panel = Panel();
    if (!selectionChanged && player_->Playing()) {
      panel.StopPlay(1);
      return;
    }
    panel.StopPlay(0);
    if (selectionChanged || !panel.TuneReady()) panel.PrepareTune();
    panel.Play();
  }
  // Shows the tune, presses PLAY and lets it play for `ms`.
  void PlayFor(const std::string& abc, int64_t ms) {
    Show(abc);
    Panel().PlayButton()->click();
    Run(ms);
  }
  // The first pitch switched on within the next `ms`, -1 for none.
  int FirstPitchIn(int64_t ms) {
    const size_t before = NoteOnPitches().size();
    Run(ms);
    const std::vector<int> all = NoteOnPitches();
    return all.size() > before ? all[before] : -1;
  }
};

// Values from a hand-edited settings file reach the knobs, their labels and the
// player only within the knobs' ranges, and go back into the settings so.
TEST_F(PlayerEcrTest, BadSettingsAreKeptInTheKnobsRanges) {
  settings_.MidiSpeed = 999;
  settings_.MidiPitch = -500;
  settings_.MidiVolume = 0;
  TPlayerEcr& panel = Panel();
  const std::tuple<TKnob*, QLabel*, int, int> kept[] = {{panel.KnobSpeed(), panel.LabSpeed(), settings_.MidiSpeed, 200},
                                                        {panel.KnobPitch(), panel.LabPitch(), settings_.MidiPitch, -63},
                                                        {panel.KnobVolume(), panel.LabVolume(), settings_.MidiVolume, 1}};
  for (const auto& [knob, label, setting, value] : kept) {
    EXPECT_EQ(knob->Position(), value);
    EXPECT_EQ(label->text(), QString::number(value));
    EXPECT_EQ(setting, value);
  }
  EXPECT_EQ(player_->Tempo(), 340);
  // The bend sent to the channels is the kept pitch: 64 - 63.
  const auto sent = Recorded();
  const auto bend = std::find_if(sent.rbegin(), sent.rend(), [](const test::Sent& m) { return (m.status & 0xF0) == 0xE0; });
  ASSERT_NE(bend, sent.rend());
  EXPECT_EQ(bend->data2, 1);
}

// The speed knob sets the tempo; a click on a knob's label steps it, left up and
// right down, within the knob's range.
TEST_F(PlayerEcrTest, SpeedKnobAndLabelClicks) {
  TPlayerEcr& panel = Panel();
  struct Case {
    TKnob* knob;
    QLabel* label;
    int from;
    Qt::MouseButton button;
    int to;
  } cases[] = {
      {panel.KnobSpeed(), panel.LabSpeed(), 200, Qt::LeftButton, 200},
      {panel.KnobSpeed(), panel.LabSpeed(), 200, Qt::RightButton, 199},
      {panel.KnobSpeed(), panel.LabSpeed(), 100, Qt::LeftButton, 101},
      {panel.KnobPitch(), panel.LabPitch(), -63, Qt::RightButton, -63},
      {panel.KnobPitch(), panel.LabPitch(), 0, Qt::MiddleButton, -1},
  };
  for (const Case& c : cases) {
    c.knob->SetPosition(c.from);
    test::Click(c.label, QPoint(2, 2), c.button);
    EXPECT_EQ(c.knob->Position(), c.to) << c.from;
    EXPECT_EQ(c.label->text(), QString::number(c.to));
  }
  EXPECT_EQ(settings_.MidiPitch, -1);
  EXPECT_EQ(player_->Tempo(), TempoForSpeed(101));
}

// Without a MIDI output PLAY, REW and the browser's Enter play nothing and say why
// where the tune's name shows; with an output again the name comes back.
TEST_F(PlayerEcrTest, NothingPlaysWithoutAnOutputAndThePanelSaysWhy) {
  TPlayerEcr& panel = Panel();
  settings_.MidiReady = false;
  const QString why = "No MIDI output: choose one in Preferences";
  PlayFor(test::Reel(4), 0);
  EXPECT_FALSE(player_->Playing());
  EXPECT_FALSE(panel.TuneReady());
  EXPECT_EQ(panel.TuneName()->text(), why);
  panel.TuneName()->clear();
  panel.RewButton()->click();
  EXPECT_EQ(panel.TuneName()->text(), why);
  Enter(true);
  EXPECT_FALSE(player_->Playing());
  EXPECT_EQ(panel.TuneName()->text(), why);

  settings_.MidiReady = true;
  panel.PlayButton()->click();
  EXPECT_TRUE(player_->Playing());
  EXPECT_EQ(panel.TuneName()->text(), "Test Reel   []");
}

// The display shows meter, measure, beat and tick while playing, and only the meter
// inside a pickup; the playing measure is marked on the grid.
TEST_F(PlayerEcrTest, PositionDisplayWhilePlaying) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Jig(16), 10420);
  clock_.now += 5;
  timers_.Fire();
  ASSERT_EQ(player_->PositionTicks(), 16680);
  panel.OnPlayTimer();
  EXPECT_EQ(panel.LCDTime()->text(), "6/8  012 : 04 : 120");
  EXPECT_EQ(panel.GridMesure()->CurrentColumn(), 11);

  Show(test::Jig(16, true));
  panel.RewButton()->click();
  Run(60);
  panel.OnPlayTimer();
  EXPECT_EQ(panel.LCDTime()->text(), "06/08-000:00:");
  EXPECT_EQ(panel.GridMesure()->CurrentColumn(), 0);
}

// Dragging from column 5 to column 2 loops bars 3 to 6 and goes on playing; a right
// click clears the loop, and the player plays on past it. (The notes sent in a loop
// are checked in the program's scenario.)
TEST_F(PlayerEcrTest, DragSelectsALoop) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Reel(32, false, 7), 0);
  TMeasureGrid* grid = panel.GridMesure();
  test::SendMouse(grid, QEvent::MouseButtonPress, Cell(5), Qt::LeftButton, Qt::LeftButton);
  test::SendMouse(grid, QEvent::MouseMove, Cell(3), Qt::NoButton, Qt::LeftButton);
  test::SendMouse(grid, QEvent::MouseMove, Cell(2), Qt::NoButton, Qt::LeftButton);
  test::SendMouse(grid, QEvent::MouseButtonRelease, Cell(2), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(std::pair(panel.Loop().First(), panel.Loop().Last()), std::pair(2, 5));
  EXPECT_TRUE(player_->Playing() && !player_->Paused());
  panel.LoopSwitch()->click();
  EXPECT_TRUE(player_->LoopOn());
  test::Click(grid, Cell(4), Qt::RightButton);
  EXPECT_EQ(panel.Loop().First(), -1);
  Run(60000);
  const std::vector<int> played = NoteOnPitches();
  EXPECT_GT(std::count(played.begin(), played.end(), test::kHighG), 0);
}

// A click on a column while playing goes on from its start; while nothing plays it
// only marks the column.
TEST_F(PlayerEcrTest, ClickingAColumnSeeks) {
  TPlayerEcr& panel = Panel();
  test::Click(panel.GridMesure(), Cell(3));
  EXPECT_EQ(panel.CurrentColumn(), 3);
  EXPECT_FALSE(player_->Playing());

  PlayFor(test::Reel(32), 1000);
  test::Click(panel.GridMesure(), Cell(7));
  EXPECT_EQ(panel.CurrentColumn(), 7);
  EXPECT_EQ(player_->PositionTicks(), 7 * 1920);
  EXPECT_TRUE(player_->Playing() && !player_->Paused());
}

// The browser's Enter: plays the selected tune, stops it when pressed again, and
// after the selection moved plays the new tune from its start.
TEST_F(PlayerEcrTest, EnterPlaysStopsAndPlaysTheNewTune) {
  Show(test::Reel(8));
  Enter(true);
  EXPECT_EQ(FirstPitchIn(500), 60);
  Enter(false);
  EXPECT_FALSE(player_->Playing());
  EXPECT_EQ(Hanging(), 0);
  Show(test::Jig(8));
  Enter(true);
  EXPECT_EQ(FirstPitchIn(500), 67);  // the jig's first G, not the reel's C
  EXPECT_TRUE(player_->Playing());
  EXPECT_EQ(Panel().Timing().Measure, 1440);
}

// A pause left by STOP never silences the next start: REW plays from the start, the
// browser's Enter twice after STOP plays again, and PLAY after another tune was shown
// plays that tune from its start, never the paused one.
TEST_F(PlayerEcrTest, StopThenPlayAgainIsNeverSilent) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Reel(8), 2000);
  panel.StopButton()->click();
  EXPECT_TRUE(player_->Paused());
  panel.RewButton()->click();
  EXPECT_FALSE(player_->Paused());
  EXPECT_EQ(player_->PositionTicks(), 0);
  EXPECT_EQ(FirstPitchIn(300), 60);

  panel.StopButton()->click();
  Enter(false);
  Enter(false);
  EXPECT_NE(FirstPitchIn(300), -1);

  panel.StopButton()->click();
  Show(test::Jig(8));
  panel.PlayButton()->click();
  EXPECT_FALSE(player_->Paused());
  EXPECT_EQ(FirstPitchIn(300), 67);
  // Shown again unchanged, the playing tune is paused and resumed.
  Show(test::Jig(8));
  panel.StopButton()->click();
  EXPECT_TRUE(player_->Paused());
  panel.PlayButton()->click();
  EXPECT_FALSE(player_->Paused());
  EXPECT_GT(player_->PositionTicks(), 0);
  // STOP on a changed tune stops it instead of pausing it.
  Show(test::Reel(8));
  panel.StopButton()->click();
  EXPECT_FALSE(player_->Playing());
}

// Looking at another tune and back keeps the place: STOP still pauses the tune shown
// again and PLAY resumes it where it was, loop kept. An edit makes STOP a full stop.
TEST_F(PlayerEcrTest, ShowingTheTuneAgainKeepsThePauseAndTheLoop) {
  TPlayerEcr& panel = Panel();
  const std::string reel = test::Reel(32, false, 7);
  PlayFor(reel, 0);
  TMeasureGrid* grid = panel.GridMesure();
  test::SendMouse(grid, QEvent::MouseButtonPress, Cell(2), Qt::LeftButton, Qt::LeftButton);
  test::SendMouse(grid, QEvent::MouseMove, Cell(5), Qt::NoButton, Qt::LeftButton);
  test::SendMouse(grid, QEvent::MouseButtonRelease, Cell(5), Qt::LeftButton, Qt::NoButton);
  Run(3000);
  Show(test::Jig(8));
  Show(reel);
  panel.StopButton()->click();
  ASSERT_TRUE(player_->Paused());
  const MidiTick at = player_->PositionTicks();
  panel.PlayButton()->click();
  EXPECT_TRUE(player_->Playing() && !player_->Paused());
  EXPECT_EQ(player_->PositionTicks(), at);
  EXPECT_EQ(std::pair(panel.Loop().First(), panel.Loop().Last()), std::pair(2, 5));

  panel.MarkTuneChanged();
  Show(test::Jig(8));
  Show(reel);
  panel.StopButton()->click();
  EXPECT_FALSE(player_->Playing());
}

// Playing a long tune, the grid scrolls so that the playing bar is always in sight.
TEST_F(PlayerEcrTest, GridKeepsThePlayingBarInSight) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Reel(64), 0);
  TMeasureGrid* grid = panel.GridMesure();
  ASSERT_LT(grid->VisibleColumns(), 64);
  for (int step = 0; step < 63 * 4; ++step) {
    Run(300);
    panel.OnPlayTimer();
    const int current = grid->CurrentColumn();
    ASSERT_GE(current, grid->LeftCol()) << step;
    ASSERT_LT(current, grid->LeftCol() + grid->VisibleColumns()) << step;
  }
  EXPECT_GE(grid->CurrentColumn(), 60);
}

// Preparing a tune stops the player first: nothing is converted into the container
// while the player reads it, and no note is left sounding.
TEST_F(PlayerEcrTest, PreparingStopsThePlayer) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Reel(8), 700);
  Show(test::Jig(8));
  panel.PrepareTune();
  EXPECT_FALSE(player_->Playing());
  EXPECT_FALSE(panel.PlayTimer()->isActive());
  EXPECT_EQ(Hanging(), 0);
  EXPECT_EQ(panel.TuneName()->text(), "Test Jig   []");
}

// What the grid and the display describe is copied when the tune is prepared:
// converting another tune with the shared converter afterwards changes nothing.
TEST_F(PlayerEcrTest, PanelKeepsThePreparedTunesTiming) {
  TPlayerEcr& panel = Panel();
  Show(test::Jig(16));
  panel.PrepareTune();
  TAbcParser other;
  other.Parse(SplitLines(test::Reel(32, true)));
  converter_->Convert(other.Elements());
  panel.Play();
  EXPECT_EQ(panel.Columns(), 16);
  EXPECT_FALSE(panel.GridMesure()->HasPickup());
  EXPECT_EQ(panel.Timing().Measure, 1440);
}

// The end of a tune reaches the panel as a posted notice numbered by its play: the
// notice of an earlier play leaves a later play's display running.
TEST_F(PlayerEcrTest, LateStopNoticeIsIgnored) {
  TPlayerEcr& panel = Panel();
  PlayFor(test::Reel(1), 1500);
  EXPECT_FALSE(player_->Playing());
  panel.RewButton()->click();
  QCoreApplication::sendPostedEvents(&panel);
  EXPECT_TRUE(player_->Playing());
  EXPECT_TRUE(panel.PlayTimer()->isActive());
  Run(1500);
  QCoreApplication::sendPostedEvents(&panel);
  EXPECT_FALSE(panel.PlayTimer()->isActive());
}

// A set plays its tunes one after the other, each as often as its repeat count, and
// is named as a set; the tune on screen stays in the shared parser.
TEST_F(PlayerEcrTest, PreparedSetPlaysItsEntriesWithRepeats) {
  const std::unique_ptr<TAbcFile> file = TAbcFile::CreateNew("Sets.abc", nullptr);
  file->LoadFromBytes(test::Reel(2) + "\n" + test::Jig(3));
  ASSERT_EQ(file->FilterList.Count(), 2);
  TAbcRec* reel = nullptr;
  TAbcRec* jig = nullptr;
  for (int32_t row = 0; row < 2; ++row) (file->GetTitle(row) == "Test Reel" ? reel : jig) = file->GetRec(row);
  TSetAbc set("Session, Set 1");
  set.AddTune(reel, 2);
  set.AddTune(jig, 0);
  TPlayerEcr& panel = Panel();
  Show(test::Reel(4));
  panel.PrepareSet(*file, set);
  EXPECT_EQ(panel.TuneName()->text(), "[ SET ]  Session; Set 1   [Sets.abc]");
  EXPECT_EQ(parser_.Title(), "Test Reel");
  EXPECT_EQ(panel.Timing().Total, 2 * 2 * 1920 + 3 * 1440);
  panel.PlayButton()->click();  // what is prepared plays; the set is not the tune shown
  Run(20000);
  const std::vector<int> played = NoteOnPitches();
  EXPECT_EQ(std::count(played.begin(), played.end(), 60), 2 * 2);  // each reel bar has one C
  EXPECT_EQ(std::count(played.begin(), played.end(), 76), 3);      // each jig bar one e
}

// PREV and NEXT go to the browser, and the grid hands the focus back to it.
TEST_F(PlayerEcrTest, BrowserGetsPrevNextAndTheFocus) {
  struct Browser : ITuneBrowser {
    void ShowPrevTune() override {}
    void ShowNextTune() override {}
    void PlayPrevTune() override { calls += "prev "; }
    void PlayNextTune() override { calls += "next "; }
    bool FocusLastExitGrid() override { return calls += "focus ", true; }
    std::string calls;
  } browser;
  TPlayerEcr& panel = Panel();
  panel.SetBrowser(&browser);
  panel.PrevButton()->click();
  panel.NextButton()->click();
  test::Click(panel.GridMesure(), Cell(1));
  test::Click(panel.GridMesure(), Cell(1), Qt::RightButton);
  EXPECT_EQ(browser.calls, "prev next focus focus ");
}

}  // namespace
}  // namespace rq
