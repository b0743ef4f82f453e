#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <deque>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

#include "CtrlFileTestHelpers.h"
#include "platform/FileLock.h"
#include "platform/FileRead.h"

namespace rq {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const std::string kTwoTunes = "X:1\nT:Banish Misfortune\nM:6/8\nK:Dmix\nfed cAG|\n\nX:2\nT:Cooley's\nK:Edor\nEBBA B2|\n";

TAbcFile* FileOf(const QList<QVariant>& signal) { return qvariant_cast<TAbcFile*>(signal.at(0)); }

class CtrlFileTest : public test::CtrlFileFixture {
 protected:
  CtrlFileTest() { Make(); }
  using CtrlFileFixture::Open;
  TAbcFile* Open(const std::string& name) { return Open(name, kTwoTunes); }
};

// ---- the trash and the filer ------------------------------------------------

// A first start opens both control files ahead of any tune file, and neither enters
// the recent list.
TEST_F(CtrlFileTest, FirstStartWritesAndOpensTheControlFiles) {
  QSignalSpy recent(ctrl.get(), &TCtrlFile::RecentFile);
  QSignalSpy work(ctrl.get(), &TCtrlFile::WorkAreaNeeded);
  ctrl->OpenControlFiles();
  ASSERT_NE(ctrl->Trash(), nullptr);
  ASSERT_NE(ctrl->Filer(), nullptr);
  EXPECT_EQ(recent.count(), 0);
  EXPECT_EQ(work.count(), 2);

  TAbcFile* tunes = Open("tunes.abc");
  EXPECT_EQ(ctrl->Files(), (std::vector<TAbcFile*>{ctrl->Trash(), ctrl->Filer(), tunes}));
  EXPECT_FALSE(ctrl->IsControlFile(tunes));
  EXPECT_EQ(recent.count(), 1);

  EXPECT_EQ(ctrl->CloseFile(ctrl->Trash()), kCtrlControlFile);
  EXPECT_EQ(ctrl->SaveFileAs(ctrl->Filer()), 0);
  EXPECT_TRUE(ui.Asked.empty());
  EXPECT_TRUE(host.SaveTitles.empty());
}

// A control file that cannot be had stays unavailable with its reason; the program
// goes on, and a tune file is never taken for it.
TEST_F(CtrlFileTest, AnUnavailableControlFileIsNeverATuneFile) {
  struct Case {
    const char* what;
    bool folderIsAFile;
    bool trashIsAFolder;
    bool trashOpenAsTunes;
    bool filerAvailable;
    std::string trashBytes;  // what is in the trash's place: never written over
  };
  const Case cases[] = {
      {"the folder cannot hold files", true, false, false, false, ""},
      {"the trash is a folder", false, true, false, true, ""},
      {"the trash's path is open as a tune file", false, false, true, true, ""},
      {"the trash is UTF-16 text", false, false, false, true, std::string("\xFF\xFE%\0 \0*\0\n\0", 10)},
      {"the trash is a binary file", false, false, false, true, std::string("\x7F" "ELF\x02\x01\x01\0", 8)},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.what);
    const std::string caseFolder = Path("case" + std::to_string(i));
    std::filesystem::create_directory(caseFolder);
    const std::string programFolder = c.folderIsAFile ? Path("plain") : caseFolder;
    if (c.folderIsAFile) WriteBytes(programFolder, "");
    if (c.trashIsAFolder) std::filesystem::create_directory(programFolder + "/trash");
    if (!c.trashBytes.empty()) WriteBytes(programFolder + "/trash", c.trashBytes);
    auto owned = std::make_unique<TCtrlFile>(programFolder, ui, host, parser, midi);
    TCtrlFile& local = *owned;
    if (c.trashOpenAsTunes) {
      ASSERT_EQ(local.OpenFile(local.TrashPath()), kCtrlOk);
    }

    local.OpenControlFiles();
    EXPECT_EQ(local.Trash(), nullptr);
    EXPECT_NE(local.TrashProblem(), "");
    EXPECT_EQ(local.Filer() != nullptr, c.filerAvailable);
    EXPECT_EQ(local.FilerProblem().empty(), c.filerAvailable);

    ASSERT_EQ(local.OpenFile(caseFolder + "/later.abc"), kCtrlOk);
    for (TAbcFile* file : local.Files()) {
      EXPECT_EQ(local.IsControlFile(file), file == local.Filer()) << file->FileName;
      if (file != local.Filer()) {
        EXPECT_EQ(local.CloseFile(file), kCtrlOk) << file->FileName;
      }
    }
    EXPECT_EQ(local.QueryCloseAll(), kCtrlOk);
    const std::string trashProblem = local.TrashProblem();  // `local` goes with `owned`
    owned.reset();
    if (!c.trashBytes.empty()) {
      EXPECT_EQ(ReadBytes(programFolder + "/trash"), c.trashBytes);
      EXPECT_NE(trashProblem.find("not 8-bit text"), std::string::npos) << trashProblem;
    }
  }
}

