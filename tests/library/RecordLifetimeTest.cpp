// No list of an open file ever holds a freed tune: deletes take the tune out of the
// view, the sets and the sessions before freeing it, and a record of another file
// is refused wherever a record is handed in.
#include <gtest/gtest.h>

#include "FileScenario.h"
#include "FileTestHelpers.h"
#include "library/FileAbc.h"

namespace rq {
namespace {

using test::TempDir;

// Eight tunes; "a" to "d" marked, "e" to "h" not; a set and a session over them.
constexpr const char* kEightTunes =
    "%%BSET%\n%%DSET%Mixed,1,5,5:2,8\n%%DMSS%5,1,8\n%%DMSS%2,5\n%%ESET%\n"
    "X:1\nT:a\nK:D\nabc|\nX:2\nT:b\nK:D\nabc|\nX:3\nT:c\nK:D\nabc|\nX:4\nT:d\nK:D\nabc|\n"
    "X:5\nT:e\nK:G\nGAB|\nX:6\nT:f\nK:G\nGAB|\nX:7\nT:g\nK:G\nGAB|\nX:8\nT:h\nK:G\nGAB|\n";

std::unique_ptr<TAbcFile> OpenEight(const TempDir& dir) {
  test::WriteBytes(dir.File("eight.abc"), kEightTunes);
  auto file = std::make_unique<TAbcFile>(dir.File("eight.abc"), nullptr);
  for (int32_t seq = 1; seq <= 4; ++seq) file->FindBySeq(seq)->SetFlags(kMarked);
  return file;
}

std::vector<TAbcRec*> Rows(const TAbcFile& file) {
  std::vector<TAbcRec*> rows;
  for (int32_t row = 0; row < file.FilterList.Count(); ++row) rows.push_back(file.GetRec(row));
  return rows;
}

// The unmarked view was shown, then all tunes; one tune of the unused view is deleted,
// then the whole list in one pass. The one-pass delete read the freed tune still
// listed in the unused view.
TEST(RecordLifetime, AWholeViewDeletedAfterTheViewChangedReadsNoFreedTune) {
  TempDir dir;
  const auto file = OpenEight(dir);
  file->SetViewMode(vmUnmarked, 0);
  ASSERT_EQ(file->FilterList.Count(), 4);
  file->SetViewMode(vmAll, 0);
  // Row 4 of all (sorted by title) is "e", listed in the unmarked view until now.
  ASSERT_EQ(file->GetTitle(4), "e");
  ASSERT_EQ(file->DeleteTune(4), 0);
  EXPECT_EQ(test::FileFaults(*file), "");

  EXPECT_EQ(file->DeleteTunes(Rows(*file)), 7);
  EXPECT_EQ(test::FileFaults(*file), "");
  EXPECT_EQ(file->FilterList.AllCount(), 0);
  EXPECT_EQ(file->Lines.size(), 5u) << "the block stays, every tune line goes";
  EXPECT_EQ(file->Sets.TuneCount(0), 0);
  EXPECT_EQ(file->Sessions.Count(), 0);
}

// Each way of deleting takes the tune out of every set and session and drops it as
// the current tune, so a save writes only places of tunes that exist, and the file
// reads back with the same sets.
TEST(RecordLifetime, EveryDeleteTakesTheTuneOutOfSetsAndSessions) {
  using Delete = void (*)(TAbcFile&, TAbcRec*);
  const struct {
    const char* how;
    Delete remove;
  } ways[] = {
      {"by row", [](TAbcFile& f, TAbcRec* rec) { f.DeleteTune(f.IndexOfRec(rec)); }},
      {"by record", [](TAbcFile& f, TAbcRec* rec) { f.DeleteTuneRec(rec); }},
      {"in one pass", [](TAbcFile& f, TAbcRec* rec) { f.DeleteTunes(std::vector{rec}); }},
      {"through a view", [](TAbcFile& f, TAbcRec*) {
         f.SetViewMode(vmUnmarked, 0);
         f.DeleteTune(0);
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    TempDir dir;
    const auto file = OpenEight(dir);
    // Tune 5 ("e") is current, in the set twice, leads a session and follows another.
    file->SetCurrentRec(file->FindBySeq(5));
    way.remove(*file, file->FindBySeq(5));
    EXPECT_EQ(file->CurrentRec, nullptr);
    EXPECT_EQ(test::FileFaults(*file), "");
    ASSERT_EQ(file->Save(), 0);
    EXPECT_EQ(file->Lines[1], "%%DSET%Mixed,1,7");
    EXPECT_EQ(file->Lines[2], "%%DMSS%2");
    EXPECT_EQ(file->Lines[3], "%%ESET%");

    TAbcFile again(file->FileName, nullptr);
    ASSERT_EQ(again.Sets.TuneCount(0), 2);
    EXPECT_EQ(again.TitleOfRec(again.Sets.GetTune(0, 1)), "h");
    ASSERT_EQ(again.Sessions.Count(), 1);
    EXPECT_EQ(again.TitleOfRec(again.Sessions.Session(0)->Master), "b");
  }
}

// A record of another open file (the same place, another file) is refused by every
// call that takes a record, and nothing changes; it is never kept to be read after
// its own file frees it.
TEST(RecordLifetime, ARecordOfAnotherFileIsRefused) {
  TempDir dir;
  const auto file = OpenEight(dir);
  test::WriteBytes(dir.File("other.abc"), "X:1\nT:other\nK:D\nabc|\nX:2\nT:more\nK:D\nabc|\n");
  TAbcFile other(dir.File("other.abc"), nullptr);
  TAbcRec* foreign = other.FindBySeq(2);
  TAbcRec* current = file->FindBySeq(3);
  file->SetCurrentRec(current);
  const TLines linesBefore = file->Lines;

  EXPECT_EQ(file->SetCurrentRec(foreign), -1);
  EXPECT_EQ(file->CurrentRec, current);
  TLines target = {"kept"};
  EXPECT_EQ(file->CopyRecLines(foreign, target, true), -1);
  EXPECT_EQ(target, TLines{"kept"});
  EXPECT_EQ(file->DeleteTuneRec(foreign), -1);
  EXPECT_EQ(file->DeleteTunes(std::vector{foreign}), 0);
  EXPECT_EQ(file->Lines, linesBefore);
  EXPECT_FALSE(file->Modified);

  // Its own file frees it; the tested file never held it.
  ASSERT_EQ(other.DeleteTuneRec(foreign), 0);
  ASSERT_EQ(file->ReplaceCurrent({"X:3", "T:c edited", "K:D"}), 0);
  EXPECT_EQ(file->TitleOfRec(file->CurrentRec), "c edited");
  EXPECT_EQ(test::FileFaults(*file), "");

  // A current tune set by hand to another file's record is not replaced.
  TAbcRec* stillThere = other.FindBySeq(1);
  file->CurrentRec = stillThere;
  const TLines edited = file->Lines;
  EXPECT_EQ(file->ReplaceCurrent({"X:1", "T:x", "K:D"}), -1);
  EXPECT_EQ(file->Lines, edited);
  EXPECT_EQ(file->FilterList.AllCount(), 8);
  EXPECT_EQ(other.TitleOfRec(stillThere), "other");
}

}  // namespace
}  // namespace rq
