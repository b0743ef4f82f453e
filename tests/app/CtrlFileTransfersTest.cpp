// Tunes moving between files and out of the program: the trash, drops on files, the
// clipboard, folder merges, the print list and the MIDI export.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>

#include <sys/stat.h>

#include "CtrlFileTestHelpers.h"
#include "library/AbcFileFormat.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"

namespace rq {
namespace {

using test::ReadBytes;
using test::WriteBytes;

std::string Tune(int x, const std::string& title, const std::string& body = "ABcd efga|") {
  return "X:" + std::to_string(x) + "\nT:" + title + "\nM:4/4\nL:1/8\nK:D\n" + body + "\n";
}

// Three reels with a set of the first two and a session led by the third.
const std::string kReels = "%%BSET%\n%%DSET%Pair,1:2,2:1\n%%DMSS%3,1\n%%ESET%\n" + Tune(1, "Drowsy Maggie") +
                           "\n" + Tune(2, "Silver Spear") + "\n" + Tune(3, "Tarbolton");

std::vector<std::string> Titles(const TAbcFile& file) {
  std::vector<std::string> titles;
  for (int32_t row = 0; row < file.FilterList.Count(); ++row) titles.push_back(file.GetTitle(row));
  return titles;
}

class CtrlFileTransfersTest : public test::CtrlFileFixture {
 protected:
  CtrlFileTransfersTest() {
    Make();
    ctrl->OpenControlFiles();
  }
  using CtrlFileFixture::Open;
  TAbcFile* Open(const std::string& name) { return Open(name, kReels); }
  int RowOf(const TAbcFile& file, const std::string& title) const {
    for (int32_t row = 0; row < file.FilterList.Count(); ++row) {
      if (file.GetTitle(row) == title) return row;
    }
    return -1;
  }
  // Every set entry and session names a tune the file still holds.
  static void ExpectNoFreedRecords(const TAbcFile& file) {
    auto held = [&file](const TAbcRec* rec) { return file.IndexOfRec(rec) >= 0; };
    for (int32_t s = 0; s < file.Sets.Count(); ++s) {
      for (int32_t e = 0; e < file.Sets.TuneCount(s); ++e) EXPECT_TRUE(held(file.Sets.GetTune(s, e)));
    }
    for (int32_t i = 0; i < file.Sessions.Count(); ++i) {
      EXPECT_TRUE(held(file.Sessions.Session(i)->Master));
      for (const TAbcRec* rec : file.Sessions.Session(i)->Followers) EXPECT_TRUE(held(rec));
    }
    if (file.CurrentRec) {
      EXPECT_TRUE(held(file.CurrentRec));
    }
  }
};

// ---- the trash ---------------------------------------------------------------------

// A deleted tune goes to the end of the trash, unmarked and flagged as added, and
// leaves its set, its session and the current tune; deleting it from the trash
// deletes it for good.
TEST_F(CtrlFileTransfersTest, DeletedTuneGoesToTheTrash) {
  TAbcFile* reels = Open("reels.abc");
  TAbcFile* trash = ctrl->Trash();
  const int row = RowOf(*reels, "Drowsy Maggie");
  reels->SetCurrent(row);
  reels->ToggleSelect(row);
  QSignalSpy changed(ctrl.get(), &TCtrlFile::TunesChanged);
  ASSERT_EQ(ctrl->TuneToTrash(reels, row), kCtrlOk);

  EXPECT_EQ(reels->Sets.TuneCount(0), 1);
  EXPECT_EQ(reels->Sessions.Session(0)->Followers.size(), 0u);
  EXPECT_EQ(reels->CurrentRec, nullptr);
  ExpectNoFreedRecords(*reels);
  ASSERT_EQ(trash->FilterList.Count(), 1);
  const TAbcRec* moved = trash->GetRec(0);
  EXPECT_FALSE(moved->IsMarked());
  EXPECT_TRUE(moved->IsAddedThisRun());
  EXPECT_EQ(trash->TitleOfRec(moved), "Drowsy Maggie");
  EXPECT_EQ(moved->StartLine, 2) << "after the trash's header line and empty line";
  EXPECT_EQ(changed.count(), 2);

  ASSERT_EQ(ctrl->TuneToTrash(trash, 0), kCtrlOk);
  EXPECT_EQ(trash->FilterList.Count(), 0);
}

// Tunes deleted from a file, and tunes copied into the filer, are on disk before the
// file is written, so a program killed after the save has lost no tune. When the
// trash cannot be written the user says whether to save the file all the same.
TEST_F(CtrlFileTransfersTest, TheTrashIsWrittenBeforeTheFileATuneLeft) {
  TAbcFile* reels = Open("reels.abc");
  ctrl->BeginDrag(reels, kDragKindTune, kDragModeTune, RowOf(*reels, "Silver Spear"));
  ctrl->DropOnFile(ctrl->Filer());
  ASSERT_EQ(ctrl->TuneToTrash(reels, RowOf(*reels, "Drowsy Maggie")), kCtrlOk);
  ASSERT_EQ(ctrl->SaveFile(reels), kCtrlOk);
  EXPECT_EQ(ReadBytes(Path("reels.abc")).find("T:Drowsy Maggie"), std::string::npos);
  EXPECT_NE(ReadBytes(ctrl->TrashPath()).find("T:Drowsy Maggie"), std::string::npos);
  EXPECT_NE(ReadBytes(ctrl->FilerPath()).find("T:Silver Spear"), std::string::npos);
  EXPECT_FALSE(ctrl->Trash()->Modified);
  EXPECT_TRUE(ui.Asked.empty());

  ASSERT_EQ(::chmod(ctrl->TrashPath().c_str(), 0444), 0);
  ASSERT_EQ(ctrl->TuneToTrash(reels, RowOf(*reels, "Tarbolton")), kCtrlOk);
  ui.Answers = {mrNo};
  EXPECT_EQ(ctrl->SaveFile(reels), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_TRUE(ui.Asked[0].text.starts_with("The trash could not be saved.\n")) << ui.Asked[0].text;
  EXPECT_TRUE(ui.Asked[0].text.ends_with("\nSave " + Path("reels.abc") + " all the same?")) << ui.Asked[0].text;
  EXPECT_NE(ReadBytes(Path("reels.abc")).find("T:Tarbolton"), std::string::npos) << "the file keeps the tune";
  EXPECT_TRUE(reels->Modified);

  ui.Answers = {mrYes};
  EXPECT_EQ(ctrl->SaveFile(reels), kCtrlOk);
  EXPECT_EQ(ReadBytes(Path("reels.abc")).find("T:Tarbolton"), std::string::npos);
  ASSERT_EQ(::chmod(ctrl->TrashPath().c_str(), 0644), 0);
}

// Without a trash nothing is deleted to it, and no user file ever takes its place.
TEST_F(CtrlFileTransfersTest, WithoutATrashDeletionsAreRefused) {
  WriteBytes(Path("plain"), "");
  folder = Path("plain") + "/program";
  Make();
  ctrl->OpenControlFiles();
  ASSERT_EQ(ctrl->Trash(), nullptr);
  TAbcFile* reels = Open("reels.abc");
  TAbcFile* jigs = Open("jigs.abc", Tune(1, "Banish Misfortune"));
  ui.Asked.clear();

  EXPECT_EQ(ctrl->TuneToTrash(reels, 0), kCtrlRefused);
  EXPECT_EQ(ctrl->ViewToTrash(reels, true), kCtrlRefused);
  EXPECT_EQ(ctrl->EmptyTrash(), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 3u);
  for (const auto& asked : ui.Asked) {
    EXPECT_EQ(asked.text.rfind("The trash is not available", 0), 0u) << asked.text;
  }
  ctrl->BeginDrag(reels, kDragKindView, kDragModeView, 0);
  ctrl->DropOnFile(jigs);
  EXPECT_EQ(reels->FilterList.Count(), 3) << "a drop on a user file only copies";
  EXPECT_EQ(jigs->FilterList.Count(), 4);
}

// A whole view goes to the trash in file order; the trash's own view goes for good.
TEST_F(CtrlFileTransfersTest, ViewToTrashMovesTheView) {
  TAbcFile* reels = Open("reels.abc");
  reels->ToggleSelect(RowOf(*reels, "Silver Spear"));
  reels->SetViewMode(vmUnmarked, 0);
  ASSERT_EQ(ctrl->ViewToTrash(reels, true), kCtrlOk);
  reels->SetViewMode(vmAll, 0);
  EXPECT_EQ(Titles(*reels), std::vector<std::string>{"Silver Spear"});
  ExpectNoFreedRecords(*reels);
  EXPECT_EQ(Titles(*ctrl->Trash()), (std::vector<std::string>{"Drowsy Maggie", "Tarbolton"}));

  ASSERT_EQ(ctrl->ViewToTrash(ctrl->Trash(), true), kCtrlOk);
  EXPECT_EQ(ctrl->Trash()->FilterList.Count(), 0);
  EXPECT_EQ(ctrl->ViewToTrash(nullptr, true), kCtrlRefused);
}

// Emptying asks first; Yes leaves the trash without a line, sets and sessions
// included, and it is written empty at the end.
TEST_F(CtrlFileTransfersTest, EmptiedTrashIsAnEmptyFile) {
  TAbcFile* trash = ctrl->Trash();
  trash->AddTunes(SplitLines(kReels), false, 0);
  trash->Sets.LoadFromLines(trash->Lines, [trash](int32_t seq) { return trash->FindBySeq(seq); });
  trash->Sessions.LoadFromLines(trash->Lines, [trash](int32_t seq) { return trash->FindBySeq(seq); });
  trash->SetCurrent(0);

  ui.Answers = {mrNo};
  EXPECT_EQ(ctrl->EmptyTrash(), kCtrlRefused);
  EXPECT_EQ(ui.Asked.back().text, "Delete all tunes in trash file ?");
  EXPECT_EQ(trash->FilterList.Count(), 3);

  ui.Answers = {mrYes};
  EXPECT_EQ(ctrl->EmptyTrash(), kCtrlOk);
  EXPECT_TRUE(trash->Lines.empty());
  EXPECT_EQ(trash->FilterList.Count(), 0);
  EXPECT_EQ(trash->Sets.Count(), 0);
  EXPECT_EQ(trash->Sessions.Count(), 0);
  EXPECT_EQ(trash->CurrentRec, nullptr);
  ctrl->AddToPrintList(Open("reels.abc"), 0);
  ctrl.reset();
  EXPECT_EQ(ReadBytes(Path("trash")), "");
}

// ---- drops on files ------------------------------------------------------------------

// One tune dropped anywhere is copied; a view dropped on a file is copied; a view
// dropped on the trash asks "Send 3 tunes to trash ?" and moves only on Yes; a drop
// on its own file does nothing; every drop ends the drag.
TEST_F(CtrlFileTransfersTest, DropsCopyAndMoveOnlyIntoTheTrash) {
  TAbcFile* reels = Open("reels.abc");
  TAbcFile* jigs = Open("jigs.abc", Tune(1, "Banish Misfortune"));
  TAbcFile* trash = ctrl->Trash();
  struct Case {
    const char* what;
    int32_t kind, mode;
    TAbcFile* target;
    int32_t answer;
    int reels, jigs, trash;
  };
  const Case cases[] = {
      {"one tune on a file", kDragKindTune, kDragModeTune, jigs, mrNone, 3, 2, 0},
      {"one tune on the trash", kDragKindTune, kDragModeTune, trash, mrNone, 3, 2, 1},
      {"the view on a file", kDragKindView, kDragModeView, jigs, mrNone, 3, 5, 1},
      {"the view on its own file", kDragKindView, kDragModeView, reels, mrNone, 3, 5, 1},
      {"the view on the trash, No", kDragKindView, kDragModeView, trash, mrNo, 3, 5, 1},
      {"the view on the trash, Yes", kDragKindView, kDragModeView, trash, mrYes, 0, 5, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.Asked.clear();
    ui.Answers = {c.answer};
    ctrl->BeginDrag(reels, c.kind, c.mode, RowOf(*reels, "Tarbolton"));
    ctrl->DropOnFile(c.target);
    EXPECT_EQ(ctrl->DragFile(), nullptr);
    EXPECT_EQ(reels->FilterList.Count(), c.reels);
    EXPECT_EQ(jigs->FilterList.Count(), c.jigs);
    EXPECT_EQ(trash->FilterList.Count(), c.trash);
    const bool asks = c.answer != mrNone;
    ASSERT_EQ(ui.Asked.size(), asks ? 1u : 0u);
    if (asks) {
      EXPECT_EQ(ui.Asked[0].text, "Send 3 tunes to trash ?");
    }
  }
  ExpectNoFreedRecords(*reels);
  EXPECT_EQ(reels->Sets.TuneCount(0), 0);
  EXPECT_EQ(reels->Sessions.Count(), 0);
  EXPECT_EQ(trash->GetTitle(0), "Drowsy Maggie");
  // Dropped tunes never touch the tune above them: every tune start follows an empty line.
  for (const TAbcFile* file : {jigs, trash}) {
    for (size_t i = 1; i < file->Lines.size(); ++i) {
      if (IsTuneStart(file->Lines[i])) {
        EXPECT_EQ(file->Lines[i - 1], "") << file->FileName << " line " << i;
      }
    }
  }
}

// Words written after a tune's music, past an empty line, stay part of its text byte
// for byte through a save, a copy and the trash, and never count in its code.
TEST_F(CtrlFileTransfersTest, WordsAfterTheMusicTravelWithTheTune) {
  const std::string music = Tune(1, "Paddy's", "E8|");
  const std::string words = "\nLearned this from Paddy at the Tuesday session.\nBe careful in bar 2.\n";
  const uint32_t code = Open("plain.abc", music)->GetRec(0)->Code;
  TAbcFile* file = Open("words.abc", music + words);
  EXPECT_EQ(file->GetRec(0)->Code, code);
  std::string error;
  ASSERT_GE(file->Save(&error), 0) << error;
  EXPECT_EQ(ReadBytes(file->FileName), music + words);

  TAbcFile* jigs = Open("jigs.abc", Tune(1, "Banish Misfortune"));
  ctrl->BeginDrag(file, kDragKindTune, kDragModeTune, 0);
  ctrl->DropOnFile(jigs);
  ASSERT_EQ(ctrl->TuneToTrash(file, 0), kCtrlOk);
  for (TAbcFile* target : {jigs, ctrl->Trash()}) {
    const TAbcRec* rec = target->GetRec(RowOf(*target, "Paddy's"));
    ASSERT_NE(rec, nullptr) << target->FileName;
    EXPECT_EQ(rec->Code, code);
    TLines lines;
    target->CopyRecLines(rec, lines, true);
    EXPECT_EQ(JoinLines(lines, LineEnd::Lf), music + words) << target->FileName;
  }
}

// The count goes into the question as text: a translated text holding other
// percent signs shows them as they are.
// "Send 3 tunes to trash ?" moves the three tunes it asked about: one pasted into the
// file while it was open stays, one deleted meanwhile is in the trash once.
TEST_F(CtrlFileTransfersTest, TheAnswerMovesTheTunesItAskedAbout) {
  TAbcFile* reels = Open("reels.abc");
  ui.Answers = {mrYes};
  ui.WhileAsking = [&](const std::string&) {
    EXPECT_EQ(ctrl->PasteTunes(reels, {"X:4", "T:Pasted", "K:D", "ABcd|", ""}), kCtrlOk);
    EXPECT_EQ(ctrl->TuneToTrash(reels, RowOf(*reels, "Silver Spear")), kCtrlOk);
  };
  ctrl->BeginDrag(reels, kDragKindView, kDragModeView, 0);
  ctrl->DropOnFile(ctrl->Trash());
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].text, "Send 3 tunes to trash ?");
  EXPECT_EQ(Titles(*reels), std::vector<std::string>{"Pasted"});
  std::vector<std::string> trashed = Titles(*ctrl->Trash());
  std::sort(trashed.begin(), trashed.end());
  EXPECT_EQ(trashed, (std::vector<std::string>{"Drowsy Maggie", "Silver Spear", "Tarbolton"}));
  ExpectNoFreedRecords(*reels);
}

TEST_F(CtrlFileTransfersTest, TheCountIsPutInAsText) {
  TAbcFile* reels = Open("reels.abc");
  ui.Messages().ListMessage[msgSendToTrash] = "%s: envoyer %d airs %n à la corbeille (100%) ?";
  ui.Answers = {mrNo};
  ctrl->BeginDrag(reels, kDragKindView, kDragModeView, 0);
  ctrl->DropOnFile(ctrl->Trash());
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].text, "%s: envoyer 3 airs %n à la corbeille (100%) ?");
}