// At quit the changed trash and filer are saved before the answer, each on its own;
// one that fails lets the user keep the program running.
TEST_F(CtrlFileTest, ControlFilesAreSavedBeforeTheQuitIsAgreed) {
  ctrl->OpenControlFiles();
  ctrl->Trash()->AddTunes({"X:1", "T:Gone", "K:G"}, true, 0);
  ASSERT_EQ(ctrl->QueryCloseAll(), kCtrlOk);
  EXPECT_EQ(ReadBytes(folder + "/trash"), "% *** Reelquill 2 trash ***\n\nX:1\nT:Gone\nK:G\n");
  EXPECT_EQ(ReadBytes(folder + "/filer"), "% *** Reelquill 2 user file ***\n\n");

  // Both saves fail: each asks on its own; No keeps the program running.
  std::filesystem::remove_all(folder);
  ctrl->Trash()->AddTunes({"X:2", "T:Lost", "K:A"}, true, 0);
  ctrl->Filer()->AddTunes({"X:1", "T:Kept", "K:D"}, true, 0);
  ui.Answers = {mrNo};
  EXPECT_EQ(ctrl->QueryCloseAll(), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_TRUE(ui.Asked[0].text.starts_with("The trash could not be saved.")) << ui.Asked[0].text;
  EXPECT_EQ(ui.Asked[0].buttons, mbYes | mbNo);
  EXPECT_TRUE(ctrl->Trash()->Modified);

  ui.Asked.clear();
  ui.Answers = {mrYes, mrYes};
  EXPECT_EQ(ctrl->QueryCloseAll(), kCtrlOk);
  ASSERT_EQ(ui.Asked.size(), 2u);
  EXPECT_TRUE(ui.Asked[1].text.starts_with("The filer could not be saved.")) << ui.Asked[1].text;

  // What the user let go is not tried again at the end.
  ui.Asked.clear();
  ctrl.reset();
  EXPECT_TRUE(ui.Asked.empty());
}

// The titles of the trash on disk, in list order.
std::vector<std::string> TitlesOnDisk(const std::string& path) {
  TAbcFile file(path, nullptr);
  std::vector<std::string> titles;
  for (int32_t row = 0; row < file.FilterList.Count(); ++row) titles.push_back(file.GetTitle(row));
  return titles;
}

// Two copies of the program share the trash: each save takes over the tunes the other
// put there, so no deleted tune is lost and nobody is asked; a tune purged from the
// trash stays purged. The filer is written the same way.
TEST_F(CtrlFileTest, TwoProgramsWritingTheTrashLoseNoTune) {
  ctrl->OpenControlFiles();
  TScriptedUserInterface otherUi;
  test::FakeHost otherHost;
  TAbcParser otherParser;
  TCtrlFile other(folder, otherUi, otherHost, otherParser, midi);
  other.OpenControlFiles();
  TAbcFile* mine = Open("mine.abc");
  WriteBytes(Path("theirs.abc"), "X:1\nT:Drowsy Maggie\nK:Edor\nE2BE|\n\nX:2\nT:Kesh\nK:G\nGAG|\n");
  ASSERT_EQ(other.OpenFile(Path("theirs.abc")), kCtrlOk);
  TAbcFile* theirs = other.FindFile(Path("theirs.abc"));
  QSignalSpy changed(ctrl.get(), &TCtrlFile::TunesChanged);

  ASSERT_EQ(ctrl->TuneToTrash(mine, 0), kCtrlOk);
  ASSERT_EQ(other.TuneToTrash(theirs, 0), kCtrlOk);
  ASSERT_EQ(ctrl->SaveFile(ctrl->Trash()), kCtrlOk);
  ASSERT_EQ(other.SaveFile(other.Trash()), kCtrlOk);
  EXPECT_EQ(TitlesOnDisk(folder + "/trash"), (std::vector<std::string>{"Banish Misfortune", "Drowsy Maggie"}));

  // The first saves again: the other's tune comes in, and the browser hears of it.
  ASSERT_EQ(ctrl->TuneToTrash(mine, 0), kCtrlOk);
  changed.clear();
  EXPECT_EQ(ctrl->SaveControlFilesQuietly(), "");
  EXPECT_EQ(TitlesOnDisk(folder + "/trash"),
            (std::vector<std::string>{"Banish Misfortune", "Cooley's", "Drowsy Maggie"}));
  EXPECT_EQ(ctrl->Trash()->FilterList.AllCount(), 3);
  EXPECT_GE(changed.count(), 1);

  // A tune purged here is not brought back by the file's copy on disk.
  other.Filer()->AddTunes({"X:1", "T:Filed Elsewhere", "K:A"}, true, 0);
  ASSERT_EQ(other.SaveFile(other.Filer()), kCtrlOk);
  ASSERT_EQ(ctrl->TuneToTrash(ctrl->Trash(), 0), kCtrlOk);  // Banish Misfortune, for good
  ctrl->Filer()->AddTunes({"X:1", "T:Filed Here", "K:D"}, true, 0);
  ASSERT_EQ(ctrl->SaveFile(mine), kCtrlOk);
  EXPECT_EQ(TitlesOnDisk(folder + "/trash"), (std::vector<std::string>{"Cooley's", "Drowsy Maggie"}));
  EXPECT_EQ(TitlesOnDisk(folder + "/filer"), (std::vector<std::string>{"Filed Elsewhere", "Filed Here"}));
  EXPECT_TRUE(ui.Asked.empty());
  EXPECT_TRUE(otherUi.Asked.empty());
}

// A stray NUL byte far into a file reaches its start when the tunes above it go:
// the file saved then opens again, here and from the trash the tune is put in.
TEST_F(CtrlFileTest, AFileSavedWithAStrayNulOpensAgain) {
  ctrl->OpenControlFiles();
  const std::string above = "X:1\nT:Above\nK:D\n" + std::string(70, 'a') + "|\n\n";
  TAbcFile* file = Open("stray.abc", above + std::string("X:2\nT:Stray\nK:G\nG\0AB|\n", 22));
  ASSERT_EQ(ctrl->TuneToTrash(file, 0), kCtrlOk);
  ASSERT_EQ(ctrl->SaveFile(file), kCtrlOk);
  ASSERT_EQ(ctrl->CloseFile(file), kCtrlOk);
  ASSERT_EQ(ctrl->OpenFile(Path("stray.abc")), kCtrlOk);
  file = ctrl->FindFile(Path("stray.abc"));
  ASSERT_EQ(file->FilterList.AllCount(), 1);
  EXPECT_EQ(file->GetTitle(0), "Stray");
  EXPECT_NE(ReadBytes(Path("stray.abc")).find(std::string("G\0AB|", 5)), std::string::npos);

  // The trash was emptied before: the tune is its first line.
  ui.Answers = {mrYes};
  ASSERT_EQ(ctrl->EmptyTrash(), kCtrlOk);
  ASSERT_EQ(ctrl->TuneToTrash(file, 0), kCtrlOk);
  ASSERT_EQ(ctrl->SaveFile(ctrl->Trash()), kCtrlOk);
  ctrl.reset();
  Make();
  ctrl->OpenControlFiles();
  EXPECT_EQ(ctrl->TrashProblem(), "");
  ASSERT_NE(ctrl->Trash(), nullptr);
  EXPECT_EQ(ctrl->Trash()->GetTitle(0), "Stray");
  EXPECT_EQ(ui.Asked.size(), 1u) << "only whether to empty the trash";
}

// A program starting while another on the folder makes the trash and saves its first
// tune there waits for that save and opens what it wrote, never writing a new trash
// over it. The other program is the system's flock command holding the trash's lock.
TEST_F(CtrlFileTest, AStartWaitsForAnotherProgramMakingTheTrash) {
  const std::string lockFile = FileLock::LockFileOf(folder + "/trash");
  QProcess other;
  other.setWorkingDirectory(QString::fromStdString(folder));
  other.start("flock", {QString::fromStdString(lockFile), "sh", "-c",
                        "sleep 0.3; printf '%% trash\\n\\nX:1\\nT:Theirs\\nK:D\\n' > trash"});
  ASSERT_TRUE(other.waitForStarted());
  // Started once its lock is held.
  for (bool held = false; !held;) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    held = fd >= 0 && !LockExclusively(fd, false);
    if (fd >= 0) ::close(fd);
    ASSERT_NE(other.state(), QProcess::NotRunning) << "the other program ended before holding its lock";
  }
  ctrl->OpenControlFiles();
  ASSERT_TRUE(other.waitForFinished());
  ASSERT_NE(ctrl->Trash(), nullptr) << ctrl->TrashProblem();
  ASSERT_EQ(ctrl->Trash()->FilterList.AllCount(), 1);
  EXPECT_EQ(ctrl->Trash()->GetTitle(0), "Theirs");
  EXPECT_EQ(ReadBytes(folder + "/trash"), "% trash\n\nX:1\nT:Theirs\nK:D\n");
}

