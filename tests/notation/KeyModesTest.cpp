// Keys as musicians write them: a tonic, blanks or nothing and a mode word, and all
// seven modes, read alike by the parser, the tune index and the editor's scanner.
#include <gtest/gtest.h>

#include "ParseHelpers.h"
#include "notation/AbcDef.h"
#include "notation/AbcLineScanner.h"

namespace rq {
namespace {

using test::First;
using test::ParseText;

struct KeyCase {
  const char* value;    // after "K:"
  int sharps;           // of the parser's key element
  const char* indexed;  // the key name the index finds, "" for none (index 0)
  bool known = true;    // false: the parser reads C in its place
};

const KeyCase kKeys[] = {
    {"A Mixolydian", 2, "AMix"},
    {"E Minor", 1, "Em"},
    {"A Dorian", 1, "ADor"},
    {"B minor", 2, "Bm"},
    {"D major", 2, "D"},
    {"Bb  MINOR", -5, "Bbm"},  // blanks and case do not matter
    // Ionian is the major key, aeolian the minor; the modes the key-name table has no
    // names for are filed under their tonic.
    {"F# aeolian", 3, "F#m"},
    {"G Ionian", 1, "G"},
    {"G Lydian", 2, "G"},
    {"C locrian", -5, "C"},
    {"E phrygian", 0, "E"},
    {"A Mixolydian % comment", 2, "AMix"},
    {"A Mixolydian%comment", 2, "AMix"},
    {"Glyd", 2, "G"},
    {"GLyd", 2, "G"},
    {"Bphr", 1, "B"},  // the mode on the third degree of G major
    {"Eloc", -1, "E"},
    {"Aaeo", 0, "Am"},
    {"Cion", 0, "C"},
    {"C#lyd", 0, "C#", false},  // eight sharps: not a key, but its tonic's
    {"C# Lydian", 0, "C#", false},
    {"D clef=bass", 2, "D"},  // a word that is no mode leaves the key as it is
    {"A m", 3, "A"},          // a mode word has at least three letters
    {"A Mixo7", 3, "A"},      // and letters only
    {"Ador", 1, "ADor"},
    // Attached mode words in any case; a lone "m" or "M" after the tonic is minor.
    {"EM", 1, "Em"},
    {"GM", -2, "Gm"},
    {"EDorian", 2, "EDor"},
    {"Adorian", 1, "ADor"},
    {"Glydian", 2, "G"},
    {"AMIX", 2, "AMix"},
    {"BbMINOR", -5, "Bbm"},
    {"Dmajor", 2, "D"},
    {"Dmaj7", 0, "", false},
};

// The key element's sharps and the index's key name of each value, in the header.
TEST(KeyModes, SharpsAndIndexOfEachSpelling) {
  TAbcParser p;
  for (const KeyCase& c : kKeys) {
    ParseText(p, std::string("X:1\nK:") + c.value + "\nabc");
    ASSERT_NE(First<TAbcKey_K>(p, kAbcFieldK), nullptr) << c.value;
    EXPECT_EQ(First<TAbcKey_K>(p, kAbcFieldK)->Sharps, c.sharps) << c.value;
    EXPECT_EQ(KeyIndexOfField(c.value), *c.indexed ? FindKeyIndex(c.indexed) : 0) << c.value;
  }
}

// The mode word belongs to the value: the element ends with it, a body key line skips
// what follows it, and an inline key holds no blank element.
TEST(KeyModes, TheModeWordIsPartOfTheValue) {
  TAbcParser p;
  ParseText(p, "X:1\nK:A Mixolydian\n");
  EXPECT_EQ(First<TAbcKey_K>(p, kAbcFieldK)->End, 2014);
  ParseText(p, "X:1\nK:C\nK:E minor abc\nd");
  EXPECT_EQ(test::Notes(p).size(), 1u);
  ParseText(p, "X:1\nK:C\n[K:A Dorian]d");
  EXPECT_EQ(test::Kinds(p, true), (std::vector<int>{124, 81, 111, 81, 11, 111, 12, 1, 81}));
  EXPECT_EQ(static_cast<const TAbcKey_K*>(p.Elements()[5])->Sharps, 1);
  // An unknown key with a mode word reads as C, and its line goes on as music.
  ParseText(p, "X:1\nK:C\nK:C# Lydian abc");
  EXPECT_EQ(test::Notes(p).size(), 3u);
}

// The scanner colours what the parser reads as one value: no error on a known key,
// an error over the whole value of an unknown one.
TEST(KeyModes, TheScannerColoursTheWholeValue) {
  for (const KeyCase& c : kKeys) {
    const std::string line = std::string("K:") + c.value;
    TAbcParser p;
    ParseText(p, "X:1\n" + line);
    const int end = First<TAbcKey_K>(p, kAbcFieldK)->End % 1000;
    AbcLineScanner scanner;
    scanner.SetLine(line);
    scanner.Next();
    EXPECT_EQ(scanner.GetTokenPos(), 2) << line;
    EXPECT_EQ(scanner.GetTokenPos() + scanner.GetTokenLength(), end) << line;
    EXPECT_EQ(scanner.GetTokenKind(), c.known ? kTokMainValue : kTokError) << line;
  }
}

}  // namespace
}  // namespace rq
