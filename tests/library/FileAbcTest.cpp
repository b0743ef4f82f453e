#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <bitset>
#include <random>

#include "FileTestHelpers.h"
#include "library/AbcFileFormat.h"
#include "library/FileAbc.h"
#include "notation/AbcDef.h"

namespace rq {
namespace {

using namespace std::string_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::string> Titles(const TAbcFile& f) {
  std::vector<std::string> titles;
  for (int32_t row = 0; row < f.FilterList.Count(); ++row) titles.push_back(f.GetTitle(row));
  return titles;
}

// Three tunes of five lines each, titled as given, in file order.
std::string FiveLineTunes(std::initializer_list<const char*> titles) {
  std::string text;
  int n = 0;
  for (const char* t : titles) {
    text += "X:" + std::to_string(++n) + "\nT:" + t + "\nM:4/4\nK:D\nDEFG|\n";
  }
  return text;
}

// Each test has a folder of its own; Load writes the bytes there and opens them.
class AbcFile : public testing::Test {
 protected:
  std::unique_ptr<TAbcFile> Load(const std::string& bytes, IUserInterface* ui = nullptr) {
    WriteBytes(dir.File("tunes.abc"), bytes);
    return std::make_unique<TAbcFile>(dir.File("tunes.abc"), ui);
  }
  TempDir dir;
};

TEST_F(AbcFile, HeaderScan) {
  const auto f = Load("% before any tune\n"
                      "X:1\nT:  The Lark  \nR: Reel % fast\nR:jig\nK:Dmaj\n"
                      "X:2\nR:Slip jig\nK: G dorian\n"
                      "X:3\nT:Third\nK :Em\n  X:9 not a start\n"
                      "X:4\nT:Fourth\n K:G\n"
                      "X:5\nT:Fifth\nK:Zz\nK:A\n");
  ASSERT_EQ(f->FilterList.AllCount(), 5);
  const TAbcRec* lark = f->FindBySeq(1);
  EXPECT_EQ(f->TitleOfRec(lark), "The Lark  ");
  EXPECT_EQ(lark->StartLine, 1);
  EXPECT_EQ(lark->GetTitleLine(), 2);
  EXPECT_EQ(lark->GetRhythmIndex(), FindRhythm("reel"));
  EXPECT_GT(lark->GetRhythmIndex(), 0);
  EXPECT_EQ(lark->GetKeyIndex(), FindKeyIndex("D"));

  const TAbcRec* second = f->FindBySeq(2);
  EXPECT_EQ(f->TitleOfRec(second), ":2") << "no T: line: the X: line from its second character";
  EXPECT_EQ(second->GetRhythmIndex(), FindRhythm("slip jig"));
  EXPECT_EQ(second->GetKeyIndex(), FindKeyIndex("GDor")) << "a mode word after the tonic names the mode";

  const TAbcRec* third = f->FindBySeq(3);
  EXPECT_EQ(third->GetKeyIndex(), FindKeyIndex("Em"));
  EXPECT_EQ(third->GetEndLine(), 12) << "an indented X: joins the tune above";

  EXPECT_EQ(f->FindBySeq(4)->GetKeyIndex(), 0) << "an indented K: is no key line";
  EXPECT_EQ(f->FindBySeq(5)->GetKeyIndex(), 0) << "the first key line decides";
  EXPECT_EQ(f->FindBySeq(5)->GetRhythmIndex(), 0);
  EXPECT_EQ(f->FindBySeq(6), nullptr);
}

// Every mode word after a tonic files the tune under a key the list shows and the key
// filter finds: ionian as the major key, aeolian as the minor, the modes the key
// names lack under their tonic.
TEST_F(AbcFile, EveryModeIsIndexedUnderAKey) {
  const struct {
    const char* key;
    const char* name;
  } modes[] = {
      {"G ionian", "G"}, {"A aeolian", "Am"}, {"E dorian", "EDor"}, {"D phrygian", "D"},
      {"F lydian", "F"}, {"D mixolydian", "DMix"}, {"B locrian", "B"}, {"B minor", "Bm"},
  };
  std::string text;
  int n = 0;
  for (const auto& m : modes) text += "X:" + std::to_string(++n) + "\nT:" + m.key + "\nK:" + m.key + "\nABcd|\n";
  const auto f = Load(text);
  n = 0;
  for (const auto& m : modes) EXPECT_EQ(f->FindBySeq(++n)->GetKeyIndex(), FindKeyIndex(m.name)) << m.key;

  std::bitset<256> keys;
  for (const char* name : {"G", "Am", "D"}) keys.set(static_cast<size_t>(FindKeyIndex(name)));
  f->SetKeyRhythmFilter(keys, {});
  EXPECT_EQ(Titles(*f), (std::vector<std::string>{"A aeolian", "D phrygian", "G ionian"}));
}

TEST_F(AbcFile, SortedByTitleThenPlace) {
  const auto f = Load(FiveLineTunes({"b", "A", "a", "The Reel of B", "the reel of a", "The Reel", "Zy", "_x"}));
  // Case-blind ("_" comes before every letter), then place; long titles alike at
  // their start are told apart further on.
  EXPECT_EQ(Titles(*f), (std::vector<std::string>{"_x", "A", "a", "b", "The Reel", "the reel of a",
                                                  "The Reel of B", "Zy"}));
}

// An old code comment is the mark and exactly eight code digits (upper-case hex) on
// a tune's first key line; anything else that holds the mark is the user's text.
TEST_F(AbcFile, OldCodeCommentsAreRemovedQuietly) {
  const auto f = Load("X:1\nT:t %ZYM:00000000\nK:D %ZYM:1A2B3C4D % x\nabc %ZYM:1A2B3C4D\n");
  EXPECT_EQ(f->Lines[1], "T:t %ZYM:00000000");
  EXPECT_EQ(f->Lines[2], "K:D % x");
  EXPECT_EQ(f->Lines[3], "abc %ZYM:1A2B3C4D");
  EXPECT_FALSE(f->Modified);

  const struct {
    const char* line;
    const char* kept;
  } keyLines[] = {
      {"K:G %ZYM: tune from Paddy", "K:G %ZYM: tune from Paddy"},
      {"K:G %ZYM:1A2B3C4", "K:G %ZYM:1A2B3C4"},
      {"K:G %ZYM:1A2B3C4D5", "K:G %ZYM:1A2B3C4D5"},
      {"K:G %ZYM:1a2b3c4d", "K:G %ZYM:1a2b3c4d"},
      {"K:G %ZYM:0123456G", "K:G %ZYM:0123456G"},
      {"K:G %ZYM:89ABCDEF", "K:G"},
      {"K:G %ZYM:x %ZYM:01234567 % y", "K:G %ZYM:x % y"},
  };
  for (const auto& k : keyLines) {
    const auto g = Load("X:1\nT:a\n" + std::string(k.line) + "\nabc|\n");
    EXPECT_EQ(g->Lines[2], k.kept) << k.line;
  }
}

// The list shows what the saved file holds: the comment goes before the tunes are
// read, so the key the list shows is the key the file is read with afterwards.
TEST_F(AbcFile, TunesAreReadAfterTheOldCodesGo) {
  const auto f = Load("X:1\nT:a\nK:G %ZYM:1A2B3C4D dorian\nGABc|\n");
  EXPECT_EQ(f->Lines[2], "K:G dorian");
  EXPECT_EQ(f->FindBySeq(1)->GetKeyIndex(), FindKeyIndex("GDor"));
  ASSERT_EQ(f->Save(), 0);
  const TAbcFile reread(f->FileName, nullptr);
  EXPECT_EQ(reread.FindBySeq(1)->GetKeyIndex(), f->FindBySeq(1)->GetKeyIndex());
  EXPECT_EQ(reread.FindBySeq(1)->Code, f->FindBySeq(1)->Code);
}

TEST_F(AbcFile, OnlyAMissingFileOpensEmpty) {
  TAbcFile missing(dir.File("nothere.abc"), nullptr);
  EXPECT_EQ(missing.FilterList.AllCount(), 0);
  EXPECT_FALSE(missing.Untitled);
  EXPECT_EQ(missing.Save(), 1) << "the first save creates the file";
  EXPECT_TRUE(std::filesystem::exists(dir.File("nothere.abc")));

  // Anything else that cannot be read is an error with its reason: opened empty, its
  // first save would replace the user's tunes with nothing. (Every reason is the
  // plain-file reader's, tested with it.)
  ASSERT_EQ(::mkfifo(dir.File("pipe.abc").c_str(), 0600), 0);
  // Text in 16 bits and binary bytes are refused too: opened as a file without tunes,
  // a tune added to them would be saved as 8-bit text among them.
  WriteBytes(dir.File("utf16.abc"), "\xFF\xFEX\0:\0001\0\n\0"s);
  WriteBytes(dir.File("binary.abc"), "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s);
  const struct {
    std::string path;
    const char* reason;
  } unreadable[] = {{dir.File(""), "folder"},
                    {dir.File("pipe.abc"), "pipe"},
                    {dir.File("utf16.abc"), "UTF-16"},
                    {dir.File("binary.abc"), "NUL"}};
  for (const auto& u : unreadable) {
    try {
      TAbcFile file(u.path, nullptr);
      ADD_FAILURE() << u.path << " opened";
    } catch (const EFileError& e) {
      EXPECT_NE(std::string(e.what()).find(u.reason), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(ReadBytes(dir.File("utf16.abc")), "\xFF\xFEX\0:\0001\0\n\0"s);
}

// A folder we may not search hides the file without making it missing. Run as a user
// without rights (the superuser searches any folder).
TEST_F(AbcFile, AFileInAFolderWeMayNotSearchIsNotNew) {
  const std::string locked = dir.File("locked");
  std::filesystem::create_directory(locked);
  WriteBytes(locked + "/tunes.abc", FiveLineTunes({"a"}));
  ASSERT_EQ(::chmod(locked.c_str(), 0700), 0);
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
        if (::chmod(locked.c_str(), 0) != 0 && ::geteuid() != 65534) std::_Exit(3);
        try {
          TAbcFile file(locked + "/tunes.abc", nullptr);
        } catch (const EFileError& e) {
          std::_Exit(std::string(e.what()).find("Permission denied") != std::string::npos ? 0 : 4);
        }
        std::_Exit(1);
      },
      testing::ExitedWithCode(0), "");
  ::chmod(locked.c_str(), 0700);
}

TEST_F(AbcFile, ProgressFollowsTheLines) {
  TScriptedUserInterface ui;
  const auto f = Load(FiveLineTunes({"a", "b"}), &ui);
  EXPECT_EQ(ui.ProgressShown, 1);
  EXPECT_EQ(ui.ProgressMaximum, 10);
  EXPECT_FALSE(ui.ProgressVisible);
}

// A large open sets the bar by time: a tenth of a second of work, whatever its
// number of lines, gives at most a few updates, in order and within the bar.
TEST(ProgressPacer, UpdatesFollowTimeNotSteps) {
  TScriptedUserInterface ui;
  auto now = std::chrono::steady_clock::time_point{};
  TProgressPacer pacer(&ui, [&now] { return now; });
  constexpr int32_t kSteps = 1'000'000;
  pacer.Show(kSteps);
  int32_t lastPosition = -1;
  int32_t backwards = 0;
  for (int32_t i = 0; i < kSteps; ++i) {
    now += std::chrono::microseconds(10);  // ten seconds in all
    pacer.Step(i);
    if (ui.ProgressPosition < lastPosition) ++backwards;
    lastPosition = ui.ProgressPosition;
  }
  pacer.Hide();
  EXPECT_GE(ui.ProgressUpdates, 250);
  EXPECT_LE(ui.ProgressUpdates, 10 * TProgressPacer::kUpdatesPerSecond);
  EXPECT_EQ(backwards, 0);
  EXPECT_LT(ui.ProgressPosition, kSteps);
  EXPECT_FALSE(ui.ProgressVisible);

  // A quick job shows and hides the bar and sets it not at all.
  TScriptedUserInterface quick;
  TProgressPacer still(&quick, [] { return std::chrono::steady_clock::time_point{}; });
  still.Show(kSteps);
  for (int32_t i = 0; i < kSteps; ++i) still.Step(i);
  still.Hide();
  EXPECT_EQ(quick.ProgressShown, 1);
  EXPECT_EQ(quick.ProgressUpdates, 0);
}

TEST_F(AbcFile, AnOpenSetsTheBarFarLessOftenThanItHasLines) {
  std::string text;
  for (int n = 1; n <= 4000; ++n) text += "X:" + std::to_string(n) + "\nT:t\nK:D\nDEFG|\n\n";
  TScriptedUserInterface ui;
  const auto f = Load(text, &ui);
  EXPECT_EQ(ui.ProgressMaximum, 20000);
  // Thirty updates a second: even a slow, instrumented build opens this in a second.
  EXPECT_LT(ui.ProgressUpdates, 200);
}

TEST_F(AbcFile, LoadThenSaveGivesBackTheSameBytes) {
  const std::string bodies[] = {
      "X:1\r\nT:Crlf\r\nK:D\r\nabc\r\n",
      "X:1\rT:Old Mac\rK:D\rabc\r",
      "X:1\nT:No final break\nK:D\nabc",
      "\xEF\xBB\xBFX:1\nT:Bom\nK:D\nabc\n",
      "X:1\nT:Caf\xe9 \x80\xff\nK:D\n" + std::string(64, 'z') + "\nab\0c\n\n"s,
      "% only a comment\n\n",
      "",
  };
  for (const std::string& bytes : bodies) {
    const auto f = Load(bytes);
    std::string error;
    ASSERT_EQ(f->Save(&error), 0) << error;
    EXPECT_EQ(ReadBytes(f->FileName), bytes);
    // The byte order mark is set aside, so the tune on the first line is found.
    if (bytes.starts_with("\xEF\xBB\xBF")) {
      EXPECT_EQ(Titles(*f), std::vector<std::string>{"Bom"});
    }
  }
}

// A tune played in a row with others brings its music, not the words after it.
TEST_F(AbcFile, MusicLinesLeaveOutTheWordsAfterTheMusic) {
  const auto f = Load("X:1\nT:Words\nK:D\nDEFG|\n\nLearned from Paddy.\n\nX:2\nT:Plain\nK:D\nABcd|\n");
  TLines lines;
  ASSERT_EQ(f->CopyRecMusic(f->FindBySeq(1), lines), 0);
  ASSERT_EQ(f->CopyRecMusic(f->FindBySeq(2), lines), 0);
  EXPECT_EQ(lines, (TLines{"X:1", "T:Words", "K:D", "DEFG|", "X:2", "T:Plain", "K:D", "ABcd|"}));
  EXPECT_EQ(f->CopyRecMusic(nullptr, lines), -1);
}

TEST_F(AbcFile, AddedLinesTakeTheFileLineEnds) {
  const auto f = Load("X:1\r\nT:a\r\nK:D\r\n");
  f->AddTunes({"X:2", "T:b", "K:G"}, true, 0);
  ASSERT_EQ(f->Save(), 0);
  EXPECT_EQ(ReadBytes(f->FileName), "X:1\r\nT:a\r\nK:D\r\n\r\nX:2\r\nT:b\r\nK:G\r\n");

  const auto fresh = TAbcFile::CreateNew("abcnew1", nullptr);
  fresh->AddTunes({"X:1", "T:n"}, true, 0);
  fresh->SetFileName(dir.File("new.abc"));
  ASSERT_EQ(fresh->Save(), 1);
  EXPECT_EQ(ReadBytes(dir.File("new.abc")), "X:1\nT:n\n");
}

// An added tune never touches the tune above: one empty line comes between them
// unless the file is empty or already ends with one (or the text begins with one).
// The tune above keeps its lines, and read again the file holds both tunes.
TEST_F(AbcFile, AnAddedTuneIsKeptApartFromTheTuneAbove) {
  const TLines added = {"X:77", "T:b", "K:G"};
  const struct {
    const char* what;
    std::string before;
    TLines text;
    std::string after;
  } cases[] = {
      {"after a last line with its line end", "X:1\nT:a\nK:D\nD4:|\n", added,
       "X:1\nT:a\nK:D\nD4:|\n\nX:77\nT:b\nK:G\n"},
      {"after a last line without one", "X:1\nT:a\nK:D\nD4:|", added, "X:1\nT:a\nK:D\nD4:|\n\nX:77\nT:b\nK:G"},
      {"after an empty line", "X:1\nT:a\nK:D\nD4:|\n\n", added, "X:1\nT:a\nK:D\nD4:|\n\nX:77\nT:b\nK:G\n"},
      {"text that begins empty", "X:1\nT:a\nK:D\nD4:|\n", {"", "X:77", "T:b", "K:G"},
       "X:1\nT:a\nK:D\nD4:|\n\nX:77\nT:b\nK:G\n"},
      {"into an empty file", "", added, "X:77\nT:b\nK:G\n"},
      {"after a header without tunes", "% header", added, "% header\n\nX:77\nT:b\nK:G"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto f = Load(c.before);
    TLines above;
    if (const TAbcRec* first = f->FindBySeq(1)) f->CopyRecLines(first, above, true);
    f->AddTunes(c.text, true, 0);
    if (const TAbcRec* first = f->FindBySeq(1); first && !above.empty()) {
      TLines after;
      f->CopyRecLines(first, after, true);
      EXPECT_EQ(after, above);
    }
    ASSERT_EQ(f->Save(), 0);
    EXPECT_EQ(ReadBytes(f->FileName), c.after);
    const TAbcFile reread(f->FileName, nullptr);
    EXPECT_EQ(reread.FilterList.AllCount(), f->FilterList.AllCount());
  }
}

// A new tune takes the file's largest X: number plus one, whatever the tunes' order.
TEST_F(AbcFile, ANewTuneTakesTheNextFreeNumber) {
  EXPECT_EQ(TAbcFile::CreateNew("abcnew1", nullptr)->NextTuneNumber(), 1);
  EXPECT_EQ(Load("X:3\nT:a\nK:D\n\nX: 76 % old\nT:b\nK:G\n\nX:12\nT:c\n  X:99 no tune\n")->NextTuneNumber(), 77);
  EXPECT_EQ(Load("X:\nT:no number\nK:D\n")->NextTuneNumber(), 1);
  EXPECT_EQ(Load("X:2147483647\nT:last\nK:D\n")->NextTuneNumber(), 2147483648);
}

TEST_F(AbcFile, UntitledAndFailedSaves) {
  EXPECT_EQ(TAbcFile::CreateNew("abcnew1", nullptr)->Save(), -1);

  const auto f = Load(FiveLineTunes({"a"}));
  f->DeleteTune(0);
  ASSERT_TRUE(f->Modified);
  f->FileName = dir.File("no-such-folder/tunes.abc");
  std::string error;
  EXPECT_EQ(f->Save(&error), -2);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(f->Modified) << "a failed save keeps the file modified";
}

// A file opened through a dangling link saves into the file the link names, and the
// link stays; where that file's folder is missing the save fails with the reason and
// keeps its tunes, and the link is as it was.
TEST_F(AbcFile, ASaveThroughADanglingLinkMakesItsTarget) {
  namespace fs = std::filesystem;
  fs::create_directories(dir.File("real"));
  fs::create_symlink("real/new.abc", dir.File("link.abc"));
  fs::create_symlink("gone/new.abc", dir.File("nowhere.abc"));
  const TLines tune{"X:1", "T:Drops of Brandy", "K:G", "GAB|"};

  TAbcFile linked(dir.File("link.abc"), nullptr);
  EXPECT_EQ(linked.FilterList.AllCount(), 0);
  linked.AddTunes(tune, true, 0);
  std::string error;
  EXPECT_EQ(linked.Save(&error), 1) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.abc")));
  EXPECT_EQ(ReadBytes(dir.File("real/new.abc")), "X:1\nT:Drops of Brandy\nK:G\nGAB|\n");

  TAbcFile lost(dir.File("nowhere.abc"), nullptr);
  lost.AddTunes(tune, true, 0);
  EXPECT_EQ(lost.Save(&error), -2);
  EXPECT_NE(error.find("gone/new.abc\", whose folder does not exist"), std::string::npos) << error;
  EXPECT_TRUE(lost.Modified);
  EXPECT_EQ(lost.FilterList.AllCount(), 1);
  EXPECT_EQ(fs::read_symlink(dir.File("nowhere.abc")), "gone/new.abc");
  EXPECT_FALSE(fs::exists(dir.File("gone")));
}

// A file without write permission is not replaced, whoever runs the program: the
// save fails with the reason, the file keeps its bytes, and a retry once it may be
// written saves.
TEST_F(AbcFile, AReadOnlyFileIsNotReplaced) {
  const auto f = Load(FiveLineTunes({"a", "b"}));
  const std::string original = ReadBytes(f->FileName);
  ASSERT_EQ(::chmod(f->FileName.c_str(), 0444), 0);
  f->DeleteTune(0);
  std::string error;
  EXPECT_EQ(f->Save(&error), -2);
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_TRUE(f->Modified);
  EXPECT_EQ(ReadBytes(f->FileName), original);

  ASSERT_EQ(::chmod(f->FileName.c_str(), 0644), 0);
  EXPECT_EQ(f->Save(&error), 0) << error;
  EXPECT_EQ(ReadBytes(f->FileName), original.substr(original.find("X:2")));
}

// Save-as takes the new name only once the bytes are written there.
TEST_F(AbcFile, SaveAsRenamesOnlyAfterTheWrite) {
  const auto untitled = TAbcFile::CreateNew("abcnew1", nullptr);
  untitled->AddTunes({"X:1", "T:n"}, true, 0);
  std::string error;
  EXPECT_EQ(untitled->SaveAs(dir.File("missing/new.abc"), &error), -2);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(untitled->FileName, "abcnew1");
  EXPECT_TRUE(untitled->Untitled);
  EXPECT_TRUE(untitled->Modified);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

  ASSERT_EQ(untitled->SaveAs(dir.File("new.abc"), &error), 1) << error;
  EXPECT_FALSE(untitled->Untitled);

  // A titled, unmodified file that cannot be written elsewhere keeps its name and
  // stays unmodified; over an existing file the result is 0 and the old name stays
  // as it was on disk.
  const auto f = Load(FiveLineTunes({"a"}));
  const std::string oldName = f->FileName;
  EXPECT_EQ(f->SaveAs(dir.File("new.abc") + "/copy.abc", &error), -2);
  EXPECT_EQ(f->FileName, oldName);
  EXPECT_FALSE(f->Modified);
  ASSERT_EQ(f->SaveAs(dir.File("new.abc"), &error), 0) << error;
  EXPECT_EQ(ReadBytes(dir.File("new.abc")), FiveLineTunes({"a"}));
  EXPECT_EQ(ReadBytes(oldName), FiveLineTunes({"a"}));
}

// Before replacing the file a save compares it with what was read: another program's
// change stops the save, which writes nothing; the same bytes rewritten are no change;
// a file made where there was none is one. Told to replace it, the save does.
TEST_F(AbcFile, ASaveStopsAtAnotherProgramsChange) {
  const auto f = Load(FiveLineTunes({"a", "b"}));
  f->DeleteTune(0);
  WriteBytes(f->FileName, FiveLineTunes({"a", "b"}));
  EXPECT_EQ(f->Save(), 0) << "rewritten with the same bytes";

  f->DeleteTune(0);
  const std::string theirs = FiveLineTunes({"b", "c"});
  WriteBytes(f->FileName, theirs);
  std::string error;
  EXPECT_EQ(f->Save(&error), TAbcFile::kChangedOnDisk);
  EXPECT_EQ(f->SaveAs(f->FileName, &error), TAbcFile::kChangedOnDisk);
  EXPECT_EQ(ReadBytes(f->FileName), theirs);
  EXPECT_TRUE(f->Modified);
  EXPECT_EQ(f->Save(&error, true), 0) << error;
  EXPECT_EQ(ReadBytes(f->FileName), "");

  const auto fresh = std::make_unique<TAbcFile>(dir.File("new.abc"), nullptr);
  fresh->AddTunes({"X:1", "T:n"}, true, 0);
  WriteBytes(dir.File("new.abc"), theirs);
  EXPECT_EQ(fresh->Save(), TAbcFile::kChangedOnDisk);
}

// A stray NUL byte is kept in a tune; when deleting the tunes above it, or a paste
// into an empty file, brings it (or what reads as a wide-text mark) to the top, the
// saved file still opens, with every tune, set and byte it was saved with, and a
// second save changes nothing.
TEST_F(AbcFile, WhatASaveWritesOpensAgain) {
  const std::string above = "X:1\nT:Above\nK:D\n" + std::string(70, 'a') + "|\n";
  const std::string stray = "X:2\nT:St\0ray\nK:G\nGAB|\n"s;
  struct Case {
    const char* what;
    std::string bytes;
    std::string paste;  // pasted into the file instead of deleting its first tune
    std::string title;  // of the one tune left
  };
  const Case cases[] = {
      {"no header", above + stray, "", "St\0ray"s},
      {"set block on the fourth line", "%\n%\n%\n%%BSET%\n%%DSET%S,2\n%%ESET%\n" + above + stray, "", "St\0ray"s},
      {"UTF-8 mark", "\xEF\xBB\xBF" + above + stray, "", "St\0ray"s},
      {"pasted into an empty file", "", "\xFF\xFE\nX:1\nT:Pasted\nK:C\n", "Pasted"},
  };
  for (const Case& c : cases) {
    auto f = Load(c.bytes);
    const bool withSet = f->Sets.Count() == 1;
    if (c.paste.empty()) {
      ASSERT_EQ(f->DeleteTuneRec(f->FindBySeq(1)), 0) << c.what;
    } else {
      f->PasteFromClipboard(c.paste);
    }
    ASSERT_GE(f->Save(), 0) << c.what;
    const std::string saved = ReadBytes(dir.File("tunes.abc"));
    std::unique_ptr<TAbcFile> again;
    ASSERT_NO_THROW(again = std::make_unique<TAbcFile>(dir.File("tunes.abc"), nullptr)) << c.what;
    EXPECT_EQ(again->Lines, f->Lines) << c.what;
    ASSERT_EQ(again->FilterList.AllCount(), 1) << c.what;
    EXPECT_EQ(again->TitleOfRec(again->FindBySeq(1)), c.title) << c.what;
    if (withSet) {
      EXPECT_EQ(again->Sets.GetTune(0, 0), again->FindBySeq(1)) << c.what;
    }
    again->SetModified(true);
    ASSERT_GE(again->Save(), 0) << c.what;
    EXPECT_EQ(ReadBytes(dir.File("tunes.abc")), saved) << c.what << ": saved again unchanged";
  }
}

TEST_F(AbcFile, ANewSetBlockMovesEveryTuneDown) {
  const auto f = Load(FiveLineTunes({"a", "b"}));
  f->Sets.AddSet(std::make_unique<TSetAbc>("S"));
  f->Sets.AddTune(0, f->FindBySeq(2));
  ASSERT_EQ(f->Save(), 0);
  EXPECT_EQ(f->FindBySeq(1)->StartLine, 3);
  EXPECT_EQ(f->FindBySeq(2)->StartLine, 8);
  EXPECT_EQ(f->Lines[1], "%%DSET%S,2");
  EXPECT_EQ(f->TitleOfRec(f->FindBySeq(2)), "b");

  TAbcFile again(f->FileName, nullptr);
  ASSERT_EQ(again.Sets.Count(), 1);
  EXPECT_EQ(again.Sets.GetTune(0, 0), again.FindBySeq(2));
}

TEST_F(AbcFile, ModesRowsAndFilters) {
  const auto f = Load("X:1\nT:a\nK:D\nX:2\nT:b\nK:G\nX:3\nT:c\nK:D\n");
  EXPECT_EQ(f->ToggleSelect(0), kMarked);
  EXPECT_EQ(f->ToggleSelect(0), 0);
  f->ToggleSelect(1);

  f->SetViewMode(vmMarked, 0);
  EXPECT_EQ(Titles(*f), (std::vector<std::string>{"b"}));
  f->SetRow(4);
  f->SetViewMode(vmUnmarked, 0);
  EXPECT_EQ(Titles(*f), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(f->GetRow(), -1);
  f->SetRow(1);
  f->SetViewMode(vmMarked, 0);
  EXPECT_EQ(f->GetRow(), 4);

  // Marking in the unmarked view changes the flags, not the view, until re-applied.
  f->SetViewMode(vmUnmarked, 0);
  EXPECT_EQ(f->SelectAll(), 0);
  EXPECT_EQ(f->FilterList.Count(), 2);
  f->SetViewMode(-1, 0);
  EXPECT_EQ(f->FilterList.Count(), 0);

  f->SetViewMode(vmAll, 0);
  EXPECT_EQ(f->GetTitle(-1), "xx0xx");
  EXPECT_EQ(f->GetTitle(3), "xx0xx");
  EXPECT_EQ(f->SetCurrent(3), -1);
  EXPECT_EQ(f->CurrentRec, nullptr);
}

TEST_F(AbcFile, DeletingMovesLaterTunesUp) {
  const auto f = Load(FiveLineTunes({"a", "b", "c"}));
  // Sorted by title, row 0 is the first tune of the file.
  EXPECT_EQ(f->DeleteTune(0), 0);
  EXPECT_EQ(f->Lines.size(), 10u);
  EXPECT_EQ(f->FindBySeq(1)->StartLine, 0);
  EXPECT_EQ(f->FindBySeq(2)->StartLine, 5);
  EXPECT_EQ(f->TitleOfRec(f->FindBySeq(2)), "c");
  EXPECT_TRUE(f->Modified);
  EXPECT_EQ(f->DeleteTune(5), -1);
}

TEST_F(AbcFile, DeletingManyInOnePassEqualsOneByOne) {
  std::string text = "% header\n%%BSET%\n%%ESET%\n";
  for (int i = 1; i <= 40; ++i) {
    text += "X:" + std::to_string(i) + "\nT:t" + std::to_string(i % 7) + "\nK:D\n";
    for (int j = 0; j < i % 4; ++j) text += "abc|\n";
  }
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    const auto one = Load(text);
    const auto many = Load(text);
    std::vector<TAbcRec*> doomed;
    std::vector<int32_t> doomedSeqs;
    for (int seq = 1; seq <= 40; ++seq) {
      if (random() % 3 == 0) {
        doomed.push_back(many->FindBySeq(seq));
        doomedSeqs.push_back(seq);
      }
    }
    for (auto it = doomedSeqs.rbegin(); it != doomedSeqs.rend(); ++it) {
      one->DeleteTuneRec(one->FindBySeq(*it));
    }
    EXPECT_EQ(many->DeleteTunes(doomed), static_cast<int32_t>(doomed.size()));
    ASSERT_EQ(one->Lines, many->Lines);
    ASSERT_EQ(one->FilterList.AllCount(), many->FilterList.AllCount());
    for (int32_t i = 0; i < one->FilterList.AllCount(); ++i) {
      const TAbcRec* a = one->FilterList.AllItems(i);
      const TAbcRec* b = many->FilterList.AllItems(i);
      EXPECT_EQ(a->Seq, b->Seq);
      EXPECT_EQ(a->StartLine, b->StartLine);
      EXPECT_EQ(a->GetEndLine(), b->GetEndLine());
    }
  }
}

class ReplaceTest : public AbcFile {
 protected:
  void SetUp() override {
    f = Load("%%BSET%\n%%DSET%S,1,2:3\n%%DMSS%2,1\n%%DMSS%1,2\n%%ESET%\n" + FiveLineTunes({"a", "b", "c"}));
    old = f->FindBySeq(2);
    old->SetFlags(kMarked);
    old->SetSearchScore(7);
    f->SetCurrentRec(old);
  }
  std::unique_ptr<TAbcFile> f;
  TAbcRec* old = nullptr;
};

// Text without a tune start changes nothing; one tune takes the old one's marks,
// score, set entries and session places, and goes last.
TEST_F(ReplaceTest, OneTuneKeepsMarksScoreSetsAndGoesLast) {
  const TLines before = f->Lines;
  EXPECT_EQ(f->ReplaceCurrent({"T:no start", "K:G"}), -1);
  EXPECT_EQ(f->ReplaceCurrent({}), -1);
  EXPECT_EQ(f->Lines, before);
  EXPECT_EQ(f->CurrentRec, old);
  EXPECT_FALSE(f->Modified);

  ASSERT_EQ(f->ReplaceCurrent({"X:2", "T:b edited", "K:G", "GABc|"}), 0);
  TAbcRec* edited = f->FindBySeq(3);
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(f->TitleOfRec(edited), "b edited");
  EXPECT_EQ(edited->GetFlags(), kMarked);
  EXPECT_EQ(edited->GetSearchScore(), 7);
  EXPECT_EQ(f->Lines[15], "") << "the edited tune is kept apart from the tune above";
  EXPECT_EQ(edited->StartLine, 16);
  EXPECT_EQ(f->Sets.GetTune(0, 1), edited);
  EXPECT_EQ(f->Sets.GetRepeat(0, 1), 3);
  EXPECT_EQ(f->Sessions.Session(0)->Master, edited);
  EXPECT_EQ(f->Sessions.Session(1)->Followers, std::vector<TAbcRec*>{edited});
  EXPECT_EQ(f->CurrentRec, edited);
  EXPECT_EQ(f->TitleOfRec(f->FindBySeq(2)), "c");
  EXPECT_TRUE(f->Modified);
}

TEST_F(ReplaceTest, SeveralTunesAreAllAddedAndTheFirstKeepsTheSets) {
  ASSERT_EQ(f->ReplaceCurrent({"X:2", "T:first", "K:G", "X:3", "T:second", "K:A"}), 0);
  EXPECT_EQ(f->FilterList.AllCount(), 4);
  TAbcRec* first = f->FindBySeq(3);
  EXPECT_EQ(f->TitleOfRec(first), "first");
  EXPECT_EQ(f->TitleOfRec(f->FindBySeq(4)), "second");
  EXPECT_EQ(f->Sets.GetTune(0, 1), first);
  EXPECT_EQ(f->Sessions.Session(0)->Master, first);

  ASSERT_EQ(f->Save(), 0);
  EXPECT_EQ(f->Lines[1], "%%DSET%S,1,3:3");
  EXPECT_EQ(f->Lines[2], "%%DMSS%3,1");
  EXPECT_EQ(f->Lines[3], "%%DMSS%1,3");
}

TEST_F(AbcFile, PastedTextIsNewAndTextBeforeItsFirstTuneBelongsToNone) {
  const auto f = Load(FiveLineTunes({"a"}));
  f->PasteFromClipboard("junk line\r\nX:1\r\nT:pasted\r\nK:D\r\n");
  ASSERT_EQ(f->FilterList.AllCount(), 2);
  const TAbcRec* pasted = f->FindBySeq(2);
  EXPECT_TRUE(pasted->IsAddedThisRun());
  EXPECT_EQ(pasted->StartLine, 7);
  EXPECT_EQ(f->FindBySeq(1)->GetEndLine(), 4);
  EXPECT_TRUE(f->Modified);
  f->SetViewMode(vmAdded, 0);
  EXPECT_EQ(Titles(*f), (std::vector<std::string>{"pasted"}));
}

// Pieces added inside an update give the same rows as added one by one; the view
// is sorted and filtered once, when the update ends.
TEST_F(AbcFile, AddingInsideAnUpdateSortsOnceAtTheEnd) {
  const auto oneByOne = Load(FiveLineTunes({"m", "b"}));
  const auto updated = Load(FiveLineTunes({"m", "b"}));
  updated->SetViewMode(vmAdded, 0);
  oneByOne->SetViewMode(vmAdded, 0);
  updated->BeginUpdate();
  for (const auto& piece : {FiveLineTunes({"z", "c"}), FiveLineTunes({"a"}), FiveLineTunes({"k", "d"})}) {
    oneByOne->AddTunes(SplitLines(piece), true, 0);
    updated->AddTunes(SplitLines(piece), true, 0);
  }
  updated->EndUpdate();
  EXPECT_EQ(Titles(*updated), (std::vector<std::string>{"a", "c", "d", "k", "z"}));
  EXPECT_EQ(Titles(*updated), Titles(*oneByOne));
  EXPECT_EQ(updated->Lines, oneByOne->Lines);
  updated->SetViewMode(vmAll, 0);
  EXPECT_EQ(Titles(*updated), (std::vector<std::string>{"a", "b", "c", "d", "k", "m", "z"}));
}

TEST_F(AbcFile, ClearingLeavesNoRecordInSetsOrSessions) {
  const auto f = Load("%%BSET%\n%%DSET%S,1\n%%DMSS%1\n%%ESET%\n" + FiveLineTunes({"a"}));
  f->SetCurrent(0);
  f->ClearRecs();
  EXPECT_EQ(f->Sets.TuneCount(0), 0);
  EXPECT_EQ(f->Sessions.Count(), 0);
  EXPECT_EQ(f->CurrentRec, nullptr);
  EXPECT_EQ(f->FilterList.AllCount(), 0);
  EXPECT_TRUE(f->Modified);
}

TEST(PrintList, KeepsOrderMarksEverythingAndIsNeverSaved) {
  const auto list = TAbcPrint::CreateNew("printlist", nullptr);
  for (const char* title : {"c", "a", "b"}) {
    list->AddTunes({"X:1", std::string("T:") + title, "K:D"}, false, 0);
  }
  EXPECT_EQ(Titles(*list), (std::vector<std::string>{"c", "a", "b"}));
  for (int32_t row = 0; row < 3; ++row) EXPECT_TRUE(list->GetRec(row)->IsMarked());
  EXPECT_EQ(list->Save(), -1);
}

TEST_F(AbcFile, TextScoresEveryTuneWhateverTheView) {
  const auto f = Load("X:1\nT:a\nR:Reel\nK:D\nX:2\nT:b\nR:jig\nK:D\n");
  f->ToggleSelect(1);
  f->SetViewMode(vmMarked, 0);
  // Case counts on neither side, unless it is to be matched.
  const struct {
    const char* query;
    bool matchCase;
    int hit;  // the tune hit, or 0
  } searches[] = {{"REEL", false, 1}, {"reel", false, 1}, {"rEEl", false, 1}, {"Reel", true, 1},
                  {"reel", true, 0},  {"REEL", true, 0},  {"jig", true, 2},   {"", true, 0}};
  for (const auto& s : searches) {
    f->SearchText(s.query, s.matchCase);
    for (int seq : {1, 2}) {
      EXPECT_EQ(f->FindBySeq(seq)->GetSearchScore(), seq == s.hit ? kTextHitScore : 0)
          << s.query << (s.matchCase ? " (case)" : "") << " tune " << seq;
    }
  }
  f->SearchText("");
  EXPECT_EQ(f->FindBySeq(1)->GetSearchScore(), 0);
}

TEST_F(AbcFile, NotesAreFoundInAnyKey) {
  const auto f = Load("X:1\nT:in D\nM:4/4\nL:1/8\nK:D\nDEFG ABcd|edcB AGFE|DEFG ABcd|e4 d4|\n"
                      "X:2\nT:other\nM:4/4\nL:1/8\nK:D\nd2d2 A2A2|B2B2 A4|G2G2 F2F2|E2E2 D4|\n");
  f->SearchNotes("CDEF GABc|dcBA GFED|CDEF GABc|d4 c4|", "4/4", 8);
  EXPECT_EQ(f->FindBySeq(1)->GetSearchScore(), 8);
  EXPECT_EQ(f->FindBySeq(2)->GetSearchScore(), 0);

  TLines tune;
  f->CopyRecLines(f->FindBySeq(2), tune, true);
  EXPECT_EQ(f->SearchLike(tune, 8), 0);
  EXPECT_EQ(f->FindBySeq(2)->GetSearchScore(), 8);

  EXPECT_EQ(f->SearchLike({"X:1", " K:D", "abc"}, 1), -1);
  EXPECT_EQ(f->FindBySeq(2)->GetSearchScore(), 0);
}

}  // namespace
}  // namespace rq