// A closed source file ends the tune drag.
TEST_F(CtrlFileTransfersTest, ClosingTheSourceEndsTheDrag) {
  TAbcFile* reels = Open("reels.abc");
  ctrl->BeginDrag(reels, kDragKindTune, kDragModeTune, 0);
  ASSERT_EQ(ctrl->CloseFile(reels), kCtrlOk);
  EXPECT_EQ(ctrl->DragFile(), nullptr);
  ctrl->DropOnFile(ctrl->Filer());
  EXPECT_EQ(ctrl->Filer()->FilterList.Count(), 0);
}

// ---- new files from the clipboard and from a folder ---------------------------------

TEST_F(CtrlFileTransfersTest, NewFileFromTheClipboard) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(Tune(1, "Kesh") + "\n" + Tune(2, "Morrison's")));
  QSignalSpy added(ctrl.get(), &TCtrlFile::FileAdded);
  ASSERT_EQ(ctrl->NewFromClipboard(), kCtrlOk);
  ASSERT_EQ(added.count(), 1);
  TAbcFile* file = qvariant_cast<TAbcFile*>(added[0].at(0));
  EXPECT_EQ(file->FileName, "abcnew1");
  EXPECT_TRUE(file->Modified);
  EXPECT_EQ(Titles(*file), (std::vector<std::string>{"Kesh", "Morrison's"}));
  EXPECT_TRUE(file->GetRec(0)->IsAddedThisRun());
}