// Where no lock file can be made beside the missing trash, it is not written; one
// there already is opened all the same.
TEST_F(CtrlFileTest, AMissingTrashIsMadeOnlyUnderItsLock) {
  std::filesystem::create_directory(folder + "/.trash.lock");
  ctrl->OpenControlFiles();
  EXPECT_EQ(ctrl->Trash(), nullptr);
  EXPECT_NE(ctrl->TrashProblem().find(".trash.lock"), std::string::npos) << ctrl->TrashProblem();
  EXPECT_FALSE(std::filesystem::exists(folder + "/trash"));
  EXPECT_NE(ctrl->Filer(), nullptr);

  WriteBytes(folder + "/trash", kTwoTunes);
  Make();
  ctrl->OpenControlFiles();
  ASSERT_NE(ctrl->Trash(), nullptr) << ctrl->TrashProblem();
  EXPECT_EQ(ctrl->Trash()->FilterList.AllCount(), 2);
}

// The destructor saves a control file only when it changed since the quit question.
TEST_F(CtrlFileTest, TheEndSavesOnlyWhatChangedSince) {
  ctrl->OpenControlFiles();
  ASSERT_EQ(ctrl->QueryCloseAll(), kCtrlOk);
  std::filesystem::remove(folder + "/trash");
  ctrl->Filer()->AddTunes({"X:1", "T:Late", "K:D"}, true, 0);
  ctrl.reset();
  EXPECT_FALSE(std::filesystem::exists(folder + "/trash")) << "unchanged: not written again";
  EXPECT_EQ(ReadBytes(folder + "/filer"), "% *** Reelquill 2 user file ***\n\nX:1\nT:Late\nK:D\n");
}

// Told to end without questions (a signal), the controller writes the changed trash
// and filer and leaves user files as they are on disk; a failure comes back as text,
// and nothing asks about it on the way out.
TEST_F(CtrlFileTest, AnEndWithoutQuestionsWritesOnlyTheControlFiles) {
  ctrl->OpenControlFiles();
  TAbcFile* file = Open("tunes.abc");
  ASSERT_EQ(ctrl->TuneToTrash(file, 0), kCtrlOk);
  ctrl->Filer()->AddTunes({"X:1", "T:Kept", "K:D"}, true, 0);
  EXPECT_EQ(ctrl->SaveControlFilesQuietly(), "");
  EXPECT_NE(ReadBytes(folder + "/trash").find("T:Banish Misfortune"), std::string::npos);
  EXPECT_NE(ReadBytes(folder + "/filer").find("T:Kept"), std::string::npos);
  EXPECT_EQ(ReadBytes(Path("tunes.abc")), kTwoTunes);
  EXPECT_TRUE(file->Modified);

  ASSERT_EQ(::chmod((folder + "/trash").c_str(), 0444), 0);
  ctrl->Trash()->AddTunes({"X:2", "T:Lost", "K:A"}, true, 0);
  const std::string problems = ctrl->SaveControlFilesQuietly();
  EXPECT_TRUE(problems.starts_with("The trash could not be saved: ")) << problems;
  EXPECT_TRUE(problems.ends_with("it is read-only\n")) << problems;
  ctrl.reset();
  EXPECT_TRUE(ui.Asked.empty());
}

// ---- opening and making files -----------------------------------------------

