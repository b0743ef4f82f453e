#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "library/FList.h"

namespace rq {
namespace {

TAbcRec MakeRec(int seq, uint8_t marks, uint8_t score, uint8_t key, uint8_t rhythm) {
  TScanResult scan;
  scan.seq = seq;
  scan.startLine = seq * 5;
  scan.titleLine = seq * 5 + 1;
  scan.lastLine = seq * 5 + 4;
  scan.flags[0] = marks;
  scan.flags[1] = score;
  scan.flags[2] = key;
  scan.flags[3] = rhythm;
  return TAbcRec(scan);
}

TEST(AbcRecord, TuneLongerThanSixteenBitsOfLinesStaysWhole) {
  TScanResult scan;
  scan.startLine = 5;
  scan.titleLine = 5 + 70000;
  scan.lastLine = 5 + 200000;
  TAbcRec rec(scan);
  EXPECT_EQ(rec.GetTitleLine(), 70005);
  EXPECT_EQ(rec.GetEndLine(), 200005);
  EXPECT_EQ(rec.LineCount(), 200001);
}

TEST(AbcFilter, KeyAndRhythmSets) {
  const TAbcRec keyFourReel = MakeRec(1, 0, 0, 4, 2);
  const TAbcRec keyFourJig = MakeRec(2, 0, 0, 4, 3);
  const TAbcRec unknownKey = MakeRec(3, 0, 0, 0, 2);

  TAbcFilter f;
  EXPECT_FALSE(f.Match(keyFourReel)) << "an inactive filter matches nothing";
  f.Active = true;
  EXPECT_TRUE(f.Match(keyFourReel) && f.Match(keyFourJig) && f.Match(unknownKey))
      << "empty sets let everything through";

  f.KeySet.set(4);
  EXPECT_TRUE(f.Match(keyFourReel));
  EXPECT_TRUE(f.Match(keyFourJig));
  EXPECT_FALSE(f.Match(unknownKey));

  f.RhythmSet.set(3);
  EXPECT_FALSE(f.Match(keyFourReel));
  EXPECT_TRUE(f.Match(keyFourJig));

  f.KeySet.reset();
  f.KeySet.set(0);
  f.RhythmSet.reset();
  EXPECT_TRUE(f.Match(unknownKey)) << "key index 0 passes when the set holds 0";
}

class FilterListTest : public testing::Test {
 protected:
  void SetUp() override {
    // Alternately marked records, keys 1, 2, 3, 1, 2, 3.
    for (int i = 0; i < 6; ++i) {
      recs.push_back(std::make_unique<TAbcRec>(MakeRec(i + 1, i % 2 == 0 ? kMarked : 0, 0,
                                                       static_cast<uint8_t>(i % 3 + 1), 0)));
    }
    for (auto& r : recs) list.Add(r.get());
  }
  std::vector<std::unique_ptr<TAbcRec>> recs;
  TFilterList list;
};

TEST_F(FilterListTest, PrimaryAndSecondaryTogetherKeepFileOrder) {
  TAbcFtlSelect select;
  TAbcFilter keys;
  keys.Active = true;
  keys.KeySet.set(1);
  keys.KeySet.set(3);
  list.Apply(&select, &keys);
  // Marked: seq 1 (key 1), 3 (key 3), 5 (key 2).
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0)->Seq, 1);
  EXPECT_EQ(list.Items(1)->Seq, 3);

  list.Apply(nullptr, &keys);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(3)->Seq, 6);
}

TEST_F(FilterListTest, AddingReappliesTheFilters) {
  TAbcFtlSelect select;
  list.Apply(&select, nullptr);
  ASSERT_EQ(list.Count(), 3);
  // A mark changed since the view was built is taken into account by the next add.
  list.Items(0)->SetFlags(0);
  auto extra = std::make_unique<TAbcRec>(MakeRec(7, kMarked, 0, 1, 0));
  list.Add(extra.get());
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(2), extra.get());

  // Adding many at once gives the same lists.
  TFilterList one, many;
  one.Apply(&select, nullptr);
  many.Apply(&select, nullptr);
  std::vector<TAbcRec*> all;
  for (auto& r : recs) {
    one.Add(r.get());
    all.push_back(r.get());
  }
  many.AddAll(all);
  EXPECT_EQ(one.View, many.View);
  EXPECT_EQ(one.All, many.All);
}

}  // namespace
}  // namespace rq
