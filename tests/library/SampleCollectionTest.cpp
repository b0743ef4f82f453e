// The sample collection shipped with the program opens whole and saves back unchanged.
#include <gtest/gtest.h>

#include "FileTestHelpers.h"
#include "library/FileAbc.h"

namespace rq {
namespace {

// Every tune is indexed with a key and a rhythm the filters know, and the set and the
// session of the block name the tunes they were written for.
TEST(SampleCollection, EveryTuneHasAKeyAndARhythmAndTheBlockNamesItsTunes) {
  TAbcFile file(RQ_SAMPLE_ABC, nullptr);
  ASSERT_EQ(file.FilterList.AllCount(), 12);
  for (int32_t seq = 1; seq <= 12; ++seq) {
    const TAbcRec* rec = file.FindBySeq(seq);
    ASSERT_NE(rec, nullptr) << seq;
    EXPECT_NE(rec->GetKeyIndex(), 0) << file.TitleOfRec(rec);
    EXPECT_NE(rec->GetRhythmIndex(), 0) << file.TitleOfRec(rec);
  }

  ASSERT_EQ(file.Sets.Count(), 1);
  ASSERT_EQ(file.Sets.TuneCount(0), 2);
  EXPECT_EQ(file.TitleOfRec(file.Sets.GetTune(0, 0)), "Cooley's");
  EXPECT_EQ(file.TitleOfRec(file.Sets.GetTune(0, 1)), "Drowsy Maggie");

  ASSERT_EQ(file.Sessions.Count(), 1);
  const TSesRec* session = file.Sessions.Session(0);
  EXPECT_EQ(file.TitleOfRec(session->Master), "The Kesh");
  ASSERT_EQ(session->Followers.size(), 1u);
  EXPECT_EQ(file.TitleOfRec(session->Followers[0]), "The Irish Washerwoman");
}

TEST(SampleCollection, SavesBackTheSameBytes) {
  test::TempDir dir;
  TAbcFile file(RQ_SAMPLE_ABC, nullptr);
  file.SetFileName(dir.File("sample.abc"));
  ASSERT_EQ(file.Save(), 1);
  EXPECT_EQ(test::ReadBytes(dir.File("sample.abc")), test::ReadBytes(RQ_SAMPLE_ABC));
}

}  // namespace
}  // namespace rq
