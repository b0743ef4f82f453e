// The program end to end, one test per scenario of a musician's session, in the order
// a session goes: first start, opening a file, filtering, marking, sets, editing,
// playing with a loop, deleting, searching, copying into the filer.
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLabel>

#include "ScenarioFixture.h"
#include "app/Actions.h"
#include "controls/Knob.h"
#include "controls/Page95Control.h"
#include "notation/AbcDef.h"
#include "score/screens/ScoreEcr.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgSchAbc.h"
#include "screens/KeyFilterGrid.h"
#include "screens/MeasureGrid.h"
#include "screens/SetGrid.h"

namespace rq {
namespace {

using test::ReadBytes;

constexpr const char* kSettings = "RQUILL20.INI";

class ScenarioTest : public test::ScenarioFixture {
 protected:
  QAction* Action(ActionId id) const { return (*App().Actions())[id]; }
  QString ScoreTitle() const { return ScoreEcr()->NameLabel()->text(); }
  bool Exists(const std::string& name) const { return QFile::exists(QString::fromStdString(Path(name))); }
  // A click on a key of the filter window's key grid.
  void ClickKey(std::string_view key) {
    const auto index = std::find(KeyNames.begin(), KeyNames.end(), key) - KeyNames.begin();
    TKeyFilterGrid* keys = Browser().FKGrid();
    QTest::mouseClick(keys, Qt::LeftButton, {}, keys->ItemRect(static_cast<int>(index) - 1).center());
  }
  void ClickViewTab(int index) { ClickTab(Browser().PGCFilter()->tabBar(), index); }
  void ClickFileTab(const TAbcFile* file) { ClickTab(CtrlFileEcr()->PGCFile()->tabBar(), CtrlFileEcr()->TabOf(file)); }
  // A drag with the left button across the player's bar grid, from one column to another.
  void DragAcrossBars(int from, int to) {
    TMeasureGrid* grid = Player().GridMesure();
    QTest::mousePress(grid, Qt::LeftButton, {}, grid->CellRect(from, 1).center());
    QTest::mouseMove(grid, grid->CellRect(to, 1).center());
    QTest::mouseRelease(grid, Qt::LeftButton, {}, grid->CellRect(to, 1).center());
  }
  // A tune of the list (view row) dragged onto an entry column of the set grid's first set.
  void DragToSet(int row, int column) {
    TSetGrid& sets = *Browser().DrwGridSet();
    Drag(Grid().viewport(), RowPoint(row, 40), &sets, sets.CellRect(column, 1).center());
  }
  // The cells of a row of the set grid as they read, up to the first empty one.
  std::vector<std::string> SetRow(int row) const {
    const TSetGrid& sets = *Browser().DrwGridSet();
    std::vector<std::string> cells;
    for (int col = 0; !sets.CellText(col, row).isEmpty(); ++col) cells.push_back(sets.CellText(col, row).toStdString());
    return cells;
  }
  static std::string WithCrLf(const std::string& text) {
    return QString::fromLatin1(text).replace("\n", "\r\n").toLatin1().toStdString();
  }
};

// A first start writes the trash and the filer and shows them as the first two tabs,
// the filer's empty list in the browser; quitting asks only the quit question and
// writes the settings; the next start reads both files as they were.
TEST_F(ScenarioTest, FirstStartWritesTrashAndFiler) {
  TAppContext& app = Launch();
  EXPECT_TRUE(app.StartErrors().empty());
  const std::string trash = "% *** Reelquill 2 trash ***\n\n";
  const std::string filer = "% *** Reelquill 2 user file ***\n\n";
  EXPECT_EQ(ReadBytes(Path("trash")), trash);
  EXPECT_EQ(ReadBytes(Path("filer")), filer);
  EXPECT_EQ(Browser().CurList(), FileControl()->Filer());
  EXPECT_FALSE(Exists(kSettings));

  ASSERT_TRUE(CloseWindow({mrYes}));
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"Quit Reelquill ?"});
  EXPECT_TRUE(Exists(kSettings));

  TAppContext& again = Relaunch();
  EXPECT_TRUE(again.StartErrors().empty());
  EXPECT_EQ(ReadBytes(Path("trash")), trash);
  EXPECT_EQ(ReadBytes(Path("filer")), filer);
}