TEST_F(CtrlFileTest, OpeningTwiceOrAnUnreadableFileIsRefused) {
  TAbcFile* tunes = Open("tunes.abc");
  QSignalSpy added(ctrl.get(), &TCtrlFile::FileAdded);
  EXPECT_EQ(ctrl->OpenFile(Path("tunes.abc")), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].text, "File already open");
  EXPECT_EQ(ui.Asked[0].type, MsgDlgType::Warning);

  std::filesystem::create_directory(Path("folder.abc"));
  EXPECT_EQ(ctrl->OpenFile(Path("folder.abc")), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 2u);
  EXPECT_EQ(ui.Asked[1].type, MsgDlgType::Error);
  EXPECT_NE(ui.Asked[1].text.find("folder.abc"), std::string::npos) << ui.Asked[1].text;

  // Text in 16 bits or binary bytes: the same error box with the reason, no tab.
  const std::string utf16("\xFF\xFEX\0:\0001\0\n\0", 10);
  WriteBytes(Path("utf16.abc"), utf16);
  WriteBytes(Path("image.abc"), std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  EXPECT_EQ(ctrl->OpenFile(Path("utf16.abc")), kCtrlRefused);
  EXPECT_EQ(ctrl->OpenFile(Path("image.abc")), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 4u);
  EXPECT_EQ(ui.Asked[2].type, MsgDlgType::Error);
  EXPECT_EQ(ui.Asked[2].text, "Cannot read \"" + Path("utf16.abc") + "\": " + NotEightBitTextReason(utf16));
  EXPECT_EQ(ui.Asked[3].type, MsgDlgType::Error);
  EXPECT_NE(ui.Asked[3].text.find("NUL bytes"), std::string::npos) << ui.Asked[3].text;
  EXPECT_EQ(ReadBytes(Path("utf16.abc")), utf16);

  EXPECT_EQ(added.count(), 0);
  EXPECT_EQ(ctrl->Files(), std::vector<TAbcFile*>{tunes});

  host.OpenName = "";
  EXPECT_EQ(ctrl->OpenWithDialog(), kCtrlRefused);
  host.OpenName = Path("new.abc");
  EXPECT_EQ(ctrl->OpenWithDialog(), kCtrlOk);
  EXPECT_EQ(ctrl->Files().size(), 2u);
}

// One file is opened once, whatever spelling of its path comes (a link, "..") and
// whenever (while it is still being read, which runs pending events).
TEST_F(CtrlFileTest, AFileIsOpenOnceHoweverItsOpensArrive) {
  TAbcFile* tunes = Open("tunes.abc");
  std::filesystem::create_directory(Path("sub"));
  std::filesystem::create_symlink(Path("tunes.abc"), Path("link.abc"));
  for (const std::string& spelling : {Path("sub/../tunes.abc"), Path("sub/./../tunes.abc"), Path("link.abc")}) {
    EXPECT_EQ(ctrl->OpenFile(spelling), kCtrlRefused) << spelling;
  }

  WriteBytes(Path("big.abc"), kTwoTunes);
  std::vector<int32_t> whileRead;
  bool reading = false;
  ui.WhileInProgress = [&] {
    if (std::exchange(reading, true)) return;
    EXPECT_TRUE(ctrl->Busy());
    whileRead.push_back(ctrl->OpenFile(Path("big.abc")));
    whileRead.push_back(ctrl->OpenFile(Path("sub/../big.abc")));
  };
  EXPECT_EQ(ctrl->OpenFile(Path("big.abc")), kCtrlOk);
  EXPECT_EQ(whileRead, (std::vector<int32_t>{kCtrlRefused, kCtrlRefused}));
  EXPECT_EQ(ui.Asked.size(), 5u);
  for (const auto& asked : ui.Asked) EXPECT_EQ(asked.text, "File already open");
  TAbcFile* big = ctrl->FindFile(Path("big.abc"));
  EXPECT_EQ(ctrl->Files(), (std::vector<TAbcFile*>{tunes, big}));

  // A read that ended, well or not, holds nothing back.
  EXPECT_FALSE(ctrl->Busy());
  std::filesystem::create_directory(Path("folder.abc"));
  EXPECT_EQ(ctrl->OpenFile(Path("folder.abc")), kCtrlRefused);
  EXPECT_FALSE(ctrl->Busy());
  ui.WhileInProgress = nullptr;
  ASSERT_EQ(ctrl->CloseFile(big), kCtrlOk);
  EXPECT_EQ(ctrl->OpenFile(Path("sub/../big.abc")), kCtrlOk);
}

// Untitled names count up through the run and are never given twice.
TEST_F(CtrlFileTest, UntitledNamesAreNeverReused) {
  QSignalSpy recent(ctrl.get(), &TCtrlFile::RecentFile);
  ctrl->NewFile();
  ui.Answers = {mrNo};
  ASSERT_EQ(ctrl->CloseFile(ctrl->Files()[0]), kCtrlOk);
  ctrl->NewFile();
  ctrl->NewFile();
  std::vector<std::string> names;
  for (TAbcFile* file : ctrl->Files()) names.push_back(file->FileName);
  EXPECT_EQ(names, (std::vector<std::string>{"abcnew2", "abcnew3"}));
  EXPECT_EQ(recent.count(), 0);
}

// ---- saving and the questions ----------------------------------------------

