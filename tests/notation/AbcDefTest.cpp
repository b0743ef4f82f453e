// Key and rhythm look-ups.
#include <gtest/gtest.h>

#include "notation/AbcDef.h"
#include "platform/ByteText.h"

namespace rq {
namespace {

TEST(KeyIndex, NamesCaseInsensitiveWordsExact) {
  EXPECT_EQ(FindKeyIndex("A"), 1);
  EXPECT_EQ(FindKeyIndex("Dmix"), 35);
  EXPECT_EQ(FindKeyIndex("DMix"), 35);
  EXPECT_EQ(FindKeyIndex("Hp"), 61);
  EXPECT_EQ(FindKeyIndex("HP"), 61);
  EXPECT_EQ(FindKeyIndex("GMix"), 60);
  EXPECT_EQ(FindKeyIndex("Dmaj"), 0);
  EXPECT_EQ(FindKeyIndex(""), 0);
  EXPECT_EQ(FindKeyIndex("A Am"), 0);
  EXPECT_EQ(FindKeyIndex(NormalizeKeyName("Dmaj")), 27);
  EXPECT_EQ(FindKeyIndex(NormalizeKeyName("Bbmin")), FindKeyIndex("Bbm"));
}

// The display table is ordered by lower-case spelling, so the browser's key column sorts.
TEST(KeyIndex, DisplayNamesAreSortedAndEachFindsItself) {
  for (size_t i = 1; i < KeyNames.size(); ++i) {
    EXPECT_EQ(FindKeyIndex(TrimBlanks(KeyNames[i])), static_cast<int>(i)) << KeyNames[i];
    if (i > 1) { EXPECT_LT(ToLowerAscii(KeyNames[i - 1]), ToLowerAscii(KeyNames[i])); }
  }
}

TEST(KeySharps, EverySpellingOfARow) {
  for (const char* name : {"G", "g", "Em", "ADor", "dmix", "GMaj", "Emin"}) EXPECT_EQ(GetKeySharps(name), 1) << name;
  EXPECT_EQ(GetKeySharps("Hp"), 2);
  EXPECT_EQ(GetKeySharps("HP"), 2);
  EXPECT_EQ(GetKeySharps("Bbmin"), -5);
  EXPECT_EQ(GetKeySharps("C#"), 7);
  EXPECT_EQ(GetKeySharps("Cb"), -7);
  EXPECT_EQ(GetKeySharps(""), 0);
  EXPECT_EQ(GetKeySharps("Lydian"), 0);
}

TEST(KeyAliases, FoldMajMinSpellingsOnly) {
  EXPECT_EQ(NormalizeKeyName("AMaj"), "A");
  EXPECT_EQ(NormalizeKeyName("Amaj"), "A");
  EXPECT_EQ(NormalizeKeyName("Bbmin"), "Bbm");
  EXPECT_EQ(NormalizeKeyName("BbMin"), "Bbm");
  EXPECT_EQ(NormalizeKeyName("AMAJ"), "AMAJ");
  EXPECT_EQ(NormalizeKeyName("Amajor"), "Amajor");
}

TEST(KeyWords, WhatAKeyFieldAccepts) {
  for (const char* w : {"D", "Dmaj", "DMaj", "Bm", "Bmin", "BMin", "AMix", "Amix", "EDor", "Edor", "Hp", "hp", "HP"}) {
    EXPECT_TRUE(KeyWordSharps(w).has_value()) << w;
  }
  for (const char* w : {"DMAJ", "Dmajor", "Dm7", "ALyd", "H", "", "d"}) EXPECT_FALSE(KeyWordSharps(w).has_value()) << w;
}

TEST(Rhythms, FindByNameNeverByCode) {
  EXPECT_EQ(FindRhythm("reel"), 1);
  EXPECT_EQ(FindRhythm("rel"), 0);
  EXPECT_EQ(FindRhythm("slipjig"), 5);
  EXPECT_EQ(FindRhythm("song"), 15);
  EXPECT_EQ(FindRhythm("barn dance"), 9);
  EXPECT_EQ(FindRhythm("undefined"), 0);
  EXPECT_EQ(FindRhythm("jig"), 2);
  EXPECT_EQ(FindRhythm("single jig"), 3);
}

TEST(Rhythms, NamesAndCodesWithRangeChecks) {
  EXPECT_EQ(GetRhythmName(2), "Jig");
  EXPECT_EQ(GetRhythmName(17), "Strathspey");
  EXPECT_EQ(GetRhythmName(18), "---");
  EXPECT_EQ(GetRhythmName(-1), "---");
  EXPECT_EQ(GetRhythmCode(0), "---");
  EXPECT_EQ(GetRhythmCode(16), "Mc");
  EXPECT_EQ(GetRhythmCode(7), "Hp");
  EXPECT_EQ(GetRhythmCode(99), "---");
}

}  // namespace
}  // namespace rq