// A file handed over by a second start opens in a tab of its own: the list in title
// order, both counters, the status line and the score of the first tune. A file opened from the controller takes over the counters; its tab gives them back.
TEST_F(ScenarioTest, TheListAndItsCounters) {
  Launch();
  Write("tunes.abc", test::kFourTunes);
  OpenThroughSecondStart(Path("tunes.abc"));
  TAbcFile* tunes = FileControl()->FindFile(Path("tunes.abc"));
  ASSERT_NE(tunes, nullptr);
  EXPECT_EQ(View(), (std::vector<std::string>{"A", "a", "b", "Eight"}));
  EXPECT_EQ(Browser().LabCptAll()->text(), "4 ");
  EXPECT_EQ(MainEcr()->StatusPanel(0)->text(), "tunes.abc: 4 tunes");
  EXPECT_EQ(ScoreTitle(), "A");

  Grid().setFocus();
  Key(Qt::Key_Down);

  OpenUserFile("other.abc", "X:1\nT:Cooley's\nK:Edor\nEBBA B2|\n");
  EXPECT_EQ(Browser().LabCptAll()->text(), "1 ");
  EXPECT_EQ(MainEcr()->StatusPanel(0)->text(), "other.abc: 1 tune");
  ClickFileTab(tunes);
  EXPECT_EQ(Browser().LabCptFlt()->text(), "4 ");
  EXPECT_EQ(MainEcr()->StatusPanel(0)->text(), "tunes.abc: 4 tunes");
  EXPECT_EQ(ScoreTitle(), "a");  // the row the file's list was left on
}

// A key chosen in the filter window narrows the list to its tunes, lights the lamp
// and counts the view; Enter plays the tune left; the same key again brings all back.
TEST_F(ScenarioTest, AKeyFilter) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  Action(ActionId::SetFilter)->trigger();
  ClickKey("D");
  EXPECT_EQ(View(), std::vector<std::string>{"b"});

  Grid().setFocus();
  Key(Qt::Key_Return);
  Run(100);
  ASSERT_FALSE(NoteOns().empty());
  EXPECT_EQ(NoteOns().front().data1, 62);  // b opens on D
  Key(Qt::Key_Return);
  EXPECT_FALSE(MidiPlayer()->Playing());

  ClickKey("D");
  EXPECT_EQ(View().size(), 4u);
}

// Clicks on the mark boxes mark tunes and the marked view holds them; marks change no file, so quitting asks nothing but the quit question.
TEST_F(ScenarioTest, Marks) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  ClickRow(1, 3);  // a
  ClickRow(3, 3);  // Eight
  ClickViewTab(1);
  EXPECT_EQ(View(), (std::vector<std::string>{"a", "Eight"}));

  ASSERT_TRUE(CloseWindow({mrYes}));
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"Quit Reelquill ?"});
  EXPECT_EQ(ReadBytes(Path("tunes.abc")), test::kFourTunes);
}

// A new set named in its prompt, "Eight" and "A" dragged from the list into it (the
// second before the first); Ctrl+S writes the set block at the top of the file, the
// tunes below as they were; after a new start the file, reopened from the recent
// list, shows the same set.
TEST_F(ScenarioTest, ASetBuiltByDragAndDropAndSaved) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  ClickTab(MainEcr()->TabBottom(), 1);  // " Sets "
  ClickButtonAndName("btnNewSet", "Reels");
  DragToSet(3, 1);  // Eight
  DragToSet(0, 1);  // A, dropped on Eight: before it

  PressKey(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadBytes(Path("tunes.abc")), "%%BSET%\n%%DSET%Reels,2,4\n%%ESET%\n" + test::kFourTunes);
  EXPECT_FALSE(Browser().VoyModif()->isVisibleTo(MainEcr()));

  ASSERT_NE(QuitAndReopen("tunes.abc", {mrYes}), nullptr);
  EXPECT_EQ(SetRow(1), (std::vector<std::string>{"1 Reels", "G 1 A", "C 1 Eight"}));
}

