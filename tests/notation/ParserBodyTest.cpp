// The tune body: notes, lengths, accidentals, broken rhythm, tuplets, grace groups,
// decorations, bars and endings, chords and inline fields.
#include <gtest/gtest.h>

#include "ParseHelpers.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

using test::Body;
using test::First;
using test::Kinds;
using test::Notes;
using test::ParseText;

class ParserBody : public ::testing::Test {
 protected:
  std::vector<const TAbcNote*> NotesOf(const std::string& body) {
    ParseText(p, Body(body));
    return Notes(p);
  }
  std::vector<int> KindsOf(const std::string& body, bool all = false) {
    ParseText(p, Body(body));
    std::vector<int> k = Kinds(p, all);
    // Drop the header's X: and K: elements.
    k.erase(k.begin(), k.begin() + (all ? 5 : 2));
    return k;
  }
  TAbcParser p;
};

// One field of every note, by body: letters and octave marks, accidentals, decorations, rests,
// broken rhythm, tuplets and grace groups.
TEST_F(ParserBody, NoteFields) {
  using N = TAbcNote;
  struct Case { const char* body; int N::*field; const char* values; };
  for (const Case& c : {
           Case{"C c b z c'' c''' c', C,, C,'", &N::NoteIndex, "1 8 14 15 8 8 8 1 1"},
           {"C c b z c'' c''' c', C,, C,'", &N::Octave, "0 0 0 0 2 2 1 -2 -1"},
           {"^A ^^A ^_A _A __A =A =^A ^^^A ^ A", &N::Accidental, "1 2 2 -1 -2 3 3 2 0"},
           {"^A B ^|C", &N::Accidental, "1 0 0"},  // for the next note only; a bar clears it
           {"~A .B ~ C ~^D E", &N::Decoration, "1 2 0 1 0"},
           {"~A .B ~ C ~^D E", &N::Accidental, "0 0 0 1 0"},
           {"z2 ~z ^z", &N::NoteIndex, "15 15 15"},
           {"z2 ~z ^z", &N::Decoration, "-1 -1 -1"},  // every rest
           {"z2 ~z ^z", &N::Accidental, "0 0 0"},
           {"z2 ~z ^z", &N::LenNum, "2 1 1"},
           // "Z" rests whole bars, counted after it; a count out of range is one bar, and a
           // "Z:" opening a line is a field, no rest.
           {"Z Z4 z Z12 Z0 Z1000 x", &N::Bars, "1 4 0 12 1 1 0"},
           {"Z Z4 ~Z", &N::NoteIndex, "15 15 15"},
           {"Z Z4 ~Z", &N::Decoration, "-1 -1 -1"},
           {"Z:\nZ2 c", &N::Bars, "2 0"},
           {"A>B", &N::Straight, "1 -1"},
           {"A>>B", &N::Straight, "2 -2"},
           {"A<B", &N::Straight, "-1 1"},
           {"A > B", &N::Straight, "1 -1"},  // blanks around the sign
           // A second sign after the following note is dropped; a note that follows one pair
           // starts a new one after the blank, and a bar line resets the state.
           {"A>B>c d>e", &N::Straight, "1 -1 0 1 -1"},
           {"A>B|c>d", &N::Straight, "1 -1 1 -1"},
           {"(3abc d", &N::Tuplet, "3 3 3 0"},
           {"(3abcd", &N::Tuplet, "3 3 3 0"},  // exactly three notes, blank or not
           {"(3ab c", &N::Tuplet, "3 3 0"},
           {"(3 abc", &N::Tuplet, "3 3 3"},  // blanks before the first note do not break it
           {"(3 ab c", &N::Tuplet, "3 3 0"},
           {"(2ab\\\ncd (7abc (ab", &N::Tuplet, "2 2 0 0 0 0 0 0 0"},  // continuations pass; (7 and a slur are no tuplets
           {"{gf}a", &N::GraceCount, "2 2 0"},
           {"{gf\na}", &N::GraceCount, "0 0 0"},  // not closed on its line
           // Broken rhythm beside slurs, chords and decorations, and across a line's end;
           // tuplets across a sign and after blanks.
           {"c>(de)", &N::Straight, "1 -1 0"},
           {"(cd)>e", &N::Straight, "0 1 -1"},
           {"[ce]>[df] g", &N::Straight, "1 1 -1 -1 0"},  // every note of a chord
           {"[ce]<d", &N::Straight, "-1 -1 1"},
           // A length after a chord's bracket multiplies each of its notes'.
           {"[CEG]2 [c2e]3/ [Ac]/ [ce]>[df]2", &N::LenNum, "2 2 2 3 3 1 1 1 1 2 2"},
           {"[CEG]2 [c2e]3/ [Ac]/ [ce]>[df]2", &N::LenDen, "1 1 1 1 2 2 2 1 1 1 1"},
           {".c>.d ~e>~f", &N::Straight, "1 -1 1 -1"},
           {"c>=d c>^[df]", &N::Straight, "1 -1 1 -1 -1"},
           {"c\n>d", &N::Straight, "1 -1"},      // a sign starting the next line
           {"c \\\n  >d", &N::Straight, "1 -1"},  // after a continuation, with blanks
           {"c \\  \n>d", &N::Straight, "1 -1"},  // a continuation with blanks after it ends the line
           {"c> \\  \nd", &N::Straight, "1 -1"},
           {"c \\ !p!\n>d", &N::Straight, "0 0"},  // one that text follows does not
           {"c % x\n>d", &N::Straight, "1 -1"},
           {"c|\n>d c\n%\n>d", &N::Straight, "0 0 0 0"},  // not after a bar, nor two lines on
           {"c>d\n>e", &N::Straight, "1 -1 0"},  // the note after a pair starts none
           {"c\nd>e", &N::Straight, "0 1 -1"},
           {"c>z c>(3de c>x", &N::Straight, "0 0 0 0 0 0 0"},  // a rest or a tuplet drops it
           {"(3cd>e f", &N::Tuplet, "3 3 3 0"},
           {"(3cd>e f", &N::Straight, "0 1 -1 0"},
           {"(3cd >e", &N::Tuplet, "3 3 0"}}) {  // a blank among its notes still ends it
    std::string values;
    for (const TAbcNote* n : NotesOf(c.body)) values += (values.empty() ? "" : " ") + std::to_string(n->*c.field);
    EXPECT_EQ(values, c.values) << c.body;
  }
  EXPECT_EQ(NotesOf("c'''")[0]->End, 4004);  // the ignored third mark is still part of the note
}