// A folder's ".abc" files are merged in name order into one new file, which gets its
// tab, each file's tunes kept apart from the tune above by an empty line; a file that
// cannot be read or is no 8-bit text is named and left out; hidden files, folders
// and other extensions are not taken.
TEST_F(CtrlFileTransfersTest, MergeTakesAFolderInNameOrder) {
  const std::string tunes = Path("tunes");
  std::filesystem::create_directories(tunes + "/folder.abc");
  WriteBytes(tunes + "/b.abc", "\xEF\xBB\xBF" + Tune(1, "Cooley's") + "\n" + Tune(2, "Abbey Reel"));
  WriteBytes(tunes + "/A.abc", "% old header\r\n" + Tune(1, "Zoe's") + "\n" + Tune(2, "Mason's Apron") + "\n" +
                                   Tune(3, "Yellow Tinker"));
  WriteBytes(tunes + "/c.abc", std::string("\xFF\xFEX\0:\0001\0", 8));
  WriteBytes(tunes + "/.hidden.abc", Tune(1, "Hidden"));
  WriteBytes(tunes + "/notes.txt", Tune(1, "Not a tune file"));
  ASSERT_EQ(mkfifo((tunes + "/pipe.abc").c_str(), 0600), 0);
  std::filesystem::create_symlink(tunes + "/gone", tunes + "/link.abc");
  ctrl->NewFile();
  QSignalSpy added(ctrl.get(), &TCtrlFile::FileAdded);
  QSignalSpy status(ctrl.get(), &TCtrlFile::StatusText);
  ui.Asked.clear();

  ASSERT_EQ(ctrl->MergeDirectory(tunes), kCtrlOk);
  ASSERT_EQ(added.count(), 1);
  TAbcFile* merged = qvariant_cast<TAbcFile*>(added[0].at(0));
  EXPECT_EQ(merged->FileName, "abcnew2");
  EXPECT_TRUE(merged->Modified);
  TLines titleLines = merged->Lines;
  std::erase_if(titleLines, [](const std::string& line) { return !line.starts_with("T:"); });
  EXPECT_EQ(titleLines, (TLines{"T:Zoe's", "T:Mason's Apron", "T:Yellow Tinker", "T:Cooley's", "T:Abbey Reel"}));
  const auto zoes = std::find(merged->Lines.begin(), merged->Lines.end(), "X:1");
  const auto cooleys = std::find(zoes + 1, merged->Lines.end(), "X:1");
  ASSERT_NE(cooleys, merged->Lines.end());
  EXPECT_EQ(*(cooleys - 1), "") << "the second file's tunes are kept apart from the first's";
  for (const TAbcRec* rec : merged->FilterList.All) EXPECT_TRUE(rec->IsAddedThisRun());
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_NE(ui.Asked[0].text.find("link.abc"), std::string::npos) << ui.Asked[0].text;
  EXPECT_NE(ui.Asked[0].text.find("pipe.abc"), std::string::npos) << ui.Asked[0].text;
  EXPECT_NE(ui.Asked[0].text.find("c.abc\": it is UTF-16"), std::string::npos) << ui.Asked[0].text;
  EXPECT_EQ(ui.Asked[0].text.find("Hidden"), std::string::npos);
  ASSERT_GE(status.count(), 2);
  EXPECT_EQ(status.first().at(0).value<std::string>(), "  >>> A.abc");
  EXPECT_EQ(status.last().at(0).value<std::string>(), "  ");
  EXPECT_FALSE(ctrl->Merging());
}