// The question before closing a changed or untitled file, and what each answer does.
TEST_F(CtrlFileTest, SaveQuestionsAndTheirAnswers) {
  struct Case {
    bool untitled;
    int32_t answer;
    const char* dialogAnswer;  // the save dialog's answer for an untitled file; "" cancels
    int32_t expected;
    bool written;
  };
  const Case cases[] = {
      {false, mrYes, "", kCtrlOk, true},      {false, mrNo, "", kCtrlOk, false},
      {false, mrAbort, "", kCtrlRefused, false}, {false, mrCancel, "", kCtrlRefused, false},
      {true, mrYes, "saved", kCtrlOk, true},  {true, mrYes, "", kCtrlRefused, false},
      {true, mrNo, "", kCtrlOk, false},       {true, mrAbort, "", kCtrlRefused, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "untitled " << c.untitled << ", answer " << c.answer << ", dialog "
                                    << c.dialogAnswer);
    std::filesystem::remove(Path("saved.abc"));
    Make();
    TAbcFile* file;
    if (c.untitled) {
      ctrl->NewFile();
      file = ctrl->Files()[0];
      host.SaveNames = {*c.dialogAnswer ? Path(c.dialogAnswer) : ""};
    } else {
      file = Open("saved.abc", "X:1\nT:a\nK:D\n");
    }
    file->AddTunes({"X:2", "T:b", "K:G"}, true, 0);
    QSignalSpy saved(ctrl.get(), &TCtrlFile::FileSaved);
    ui.Asked.clear();
    ui.Answers = {c.answer};

    EXPECT_EQ(ctrl->QuerySave(file), c.expected);
    ASSERT_EQ(ui.Asked.size(), 1u);
    EXPECT_EQ(ui.Asked[0].text, c.untitled ? "Save New File :abcnew1" : "Save File :" + Path("saved.abc"));
    EXPECT_EQ(ui.Asked[0].type, MsgDlgType::Confirmation);
    EXPECT_EQ(ui.Asked[0].buttons, mbYes | mbNo | mbAbort);
    EXPECT_EQ(saved.count(), c.written ? 1 : 0);
    EXPECT_EQ(file->Modified, !c.written);
    if (c.written) {
      EXPECT_EQ(ReadBytes(Path("saved.abc")), (c.untitled ? "" : "X:1\nT:a\nK:D\n\n") + std::string("X:2\nT:b\nK:G\n"));
    }
  }
}

// Quitting asks only about untitled files (even empty ones) and changed files, after
// the edit in progress.
TEST_F(CtrlFileTest, QuitAsksOnlyWhatMatters) {
  Open("plain.abc");
  EXPECT_EQ(ctrl->QueryCloseAll(), kCtrlOk);
  EXPECT_TRUE(ui.Asked.empty()) << "an unmodified titled file is not asked about";

  ctrl->NewFile();  // asked about at every quit, though empty

  struct Case {
    bool changed;
    std::deque<int32_t> answers;
    int32_t expected;
    int validEdits;
    size_t questions;
  };
  const Case cases[] = {
      {true, {mrAbort}, kCtrlRefused, 0, 1},
      {true, {mrYes, mrNo}, kCtrlOk, 1, 2},
      {true, {mrNo, mrNo}, kCtrlOk, 0, 2},
      {false, {mrNo}, kCtrlOk, 0, 1},
  };
  host.Editing = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "changed " << c.changed << ", first answer " << c.answers.front());
    host.EditChanged = c.changed;
    host.ValidEdits = 0;
    ui.Asked.clear();
    ui.Answers = c.answers;
    EXPECT_EQ(ctrl->QueryCloseAll(), c.expected);
    EXPECT_EQ(host.ValidEdits, c.validEdits);
    ASSERT_EQ(ui.Asked.size(), c.questions);
    if (c.changed) {
      EXPECT_EQ(ui.Asked[0].text, "Edit Mode. Save the changes ?");
    }
  }
}

// A save that fails says why and leaves the file changed, so closing and quitting stop.
TEST_F(CtrlFileTest, AFailedSaveStopsTheCloseAndTheQuit) {
  std::filesystem::create_directory(Path("sub"));
  TAbcFile* file = Open("sub/tunes.abc");
  file->AddTunes({"X:3", "T:c", "K:A"}, true, 0);
  std::filesystem::remove_all(Path("sub"));
  QSignalSpy saved(ctrl.get(), &TCtrlFile::FileSaved);
  QSignalSpy closing(ctrl.get(), &TCtrlFile::FileClosing);

  EXPECT_EQ(ctrl->SaveFile(file), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].type, MsgDlgType::Error);
  EXPECT_NE(ui.Asked[0].text.find(Path("sub/tunes.abc")), std::string::npos) << ui.Asked[0].text;
  EXPECT_TRUE(file->Modified);

  ui.DefaultAnswer = mrYes;
  EXPECT_EQ(ctrl->QuerySave(file), kCtrlRefused);
  EXPECT_EQ(ctrl->CloseFile(file), kCtrlRefused);
  EXPECT_EQ(ctrl->QueryCloseAll(), kCtrlRefused);
  EXPECT_EQ(ctrl->SaveAll(), kCtrlRefused);
  EXPECT_EQ(saved.count(), 0);
  EXPECT_EQ(closing.count(), 0);
  EXPECT_EQ(ctrl->Files(), std::vector<TAbcFile*>{file});
}

// A file another program changed since it was opened is replaced only when the user
// says so: No keeps the file on disk and the changes here. After a save what was
// written is what the next save compares with, and a file that vanished is written
// without a question.
TEST_F(CtrlFileTest, AFileChangedByAnotherProgramIsReplacedOnlyWhenAgreed) {
  TAbcFile* file = Open("shared.abc", "X:1\nT:a\nK:D\n");
  file->AddTunes({"X:2", "T:b", "K:G"}, true, 0);
  const std::string theirs = "X:1\nT:a\nK:D\nX:3\nT:theirs\nK:A\n";
  WriteBytes(Path("shared.abc"), theirs);
  for (TAbcFile* again : {file, static_cast<TAbcFile*>(nullptr)}) {
    ui.Asked.clear();
    ui.Answers = {mrNo};
    if (again) {
      EXPECT_EQ(ctrl->SaveFile(file), kCtrlRefused);
    } else {
      host.SaveNames = {Path("shared.abc")};  // save-as under its own name checks the same
      EXPECT_EQ(ctrl->SaveFileAs(file), 0);
    }
    ASSERT_EQ(ui.Asked.size(), 1u);
    EXPECT_EQ(ui.Asked[0].text, Path("shared.abc") +
                                    " was changed by another program since it was opened. Overwrite it with the "
                                    "tunes here?");
    EXPECT_EQ(ui.Asked[0].buttons, mbYes | mbNo);
    EXPECT_EQ(ReadBytes(Path("shared.abc")), theirs);
    EXPECT_TRUE(file->Modified);
    EXPECT_EQ(file->FilterList.AllCount(), 2);
  }

  ui.Asked.clear();
  ui.Answers = {mrYes};
  EXPECT_EQ(ctrl->SaveFile(file), kCtrlOk);
  EXPECT_EQ(ReadBytes(Path("shared.abc")), "X:1\nT:a\nK:D\n\nX:2\nT:b\nK:G\n");
  EXPECT_FALSE(file->Modified);

  file->AddTunes({"X:4", "T:d", "K:E"}, true, 0);
  EXPECT_EQ(ctrl->SaveFile(file), kCtrlOk);
  std::filesystem::remove(Path("shared.abc"));
  file->AddTunes({"X:5", "T:e", "K:F"}, true, 0);
  EXPECT_EQ(ctrl->SaveFile(file), kCtrlOk);
  EXPECT_EQ(ui.Asked.size(), 1u) << "only the first save asked";
  EXPECT_EQ(ReadBytes(Path("shared.abc")), "X:1\nT:a\nK:D\n\nX:2\nT:b\nK:G\n\nX:4\nT:d\nK:E\n\nX:5\nT:e\nK:F\n");
}

