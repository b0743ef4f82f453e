// The browser's set grid in the program: sets made, named, filled by dragging tunes,
// reordered, counted, deleted, played on the recording device and saved with the file.

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <optional>

#include "AppFixture.h"
#include "RecordedMessages.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "screens/DlgString.h"
#include "screens/FileEcr.h"
#include "screens/SesMaster.h"
#include "screens/SetGrid.h"

namespace rq {
namespace {

// One note each, so the notes played name the tunes: Ash C, Birch D, Cedar E, Damson F.
const char* kFourTunes =
    "X:1\nT:Ash\nK:C\nC4|\n\nX:2\nT:Birch\nK:D\nD4|\n\nX:3\nT:Cedar\nK:G\nE4|\n\nX:4\nT:Damson\nK:C\nF4|\n";
const char* kTwoSets = "%%BSET%\n%%DSET%Sligo,3,1:2\n%%DSET%Kerry,4,2,3\n%%ESET%\n";
const char* kOneSet = "%%BSET%\n%%DSET%Clare,1\n%%ESET%\n";

class SetGridTest : public test::AppFixture {
 protected:
  void SetUp() override {
    clock_ = &manualClock_;
    timers_ = &manualTimers_;
    AppFixture::SetUp();
    Start();
    MainEcr()->show();
    MainEcr()->TabBottom()->setCurrentIndex(1);  // " Sets "
    ActivateMainWindow();
    // Narrow columns: drops need the cells on the screen, which offscreen is 800 wide.
    Sets().horizontalHeader()->setDefaultSectionSize(80);
  }

  TAbcFile* Open(const std::string& bytes = kFourTunes) { return OpenUserFile("tunes.abc", bytes); }
  TFileEcr& Browser() const { return *FileEcr(); }
  TSetGrid& Sets() const { return *Browser().DrwGridSet(); }
  void Trigger(ActionId id) const { (*App().Actions())[id]->trigger(); }

  // Answers the set-name prompts as they open: a name and Ok, or Cancel for none.
  void AnswerPrompts(std::deque<std::optional<QString>> answers) {
    prompts_ = std::move(answers);
    auto* timer = new QTimer(MainEcr());
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
      auto* dialog = qobject_cast<TDlgString*>(QApplication::activeModalWidget());
      if (!dialog) return;
      const std::optional<QString> answer = prompts_.front();
      prompts_.pop_front();
      if (prompts_.empty()) timer->deleteLater();
      if (!answer) {
        dialog->CancelButton()->click();
        return;
      }
      dialog->EDString()->setText(*answer);
      dialog->OkButton()->click();
    });
    timer->start(1);
  }
  // A set command whose prompts get these answers.
  void Prompted(ActionId id, std::deque<std::optional<QString>> answers) {
    AnswerPrompts(std::move(answers));
    Trigger(id);
    ActivateMainWindow();
  }
  void NewSet(const QString& name) { Prompted(ActionId::NewSet, {name}); }
  // The main window gets the keys again after a dialog (offscreen, nothing else gives them back).
  void ActivateMainWindow() {
    QApplication::setActiveWindow(MainEcr());
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainEcr()));
  }

  QPoint ListRow(int row) const {
    TListGrid& list = *Browser().LstGrid();
    return list.CellRect(row / list.RowsPerCol(), row % list.RowsPerCol()).center();
  }
  // A tune of the list (view row) dropped on a cell of the set grid.
  void DropTune(int row, int col, int setRow) {
    Drag(Browser().LstGrid()->viewport(), ListRow(row), &Sets(), Sets().CellRect(col, setRow).center());
  }
  // A cell of the set grid dragged onto another.
  void DragCell(int col, int row, int toCol, int toRow) {
    QWidget* viewport = Sets().viewport();
    Drag(viewport, viewport->mapFrom(&Sets(), Sets().CellRect(col, row).center()), &Sets(),
         Sets().CellRect(toCol, toRow).center());
  }
  void Click(int col, int row) {
    QWidget* viewport = Sets().viewport();
    Sets().setFocus();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->mapFrom(&Sets(), Sets().CellRect(col, row).center()));
  }
  std::vector<std::string> Row(int row) const {
    std::vector<std::string> cells;
    for (int col = 0; !Sets().CellText(col, row).isEmpty(); ++col) cells.push_back(Sets().CellText(col, row).toStdString());
    return cells;
  }

  test::ManualClock manualClock_;
  test::ManualTimers manualTimers_;
  std::deque<std::optional<QString>> prompts_;
};