// While a merge runs, commands run between its files: a second merge and quitting
// are refused then, and a folder that cannot be read makes no file.
TEST_F(CtrlFileTransfersTest, OneMergeAtATime) {
  const std::string tunes = Path("tunes");
  std::filesystem::create_directories(tunes);
  WriteBytes(tunes + "/a.abc", Tune(1, "Kesh"));
  int32_t second = 0;
  int32_t quit = 0;
  QTimer::singleShot(0, [&] {
    second = ctrl->MergeDirectory(tunes);
    quit = ctrl->QueryCloseAll();
  });
  ASSERT_EQ(ctrl->MergeDirectory(tunes), kCtrlOk);
  EXPECT_EQ(second, kCtrlRefused);
  EXPECT_EQ(quit, kCtrlRefused);
  EXPECT_EQ(ctrl->Files().size(), 3u);

  ui.Asked.clear();
  EXPECT_EQ(ctrl->MergeDirectory(Path("no such folder")), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].type, MsgDlgType::Error);
  EXPECT_EQ(ctrl->Files().size(), 3u);
}

// ---- the print list ------------------------------------------------------------------

// Tunes join the print list in order and marked; nothing prints without the print
// screen or with its dialog cancelled; clearing leaves no record behind.
TEST_F(CtrlFileTransfersTest, PrintListAndPrinting) {
  TAbcFile* reels = Open("reels.abc");
  QSignalSpy changed(ctrl.get(), &TCtrlFile::PrintListChanged);
  ctrl->AddToPrintList(reels, RowOf(*reels, "Tarbolton"));
  ctrl->AddToPrintList(reels, RowOf(*reels, "Drowsy Maggie"));
  ctrl->AddToPrintList(nullptr, 0);
  TAbcPrint& list = *ctrl->PrintList();
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"Tarbolton", "Drowsy Maggie"}));
  EXPECT_TRUE(list.GetRec(0)->IsMarked());
  EXPECT_EQ(changed.count(), 2);

  ctrl->PrintTune(reels, 0);  // no print screen: nothing happens
  test::FakePrinter printer;
  ctrl->SetPrinter(&printer);
  printer.Confirm = false;
  ctrl->PrintTune(reels, 0);
  ctrl->PrintAll(true);
  EXPECT_EQ(printer.Dialogs, 2);
  EXPECT_TRUE(printer.Jobs.empty());

  list.SetCurrent(0);
  ctrl->ClearPrintList();
  EXPECT_EQ(list.FilterList.Count(), 0);
  EXPECT_TRUE(list.Lines.empty());
  EXPECT_EQ(list.CurrentRec, nullptr);
  EXPECT_EQ(changed.count(), 3);
}

