// Editing tunes in the program: the editor, tune-edit mode and the browser's tune
// commands (clipboard, trash, print list), with the real controller and screens.

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolButton>

#include "AppFixture.h"
#include "CtrlFileTestHelpers.h"
#include "RecordedMessages.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "controls/ListGrid.h"
#include "controls/MidiKeys.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "notation/AbcParser.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgSchAbc.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"

namespace rq {
namespace {

// Rows in title order: A, a, b, Eight. "a" is written in Windows-1252.
const char* kFourTunes =
    "X:1\nT:b\nR:reel\nM:4/4\nL:1/8\nK:D\n|:DFAF DFAF|GBdB GBdB:|\n"
    "X:2\nT:A\nR:jig\nM:6/8\nL:1/8\nK:G\nGAB GAB|cBA BAG|\n"
    "X:3\nT:a\nC:\x80 Jos\xE9\xA0\nK:Hm\nabc|\n"
    "X:4\nT:Eight\nM:4/4\nL:1/8\nK:C\nCDEF GABc|dcBA GFED|\n";
constexpr int kRowA = 0, kRowLatin = 1, kRowB = 2, kRowEight = 3;

class EditTuneTest : public test::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    MainEcr()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainEcr()));
    tunes_ = OpenUserFile("tunes.abc", kFourTunes);
  }

  TEditEcr& Editor() const { return *EditEcr(); }
  QPlainTextEdit& Text() const { return *Editor().AbcEditor(); }
  TFileEcr& Browser() const { return *FileEcr(); }
  QAction* Action(ActionId id) const { return (*App().Actions())[id]; }
  void Select(int row) const { Browser().LstGrid()->SetGridIdx(row); }
  std::string Shown() const { return Editor().Text().toStdString(); }
  void SelectLine(int line) const {
    QTextCursor cursor(Text().document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Text().setTextCursor(cursor);
  }
  // Replaces line `line` of the editor by typing, as the user does.
  void Retype(int line, const QString& text) const {
    SelectLine(line);
    QTest::keyClick(&Text(), Qt::Key_Delete);
    Editor().InsertString(text);
  }
  void SetClipboard(const QString& text) const { QGuiApplication::clipboard()->setText(text); }
  std::string Clip() const { return QGuiApplication::clipboard()->text().toStdString(); }
  std::vector<std::string> Titles(const TAbcFile* file) const {
    std::vector<std::string> titles;
    for (TAbcRec* rec : file->FilterList.All) titles.push_back(file->TitleOfRec(rec));
    return titles;
  }

  TAbcFile* tunes_ = nullptr;
};

// Outside edit mode typing changes nothing; the tune edited stays shown under its new
// title, the editor taking the list's place; Cancel gives the stored text back.
TEST_F(EditTuneTest, EditOkAndCancel) {
  Select(kRowB);
  QTest::keyClicks(&Text(), "zz");  // outside edit mode typing changes nothing
  EXPECT_EQ(Shown().substr(0, 8), "X:1\nT:b\n");

  Action(ActionId::EditTune)->trigger();
  ASSERT_TRUE(ResLib()->EditMode);
  Retype(1, "T:Zed");
  Editor().BtnValidEdit()->click();
  EXPECT_TRUE(Text().isReadOnly());
  EXPECT_EQ(Browser().LstGrid()->GridIdx(), 3);

  QWidget* editPanel = MainEcr()->Host(HostPanel::EditTune);
  const int width = editPanel->width();
  Action(ActionId::EditTune)->trigger();
  QTest::qWait(0);
  EXPECT_GT(editPanel->width(), width);  // the editor takes the list's place
  Retype(1, "T:Other");
  Editor().BtnCancel()->click();
  QTest::qWait(0);
  EXPECT_EQ(editPanel->width(), width);
  EXPECT_EQ(Shown().substr(0, 10), "X:1\nT:Zed\n");
}

