// The tune browser in the program: hosted by the main window, told by the controller
// which file to show, showing tunes through the shared parser and playing them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QListWidget>
#include <QTabBar>
#include <QTest>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/Welcome.h"
#include "controls/ListGrid.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgSchAbc.h"
#include "screens/FileEcr.h"
#include "screens/KeyFilterGrid.h"

namespace rq {
namespace {

const char* kFourTunes =
    "X:1\nT:b\nR:reel\nM:4/4\nL:1/8\nK:D\n|:DFAF DFAF|GBdB GBdB:|\n"
    "X:2\nT:A\nR:jig\nM:6/8\nL:1/8\nK:G\nGAB GAB|cBA BAG|\n"
    "X:3\nT:a\nC:Jos\xE9\nK:Hm\nabc|\n"
    "X:4\nT:Eight\nM:4/4\nL:1/8\nK:C\nCDEF GABc|dcBA GFED|CEGc eGce|dBGB d4|cAFA c2A2|BGDG B2G2|CDEF GABc|c8|\n";

class FileEcrAppTest : public test::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    MainEcr()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainEcr()));
  }

  TAbcFile* Open(const std::string& name) { return OpenUserFile(name, kFourTunes); }
  TFileEcr& Browser() const { return *FileEcr(); }
  TListGrid& Grid() const { return *Browser().LstGrid(); }
  QAction* Action(ActionId id) const { return (*App().Actions())[id]; }
};

// The browser shows the file the controller shows and lets go of a file that closes.
TEST_F(FileEcrAppTest, FollowsTheController) {
  TAbcFile* tunes = Open("tunes.abc");
  EXPECT_EQ(Browser().CurList(), tunes);
  EXPECT_EQ(TuneParser()->Title(), "A");
  EXPECT_EQ(tunes->TitleOfRec(tunes->CurrentRec), "A");

  // The trash: no tune editing, no set panel.
  FileControl()->ShowFile(FileControl()->Trash());
  EXPECT_TRUE(Browser().PanToolFile()->isHidden());
  EXPECT_FALSE(Action(ActionId::NewTune)->isVisible());
  FileControl()->ShowFile(tunes);
  EXPECT_TRUE(Action(ActionId::CopyTune)->isVisible());

  Action(ActionId::CloseFile)->trigger();  // the first tab's file is shown then
  EXPECT_EQ(Browser().CurList(), FileControl()->Trash());
  EXPECT_EQ(FileControl()->FindFile(Path("tunes.abc")), nullptr);
}

// The keys start in the tune list when the tunes first show: Down selects the next
// tune at once. With the welcome box up, the list has the focus once it closes.
TEST_F(FileEcrAppTest, TheTuneListHasTheFocusAtStart) {
  MainEcr()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainEcr()));
  Open("tunes.abc");
  ASSERT_EQ(QApplication::focusWidget(), &Grid());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(TuneParser()->Title(), "a");

  context_.reset();
  Start(/*welcome=*/true);
  MainEcr()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainEcr()));
  Open("tunes.abc");
  MainEcr()->Splash()->CloseButton()->click();
  MainEcr()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainEcr()));
  EXPECT_EQ(QApplication::focusWidget(), &Grid());
}

// F3 and the next-tune command move the selection one row and play the tune there;
// the player's commands pause and play; the recent-files command asks for a file.
TEST_F(FileEcrAppTest, PlayAndOpenCommands) {
  Open("tunes.abc");
  Grid().SetGridIdx(2);
  QTest::keyClick(&Grid(), Qt::Key_F3);
  EXPECT_EQ(Grid().GridIdx(), 1);
  EXPECT_TRUE(MidiPlayer()->Playing());
  Action(ActionId::Stop)->trigger();
  EXPECT_TRUE(MidiPlayer()->Paused());
  Action(ActionId::PlayNext)->trigger();
  EXPECT_EQ(Grid().GridIdx(), 2);
  EXPECT_EQ(TuneParser()->Title(), "b");
  EXPECT_TRUE(MidiPlayer()->Playing());
  Action(ActionId::Stop)->trigger();
  Action(ActionId::Play)->trigger();
  EXPECT_TRUE(MidiPlayer()->Playing() && !MidiPlayer()->Paused());
  Action(ActionId::OpenRecent)->trigger();
  EXPECT_EQ(openAsked_, 1);
}