// "A", marked and in a set, has its title and first bar typed over in the editor; the
// score follows the typing and Ok keeps the tune shown, marked and in the set, now
// last in the file; Enter plays the new notes. Saved, the set line names the tune at
// its new place, and so the set still holds it after a new start.
TEST_F(ScenarioTest, AnEditConfirmedAndSaved) {
  Launch();
  OpenUserFile("tunes.abc", "%%BSET%\n%%DSET%Reels,2,4\n%%ESET%\n" + test::kFourTunes);
  ClickRow(0, 3);   // the mark box of "A"
  ClickRow(0, 40);  // its title
  ClickButton("btnEditTune");
  TypeOverLine(1, "T:Zed");
  EXPECT_EQ(ScoreTitle(), "Zed");
  TypeOverLine(6, "dBG dBG|cBA BAG|");
  QTest::mouseClick(EditEcr()->BtnValidEdit(), Qt::LeftButton);
  ClickViewTab(1);
  EXPECT_EQ(View(), std::vector<std::string>{"Zed"});
  Grid().setFocus();
  Key(Qt::Key_Return);
  Run(100);
  ASSERT_FALSE(NoteOns().empty());
  EXPECT_EQ(NoteOns().front().data1, 74);  // d
  Key(Qt::Key_Return);

  PressKey(Qt::Key_S, Qt::ControlModifier);
  const std::string saved = ReadBytes(Path("tunes.abc"));
  EXPECT_TRUE(saved.starts_with("%%BSET%\n%%DSET%Reels,4,3\n%%ESET%\nX:1\nT:b\n"));
  EXPECT_TRUE(saved.ends_with("X:4\nT:Eight\nM:4/4\nL:1/8\nK:C\n" + std::string(test::kEightNotes) +
                              "cAFA c2A2|BGDG B2G2|CDEF GABc|c8|\n\n"
                              "X:2\nT:Zed\nR:jig\nM:6/8\nL:1/8\nK:G\ndBG dBG|cBA BAG|\n"));

  ASSERT_NE(QuitAndReopen("tunes.abc", {mrYes}), nullptr);
  EXPECT_EQ(SetRow(1), (std::vector<std::string>{"1 Reels", "G 1 Zed", "C 1 Eight"}));
}

// New Tune, a title and a bar typed into the template, Ok: the tune is in the list,
// the counters and the Added view. It is numbered after the file's largest X:, and
// Ctrl+S writes it at the end of the file after an empty line, with the file's CR LF
// line ends; after a new start it is in the list.
TEST_F(ScenarioTest, ANewTuneAdded) {
  Launch();
  const std::string crlf = WithCrLf(test::kFourTunes);
  OpenUserFile("tunes.abc", crlf);
  ClickButton("btnNewTune");
  QTest::keyClicks(EditEcr()->AbcEditor(), "Kesh");  // the caret waits after "T:"
  QTest::keyClick(EditEcr()->AbcEditor(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(EditEcr()->AbcEditor(), "GAB ABG|");
  QTest::mouseClick(EditEcr()->BtnValidEdit(), Qt::LeftButton);

  ClickViewTab(3);
  EXPECT_EQ(View(), std::vector<std::string>{"Kesh"});

  PressKey(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadBytes(Path("tunes.abc")), crlf + WithCrLf("\nX:5\nT:Kesh\nM:4/4\nR:\nK:D\nGAB ABG|\n"));

  ASSERT_NE(QuitAndReopen("tunes.abc", {mrYes}), nullptr);
  EXPECT_EQ(View(), (std::vector<std::string>{"A", "a", "b", "Eight", "Kesh"}));
}

// Enter plays the eight-bar tune at speed 100, where a 4/4 bar lasts 1.2 s; a drag
// over bars 2 and 3 with LOOP on repeats them, and nothing at or after the loop's
// end is ever sent. STOP silences it: nothing more is sent and no note is left on.
TEST_F(ScenarioTest, ATunePlayedWithALoopThenStopped) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  ASSERT_EQ(Player().KnobSpeed()->Position(), 100);
  Grid().setFocus();
  Grid().SetGridIdx(3);
  Key(Qt::Key_Return);
  ASSERT_TRUE(MidiPlayer()->Playing());
  ASSERT_EQ(Player().Columns(), 8);
  DragAcrossBars(1, 2);
  EXPECT_EQ(std::pair(Player().Loop().First(), Player().Loop().Last()), std::pair(1, 2));
  Player().LoopSwitch()->click();
  ASSERT_TRUE(MidiPlayer()->LoopOn());
  Run(10000);

  const std::vector<int> bar1 = {60, 62, 64, 65, 67, 69, 71, 72};  // CDEF GABc
  const std::vector<int> loop = {74, 72, 71, 69, 67, 65, 64, 62,   // dcBA GFED
                                 60, 64, 67, 72, 76, 67, 72, 76};  // CEGc eGce
  const std::vector<test::Sent> ons = NoteOns();
  ASSERT_GE(ons.size(), bar1.size() + 3 * loop.size());
  for (size_t i = 0; i < ons.size(); ++i) {
    const int expected = i < bar1.size() ? bar1[i] : loop[(i - bar1.size()) % loop.size()];
    ASSERT_EQ(ons[i].data1, expected) << "note-on " << i;
  }
  // The timing, read from the device's own times: a bar from the start to bar 2,
  // two bars from one pass of the loop to the next.
  EXPECT_NEAR(ons[8].ms - ons[0].ms, 1200, 30);
  for (size_t pass = bar1.size() + loop.size(); pass < ons.size(); pass += loop.size()) {
    EXPECT_NEAR(ons[pass].ms - ons[pass - loop.size()].ms, 2400, 30) << "pass at note-on " << pass;
  }

  Player().StopButton()->click();
  Run(3000);
  EXPECT_EQ(NoteOns().size(), ons.size());
  EXPECT_EQ(test::HangingNotes(test::ReadRecording(Path("midi.log"))), 0);
}

// Delete sends the tune to the trash; the file is saved on the way out, and after a
// new start the trash still holds the tune, line for line, and the file, reopened
// from the recent list, holds the other three.
TEST_F(ScenarioTest, ATuneDeletedToTheTrashKeptAfterQuit) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  Grid().setFocus();
  Grid().SetGridIdx(2);
  Key(Qt::Key_Delete);
  ASSERT_NE(QuitAndReopen("tunes.abc", {mrYes, mrYes}), nullptr);
  EXPECT_EQ(View(), (std::vector<std::string>{"A", "a", "Eight"}));
  const TAbcFile& trash = *FileControl()->Trash();
  ASSERT_EQ(trash.FilterList.AllCount(), 1);
  TLines lines;
  trash.CopyRecLines(trash.FilterList.AllItems(0), lines, true);
  EXPECT_EQ(lines, (TLines{"X:1", "T:b", "R:reel", "M:4/4", "L:1/8", "K:D", "|:DFAF DFAF|GBdB GBdB:|"}));
}