TEST_F(ParserBody, LengthsAndTheirFallbacks) {
  struct Case { const char* text; int num, den; };
  for (const Case& c : {Case{"A3/4", 3, 4}, Case{"A/4", 1, 4}, Case{"A/", 1, 2}, Case{"A/3", 1, 1},
                        Case{"A2", 2, 1}, Case{"A", 1, 1},
                        // Each slash after a number (or none) halves it.
                        Case{"A//", 1, 4}, Case{"A///", 1, 8}, Case{"A/////", 1, 32}, Case{"A3/", 3, 2},
                        Case{"A3//", 3, 4}, Case{"A12///", 12, 8}, Case{"A//////", 1, 1}, Case{"A1000/", 1, 1},
                        Case{"A3/2/", 1, 2}, Case{"A3//4", 1, 1}, Case{"A/0", 1, 1}, Case{"A999", 999, 1},
                        Case{"A1000", 1, 1}, Case{"A99999999999999", 1, 1}, Case{"A3/64", 1, 1},
                        Case{"A1/99999999999999", 1, 1}}) {
    const auto n = NotesOf(c.text);
    ASSERT_EQ(n.size(), 1u) << c.text;
    EXPECT_EQ(n[0]->LenNum, c.num) << c.text;
    EXPECT_EQ(n[0]->LenDen, c.den) << c.text;
  }
}