// Notes of the keyboard sound on channel 0 and are spelt for the chosen key type.
TEST_F(EditTuneTest, PianoKeyboard) {
  const struct {
    int note, keyType;
    const char* spelling;
  } cases[] = {{60, 5, "C"}, {48, 5, "C,"}, {72, 5, "c"}, {84, 5, "c'"}, {61, 7, "_D"}, {66, 0, "F"}, {70, 3, "^A"}};
  for (const auto& c : cases) EXPECT_EQ(TEditEcr::NoteSpelling(c.note, c.keyType), c.spelling) << c.note;

  Select(kRowB);
  Action(ActionId::EditTune)->trigger();
  Editor().BtnTools()->click();
  Text().moveCursor(QTextCursor::End);
  QTest::keyClick(&Text(), Qt::Key_Return);
  TMIDIKeys& keys = *Editor().MidKeys();
  keys.KeyDown(61, 90, true);
  keys.KeyDown(64, 90, true);
  keys.KeyUp(61, 0, true);  // the note last sounded stops, whichever key is released
  EXPECT_EQ(Editor().LbCodeNote()->text(), "=E");
  Editor().OnInsertNote();
  EXPECT_EQ(Text().document()->lastBlock().text(), "=E");
  std::vector<std::vector<int>> notes;
  for (const test::Sent& m : test::ReadRecording(folder_ + "/midi.log")) {
    if ((m.status & 0xE0) == 0x80 && m.data1 >= 61) notes.push_back({m.status, m.data1, m.data2});
  }
  EXPECT_EQ(notes, (std::vector<std::vector<int>>{{0x90, 61, 100}, {0x90, 64, 100}, {0x80, 64, 0}}));
}

// Mend: without a current tune (a set's name selected) Edit does nothing, since Ok
// would have nowhere to store the typed work.
TEST_F(EditTuneTest, EditNeedsACurrentTune) {
  Select(kRowB);
  tunes_->SetCurrentRec(nullptr);
  Action(ActionId::EditTune)->trigger();
  EXPECT_FALSE(ResLib()->EditMode);
}

// Mend: Ok on text without a tune start, or with text above it, is refused with a
// message and the edit goes on; quitting with "save the changes" then stays.
TEST_F(EditTuneTest, OkRefusesTextWithoutATune) {
  Select(kRowB);
  Action(ActionId::EditTune)->trigger();
  Text().selectAll();
  QTest::keyClicks(&Text(), "T:only a title");
  EXPECT_FALSE(Editor().OnValidEdit());
  ASSERT_EQ(ui_.Asked.size(), 1u);
  EXPECT_NE(ui_.Asked[0].text.find("holds no tune"), std::string::npos);

  Text().selectAll();
  QTest::keyClicks(&Text(), "% about");
  QTest::keyClick(&Text(), Qt::Key_Return);
  QTest::keyClicks(&Text(), "X:9");
  EXPECT_FALSE(Editor().OnValidEdit());
  EXPECT_EQ(ui_.Asked.size(), 2u);

  ui_.DefaultAnswer = mrYes;  // "Save the changes ?", then "Quit ?", while the text is refused
  EXPECT_FALSE(MainEcr()->OnClose());
  EXPECT_TRUE(ResLib()->EditMode);
  EXPECT_EQ(tunes_->FilterList.AllCount(), 4);
}