// ---- MIDI export -----------------------------------------------------------------------

// The bytes of a tune's .mid as the export writes them at this tempo.
std::string MidiBytes(const TLines& lines, const MidiSettings& settings, int tempo) {
  TAbcParser parser;
  parser.Parse(lines);
  TAbcMidi converter(settings);
  TMidiContainer container;
  converter.Convert(parser.Elements(), &container);
  container.SetTempo(tempo);
  container.SetMeter(parser.MeterNum(), TCtrlFile::MeterDenCode(parser.MeterDen()));
  TMIDI_Out_Stream writer(settings);
  writer.WriteContainer(container);
  return std::string(writer.Bytes().begin(), writer.Bytes().end());
}

TEST_F(CtrlFileTransfersTest, MeterDenominatorCodes) {
  const std::pair<int, int> codes[] = {{2, 1}, {4, 2}, {8, 3}, {16, 4}, {32, 5}, {6, 2}, {1, 2}, {64, 2}, {0, 2}};
  for (const auto& [den, code] : codes) EXPECT_EQ(TCtrlFile::MeterDenCode(den), code) << den;
}

// The tune on screen is exported, whatever the shared parser read since, under its
// title made a file name; a name without extension gets ".mid".
TEST_F(CtrlFileTransfersTest, TuneExportWritesTheTuneOnScreen) {
  TAbcFile* reels = Open("reels.abc", Tune(1, "Reel: A/B", "FAAB cdef|") + "\n" + Tune(2, "Other", "g8|"));
  const int row = RowOf(*reels, "Reel: A/B");
  ASSERT_EQ(ctrl->ShowTune(reels, row), kCtrlOk);
  parser.Parse(SplitLines(Tune(9, "A set played since", "C8|")));
  host.Tempo = 150;
  host.MidiNames = {Path("reel")};
  ASSERT_EQ(ctrl->ExportTuneMidi(reels), kCtrlOk);
  EXPECT_EQ(host.MidiProposed, std::vector<std::string>{host.Library + "/Reel  A B.mid"});
  EXPECT_EQ(host.MidiTitles, std::vector<std::string>{"Save File As ..."});
  TLines lines;
  reels->CopyTuneLines(row, lines, true);
  EXPECT_EQ(ReadBytes(Path("reel.mid")), MidiBytes(lines, midi, 150));

  host.MidiProposed.clear();
  EXPECT_EQ(ctrl->ExportTuneMidi(reels), kCtrlOk) << "a cancelled dialog writes nothing";
  reels->SetCurrentRec(nullptr);
  EXPECT_EQ(ctrl->ExportTuneMidi(reels), kCtrlRefused);
  EXPECT_EQ(ctrl->ExportTuneMidi(nullptr), kCtrlRefused);
  EXPECT_EQ(host.MidiProposed.size(), 1u);
}