// A new set takes the next row under its number; an empty name is "*"; Cancel adds
// nothing. A name with a comma would turn the rest of it into tunes when the file is
// read back: it is refused with a message and asked again, on renaming too.
TEST_F(SetGridTest, NewSetsAreNumberedRowsAndNamesWithACommaAreRefused) {
  TAbcFile* file = Open();
  Prompted(ActionId::NewSet, {"Sligo, jigs", "Sligo"});
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Sligo"}));
  ASSERT_EQ(ui_.Asked.size(), 1u);
  EXPECT_NE(ui_.Asked[0].text.find("comma"), std::string::npos);
  EXPECT_TRUE(Browser().VoyModif()->isVisibleTo(MainEcr()));
  NewSet("");
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 *"}));
  Prompted(ActionId::NewSet, {std::nullopt});
  EXPECT_EQ(file->Sets.Count(), 2);
  Prompted(ActionId::RenameSet, {"A,B", "Jigs in G"});
  EXPECT_EQ(ui_.Asked.size(), 2u);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 Jigs in G"}));
}

// Tunes dropped from the list: on an occupied column before that entry, on the first
// free column or beyond at the end. Entries move within their set (beyond the last:
// last); a set dropped on its own name stays, on another row it moves there.
TEST_F(SetGridTest, DropsIntoAndWithinSets) {
  TAbcFile* file = Open();
  NewSet("Sligo");
  DropTune(0, 1, 1);  // Ash on the first free column
  DropTune(1, 4, 1);  // Birch beyond it
  DropTune(2, 1, 1);  // Cedar before Ash
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Sligo", "G 1 Cedar", "C 1 Ash", "D 1 Birch"}));
  DragCell(1, 1, 5, 1);  // Cedar beyond the last entry
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Sligo", "C 1 Ash", "D 1 Birch", "G 1 Cedar"}));

  NewSet("Kerry");
  DragCell(0, 2, 0, 2);
  EXPECT_EQ(file->Sets.GetName(1), "Kerry");
  DragCell(0, 2, 0, 1);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Kerry"}));
  EXPECT_EQ(Row(2).front(), "2 Sligo");
  DropTune(3, 1, 3);  // no third set: refused
  EXPECT_EQ(file->Sets.Count(), 2);
}

// '+' and '-' change the selected entry's count within 1..9; at either end nothing
// changes and the file stays unmodified.
TEST_F(SetGridTest, RepeatCountsStayWithinOneToNine) {
  TAbcFile* file = Open("%%BSET%\n%%DSET%Sligo,1:9,2\n%%ESET%\n" + std::string(kFourTunes));
  struct Step {
    int col;
    char key;
    int repeat;
    bool modified;
  };
  const Step steps[] = {{1, '+', 9, false}, {1, '-', 8, true}, {2, '-', 1, false}, {2, '+', 2, true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(1, step.key) + " on column " + std::to_string(step.col));
    file->SetModified(false);
    Click(step.col, 1);
    QTest::keyClicks(&Sets(), QString(step.key));
    EXPECT_EQ(file->Sets.GetRepeat(0, step.col - 1), step.repeat);
    EXPECT_EQ(file->Modified, step.modified);
  }
}

// Deleting asks "Delete set : " with the name; the set in its place becomes current,
// after the last the new last; the last set gone leaves the header and one empty row.
TEST_F(SetGridTest, DeletingSets) {
  TAbcFile* file = Open(kTwoSets + std::string(kFourTunes));
  ui_.Answers = {mrNo};
  Click(0, 2);
  Trigger(ActionId::DelSet);
  EXPECT_EQ(ui_.Asked.back().text, "Delete set : Kerry");
  EXPECT_EQ(file->Sets.Count(), 2);
  ui_.Answers = {mrYes, mrYes};
  Trigger(ActionId::DelSet);
  EXPECT_EQ(Sets().Row(), 1);
  Trigger(ActionId::DelSet);
  EXPECT_EQ(file->Sets.CurrentSet, -1);
  EXPECT_EQ(Sets().model()->rowCount(), 1);
}

// "Delete set : Kerry" answered when another file is shown by then touches neither
// file: the other file has no such set, and this one is no longer the one shown.
TEST_F(SetGridTest, ADeleteAnsweredUnderAnotherFileDeletesNothing) {
  TAbcFile* file = Open(kTwoSets + std::string(kFourTunes));
  Click(0, 2);
  TAbcFile* other = nullptr;
  ui_.Answers = {mrYes};
  ui_.WhileAsking = [&](const std::string&) {
    if (!other) other = OpenUserFile("other.abc", kOneSet + std::string(kFourTunes));
  };
  Trigger(ActionId::DelSet);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Browser().CurList(), other);
  EXPECT_EQ(file->Sets.Count(), 2);
  EXPECT_EQ(other->Sets.Count(), 1);
  EXPECT_FALSE(other->Modified);
}