// Mend: edit mode locks every command of the File, Abc, Options and Tools menus (their
// submenus too), their keys and the main tool bar, then gives each its own state back
// after Cancel and after Ok.
TEST_F(EditTuneTest, EditModeLocksCommands) {
  Action(ActionId::MergeDir)->setEnabled(false);  // disabled before, disabled after
  tunes_->SetModified(true);  // Ctrl+S would save it
  Select(kRowB);
  const size_t files = FileControl()->Files().size();
  TPage95Control& fileTabs = *App().CtrlFileEcr()->PGCFile();
  const int activeTab = fileTabs.currentIndex();
  const QList<QAction*> all = App().Actions()->All();
  const QList<QToolButton*> toolBar = MainEcr()->findChild<QWidget*>("PanFonction")->findChildren<QToolButton*>();
  auto states = [&] {
    std::vector<bool> enabled;
    for (QAction* a : all) enabled.push_back(a->isEnabled());
    for (QToolButton* b : toolBar) enabled.push_back(b->isEnabled());
    return enabled;
  };
  const std::vector<bool> before = states();
  for (auto end : {&TEditEcr::BtnCancel, &TEditEcr::BtnValidEdit}) {
    Action(ActionId::EditTune)->trigger();
    std::vector<QAction*> locked;
    for (ActionId id : {ActionId::File, ActionId::Abc, ActionId::Option, ActionId::Tools}) {
      std::vector<QMenu*> menus = {Action(id)->menu<QMenu*>()};
      while (!menus.empty()) {
        QMenu* menu = menus.back();
        menus.pop_back();
        locked.push_back(menu->menuAction());
        for (QAction* a : menu->actions()) {
          if (a->menu<QMenu*>()) menus.push_back(a->menu<QMenu*>());
          if (!a->isSeparator() && a->parent() == App().Actions()) locked.push_back(a);
        }
      }
    }
    for (ActionId id : EditLockedActions()) locked.push_back(Action(id));
    for (QAction* a : locked) EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    for (QToolButton* b : toolBar) EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(MainEcr()->Host(HostPanel::Tab)->isEnabled());

    for (QKeyCombination key : {Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_W,
                                Qt::CTRL | Qt::Key_F, Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_S,
                                Qt::ALT | Qt::Key_F4, QKeyCombination(Qt::Key_F3)}) {
      QTest::keyClick(&Text(), key.key(), key.keyboardModifiers());
    }
    Action(ActionId::PlayNext)->trigger();
    Browser().ShowNextTune();
    EXPECT_TRUE(ResLib()->EditMode);
    EXPECT_TRUE(tunes_->Modified);
    EXPECT_EQ(FileControl()->Files().size(), files);
    EXPECT_EQ(fileTabs.currentIndex(), activeTab);
    EXPECT_FALSE(App().DlgSearchAbc()->isVisible());
    EXPECT_EQ(Browser().LstGrid()->GridIdx(), kRowB);
    EXPECT_EQ(openAsked_, 0);
    EXPECT_TRUE(ui_.Asked.empty());

    (Editor().*end)()->click();
    EXPECT_EQ(states(), before);
    Select(kRowB);
  }
  QTest::keyClick(Browser().LstGrid(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(FileControl()->Files().size(), files + 1);
}

// Mend: Ctrl+C, Ctrl+X and Ctrl+V copy, cut and paste tunes in the tune list and text
// in the editor, whether it shows the tune or edits it; the text's keys never reach a tune.
TEST_F(EditTuneTest, ClipboardKeysBelongToTheFocus) {
  auto key = [](QWidget* w, Qt::Key k) { QTest::keyClick(w, k, Qt::ControlModifier); };
  QWidget* list = Browser().LstGrid();
  Select(kRowB);
  list->setFocus();
  key(list, Qt::Key_C);
  EXPECT_EQ(Clip().substr(0, 8), "X:1\nT:b\n");
  key(list, Qt::Key_X);
  EXPECT_EQ(Titles(FileControl()->Trash()), std::vector<std::string>{"b"});
  key(list, Qt::Key_V);
  EXPECT_EQ(Titles(tunes_), (std::vector<std::string>{"A", "a", "b", "Eight"}));

  Select(kRowA);
  Text().setFocus();
  SelectLine(1);
  for (Qt::Key k : {Qt::Key_C, Qt::Key_X, Qt::Key_V}) key(&Text(), k);
  EXPECT_EQ(Clip(), "T:A");
  EXPECT_EQ(Titles(tunes_).size(), 4u);
  EXPECT_EQ(Titles(FileControl()->Trash()).size(), 1u);

  Action(ActionId::EditTune)->trigger();
  SelectLine(1);
  key(&Text(), Qt::Key_X);
  key(&Text(), Qt::Key_V);
  key(&Text(), Qt::Key_V);
  EXPECT_EQ(Shown().substr(0, 11), "X:2\nT:AT:A\n");
  Editor().BtnCancel()->click();
  EXPECT_EQ(Titles(tunes_).size(), 4u);
}

// While a tune is edited (a new one too, in an empty file), the browser's tool row is
// hidden: the pad's Copy Tune copies the text as it stands in the editor.
TEST_F(EditTuneTest, CopyTuneWhileEditingCopiesTheEditedText) {
  Select(kRowA);
  Action(ActionId::EditTune)->trigger();
  Retype(1, "T:A Edited");
  QToolButton* copy = Editor().BtnCopyTune();
  ASSERT_TRUE(copy->isVisible() && copy->isEnabled());
  copy->click();
  EXPECT_EQ(Clip().substr(0, 15), "X:2\nT:A Edited\n");
  Editor().BtnCancel()->click();

  OpenUserFile("empty.abc", "");  // a new tune with no row of the list to stand for
  Action(ActionId::NewTune)->trigger();
  Retype(1, "T:Brand New");
  Editor().BtnCopyTune()->click();
  EXPECT_NE(Clip().find("\nT:Brand New\n"), std::string::npos) << Clip();
  Editor().BtnCancel()->click();
  EXPECT_FALSE(copy->isVisible());
}

// Mend: a new tune is protected like an edited one: the filter window and the
// search dialog go and cannot change the view under the typed text. After Ok the new
// tune is the one shown and selected, in its place in title order.
TEST_F(EditTuneTest, NewTuneHidesFilterAndSearch) {
  Select(kRowA);
  Action(ActionId::SetFilter)->trigger();
  Action(ActionId::FindABC)->trigger();
  Action(ActionId::NewTune)->trigger();
  EXPECT_FALSE(Browser().FilterWindow()->isVisible());
  EXPECT_FALSE(App().DlgSearchAbc()->isVisible());
  QTest::keyClicks(&Text(), "Cat");  // the caret waits after "T:"
  Browser().SearchText("Eight");
  EXPECT_EQ(tunes_->ViewMode, vmAll);
  EXPECT_EQ(Shown().substr(0, 9), "X:5\nT:Cat") << "numbered after the file's largest X:";
  Editor().BtnValidEdit()->click();
  EXPECT_EQ(Titles(tunes_), (std::vector<std::string>{"A", "a", "b", "Cat", "Eight"}));
  EXPECT_EQ(Browser().LstGrid()->GridIdx(), 3);
  EXPECT_EQ(tunes_->TitleOfRec(tunes_->CurrentRec), "Cat");
  EXPECT_EQ(TuneParser()->Title(), "Cat");
}

// Mend: a tune written in Windows-1252 is shown decoded, and an edit is written back
// in its encoding; a character Windows-1252 cannot hold, pasted or typed, makes its
// tune UTF-8. (Its copy into the filer, byte for byte, is a scenario of its own.)
TEST_F(EditTuneTest, EncodingsSurviveCopyPasteAndEdit) {
  Select(kRowLatin);
  EXPECT_NE(Shown().find("C:\xE2\x82\xAC Jos\xC3\xA9\xC2\xA0\n"), std::string::npos);  // €, é, no-break space
  TAbcFile* filer = FileControl()->Filer();
  FileControl()->ShowFile(filer);
  SetClipboard("X:5\r\nT:\xC5\x81\xC3\xB3\x64\xC5\xBA\rK:D\n");  // Łódź: no Windows-1252 byte for Ł and ź
  Action(ActionId::PasteTune)->trigger();
  EXPECT_EQ(filer->Lines.back(), "K:D");
  EXPECT_EQ(filer->TitleOfRec(filer->FilterList.AllItems(0)), "\xC5\x81\xC3\xB3\x64\xC5\xBA");

  FileControl()->ShowFile(tunes_);
  Select(kRowLatin);
  Action(ActionId::EditTune)->trigger();
  Retype(1, QString::fromUtf8("T:Caf\xC3\xA9"));
  Editor().BtnValidEdit()->click();
  EXPECT_EQ(tunes_->TitleOfRec(tunes_->CurrentRec), "Caf\xE9");
  Action(ActionId::EditTune)->trigger();
  Retype(1, QString::fromUtf8("T:\xC5\x81\xC3\xA9"));
  Editor().BtnValidEdit()->click();
  EXPECT_EQ(tunes_->TitleOfRec(tunes_->CurrentRec), "\xC5\x81\xC3\xA9");
  EXPECT_EQ(tunes_->Lines[tunes_->CurrentRec->StartLine + 2], "C:\xE2\x82\xAC Jos\xC3\xA9\xC2\xA0");
}

// Mend: cut, delete, print and add-to-print-list act on the tune shown, also when a
// set entry showed it while the list highlights another row.
TEST_F(EditTuneTest, CommandsActOnTheTuneShown) {
  test::FakePrinter printer;
  FileControl()->SetPrinter(&printer);
  Select(kRowA);
  ASSERT_EQ(FileControl()->ShowTuneRec(tunes_, tunes_->GetRec(kRowEight)), kCtrlOk);
  Action(ActionId::AddPrintTune)->trigger();
  Action(ActionId::PrintOneTune)->trigger();
  EXPECT_EQ(Titles(FileControl()->PrintList()), std::vector<std::string>{"Eight"});
  // The preview follows the list it joined; the job prints the tune shown.
  EXPECT_EQ(printer.Jobs, (std::vector<std::string>{"preview all", "T:Eight"}));

  Action(ActionId::CutTune)->trigger();
  EXPECT_EQ(Titles(FileControl()->Trash()), std::vector<std::string>{"Eight"});
  ASSERT_EQ(FileControl()->ShowTuneRec(tunes_, tunes_->GetRec(kRowB)), kCtrlOk);
  Action(ActionId::DelTune)->trigger();
  EXPECT_EQ(Titles(tunes_), (std::vector<std::string>{"A", "a"}));
  FileControl()->SetPrinter(nullptr);
}

// Mend: after a whole view goes to the trash, by command or dropped on the trash,
// the counters are right and no deleted tune stays shown.
TEST_F(EditTuneTest, BulkDeletionsRefreshTheBrowser) {
  tunes_->ToggleSelect(kRowB);
  tunes_->ToggleSelect(kRowEight);
  Browser().SetViewMode(vmMarked);
  ui_.Answers = {mrYes};
  Action(ActionId::DeleteAll)->trigger();
  EXPECT_EQ(Browser().LabCptAll()->text(), "2 ");
  EXPECT_EQ(Browser().LabCptFlt()->text(), "0 ");
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(TuneParser()->Title(), "");

  Browser().SetViewMode(vmAll);
  FileControl()->BeginDrag(tunes_, kDragKindView, kDragModeView, 0);
  ui_.Answers = {mrYes};
  FileControl()->DropOnFile(FileControl()->Trash());
  EXPECT_EQ(Browser().LabCptAll()->text(), "0 ");
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(FileControl()->Trash()->FilterList.AllCount(), 4);
}

// Mend: pasting text without a tune start is refused with a message and leaves the
// file unmodified; text above the first tune is left out; the trash takes no paste.
TEST_F(EditTuneTest, PasteNeedsATune) {
  SetClipboard("just words\nno tune");
  Action(ActionId::PasteTune)->trigger();
  EXPECT_EQ(ui_.Asked.size(), 1u);
  EXPECT_FALSE(tunes_->Modified);

  SetClipboard("% notes about it\nX:7\nT:Pasted\nK:G\n");
  Action(ActionId::PasteTune)->trigger();
  EXPECT_EQ(tunes_->Lines.size(), 29u);
  EXPECT_EQ(tunes_->Lines[25], "") << "the pasted tune is kept apart from the tune above";
  EXPECT_EQ(tunes_->Lines[26], "X:7");

  TAbcFile* trash = FileControl()->Trash();
  FileControl()->ShowFile(trash);
  Browser().LstGrid()->setFocus();
  QTest::keyClick(Browser().LstGrid(), Qt::Key_V, Qt::ControlModifier);
  Browser().ACTPasteTune();
  EXPECT_EQ(trash->FilterList.AllCount(), 0);
  EXPECT_FALSE(trash->Modified);
}

// Copy all puts every tune of the view on the clipboard, each decoded by its own bytes.
// Mend: every line ends with a line break, so pasted the tunes come back line for
// line, the blank line that closes the last one included.
TEST_F(EditTuneTest, CopyAll) {
  tunes_->ToggleSelect(kRowLatin);
  tunes_->ToggleSelect(kRowEight);
  Browser().SetViewMode(vmMarked);
  Action(ActionId::CopyAll)->trigger();
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("X:3\nT:a\nC:\xE2\x82\xAC Jos\xC3\xA9")) && text.contains("\nX:4\nT:Eight\n"));

  const std::string closed = "X:5\nT:One\nK:C\nC|\n\nX:6\nT:Two\nK:D\nD|\n\n";
  OpenUserFile("closed.abc", closed);
  Action(ActionId::CopyAll)->trigger();
  FileControl()->ShowFile(FileControl()->Filer());
  Action(ActionId::PasteTune)->trigger();
  const TLines& filer = FileControl()->Filer()->Lines;
  ASSERT_GE(filer.size(), 10u);
  EXPECT_EQ(TLines(filer.end() - 10, filer.end()), SplitLines(closed));
}