// The search dialog's note page: the opening of "Eight" played a fifth higher finds
// it, in the result view; a phrase no tune has leaves the view empty and the tune shown.
TEST_F(ScenarioTest, ANotePatternSearch) {
  Launch();
  OpenUserFile("tunes.abc", test::kFourTunes);
  Action(ActionId::FindABC)->trigger();
  TDlgSearchAbc& dialog = *App().DlgSearchAbc();
  ASSERT_TRUE(dialog.isVisible());
  QTest::mouseClick(dialog.TabBottom(), Qt::LeftButton, {}, dialog.TabBottom()->tabRect(1).center());
  for (QAbstractButton* digits : dialog.DigitButtons()->buttons()) {
    if (digits->text() == "8") QTest::mouseClick(digits, Qt::LeftButton);
  }
  dialog.CBTextAbc()->setEditText("GABc de^fg|ag^fe dcBA|GBdg bdgb|a^fd^f a4|");
  QTest::mouseClick(dialog.BtnSearch(), Qt::LeftButton);
  EXPECT_EQ(Browser().PGCFilter()->currentIndex(), 4);
  EXPECT_EQ(View(), std::vector<std::string>{"Eight"});
  EXPECT_EQ(ScoreTitle(), "Eight");

  dialog.CBTextAbc()->setEditText("g8|f8|e8|d8|");
  QTest::mouseClick(dialog.BtnSearch(), Qt::LeftButton);
  EXPECT_TRUE(View().empty());
  EXPECT_EQ(ScoreTitle(), "Eight");
}

// A tune written in Windows-1252 (bytes of 0x80 to 0xFF in its title and composer)
// copied with Ctrl+C from the list and pasted with Ctrl+V into the filer: quitting
// writes it into the filer byte for byte, the blank line that closes it included,
// and the next start lists it there.
TEST_F(ScenarioTest, ATuneCopiedAndPastedIntoTheFiler) {
  Launch();
  const std::string tune = "X:7\nT:Caf\xE9 \x93Na\xEFve\x94 \x96 reel\nC:\x80 M\xFCller\xA0\nK:G\nGABc dedB|\n\n";
  OpenUserFile("latin.abc", "X:1\nT:Ash\nK:C\nC4|\n\n" + tune + "X:9\nT:Birch\nK:D\nD4|\n");
  ClickRow(2, 40);  // Ash, Birch, Café
  PressKey(Qt::Key_C, Qt::ControlModifier);
  ClickFileTab(FileControl()->Filer());
  PressKey(Qt::Key_V, Qt::ControlModifier);

  ASSERT_TRUE(CloseWindow({mrYes}));
  EXPECT_EQ(ReadBytes(Path("filer")), "% *** Reelquill 2 user file ***\n\n" + tune);
  Relaunch();
  ClickFileTab(FileControl()->Filer());
  EXPECT_EQ(View(), std::vector<std::string>{"Caf\xE9 \x93Na\xEFve\x94 \x96 reel"});
}

}  // namespace
}  // namespace rq