// A set is exported from its entries repeated by their counts (a count of 0 once),
// each copy closed by "  ||"; without a current set nothing is asked or written.
TEST_F(CtrlFileTransfersTest, SetExport) {
  const std::string a = Tune(1, "A", "A8|"), b = Tune(2, "B", "B8|"), c = Tune(3, "C", "c8|");
  TAbcFile* file = Open("set.abc", "%%BSET%\n%%DSET%Reel: Set/1,1:2,2:1,3:0\n%%ESET%\n" + a + "\n" + b + "\n" + c);
  ASSERT_EQ(file->Sets.CurrentSet, 0);
  // A tune brings its music, which ends at its first empty line: A and B leave their
  // blank separator line out.
  const TLines text = TCtrlFile::SetExportText(*file, 0);
  EXPECT_EQ(text, SplitLines(a + "  ||\n" + a + "  ||\n" + b + "  ||\n" + c + "  ||\n"));

  host.MidiNames = {Path("set.mid")};
  ASSERT_EQ(ctrl->ExportSetMidi(file), kCtrlOk);
  EXPECT_EQ(host.MidiProposed, std::vector<std::string>{host.Library + "/Reel  Set 1.mid"});
  EXPECT_EQ(ReadBytes(Path("set.mid")), MidiBytes(text, midi, host.Tempo));

  host.MidiProposed.clear();
  file->Sets.CurrentSet = -1;
  EXPECT_EQ(ctrl->ExportSetMidi(file), kCtrlRefused);
  file->Sets.CurrentSet = 1;
  EXPECT_EQ(ctrl->ExportSetMidi(file), kCtrlRefused);
  TAbcFile* noSets = Open("plain.abc", Tune(1, "A"));
  EXPECT_EQ(ctrl->ExportSetMidi(noSets), kCtrlRefused);
  EXPECT_TRUE(host.MidiProposed.empty());
}