// The elements that carry what the notes' fields do not.
TEST_F(ParserBody, BrokenRhythmTupletAndGraceElements) {
  EXPECT_EQ(NotesOf("A ><B")[0]->Straight, 2);  // a malformed run counts two
  EXPECT_EQ(First<TAbcStraight>(p, kAbcBrokenGreater)->Count, 2);
  NotesOf("(3abc d");
  EXPECT_NE(First<TAbcTuplet>(p, kAbcTuplet), nullptr);
  NotesOf("(3ab c");
  EXPECT_EQ(First<TAbcTuplet>(p, kAbcTuplet), nullptr);
  EXPECT_EQ(First<TAbcTuplet>(p, kAbcTupletOff)->P, 3);
  NotesOf("(3 ab c");
  EXPECT_NE(First<TAbcTuplet>(p, kAbcTupletOff), nullptr);
  EXPECT_EQ(KindsOf("{gf}a"), (std::vector<int>{26, 1, 1, 27, 1}));
  EXPECT_EQ(First<TAbc>(p, kAbcGraceStart)->Error, 0);
  KindsOf("{gf\na}");
  EXPECT_EQ(First<TAbc>(p, kAbcGraceStart)->Error, kAbcErrGraceBroken);
  EXPECT_EQ(KindsOf("{g2}a"), (std::vector<int>{26, 1, 27, 1}));  // grace notes may have lengths
  EXPECT_EQ(KindsOf("{g a}b"), (std::vector<int>{1, 1, 1}));       // a blank makes it no grace group
  EXPECT_EQ(KindsOf("a}b"), (std::vector<int>{1, 1}));     // a lone close is dropped
}

// A body in M:4/4, L:1/8, K:C as the converter plays it: "pitch@start+length" per
// note, 480 ticks to the quarter.
std::string Played(const std::string& body) {
  TAbcParser parser;
  ParseText(parser, "X:1\nT:t\nM:4/4\nL:1/8\nK:C\n" + body);
  const MidiSettings settings;
  TAbcMidi midi(settings);
  TMidiContainer container;
  midi.Convert(parser.Elements(), &container);
  std::string out;
  for (size_t i = 0; i < container.EventCount(); ++i) {
    const TMIDI_Event& e = *container.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.EventType() != kMidiNoteOn || e.StoredData2() == 0) continue;
    out += (out.empty() ? "" : " ") + std::to_string(e.Data1()) + "@" + std::to_string(e.Time()) + "+" +
           std::to_string(e.EndTime() - e.Time());
  }
  return out;
}

// What stands beside notes leaves them as written: decorations add no note, an "x"
// keeps its time, grace groups with lengths take their time from the main note,
// marks, chord symbols, grace notes, blanks and a line's end keep a dotted pair, and
// marks inside a tuplet keep its members.
TEST(ParserNeighbours, NotesPlayAsWritten) {
  struct Case { const char* body; const char* played; };
  for (const Case& c : {
           // Decorations in both spellings and one-letter marks are no notes and break
           // no chord or tuplet; a plus chord stays a chord, a lone "!" is dropped alone.
           Case{"!segno! B2B", "71@0+480 71@480+240"},
           {"!fine! !coda! !D.S.! !trill! !>! B", "71@0+240"},
           {"+trill+B2 +fermata+B +CE+", "71@0+480 71@480+240 60@720+240 64@720+240"},
           {"a!b", "81@0+240 83@240+240"},
           {"Hc Tc uc vc yc Mc", "72@0+240 72@240+240 72@480+240 72@720+240 72@960+240 72@1200+240"},
           {"[C!>!E] (3!>!c!>!d!>!e", "60@0+240 64@0+240 72@240+160 74@400+160 76@560+160"},
           // An invisible rest; grace groups with lengths and an acciaccatura.
           {"c2 x2 d4|", "72@0+480 74@960+960"},
           {"{F/E/}D", "65@0+40 64@40+40 62@80+160"},
           {"{g/a/}b2 c2 d4|", "79@0+80 81@80+80 83@160+320 72@480+480 74@960+960"},
           {"{/g}a2", "79@0+80 81@80+400"},
           // Broken rhythm beside a slur's end, bowings, chord symbols, a grace group (it
           // shares the short note's time), a decoration, a line's end and blanks.
           {"(Bc>)A B4|", "71@0+240 72@240+360 69@600+120 71@720+960"},
           {"c>vd c>ud c4|", "72@0+360 74@360+120 72@480+360 74@840+120 72@960+960"},
           {"c>\"G\"d c\"4\"<d c4|", "72@0+360 74@360+120 72@480+120 74@600+360 72@960+960"},
           {"c>{g}d", "72@0+360 79@360+20 74@380+100"},
           {"c>!trill!d", "72@0+360 74@360+120"},
           {"A>\nd e6|", "69@0+360 74@360+120 76@480+1440"},
           {"A>\nd>e", "69@0+360 74@360+120 76@480+240"},  // the note after a pair starts none
           {"A>\n|d e6|", "69@0+240 74@240+240 76@480+1440"},  // a bar or a rest drops the sign
           {"A>\nz d", "69@0+240 74@480+240"},
           {"c> d e > f g4|", "72@0+360 74@360+120 76@480+360 77@840+120 79@960+960"},
           // Tuplets with a chord symbol or a grace group among their notes.
           {"(3A\"G\"GA c2|", "69@0+160 67@160+160 69@320+160 72@480+480"},
           {"(3{B}AGA c2|", "71@0+26 69@26+134 67@160+160 69@320+160 72@480+480"},
       }) {
    EXPECT_EQ(Played(c.body), c.played) << c.body;
  }
}