// One byte changed in place by another program, with the file's size and time stamps
// as they were, still counts as a change: the question is asked.
TEST_F(CtrlFileTest, AOneByteChangeInPlaceIsNoticed) {
  TAbcFile* file = Open("shared.abc", "X:1\nT:a\nK:D\n");
  struct stat before {};
  ASSERT_EQ(::stat(Path("shared.abc").c_str(), &before), 0);
  file->AddTunes({"X:2", "T:b", "K:G"}, true, 0);
  WriteBytes(Path("shared.abc"), "X:1\nT:c\nK:D\n");
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, Path("shared.abc").c_str(), times, 0), 0);
  ui.Answers = {mrNo};
  EXPECT_EQ(ctrl->SaveFile(file), kCtrlRefused);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_NE(ui.Asked[0].text.find(" was changed by another program"), std::string::npos) << ui.Asked[0].text;
  EXPECT_EQ(ReadBytes(Path("shared.abc")), "X:1\nT:c\nK:D\n");
  EXPECT_TRUE(file->Modified);
}

// Save-as settles the extension first, then asks about an existing file itself.
TEST_F(CtrlFileTest, SaveAsAddsTheExtensionBeforeAskingToReplace) {
  const std::string old = "X:9\nT:Old\nK:C\n";
  WriteBytes(Path("name.abc"), old);
  ctrl->NewFile();
  TAbcFile* file = ctrl->Files()[0];
  file->AddTunes({"X:1", "T:New", "K:D"}, true, 0);

  host.SaveNames = {Path("name")};
  ui.Answers = {mrNo};
  EXPECT_EQ(ctrl->SaveFileAs(file), 0);
  EXPECT_EQ(host.SaveTitles, std::vector<std::string>{"Save File As ..."});
  EXPECT_EQ(host.Proposed, std::vector<std::string>{host.Library + "/abcnew1"}) << "in the library folder";
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_EQ(ui.Asked[0].text, Path("name.abc") + " already exists. Replace it?");
  EXPECT_EQ(ui.Asked[0].buttons, mbYes | mbNo);
  EXPECT_EQ(ReadBytes(Path("name.abc")), old);
  EXPECT_TRUE(file->Untitled);

  host.SaveNames = {Path("name")};
  ui.Answers = {mrYes};
  EXPECT_EQ(ctrl->SaveFileAs(file), 1);
  EXPECT_EQ(ReadBytes(Path("name.abc")), "X:1\nT:New\nK:D\n");
  EXPECT_EQ(file->FileName, Path("name.abc"));

  // Saving again under its own name asks nothing, the dialog starting at the file
  // itself; a name with an extension keeps it.
  ui.Asked.clear();
  host.SaveNames = {Path("name.abc"), Path("tunes.txt")};
  EXPECT_EQ(ctrl->SaveFileAs(file), 1);
  EXPECT_EQ(host.Proposed.back(), Path("name.abc"));
  EXPECT_EQ(ctrl->SaveFileAs(file), 1);
  EXPECT_EQ(file->FileName, Path("tunes.txt"));
  EXPECT_TRUE(ui.Asked.empty());
}

// A name that another file took while "Replace it?" was open is refused: no two open
// files of one name.
TEST_F(CtrlFileTest, SaveAsOntoANameOpenedMeanwhileIsRefused) {
  const std::string old = "X:9\nT:Old\nK:C\n";
  WriteBytes(Path("name.abc"), old);
  ctrl->NewFile();
  TAbcFile* file = ctrl->Files()[0];
  file->AddTunes({"X:1", "T:New", "K:D"}, true, 0);
  host.SaveNames = {Path("name.abc")};
  ui.Answers = {mrYes};
  bool opened = false;
  ui.WhileAsking = [&](const std::string&) {
    if (std::exchange(opened, true)) return;
    EXPECT_EQ(ctrl->OpenFile(Path("name.abc")), kCtrlOk);
  };
  EXPECT_EQ(ctrl->SaveFileAs(file), 0);
  ASSERT_EQ(ui.Asked.size(), 2u);
  EXPECT_EQ(ui.Asked[1].text, "File already open");
  EXPECT_TRUE(file->Untitled);
  EXPECT_EQ(ReadBytes(Path("name.abc")), old);
}

