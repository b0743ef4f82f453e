// The editor's line scanner: token kinds of header and body lines, the range
// carried across lines, and lines that must never be read past their end.
#include <gtest/gtest.h>

#include <map>

#include "Corpus.h"
#include "ParseHelpers.h"
#include "notation/AbcLineScanner.h"

namespace rq {
namespace {

// "text@kind" for every token that is not a single blank.
std::string Colours(const std::string& line, int range = kRangeBody) {
  std::vector<AbcToken> tokens;
  ScanAbcLine(line, range, tokens);
  std::string out;
  for (const AbcToken& t : tokens) {
    const std::string text = line.substr(static_cast<size_t>(t.start), static_cast<size_t>(t.length));
    if (text == " ") continue;
    if (!out.empty()) out += ' ';
    out += text + "@" + std::to_string(t.kind);
  }
  return out;
}

struct Case {
  const char* line;
  const char* colours;
};

void ExpectColours(std::initializer_list<Case> cases, int range) {
  for (const Case& c : cases) EXPECT_EQ(Colours(c.line, range), c.colours) << c.line;
}

TEST(AbcLineScanner, HeaderFieldsAndTheirValues) {
  ExpectColours({{"X:12", "X:@1 12@2"},
                 {"T:The Kesh", "T:@1 The Kesh@2"},
                 {"T:'Tis the Last Rose", "T:@1 'Tis the Last Rose@2"},
                 {"T:|Bar", "T:@1 |Bar@2"},
                 {"R:reel % jig", "R:@1 reel @2 % jig@4"},
                 {"C:Trad", "C:@1 Trad@3"},
                 {"Q:1/4=120", "Q:@1 1/4=120@3"},
                 {"K:Gmajor", "K:@1 Gmajor@2"},
                 {"K:Gmaj7", "K:@1 Gmaj7@12"},
                 {"K:H", "K:@1 H@12"},
                 {"M:6/8", "M:@1 6/8@2"},
                 {"M:C|", "M:@1 C|@2"},
                 {"M:1/4", "M:@1 1/4@12"},
                 {"M:3/5", "M:@1 3/5@12"},
                 {"M:10/8", "M:@1 10/8@12"},
                 {"M:4294967299/4", "M:@1 4294967299/4@12"},
                 {"L:1/8", "L:@1 1/8@2"},
                 {"L:1/9", "L:@1 1/9@12"},
                 {"L:2/8", "L:@1 2/8@12"},
                 {"P:AABB", "P:@1 AABB@2"},
                 {"P:A.B", "P:@1 A.B@12"},
                 {"V:1", "V:@1 1@2"},
                 {"V:9", "V:@1 9@2"},
                 {"V:12", "V:@1 12@12"},
                 {"a tune collection", "a tune collection@10"},
                 {"% comment", "% comment@4"},
                 {"|:abc", "|:abc@10"}},
                kRangeHeader);
}

TEST(AbcLineScanner, NotesOctaveMarksAndLengths) {
  ExpectColours({{"c'' C,, z2 A3/4 A/ A//", "c''@7 C,,@7 z2@7 A3/4@7 A/@7 A//@7"},
                 {"C' c, z, c''' c',", "C'@12 c,@12 z,@12 c'''@12 c',@12"},
                 {"A/3 A3//4 A1000 A4294967300 A/4294967300", "A/3@12 A3//4@12 A1000@12 A4294967300@12 A/4294967300@12"},
                 {"^^A =_A ^ A", "^^@8 A@7 =_@12 A@7 ^@12 A@7"},
                 {"~A .^A ~ A", "~@8 A@7 .@8 ^@8 A@7 ~@12 A@7"},
                 {"u v x", "u@11 v@11 x@7"},
                 // Bar rests take a count of bars, never a length.
                 {"Z Z4|Z12 Z0 Z1000 Z/", "Z@7 Z4@7 |@6 Z12@7 Z0@12 Z1000@12 Z@7 /@12"},
                 {"E:3.5 E:A", "E:3.5@1 E@7 :@12 A@7"}},
                kRangeBody);
}

TEST(AbcLineScanner, BrokenRhythmNeedsANoteOnEachSide) {
  ExpectColours({{"A>B", "A@7 >@17 B@7"},
                 {"A >>B", "A@7 >>@17 B@7"},
                 {"A> B", "A@7 >@17 B@7"},
                 {"A>z", "A@7 >@12 z@7"},
                 {"A<>B", "A@7 <>@12 B@7"},
                 {"A>>>B", "A@7 >>>@12 B@7"},
                 {"A>B>C", "A@7 >@17 B@7 >@12 C@7"},
                 {"|>A", "|@6 >@12 A@7"}},
                kRangeBody);
}

TEST(AbcLineScanner, GroupsChordsAndBrackets) {
  ExpectColours({{"{ag}A {a2g}A {a g}", "{ag}@16 A@7 {a2g}@16 A@7 {a g}@12"},
                 {"{ag", "{ag@16"},
                 {"[CEG]2 [CEG]]", "[@8 C@7 E@7 G@7 ]2@8 [@8 C@7 E@7 G@7 ]@8 ]@12"},
                 {"[CEG", "[@12 C@7 E@7 G@7"},
                 {"+CE+ +C", "+@8 C@7 E@7 +@8 +@12 C@7"},
                 {"\"Am\"A \"Dm", "\"Am\"@13 A@7 \"@12 D@7 m@12"},
                 {"(3abc (ab)", "(3@14 a@7 b@7 c@7 (@15 a@7 b@7 )@10"},
                 {"a}b\\", "a@7 }@11 b@7 \\@11"},
                 {"a\\ b", "a@7 \\@12 b@7"}},
                kRangeBody);
}

// A bar right before an ending's bracket is the bar and the ending; a tab after a
// field's value ends it as a blank does; a continuation may have blanks after it.
TEST(AbcLineScanner, BarsBeforeEndingsTabsAfterValuesAndContinuations) {
  ExpectColours({{"|:A8|[1 B8|[2 c8||", "|:@6 A8@7 |[1 @6 B8@7 |@6 [2@6 c8@7 ||@6"},
                 {"B8||[2 c8", "B8@7 ||@6 [2@6 c8@7"},
                 {"B8| [2 c8", "B8@7 | @6 [2@6 c8@7"},
                 {"B8:|[1 c8", "B8@7 :|@6 [1@6 c8@7"},
                 {"B8|[2", "B8@7 |@6 [2@6"},
                 {"B8|[ 2 c", "B8@7 |[ 2@12 c@7"},
                 {"[K:D\t]a[M:3/4\t][L:1/16\t]b", "[@8 K:@1 D@2 \t@10 ]@8 a@7 [@8 M:@1 3/4@2 \t@10 ]@8 [@8 L:@1 1/16@2 \t@10 ]@8 b@7"},
                 {"K:D\t% x", "K:@1 D@2 \t@10 % x@4"},
                 {"ab\\  ", "a@7 b@7 \\@11"},
                 {"ab\\ x", "a@7 b@7 \\@12 x@7"}},
                kRangeBody);
  ExpectColours({{"K:D\t", "K:@1 D@2 \t@10"},
                 {"K:D\t% comment", "K:@1 D@2 \t@10 % comment@4"},
                 {"M:9/8\t", "M:@1 9/8@2 \t@10"},
                 {"L:1/8\t", "L:@1 1/8@2 \t@10"},
                 {"P:AB\t", "P:@1 AB@2 \t@10"},
                 {"K:A\tmix", "K:@1 A\tmix@2"}},
                kRangeHeader);
}

// A "-" right after a note or chord (a slur's ")" between) is a tie, coloured as ties
// and slurs are; after a blank or a rest it ties nothing and is plain text.
TEST(AbcLineScanner, TiesAfterNotesAndChords) {
  ExpectColours({{"c2-c2 [fA]-[fA] (c-c) (c)-c +ce+-c",
                  "c2@7 -@15 c2@7 [@8 f@7 A@7 ]@8 -@15 [@8 f@7 A@7 ]@8 (@15 c@7 -@15 c@7 )@10 (@15 c@7 )@10 -@15 c@7 "
                  "+@8 c@7 e@7 +@8 -@15 c@7"},
                 {"c4-|c4 c -c z-z |-c", "c4@7 -@15 |@6 c4@7 c@7 -@10 c@7 z@7 -@10 z@7 |@6 -@10 c@7"}},
                kRangeBody);
}

// A closing repeat at a line's end (blanks, a comment or a continuation after it)
// lets an ending number start the next line, as the parser reads it.
TEST(AbcLineScanner, EndingNumberAfterAClosingRepeat) {
  struct Case { const char* before; int state; const char* line; const char* colours; };
  for (const Case& c : {Case{"C2:|", kRangeBody | kRepeatEndCarry, "2 F4|]", "2@6 F4@7 |]@6"},
                        {"C2 :| % x", kRangeBody | kRepeatEndCarry, " 3 F4", "3@6 F4@7"},
                        {"C2:|\\", kRangeBody | kRepeatEndCarry, "2 F4", "2@6 F4@7"},
                        {"C2|", kRangeBody, "2 F4", "2@12 F4@7"},
                        {"C2:|D", kRangeBody | kBrokenCarry, "2 F4", "2@12 F4@7"},
                        {"C2:|", kRangeBody | kRepeatEndCarry, "F2 2", "F2@7 2@12"}}) {
    int state = kRangeBody;
    std::vector<AbcToken> tokens;
    ScanAbcLine(c.before, state, tokens);
    EXPECT_EQ(state, c.state) << c.before;
    EXPECT_EQ(Colours(c.line, state), c.colours) << c.before << " / " << c.line;
  }
}

TEST(AbcLineScanner, BarsInMidLineAndAtTheEnd) {
  ExpectColours({{"A|B||c|]d", "A@7 |@6 B@7 ||@6 c@7 |]@6 d@7"},
                 {"A:||:B|1c:|2d", "A@7 :||:@6 B@7 |1@6 c@7 :|2@6 d@7"},
                 {"A::|B", "A@7 ::|@12 B@7"},
                 {"A::|", "A@7 ::|@6"},
                 {"[2A| [1B", "[2@6 A@7 | [1@6 B@7"},
                 {"|[K:G]A", "|@6 [@8 K:@1 G@2 ]@8 A@7"}},
                kRangeBody);
}

TEST(AbcLineScanner, FieldsInTheBody) {
  ExpectColours({{"K:G abc", "K:@1 G@2 abc@12"},
                 {"K:H abc", "K:@1 H@12 a@7 b@7 c@7"},
                 {"L:1/8 abc", "L:@1 1/8@2 abc@12"},
                 {"P:A abc", "P:@1 A@2 abc@12"},
                 {"V:2 abc", "V:@1 2@2 abc@12"},
                 {"T:Second part", "T:@1 Second part@10"},
                 {"w:words here", "w:@1 words here@10"},
                 {"a K:G", "a@7 K@12 :@12 G@7"},
                 {"[M:3/4]abc", "[@8 M:@1 3/4@2 ]@8 a@7 b@7 c@7"},
                 {"[K:G abc]d", "[@8 K:@1 G@2 abc@12 ]@8 d@7"},
                 // A body meter leaves its line to the music, as the parser reads it.
                 {"M:6/8 abc", "M:@1 6/8@2 a@7 b@7 c@7"},
                 // An accidental or decoration ends the skipped rest, as in the parser.
                 {"K:G ^abc", "K:@1 G@2 ^@8 a@7 b@7 c@7"}},
                kRangeBody);
}

// The line's end ends every value and every skip, inside an open bracket or plus
// chord too (whose closer was found inside a chord symbol).
TEST(AbcLineScanner, ValuesAndSkipsStopAtTheLineEnd) {
  ExpectColours({{"[\"]\"K:G", "[@8 \"]\"@13 K:@1 G@2"},
                 {"+\"+\"K:G", "+@8 \"+\"@13 K:@1 G@2"},
                 {"[\"]\"L:1/8", "[@8 \"]\"@13 L:@1 1/8@2"},
                 {"[\"]\"T:x", "[@8 \"]\"@13 T:@1 x@10"},
                 {"[\"]\"P:A", "[@8 \"]\"@13 P:@1 A@2"},
                 {"[\"]\"K:G x", "[@8 \"]\"@13 K:@1 G@2 x@12"},
                 {"+K:+G", "+@8 K:@1 +G@12"}},
                kRangeBody);
}

// The range each line of a tune's text leaves to the next, scanned from the header.
void ExpectRanges(const TLines& lines, const std::vector<int>& expected) {
  int range = kRangeHeader;
  std::vector<AbcToken> tokens;
  for (size_t i = 0; i < lines.size(); ++i) {
    ScanAbcLine(lines[i], range, tokens);
    EXPECT_EQ(range, expected[i]) << lines[i];
  }
}

TEST(AbcLineScanner, TheRangeFollowsTheTuneAcrossLines) {
  ExpectRanges({"X:1", "T:t", "K:G", "abc|", "X:2", "T:u", "% no key yet", "abc", "K:D", "X:3"},
               {1, 1, 2, 2, 1, 1, 1, 1, 2, 1});
  // The range stored for a line is all that a later line sees of it.
  AbcLineScanner scanner;
  scanner.SetRange(0);
  EXPECT_EQ(scanner.GetRange(), kRangeHeader);
  scanner.SetLine("K:G|");  // left unfinished: its field letter must not reach the next line
  scanner.SetRange(kRangeBody);
  scanner.SetLine("abc");
  EXPECT_EQ(scanner.GetTokenKind(), kTokNote);
}

// An empty line after the K: line ends the music: the lines after it are plain text
// (comments stay comments) until the next tune's X: line; one in the header ends nothing.
TEST(AbcLineScanner, TextAfterTheMusicIsNoMusic) {
  ExpectRanges({"X:1", "", "K:G", "abc|", " \t", "Learned it | at the session", "K:D", "X:2", "K:D", "d|"},
               {1, 1, 2, 2, 3, 3, 3, 1, 2, 2});
  ExpectColours({{"Be careful in bar 2 % ok", "Be careful in bar 2 @10 % ok@4"}, {"T:Tune", "T:Tune@10"}}, kRangeText);
}

// Tokens follow each other without gap or overlap and end at the line's end.
void ExpectCovers(const std::string& line, const std::vector<AbcToken>& tokens) {
  int at = 0;
  for (const AbcToken& t : tokens) {
    ASSERT_EQ(t.start, at) << line;
    ASSERT_GT(t.length, 0) << line;
    at += t.length;
  }
  const size_t nul = line.find('\0');
  ASSERT_EQ(static_cast<size_t>(at), nul == std::string::npos ? line.size() : nul) << line;
}

// Every corpus line scans into tokens that cover it, and a note coloured as valid
// is a note the parser reads at the same place.
TEST(AbcLineScanner, CorpusLinesAreCoveredAndNotesMatchTheParser) {
  RQ_SKIP_WITHOUT_CORPUS();
  TAbcParser parser;
  std::vector<AbcToken> tokens;
  for (const TLines& tune : corpus::Tunes()) {
    parser.Parse(tune);
    std::vector<int> noteStarts;
    for (const TAbcNote* n : test::Notes(parser)) noteStarts.push_back(n->Start);
    int range = kRangeHeader;
    for (size_t i = 0; i < tune.size(); ++i) {
      ScanAbcLine(tune[i], range, tokens);
      ExpectCovers(tune[i], tokens);
      for (const AbcToken& t : tokens) {
        if (t.kind != kTokNote) continue;
        const int pos = AbcPos(static_cast<int>(i) + 1, t.start + 1);
        ASSERT_TRUE(std::binary_search(noteStarts.begin(), noteStarts.end(), pos)) << tune[i] << " @" << t.start;
      }
    }
  }
}

// Where the scanner's tokens of one kind start, and where the parser's elements of
// the matching kinds start, as positions.
struct Starts {
  std::vector<int> scanner, parser;
};

// The parser and the scanner read the examples alike: no error colour, and notes
// (outside grace groups), broken-rhythm signs, bars and endings, and key values where
// the parser has them.
TEST(AbcLineScanner, AgreesWithTheParserOnHowMusiciansWrite) {
  const char* tunes[] = {
      "K:A Mixolydian\nGg|",
      "K:E Minor % comment\n[K:A Dorian]G\nK:B minor\nK:D major\n[K:G Ionian]A[K:F# aeolian]B",
      "K:Glyd\nK:G Lydian\n[K:Bphr]c[K:Eloc]d[K:Aaeo]e[K:Cion]f",
      "K:C\nc// c/// c3/ c3// c/",
      "K:C\nc>(de) (cd)>e [ce]>[df] .c>.d\nc\n>d c\\\n >d",
      "K:C\n(3cd>e (3 cde",
      "L:1/4\nK:C\nC2 D2|1 E4:|\\\n [2 G4||",
      "L:1/4\nK:C\n|:C2|1D2:|\n|2E2 [|]:| C2|1 D2:|2 E2::F2 G2:|",
      "K:C\nA || |: B |] |: c :| |: d :| |2 e",
      "K:C\nCD|[1EF:|[2GA|\ncd|[1ef:|[2ga|",
      // Decorations, marks, invisible rests and grace groups beside broken rhythm and in tuplets.
      "K:C\n!segno! B2B !fine! !coda! !D.S.! !trill! !>! c|+trill+B2 +fermata+B +CEG+|\n"
      "HcIcJcKcLcMcNcOcPcQcRcScTcUcVcWc hcicjckclcmcncocpcqcrcsctcucvcwc ycTuc|",
      "K:C\nc2 x2 d4|{F/E/}D {g/a/}b2 c2 d4|{/g}a",
      "M:6/8\nK:C\nZ|Z4|Z2 c>d|\nZ12|]",
      "K:C\n(Bc>)A B4|c>vd c>ud c4|c>\"G\"d c\"4\"<d c4|c>{g}d c>!trill!d|",
      "K:C\nA>\nd e6|c> d e > f g4|",
      "K:C\n(3A\"G\"GA c2|(3{B}AGA c2|",
      // Ties, attached mode words, ending numbers after a closing repeat, voices.
      "K:C\nc2-c2 d4|c4-|c4 d4|\n[f3-A3-][f2A2] (c2-c2) c2-d2 [CE]2-[CE]2 x2-x2",
      "K:EM\n[K:GM]F[K:EDorian]F[K:Glydian]F[K:Adorian]F\nK:BbMINOR",
      "K:C\n|:C2 D2|1 E4:|\n2 F4|] C2 :| % comment\n  2 D2|",
      "M:2/4\nK:C\nC2|1 D2:|2 E2|F2:|B2|",
      "L:1/4\nK:C\nV:1\nc d e f|\nV:2\nC D E F|\nV:1\ng a b c|",
  };
  for (const char* text : tunes) {
    const TLines lines = SplitLines(std::string("X:1\n") + text);
    TAbcParser parser;
    parser.Parse(lines);
    std::map<int, Starts> byKind;  // token kind -> starts
    std::vector<int> keyEnds, keyValueEnds;
    for (const TAbc* e : parser.Elements()) {
      // The scanner colours a grace group as one token.
      const bool grace = e->Kind == kAbcNote && static_cast<const TAbcNote*>(e)->GraceCount != 0;
      if (e->Kind == kAbcNote && !grace) byKind[kTokNote].parser.push_back(e->Start);
      if (e->Kind == kAbcBrokenLess || e->Kind == kAbcBrokenGreater) byKind[kTokStraight].parser.push_back(e->Start);
      if (e->IsBar()) byKind[kTokBar].parser.push_back(e->Start);
      if (e->Kind == kAbcFieldK) keyEnds.push_back(e->End);
    }
    int state = kRangeHeader;
    std::vector<AbcToken> tokens;
    for (size_t i = 0; i < lines.size(); ++i) {
      ScanAbcLine(lines[i], state, tokens);
      for (size_t t = 0; t < tokens.size(); ++t) {
        const AbcToken& token = tokens[t];
        EXPECT_NE(token.kind, kTokError) << lines[i] << " @" << token.start;
        const int pos = AbcPos(static_cast<int>(i) + 1, token.start + 1);
        if (token.kind == kTokNote || token.kind == kTokStraight || token.kind == kTokBar) {
          byKind[token.kind].scanner.push_back(pos);
        }
        const bool keyValue = t > 0 && token.kind == kTokMainValue &&
                              lines[i].compare(static_cast<size_t>(tokens[t - 1].start), 2, "K:") == 0;
        if (keyValue) keyValueEnds.push_back(pos + token.length - 1);
      }
    }
    for (const auto& [kind, starts] : byKind) EXPECT_EQ(starts.scanner, starts.parser) << text << " kind " << kind;
    EXPECT_EQ(keyValueEnds, keyEnds) << text;
  }
}

// A body line that ends on a note hands a carry to the next line: a sign first on
// that line pairs the note; the line after a bar, or two lines on, has none.
TEST(AbcLineScanner, BrokenRhythmAcrossALineEnd) {
  struct Case { const char* before; int state; const char* line; const char* colours; };
  for (const Case& c : {Case{"abc", kRangeBody | kBrokenCarry, "  >d", ">@17 d@7"},
                        {"abc \\", kRangeBody | kBrokenCarry, ">d", ">@17 d@7"},
                        {"ab]) % x", kRangeBody | kBrokenCarry, "<d", "<@17 d@7"},
                        {"abc|", kRangeBody, ">d", ">@12 d@7"},
                        {"a>b", kRangeBody, ">d", ">@12 d@7"},
                        {"abc", kRangeBody | kBrokenCarry, "d>e", "d@7 >@17 e@7"},
                        // A sign that ends its line: the next line's first note completes
                        // the pair and starts none of its own.
                        {"ab>", kRangeBody | kBrokenSignCarry, "d>e", "d@7 >@12 e@7"},
                        {"ab> % x", kRangeBody | kBrokenSignCarry, "d e", "d@7 e@7"},
                        {"ab|>", kRangeBody, "d>e", "d@7 >@17 e@7"}}) {
    int state = kRangeBody;
    std::vector<AbcToken> tokens;
    ScanAbcLine(c.before, state, tokens);
    EXPECT_EQ(state, c.state) << c.before;
    EXPECT_EQ(Colours(c.line, state), c.colours) << c.before << " / " << c.line;
  }
  // The next tune's header lines hand on their range alone, even when they end on a
  // sign: the first body line's sign has nothing to pair.
  int state = kRangeBody;
  std::vector<AbcToken> tokens;
  ScanAbcLine("abc", state, tokens);
  for (const char* header : {"X:2 a>", "T:Reel a>", "M:6/8 a<", "K:G a>"}) {
    ScanAbcLine(header, state, tokens);
    EXPECT_EQ(state & kBrokenCarry, 0) << header;
  }
  EXPECT_EQ(Colours(">d", state), ">@12 d@7");
  // The editor's block state carries it; a header line never does.
  AbcLineScanner scanner;
  scanner.SetState(kRangeHeader | kBrokenCarry);
  EXPECT_EQ(scanner.GetRange(), kRangeHeader);
  EXPECT_EQ(scanner.GetState(), kRangeHeader);
  scanner.SetLine(">d");
  EXPECT_EQ(scanner.GetState(), kRangeHeader);
}

}  // namespace
}  // namespace rq