// A tune's opening settles only elements that no later line changes: groups and
// pairs cut by the opening's end, and links that reach back from after it, are left
// out; an ordinary tune settles its first bars within a few lines.
TEST(ParserOpening, SettlesOnlyWhatLaterLinesCannotChange) {
  TAbcParser p;
  for (const char* body : {
           "(3A B {C\nD} E F|", "(3A B\nC D|", "(3 \nA B C|", "A B {c d\ne} f|", "A B C D|\n> E F|",
           "A B [CE]\n>D E|", "A B [CE\nG]>D|", "A>\nd e6|", "|:A B C D|1 E F:|\n|2 G A|]",
           "|:A B C D:|\n[2 E F|]", "A2 B2|1 C D :|\n2 E F|]", "A {B C\n(3D E F|", "(3{B\nA}GA c2|",
           // A continuation carries groups into the next line.
           "(3AB\\\nC D|", "(3A{B\\\nC}DE|", "(3AB{C\\\nD}E F|", "AB{cd\\\ne}f|", "A>\\\nB c|",
           // A tie waits for the next note or chord, on the next line too.
           "A B c2-\nc2 d2|", "A B [ce]-\n[ce] d|", "A B c-\n|c d|", "A [Bc-]\nc d|", "A B c-\nd e|",
           "A [ce-\nc d|", "A B [c-e\nc] d|",
           // A chord left open keeps its tied note waiting past the next line's note.
           "+:A-++\nA\nA|",
       }) {
    EXPECT_EQ(test::OpeningMismatch(p, SplitLines(Body(body))), "") << body;
  }
  const TLines reel = SplitLines(
      "X:1\nT:Reel\nM:4/4\nL:1/8\nK:D\nA2FA dAFA|BcdB AFEF|DFAF G2FG|A2FA dAFA|\n"
      "A2FA dAFA|BcdB AFEF|DFAF G2FG|A2FA dAFA|\nA2FA dAFA|BcdB AFEF|DFAF G2FG|A2FA dAFA|");
  const std::vector<std::string_view> views(reel.begin(), reel.end());
  p.ParseOpening(views, 6);
  EXPECT_GT(p.SettledCount(), 30u);
  EXPECT_EQ(test::OpeningMismatch(p, reel), "");
}

// A parse bounded by its element count may stop in the middle of a line: what it
// settles is as the whole parse makes it, also where the cut falls inside a chord
// (whose notes take its length at its end), before a tie, a broken rhythm, a tuplet's
// or a grace group's end, or an ending.
TEST(ParserBound, SettlesOnlyWhatTheRestOfTheLineCannotChange) {
  TAbcParser p;
  for (const char* body : {
           "GABc dedB|GABc dedB|", "A B [CE]2 D|[ceg]/2 c d|", "+ce+2 d +CE+3 F|", "[K:D] A B [L:1/4] c d|",
           "A B c2-c2 [ce]-[ce] d|", "A>B c<d e>>f|", "(3ABC (3A B C D|", "{AB}c {cd e}f|",
           "|:A B C D|1 E F:|2 G A|]", "A2 B2 :| [2 E F|]", "\"G\"A \"D7\"B z2 x Z2|",
       }) {
    EXPECT_EQ(test::BoundMismatch(p, SplitLines(Body(body))), "") << body;
  }
}