// A tune dragged from the list onto another file's tab is copied there.
TEST_F(FileEcrAppTest, DragsFromTheListOntoAFileTab) {
  TAbcFile* tunes = Open("tunes.abc");
  TAbcFile* filer = FileControl()->Filer();
  TPage95Control& tabs = *App().CtrlFileEcr()->PGCFile();
  QTabBar* bar = tabs.tabBar();
  auto drag = [&](QWidget* source, QPoint from) {
    const QPoint onFiler = source->mapFromGlobal(bar->mapToGlobal(bar->tabRect(App().CtrlFileEcr()->TabOf(filer)).center()));
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    QTest::mouseMove(source, from + QPoint(5, 0));
    QTest::mouseMove(source, onFiler);
    QTest::mouseRelease(source, Qt::LeftButton, {}, onFiler);
  };
  const QRect eight = Grid().CellRect(3 / Grid().RowsPerCol(), 3 % Grid().RowsPerCol());
  drag(Grid().viewport(), eight.center());
  ASSERT_EQ(filer->FilterList.AllCount(), 1);
  EXPECT_EQ(filer->TitleOfRec(filer->FilterList.AllItems(0)), "Eight");
  EXPECT_EQ(tunes->FilterList.AllCount(), 4);
}

// A note-pattern or likeness search without hits keeps the tune shown before it as
// the current tune and in the shared parser, so Play and export get that tune.
TEST_F(FileEcrAppTest, SearchWithoutHitsKeepsTheShownTuneParsed) {
  TAbcFile* tunes = Open("tunes.abc");
  Grid().SetGridIdx(2);
  ASSERT_EQ(TuneParser()->Title(), "b");
  Browser().SearchAbc("g8|f8|e8|d8|", "4/4", 8);
  EXPECT_EQ(TuneParser()->Title(), "b");

  Browser().SetViewMode(vmAll);
  Grid().SetGridIdx(3);
  Action(ActionId::FindIdent)->trigger();  // likeness to Eight itself: at least Eight
  EXPECT_EQ(tunes->ViewMode, vmSearched);
  EXPECT_EQ(TuneParser()->Title(), "Eight");
}

// A filter that empties the view does not stop a tune of the file from being shown
// or copied, as the set grid and printing do with their tunes.
TEST_F(FileEcrAppTest, AnEmptyFilteredViewStillLendsItsTunes) {
  TAbcFile* tunes = Open("tunes.abc");
  QTest::mouseClick(Browser().FKGrid(), Qt::LeftButton, {}, Browser().FKGrid()->ItemRect(17).center());  // C
  ASSERT_EQ(tunes->FilterList.Count(), 1);
  Browser().FRGrid()->item(1)->setCheckState(Qt::Checked);  // and Reel
  ASSERT_EQ(tunes->FilterList.Count(), 0);
  TAbcRec* b = tunes->FindBySeq(1);
  TLines lines;
  EXPECT_EQ(tunes->CopyRecLines(b, lines, true), 0);
  EXPECT_EQ(lines.front(), "X:1");
  EXPECT_EQ(FileControl()->ShowTuneRec(tunes, b), kCtrlOk);
  EXPECT_EQ(TuneParser()->Title(), "b");
}

// The browser's commands: the search dialog opens under its button, the filter
// window opens, the filter is cleared.
// Delete All Tunes empties the file it asked about, even when another file is shown
// by the time the user answers.
TEST_F(FileEcrAppTest, DeleteAllActsOnTheFileItAskedAbout) {
  TAbcFile* first = Open("first.abc");
  TAbcFile* second = nullptr;
  ui_.Answers = {mrYes};
  ui_.WhileAsking = [&](const std::string&) {
    if (!second) second = OpenUserFile("second.abc", kFourTunes);
  };
  Action(ActionId::DeleteAll)->trigger();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Browser().CurList(), second);
  EXPECT_EQ(first->FilterList.AllCount(), 0);
  EXPECT_EQ(second->FilterList.AllCount(), 4);
  EXPECT_EQ(App().FileControl()->Trash()->FilterList.AllCount(), 4);
}

TEST_F(FileEcrAppTest, Commands) {
  TAbcFile* tunes = Open("tunes.abc");
  Action(ActionId::FindABC)->trigger();
  EXPECT_TRUE(App().DlgSearchAbc()->isVisible());
  Action(ActionId::SetFilter)->trigger();
  EXPECT_TRUE(Browser().FilterWindow()->isVisible());
  QTest::mouseClick(Browser().FKGrid(), Qt::LeftButton, {}, Browser().FKGrid()->ItemRect(17).center());
  EXPECT_TRUE(Action(ActionId::ToggleFilter)->isChecked());
  Action(ActionId::ToggleFilter)->trigger();
  EXPECT_EQ(tunes->FilterList.Count(), 4);
  Action(ActionId::ClearFlt)->trigger();
  EXPECT_FALSE(tunes->KeyRhythmFilter.Active);
  Action(ActionId::MarkAll)->trigger();
  Browser().SetViewMode(vmMarked);
  EXPECT_EQ(tunes->FilterList.Count(), 4);
}

}  // namespace
}  // namespace rq
