// Key and rhythm look-ups.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "notation/AbcDef.h"
#include "platform/ByteText.h"

namespace rq {
namespace {

struct Named { const char* name; int value; };

// Indexes are found by name without case, but only for whole words.
TEST(KeyIndex, NamesCaseInsensitiveWordsExact) {
  for (const Named& c : {Named{"A", 1}, {"Dmix", 35}, {"DMix", 35}, {"Hp", 61}, {"HP", 61}, {"GMix", 60},
                         {"Dmaj", 0}, {"", 0}, {"A Am", 0}}) {
    EXPECT_EQ(FindKeyIndex(c.name), c.value) << c.name;
  }
  EXPECT_EQ(FindKeyIndex(NormalizeKeyName("Dmaj")), 27);
  EXPECT_EQ(FindKeyIndex(NormalizeKeyName("Bbmin")), FindKeyIndex("Bbm"));
  // Only the Maj and Min spellings fold.
  for (const auto& [name, folded] : {std::pair{"AMaj", "A"}, {"Amaj", "A"}, {"Bbmin", "Bbm"}, {"BbMin", "Bbm"},
                                     {"AMAJ", "AMAJ"}, {"Amajor", "Amajor"}}) {
    EXPECT_EQ(NormalizeKeyName(name), folded) << name;
  }
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
  for (const Named& c : {Named{"Hp", 2}, {"HP", 2}, {"Bbmin", -5}, {"C#", 7}, {"Cb", -7}, {"", 0}, {"Lydian", 0}}) {
    EXPECT_EQ(GetKeySharps(c.name), c.value) << c.name;
  }
}

TEST(KeyWords, WhatAKeyFieldAccepts) {
  for (const char* w : {"D", "Dmaj", "DMaj", "Bm", "Bmin", "BMin", "AMix", "Amix", "EDor", "Edor", "Hp", "hp", "HP",
                        "ALyd", "Glyd", "Cion", "Aaeo", "DMAJ", "Dmajor", "ALYD", "EM", "F#M", "EDorian", "Glydian"}) {
    EXPECT_TRUE(KeyWordSharps(w).has_value()) << w;
  }
  for (const char* w : {"Dm7", "Dmaj7", "Ex", "Emi", "H", "", "d", "em", "C#lydian"}) {
    EXPECT_FALSE(KeyWordSharps(w).has_value()) << w;
  }
}

TEST(Rhythms, FindByNameNeverByCode) {
  for (const Named& c : {Named{"reel", 1}, {"rel", 0}, {"slipjig", 5}, {"song", 15}, {"barn dance", 9},
                         {"undefined", 0}, {"jig", 2}, {"single jig", 3}}) {
    EXPECT_EQ(FindRhythm(c.name), c.value) << c.name;
  }
}

TEST(Rhythms, NamesAndCodesWithRangeChecks) {
  for (const auto& [index, name, code] : {std::tuple{2, "Jig", "Jig"}, {17, "Strathspey", "Spy"}, {18, "---", "---"},
                                          {-1, "---", "---"}, {0, "Undefined", "---"}, {16, "March", "Mc"},
                                          {7, "Hornpipe", "Hp"}, {99, "---", "---"}}) {
    EXPECT_EQ(GetRhythmName(index), name) << index;
    EXPECT_EQ(GetRhythmCode(index), code) << index;
  }
}

}  // namespace
}  // namespace rq