// Save-as onto another open file's name or into a missing folder is refused and writes
// nothing: the new name, the lamp, the tab caption and the recent list change only
// once the file is written.
TEST_F(CtrlFileTest, SaveAsRenamesOnlyAfterTheWrite) {
  TAbcFile* other = Open("other.abc");
  ctrl->NewFile();
  TAbcFile* file = ctrl->Files()[1];
  file->AddTunes({"X:1", "T:New", "K:D"}, true, 0);
  QSignalSpy renamed(ctrl.get(), &TCtrlFile::FileRenamed);
  QSignalSpy saved(ctrl.get(), &TCtrlFile::FileSaved);
  QSignalSpy recent(ctrl.get(), &TCtrlFile::RecentFile);
  const struct {
    const char* name;
    MsgDlgType type;
    const char* text;  // "" : any
  } refusals[] = {{"other", MsgDlgType::Warning, "File already open"}, {"missing/new.abc", MsgDlgType::Error, ""}};
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.name);
    ui.Asked.clear();
    host.SaveNames = {Path(r.name)};
    EXPECT_EQ(ctrl->SaveFileAs(file), 0);
    ASSERT_EQ(ui.Asked.size(), 1u);
    EXPECT_EQ(ui.Asked[0].type, r.type);
    if (*r.text) {
      EXPECT_EQ(ui.Asked[0].text, r.text);
    }
    EXPECT_EQ(file->FileName, "abcnew1");
    EXPECT_TRUE(file->Untitled);
    EXPECT_TRUE(file->Modified);
    EXPECT_EQ(renamed.count() + saved.count() + recent.count(), 0);
  }
  EXPECT_EQ(ReadBytes(Path("other.abc")), kTwoTunes);
  EXPECT_EQ(other->FileName, Path("other.abc"));

  std::string onDiskWhenRenamed;
  QObject::connect(ctrl.get(), &TCtrlFile::FileRenamed, [&](TAbcFile* f) { onDiskWhenRenamed = ReadBytes(f->FileName); });
  host.SaveNames = {Path("new")};
  EXPECT_EQ(ctrl->SaveFileAs(file), 1);
  EXPECT_EQ(onDiskWhenRenamed, "X:1\nT:New\nK:D\n");
  ASSERT_EQ(renamed.count(), 1);
  EXPECT_EQ(FileOf(renamed[0]), file);
  EXPECT_EQ(saved.count(), 1);
  ASSERT_EQ(recent.count(), 1);
  EXPECT_EQ(qvariant_cast<std::string>(recent[0][0]), Path("new.abc"));
  EXPECT_FALSE(file->Modified);
}

// Saving everything goes through the whole list: a new file whose name dialog was
// cancelled, or a write that fails (and says why), leaves the later files to be saved.
TEST_F(CtrlFileTest, SaveAllSavesEveryFileItCan) {
  TAbcFile* first = Open("first.abc");
  TAbcFile* untitled = (ctrl->NewFile(), ctrl->Files().back());
  std::filesystem::create_directory(Path("sub"));
  TAbcFile* lost = Open("sub/lost.abc");
  TAbcFile* last = Open("last.abc");
  for (TAbcFile* file : {first, untitled, lost, last}) file->AddTunes({"X:3", "T:c", "K:A"}, true, 0);
  std::filesystem::remove_all(Path("sub"));
  host.SaveNames = {""};
  EXPECT_EQ(ctrl->SaveAll(), kCtrlRefused);
  EXPECT_FALSE(first->Modified);
  EXPECT_TRUE(untitled->Untitled);
  EXPECT_TRUE(lost->Modified);
  EXPECT_FALSE(last->Modified);
  EXPECT_NE(ReadBytes(Path("last.abc")).find("T:c"), std::string::npos);
  ASSERT_EQ(ui.Asked.size(), 1u);
  EXPECT_NE(ui.Asked[0].text.find(Path("sub/lost.abc")), std::string::npos) << ui.Asked[0].text;
}

// ---- closing ------------------------------------------------------------------

// Every holder hears of the close while the file still lives; the last close empties
// the browser and hides the work area.
TEST_F(CtrlFileTest, ClosingWarnsHoldersBeforeTheFileGoes) {
  TAbcFile* first = Open("first.abc");
  TAbcFile* second = Open("second.abc");
  std::vector<std::string> seen;
  QObject::connect(ctrl.get(), &TCtrlFile::FileClosing, [&](TAbcFile* f) {
    seen.push_back(f->FileName + (ctrl->FindFile(f->FileName) ? " open" : " gone"));
  });
  QSignalSpy shown(ctrl.get(), &TCtrlFile::FileShown);
  QSignalSpy work(ctrl.get(), &TCtrlFile::WorkAreaNeeded);

  EXPECT_EQ(ctrl->CloseFile(first), kCtrlOk);
  EXPECT_EQ(seen, std::vector<std::string>{Path("first.abc") + " open"});
  EXPECT_EQ(ctrl->Files(), std::vector<TAbcFile*>{second});
  EXPECT_EQ(shown.count(), 0) << "the tabs choose what comes next";
  EXPECT_EQ(ctrl->CloseFile(first), kCtrlRefused) << "no longer open";

  EXPECT_EQ(ctrl->CloseFile(second), kCtrlOk);
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(FileOf(shown[0]), nullptr);
  ASSERT_EQ(work.count(), 1);
  EXPECT_FALSE(work[0][0].toBool());
}

// A file closed while its own close question was open is closed once.
TEST_F(CtrlFileTest, AFileClosedWhileItsQuestionIsOpenIsClosedOnce) {
  TAbcFile* tunes = Open("tunes.abc");
  tunes->SetModified(true);
  ui.Answers = {mrNo, mrNo};
  bool closedMeanwhile = false;
  ui.WhileAsking = [&](const std::string&) {
    if (std::exchange(closedMeanwhile, true)) return;
    EXPECT_EQ(ctrl->CloseFile(tunes), kCtrlOk);
  };
  QSignalSpy closing(ctrl.get(), &TCtrlFile::FileClosing);
  EXPECT_EQ(ctrl->CloseFile(tunes), kCtrlRefused);
  EXPECT_EQ(closing.count(), 1);
  EXPECT_TRUE(ctrl->Files().empty());
}

// ---- during an edit -------------------------------------------------------------

