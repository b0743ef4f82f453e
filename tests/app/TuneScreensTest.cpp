// The score view and the player panel in the program: started by the context, fed
// by the open-files controller, moving through the shown file, the instrument
// pop-up, and quitting while a tune plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <set>

#include "AppFixture.h"
#include "PlayerDoubles.h"
#include "RecordedMessages.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "midi/ZymMidi.h"
#include "score/screens/ScoreEcr.h"
#include "screens/DlgSelPatch.h"
#include "screens/PlayerEcr.h"

namespace rq {
namespace {

const char* kTwoReels =
    "X:1\nT:The Silver Spear\nR:reel\nM:4/4\nL:1/8\nK:D\nFA (3AAA BAFA|dAFA BEEF|\n\n"
    "X:2\nT:Drowsy Maggie\nR:reel\nM:4/4\nL:1/8\nK:Edor\nE2BE dEBE|E2BE AFDF|\n";

class TuneScreensTest : public test::AppFixture {
 protected:
  void SetUp() override {
    clock_ = &manualClock_;
    timers_ = &manualTimers_;
    AppFixture::SetUp();
  }
  TAppContext& Start() {
    AppFixture::Start().MainEcr()->show();
    return *context_;
  }
  void OpenReels() { OpenUserFile("Reels.abc", kTwoReels); }
  void Run(int64_t ms) {
    for (int64_t t = 0; t < ms; t += TZymMidiPlayer::kTimerPeriodMs) {
      manualClock_.now += TZymMidiPlayer::kTimerPeriodMs;
      manualTimers_.Fire();
    }
  }
  std::vector<test::Sent> Recorded() const { return test::ReadRecording(folder_ + "/midi.log"); }
  size_t NoteOns() const {
    const auto sent = Recorded();
    return static_cast<size_t>(
        std::count_if(sent.begin(), sent.end(), [](const test::Sent& m) { return (m.status & 0xF0) == 0x90 && m.data2 > 0; }));
  }
  QString ScoreTitle() const { return context_->ScoreEcr()->NameLabel()->text(); }

  test::ManualClock manualClock_;
  test::ManualTimers manualTimers_;
};

// A file that is opened shows its first tune in the score. The score's next button
// shows the next tune of the list; the panel's PREV shows the previous one and plays
// it, named with its file.
TEST_F(TuneScreensTest, PreviousAndNextMoveThroughTheShownFile) {
  TAppContext& app = Start();
  OpenReels();
  EXPECT_EQ(ScoreTitle(), "Drowsy Maggie");
  EXPECT_EQ(app.ScoreEcr()->TypeLabel()->text(), "(reel)");
  app.ScoreEcr()->NextButton()->click();
  EXPECT_EQ(ScoreTitle(), "The Silver Spear");
  app.ScoreEcr()->NextButton()->click();
  EXPECT_EQ(ScoreTitle(), "The Silver Spear");  // the end of the list

  TPlayerEcr& panel = *app.PlayerEcr();
  panel.PrevButton()->click();
  EXPECT_EQ(ScoreTitle(), "Drowsy Maggie");
  Run(600);
  EXPECT_TRUE(app.MidiPlayer()->Playing());
  EXPECT_GT(NoteOns(), 0u);
  EXPECT_EQ(panel.TuneName()->text(), "Drowsy Maggie   [Reels.abc]");
  panel.NextButton()->click();
  EXPECT_EQ(panel.TuneName()->text(), "The Silver Spear   [Reels.abc]");
}

// PATCH opens the pop-up under itself (kept on the screen) and closes it again. It
// shows the resource module's whole instrument list, starting on the first channel's
// instrument; a click on an instrument sends it to channel 0 and keeps it in the
// settings.
TEST_F(TuneScreensTest, InstrumentPopUpSetsTheFirstChannel) {
  Write("RQUILL20.INI", "[MIDI]\npatch_0=24\n");
  TAppContext& app = Start();
  QListWidget* list = app.ResLib()->ListPatch();
  EXPECT_EQ(list->currentRow(), 24);
  QToolButton* patch = app.PlayerEcr()->PatchButton();
  TDlgSelPatch* dialog = app.DlgSelPatch();
  patch->click();
  ASSERT_TRUE(dialog->isVisible());
  const QPoint under = patch->mapToGlobal(QPoint(0, patch->height() + 1));
  const QRect screen = patch->screen()->availableGeometry();
  EXPECT_EQ(dialog->y(), under.y());
  EXPECT_EQ(dialog->x(), std::min(under.x(), screen.right() + 1 - dialog->width()));
  patch->click();
  EXPECT_FALSE(dialog->isVisible());
  patch->click();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  // All 128 names in sight at once, four columns of 32.
  std::set<int> columns;
  for (int i = 0; i < list->count(); ++i) {
    const QRect item = list->visualItemRect(list->item(i));
    EXPECT_TRUE(list->viewport()->rect().contains(item)) << list->item(i)->text().toStdString();
    columns.insert(item.x());
  }
  EXPECT_EQ(list->count(), 128);
  EXPECT_EQ(columns.size(), 4u);
  EXPECT_TRUE(dialog->geometry().contains(QRect(list->mapToGlobal(QPoint(0, 0)), list->size())));
  const QRect violin = list->visualItemRect(list->item(40));
  ASSERT_FALSE(violin.isEmpty());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, violin.center());
  EXPECT_EQ(app.Midi().MidiPatch[0], 40);
  const auto sent = Recorded();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), (test::Sent{sent.back().ms, 0xC0, 40, 0}));
}

// Quitting while a tune plays stops the player before any screen goes: no note is
// left sounding, and a notice of a tune that ended just before is never delivered.
TEST_F(TuneScreensTest, QuittingWhilePlayingLeavesNothingSounding) {
  TAppContext& app = Start();
  OpenReels();
  app.PlayerEcr()->PlayButton()->click();
  Run(700);
  ASSERT_GT(NoteOns(), 0u);
  context_.reset();
  QCoreApplication::processEvents();
  const auto stop = std::find(log_.begin(), log_.end(), "stop MidiPlayer");
  EXPECT_LT(stop - log_.begin(), std::find(log_.begin(), log_.end(), "destroy PlayerEcr") - log_.begin());
  EXPECT_EQ(test::HangingNotes(Recorded()), 0);

  // A tune that ended by itself has its notice posted; the program quits before it arrives.
  TAppContext& again = Start();
  OpenReels();
  again.PlayerEcr()->PlayButton()->click();
  Run(60000);
  EXPECT_FALSE(again.MidiPlayer()->Playing());
  context_.reset();
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace rq