// Shown bounded, a long line keeps only its settled elements and says it was cut; a
// tune within the bound is parsed whole.
TEST(ParserBound, ABoundedParseKeepsTheSettledStart) {
  std::string line;
  for (int bar = 0; bar < 1000; ++bar) line += "[GB]2ABc dedB|";
  const TLines tune = SplitLines(Body(line));
  TAbcParser whole, bounded;
  whole.Parse(tune);
  // Cut after the "[" and the first note of a chord, whose length comes at its end.
  size_t open = whole.ElementCount() / 2;
  while (whole.Elements()[open]->Kind != kAbcBracketOpen) ++open;
  const size_t bound = open + 2;
  bounded.ParseBounded(tune, bound);
  EXPECT_TRUE(bounded.Cut());
  ASSERT_LT(bounded.ElementCount(), bound);
  EXPECT_GT(bounded.ElementCount(), bound - 20);
  for (size_t i = 0; i < bounded.ElementCount(); ++i) {
    EXPECT_EQ(test::DumpLinked(bounded.Elements()[i]), test::DumpLinked(whole.Elements()[i])) << i;
  }
  bounded.ParseBounded(tune, whole.ElementCount());
  EXPECT_FALSE(bounded.Cut());
  EXPECT_EQ(bounded.ElementCount(), whole.ElementCount());
}

// Every one-letter decoration and bowing stands before its note without being one;
// of the marks, only the invisible rest and the acciaccatura make elements.
TEST_F(ParserBody, MarksAndTheirElements) {
  const std::string letters = "HIJKLMNOPQRSTUVWhijklmnopqrstuvwy";
  std::string body;
  for (const char letter : letters) body += std::string(1, letter) + "c";
  EXPECT_EQ(KindsOf(body), std::vector<int>(letters.size(), kAbcNote));
  for (const TAbcNote* n : Notes(p)) EXPECT_EQ(n->NoteIndex, 8);

  const auto n = NotesOf("x2z");
  ASSERT_EQ(n.size(), 2u);
  EXPECT_TRUE(n[0]->IsRest());
  EXPECT_EQ(n[0]->LenNum, 2);
  EXPECT_TRUE(n[0]->Invisible);
  EXPECT_FALSE(n[1]->Invisible);
  EXPECT_EQ(KindsOf("{/g}a"), (std::vector<int>{26, 1, 27, 1}));
  EXPECT_TRUE(First<TAbcGrace>(p, kAbcGraceStart)->Acciaccatura);
  KindsOf("{g/}a");
  EXPECT_FALSE(First<TAbcGrace>(p, kAbcGraceStart)->Acciaccatura);
  // Decorations leave no element; a plus chord keeps its brackets.
  EXPECT_EQ(KindsOf("!trill!a+fermata+b+D.C.+c+ce+"), (std::vector<int>{1, 1, 1, 11, 1, 1, 12}));
}

TEST_F(ParserBody, BarTokensAndTheirKinds) {
  EXPECT_EQ(KindsOf("a|b||c|]d[|e:|f|:g::a:||:b:|:c"),
            (std::vector<int>{1, 31, 1, 32, 1, 32, 1, 32, 1, 33, 1, 34, 1, 35, 1, 35, 1, 35, 1}));
  EXPECT_EQ(KindsOf("a| |b"), (std::vector<int>{1, 32, 1}));
  EXPECT_EQ(KindsOf("a: |b"), (std::vector<int>{1, 33, 1}));
  EXPECT_EQ(KindsOf("|: a", true), (std::vector<int>{34, 1, 81}));  // the blank is swallowed
  EXPECT_EQ(KindsOf("a|||b"), (std::vector<int>{1, 1}));              // not a token: dropped
  EXPECT_EQ(KindsOf("a|||"), (std::vector<int>{1, 31}));              // at the line end: a bar
  // A closing bar, a blank and a repeat start are the two tokens they are.
  struct Case { const char* body; std::vector<int> kinds; };
  for (const Case& c : {Case{"a|| |:b", {1, 32, 34, 1}}, {"a|] |:b", {1, 32, 34, 1}}, {"a:| |:b", {1, 33, 34, 1}},
                        {"a:|| |:", {1, 33, 34}}, {"a:||:b", {1, 35, 1}}, {"a| |:b", {1, 34, 1}},
                        {"a[|]:|b", {1, 33, 1}}, {"a[|]b", {1, 1}}}) {
    EXPECT_EQ(KindsOf(c.body), c.kinds) << c.body;
  }
  EXPECT_EQ(KindsOf("a:| |:b", true), (std::vector<int>{1, 33, 34, 1, 81}));  // the first takes the blank
}