// Nothing replaces the edited tune: a file opened meanwhile gets its tab and is shown
// once the edit ends; one closed meanwhile is not shown at all.
TEST_F(CtrlFileTest, DuringAnEditNothingIsShown) {
  TAbcFile* shownFirst = Open("first.abc");
  host.Editing = true;
  QSignalSpy shown(ctrl.get(), &TCtrlFile::FileShown);
  QSignalSpy added(ctrl.get(), &TCtrlFile::FileAdded);
  QSignalSpy tune(ctrl.get(), &TCtrlFile::TuneShown);

  TAbcFile* arrived = Open("arrived.abc");
  ASSERT_EQ(added.count(), 1);
  EXPECT_EQ(FileOf(added[0]), arrived);
  EXPECT_FALSE(added[0][1].toBool()) << "its tab is not selected";
  EXPECT_EQ(ctrl->ShowFile(shownFirst), kCtrlRefused);
  EXPECT_EQ(ctrl->ShowTune(arrived, 0), kCtrlRefused);
  EXPECT_EQ(ctrl->ShowTuneRec(arrived, arrived->GetRec(0)), kCtrlRefused);
  EXPECT_EQ(shown.count(), 0);
  EXPECT_EQ(tune.count(), 0);

  host.Editing = false;
  ctrl->EditEnded();
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(FileOf(shown[0]), arrived);
  ctrl->EditEnded();
  EXPECT_EQ(shown.count(), 1) << "shown once";

  host.Editing = true;
  TAbcFile* dropped = Open("dropped.abc");
  ASSERT_EQ(ctrl->CloseFile(dropped), kCtrlOk);
  host.Editing = false;
  ctrl->EditEnded();
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(ctrl->ShowFile(shownFirst), kCtrlOk);
  EXPECT_EQ(shown.count(), 2);
}

// ---- the wait cursor -----------------------------------------------------------------

// Records the cursor while a file is indexed and, when asked, fails the indexing.
class CursorWatchingUi : public TScriptedUserInterface {
 public:
  void ShowProgress(int32_t maximum) override {
    TScriptedUserInterface::ShowProgress(maximum);
    const QCursor* cursor = QGuiApplication::overrideCursor();
    WaitCursorSeen = cursor && cursor->shape() == Qt::WaitCursor;
    if (Throw) throw std::runtime_error("indexing failed");
  }
  int32_t MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons, int32_t help) override {
    CursorAtDialog = QGuiApplication::overrideCursor() != nullptr;
    return TScriptedUserInterface::MessageDlg(text, type, buttons, help);
  }
  bool Throw = false;
  bool WaitCursorSeen = false;
  bool CursorAtDialog = true;
};

TEST_F(CtrlFileTest, TheWaitCursorGoesOnEveryWayOut) {
  CursorWatchingUi watcher;
  TCtrlFile watched(folder, watcher, host, parser, midi);
  WriteBytes(Path("a.abc"), kTwoTunes);
  EXPECT_EQ(watched.OpenFile(Path("a.abc")), kCtrlOk);
  EXPECT_TRUE(watcher.WaitCursorSeen);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  std::filesystem::create_directory(Path("folder.abc"));
  EXPECT_EQ(watched.OpenFile(Path("folder.abc")), kCtrlRefused);
  EXPECT_FALSE(watcher.CursorAtDialog) << "the reason is shown with the normal cursor";
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  watcher.Throw = true;
  WriteBytes(Path("b.abc"), kTwoTunes);
  EXPECT_THROW(watched.OpenFile(Path("b.abc")), std::runtime_error);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(watched.FindFile(Path("b.abc")), nullptr);

  watcher.Throw = false;
  TAbcFile* a = watched.FindFile(Path("a.abc"));
  a->AddTunes({"X:3", "T:c", "K:A"}, true, 0);
  a->FileName = Path("missing/a.abc");
  watcher.CursorAtDialog = true;
  EXPECT_EQ(watched.SaveFile(a), kCtrlRefused);
  EXPECT_FALSE(watcher.CursorAtDialog);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// ---- showing a tune ------------------------------------------------------------------

// The editor gets the tune's text and code, and the shared parser holds the tune for
// the score; from the set grid the editor keeps its log.
TEST_F(CtrlFileTest, ShowTuneHandsTheTuneToEditorAndScore) {
  TAbcFile* file = Open("tunes.abc");
  QSignalSpy tune(ctrl.get(), &TCtrlFile::TuneShown);
  // Rows are sorted by title: row 0 is "Banish Misfortune", row 1 "Cooley's".
  TAbcRec* rec = file->GetRec(1);
  rec->Code = 0x1234ABCD;
  EXPECT_EQ(ctrl->ShowTune(file, 1), kCtrlOk);
  ASSERT_EQ(tune.count(), 1);
  EXPECT_EQ(qvariant_cast<TAbcRec*>(tune[0][1]), rec);
  EXPECT_EQ(qvariant_cast<TLines>(tune[0][2]), (TLines{"X:2", "T:Cooley's", "K:Edor", "EBBA B2|"}));
  EXPECT_EQ(tune[0][3].value<uint32_t>(), 0x1234ABCDu);
  EXPECT_FALSE(tune[0][4].toBool());
  EXPECT_EQ(file->CurrentRec, rec);
  EXPECT_EQ(parser.Title(), "Cooley's");

  TAbcRec* other = file->GetRec(0);
  EXPECT_EQ(ctrl->ShowTuneRec(file, other), kCtrlOk);
  ASSERT_EQ(tune.count(), 2);
  EXPECT_EQ(qvariant_cast<TAbcRec*>(tune[1][1]), other);
  EXPECT_TRUE(tune[1][4].toBool());

  EXPECT_EQ(ctrl->ShowTune(file, 5), kCtrlRefused);
  EXPECT_EQ(ctrl->ShowTune(nullptr, 0), kCtrlRefused);
  EXPECT_EQ(tune.count(), 2);
}

}  // namespace
}  // namespace rq