// Ok trims the blanks at the line ends of the edited tune, typed or stored before;
// Ctrl+S then writes the other tunes as they were on disk, their trailing blanks
// and tabs, the line ends and the line of blanks between tunes included (the edited
// tune goes to the file's end).
TEST_F(EditTuneTest, OkTrimsTrailingBlanksOfTheEditedTuneOnly) {
  const std::string other1 = "X:1\r\nT:Kept  \r\nK:D \r\n  \r\n";
  const std::string other3 = "X:3\r\nT:Last\t\r\nK:G\r\nabc| \r\n\r\n";
  Write("blanks.abc", other1 + "X:2\r\nT:A\r\nC:Trad \r\nK:D\r\nabc|  \r\n\r\n" + other3);
  ASSERT_EQ(FileControl()->OpenFile(Path("blanks.abc")), kCtrlOk);
  Select(0);  // "A"
  ASSERT_EQ(Shown().substr(0, 8), "X:2\nT:A\n");
  Action(ActionId::EditTune)->trigger();
  QTextCursor cursor(Text().document()->findBlockByNumber(1));
  cursor.movePosition(QTextCursor::EndOfBlock);
  Text().setTextCursor(cursor);
  Editor().InsertString(" and D   ");
  Editor().BtnValidEdit()->click();
  ASSERT_FALSE(Editor().Editing());
  EXPECT_EQ(Shown(), "X:2\nT:A and D\nC:Trad\nK:D\nabc|\n");
  Action(ActionId::SaveFile)->trigger();
  EXPECT_EQ(test::ReadBytes(Path("blanks.abc")),
            other1 + other3 + "X:2\r\nT:A and D\r\nC:Trad\r\nK:D\r\nabc|\r\n\r\n");
}

}  // namespace
}  // namespace rq