TEST_F(ParserBody, NumberedEndings) {
  EXPECT_EQ(KindsOf("a|1b"), (std::vector<int>{1, 36, 1}));
  EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, 1);
  EXPECT_EQ(KindsOf("a:|2b"), (std::vector<int>{1, 36, 1}));
  EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, 2);
  EXPECT_EQ(KindsOf("a| [1b"), (std::vector<int>{1, 36, 1}));
  // A bar right before an ending's bracket is the bar and the ending, with or without
  // a blank, and the bar is the ending's.
  for (const char* body : {"a|[2b", "a| [2b", "a||[2b", "a|[2"}) {
    const std::vector<int> kinds = KindsOf(body);
    ASSERT_GE(kinds.size(), 3u) << body;
    EXPECT_EQ(kinds[2], kAbcBarSection) << body;
    EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, 2) << body;
    EXPECT_EQ(First<TAbcBar>(p, kinds[1])->Skip, 1) << body;
  }
  EXPECT_EQ(KindsOf("a||[1b"), (std::vector<int>{1, 32, 36, 1}));
  EXPECT_EQ(KindsOf("a|[ 2b"), (std::vector<int>{1, 1}));  // no ending: the token is dropped

  KindsOf("ab|\n[2cd");
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarSingle)->Skip, 1);
  EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, 2);
  EXPECT_EQ(KindsOf("ab|  [2cd", true), (std::vector<int>{1, 1, 31, 80, 36, 1, 1, 81}));
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarSingle)->Skip, 1);
  KindsOf("ab| c [2d");  // a note in between: no skip
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarSingle)->Skip, 0);

  // A second ending is found after a line break, after a continuation, and written "|2".
  for (const char* body : {"ab:|\n|2cd", "ab:|\\\n [2cd", "ab:| |2cd", "ab:|\n [2cd"}) {
    std::vector<int> kinds = KindsOf(body);
    std::erase(kinds, kAbcBackSlash);
    EXPECT_EQ(kinds, (std::vector<int>{1, 1, 33, 36, 1, 1})) << body;
    EXPECT_EQ(First<TAbcBar>(p, kAbcBarRepeatEnd)->Skip, 1) << body;
    EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, 2) << body;
  }
  EXPECT_EQ(KindsOf("a:| [2b"), (std::vector<int>{1, 36, 1}));  // one token, as before

  // Any bar right before an ending digit is the bar and the ending; endings 3 to 6 too.
  for (const auto& [body, number] : {std::pair{"a||1b", 1}, {"a:||2b", 2}, {"a[|1b", 1}, {"a|]2b", 2},
                                     {"a| |1b", 1}, {"a|3b", 3}, {"a:|6 b", 6}}) {
    const std::vector<int> kinds = KindsOf(body);
    ASSERT_EQ(kinds.size(), 4u) << body;
    EXPECT_EQ(kinds[2], kAbcBarSection) << body;
    EXPECT_EQ(First<TAbcBarSection>(p, kAbcBarSection)->Number, number) << body;
    EXPECT_EQ(First<TAbcBar>(p, kinds[1])->Skip, 1) << body;
  }
  EXPECT_EQ(KindsOf("a| 3b"), (std::vector<int>{1, 31, 1}));  // a blank before the digit: no ending
  EXPECT_EQ(KindsOf("a|| 2b"), (std::vector<int>{1, 1}));

  // A bar opening the line of a second ending stands for the closing repeat before it.
  KindsOf("ab:|\n|[2cd");
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarRepeatEnd)->Skip, 1);
  KindsOf("ab::\n| [2cd");
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarRepeatBoth)->Skip, 1);
  KindsOf("ab:|\n||[1cd");
  EXPECT_EQ(First<TAbcBar>(p, kAbcBarRepeatEnd)->Skip, 0);
}