// A click on an entry shows its tune (the shared parser holds it, and it is the file's
// current tune); Delete and the command remove the entry selected. A click past a
// set's entries selects the set, so Delete never takes an entry not highlighted.
TEST_F(SetGridTest, ClickingAnEntryShowsItsTune) {
  TAbcFile* file = Open(kTwoSets + std::string(kFourTunes));
  Browser().LstGrid()->SetGridIdx(2);
  Click(2, 2);
  EXPECT_EQ(TuneParser()->Title(), "Birch");
  ASSERT_NE(file->CurrentRec, nullptr);
  EXPECT_EQ(file->TitleOfRec(file->CurrentRec), "Birch");
  Click(0, 1);
  EXPECT_EQ(file->CurrentRec, nullptr);
  EXPECT_EQ(TuneParser()->Title(), "Birch");
  Click(3, 2);
  QTest::keyClick(&Sets(), Qt::Key_Delete);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 Kerry", "C 1 Damson", "D 1 Birch"}));
  Trigger(ActionId::DelTuneSet);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 Kerry", "C 1 Damson"}));
  Click(1, 1);
  Click(4, 2);
  EXPECT_EQ(Sets().Col(), 0);
  QTest::keyClick(&Sets(), Qt::Key_Delete);
  EXPECT_EQ(Row(1).size(), 3u);
  EXPECT_EQ(Row(2).size(), 2u);
}

// Playing a set sends its tunes in order, each as often as its count: Cedar, then
// Ash twice.
TEST_F(SetGridTest, PlayingASetPlaysItsTunesWithTheirCounts) {
  Open(kTwoSets + std::string(kFourTunes));
  Click(0, 1);
  QTest::keyClick(&Sets(), Qt::Key_Return);
  for (int ms = 0; ms < 20000 && MidiPlayer()->Playing(); ms += TZymMidiPlayer::kTimerPeriodMs) {
    manualClock_.now += TZymMidiPlayer::kTimerPeriodMs;
    manualTimers_.Fire();
  }
  std::vector<int> pitches;
  for (const test::Sent& m : test::ReadRecording(Path("midi.log"))) {
    if ((m.status & 0xF0) == 0x90 && m.data2 > 0) pitches.push_back(m.data1);
  }
  EXPECT_EQ(pitches, (std::vector<int>{64, 60, 60}));
}

// After tunes go in bulk (a view sent to the trash), the grid shows the sets as they
// are left and its selection moves onto an entry that is still there.
TEST_F(SetGridTest, BulkDeletionLeavesTheGridOnRemainingEntries) {
  TAbcFile* file = Open(kTwoSets + std::string(kFourTunes));
  Click(3, 2);  // Kerry's Cedar
  file->ToggleSelect(2);  // Cedar
  Browser().SetViewMode(vmMarked);
  ASSERT_EQ(FileControl()->ViewToTrash(file, true), kCtrlOk);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Sligo", "C 2 Ash"}));
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 Kerry", "C 1 Damson", "D 1 Birch"}));
  EXPECT_EQ(Sets().Col(), 2);
  Trigger(ActionId::DelTuneSet);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"2 Kerry", "C 1 Damson"}));
}

// Only the shown file's own tunes go into its sets: a drag of another file's tune
// (the shown file changed while it ran) is refused.
TEST_F(SetGridTest, TunesOfAnotherFileAreRefused) {
  TAbcFile* file = Open(kTwoSets + std::string(kFourTunes));
  TAbcFile* other = OpenUserFile("other.abc", "X:1\nT:Zebra\nK:C\nC|\n");
  QWidget* list = Browser().LstGrid()->viewport();
  QTest::mousePress(list, Qt::LeftButton, {}, ListRow(0));
  QTest::mouseMove(list, ListRow(0) + QPoint(5, 0));
  ASSERT_EQ(FileControl()->DragFile(), other);
  FileControl()->ShowFile(file);
  const QPoint end = list->mapFromGlobal(Sets().mapToGlobal(Sets().CellRect(1, 1).center()));
  QTest::mouseMove(list, end);
  QTest::mouseRelease(list, Qt::LeftButton, {}, end);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"1 Sligo", "G 1 Cedar", "C 2 Ash"}));
}

// The " Sessions " tab beside " Sets " shows the sessions of the file shown, each
// named by its master, with the followers of the one picked; it follows the file.
TEST_F(SetGridTest, SessionsTabShowsTheShownFilesSessions) {
  TAbcFile* file = Open("%%BSET%\n%%DSET%Sligo,3,1:2\n%%DMSS%2,1,3\n%%ESET%\n" + std::string(kFourTunes));
  QTabBar* tabs = MainEcr()->TabBottom();
  ASSERT_EQ(tabs->tabText(2), " Sessions ");
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
  TSesMaster& sessions = *App().SesMaster();
  ASSERT_TRUE(sessions.GridSes()->isVisible());
  EXPECT_EQ(sessions.File(), file);
  EXPECT_EQ(sessions.MasterText(0), "Birch");
  sessions.GridSes()->setCurrentIndex(sessions.GridSes()->model()->index(0, 0));
  EXPECT_EQ(sessions.FollowerText(0), "Ash");
  EXPECT_EQ(sessions.FollowerText(1), "Cedar");

  TAbcFile* other = OpenUserFile("other.abc", "X:1\nT:Zebra\nK:C\nC|\n");
  EXPECT_EQ(sessions.File(), other);
  EXPECT_EQ(sessions.MasterText(0), "");
  FileControl()->ShowFile(file);
  EXPECT_EQ(sessions.MasterText(0), "Birch");
}

}  // namespace
}  // namespace rq