// A failed write says why and leaves what was there; replacing asks first.
TEST_F(CtrlFileTransfersTest, FailedExportLeavesFilesAsTheyWere) {
  TAbcFile* reels = Open("reels.abc");
  ASSERT_EQ(ctrl->ShowTune(reels, 0), kCtrlOk);
  std::filesystem::create_directories(Path("taken.mid"));
  WriteBytes(Path("taken.mid/inside"), "keep");
  WriteBytes(Path("plain"), "plain");
  struct Case {
    const char* what;
    std::string path;
    int32_t answer;
    int32_t result;
    size_t asked;
  };
  const Case cases[] = {
      {"a folder in the way, replace", Path("taken.mid"), mrYes, kCtrlRefused, 2},
      {"a folder in the way, keep", Path("taken.mid"), mrNo, kCtrlOk, 1},
      {"below a plain file", Path("plain/out.mid"), mrNone, kCtrlRefused, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.Asked.clear();
    ui.Answers = {c.answer};
    host.MidiNames = {c.path};
    EXPECT_EQ(ctrl->ExportTuneMidi(reels), c.result);
    ASSERT_EQ(ui.Asked.size(), c.asked);
    if (c.result == kCtrlRefused) {
      EXPECT_EQ(ui.Asked.back().type, MsgDlgType::Error);
      EXPECT_NE(ui.Asked.back().text.find("could not be written"), std::string::npos);
    }
  }
  EXPECT_EQ(ReadBytes(Path("taken.mid/inside")), "keep");
  EXPECT_EQ(ReadBytes(Path("plain")), "plain");
}

}  // namespace
}  // namespace rq