TEST_F(ParserBody, ChordsInBracketsAndPlusSigns) {
  EXPECT_EQ(KindsOf("[CEG]a"), (std::vector<int>{11, 1, 1, 1, 12, 1}));
  EXPECT_EQ(KindsOf("+CEG+a"), (std::vector<int>{11, 1, 1, 1, 12, 1}));
  EXPECT_EQ(KindsOf("[CEG a"), (std::vector<int>{1, 1, 1, 1}));    // no closing bracket
  EXPECT_EQ(KindsOf("[CE|G]"), (std::vector<int>{1, 1, 31, 1}));   // a bar before it
  EXPECT_EQ(KindsOf("+CE"), (std::vector<int>{1, 1}));
  EXPECT_EQ(KindsOf("\"Am7\"a"), (std::vector<int>{51, 1}));
  EXPECT_EQ(static_cast<const TAbcAccord*>(First<TAbc>(p, kAbcChordSymbol))->Text, "Am7");
  EXPECT_EQ(First<TAbc>(p, kAbcChordSymbol)->End, 4005);
  EXPECT_EQ(KindsOf("\"Am a"), (std::vector<int>{1, 1}));  // unclosed: its letters are notes
}

TEST_F(ParserBody, InlineFieldsContinuationsAndSkippedText) {
  EXPECT_EQ(KindsOf("a|[K:G]b"), (std::vector<int>{1, 31, 11, 111, 12, 1}));
  EXPECT_EQ(KindsOf("[K:G abc]d"), (std::vector<int>{11, 111, 12, 1}));
  EXPECT_EQ(KindsOf("[L:1/16]a[M:3/4]b[T:x]c[P:B]d"),
            (std::vector<int>{11, 112, 12, 1, 11, 113, 12, 1, 11, 12, 1, 11, 127, 12, 1}));
  EXPECT_EQ(KindsOf("aK:G b"), (std::vector<int>{1, 1, 1}));  // mid-line "K:" is no field: G is a note

  EXPECT_EQ(KindsOf("abc\\"), (std::vector<int>{1, 1, 1, 4}));
  EXPECT_EQ(KindsOf("abc\\  ", true), (std::vector<int>{1, 1, 1, 4, 80, 81}));
  EXPECT_EQ(KindsOf("\\abc"), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(KindsOf("a E:3.5 b"), (std::vector<int>{1, 1}));
  EXPECT_EQ(KindsOf("a % b c"), (std::vector<int>{1}));
  EXPECT_EQ(KindsOf("W:words here\nw:more a\nQ:1/4=120\nT:Part two\nab"), (std::vector<int>{1, 1}));
  KindsOf("a   b");
  ASSERT_NE(First<TAbcSpace>(p, kAbcSpace), nullptr);
  EXPECT_EQ(First<TAbcSpace>(p, kAbcSpace)->Count, 3);  // blanks are counted
}

// The first line of nothing but blanks and tabs after the K: line ends the music: the
// words after it are read as nothing up to the next tune's X: line. An empty line in
// the header ends nothing.
TEST_F(ParserBody, TheMusicEndsAtTheFirstEmptyLine) {
  const std::vector<int> music = {1, 1, 31};
  EXPECT_EQ(KindsOf("ab|\n\nLearned this from Paddy at the Tuesday session.\nBe careful in bar 2."), music);
  EXPECT_EQ(KindsOf("ab|\n \t \n[K:G] c|\nK:D\nd"), music);
  EXPECT_EQ(KindsOf("ab|\n\nwords\nX:2\nK:G\nc|"), (std::vector<int>{1, 1, 31, 124, 111, 1, 31}));
  ParseText(p, "X:1\n\nT:Title\n\t\nK:C\nab");
  EXPECT_EQ(Notes(p).size(), 2u);
  EXPECT_EQ(p.Title(), "Title");
}

}  // namespace
}  // namespace rq
