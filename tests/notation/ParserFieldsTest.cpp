// Header fields, positions, and the values the parser substitutes for bad ones.
#include <gtest/gtest.h>

#include "ParseHelpers.h"
#include "notation/AbcDef.h"

namespace rq {
namespace {

using test::Body;
using test::First;
using test::Notes;
using test::ParseText;

class ParserFields : public ::testing::Test {
 protected:
  TAbcParser p;
};

TEST_F(ParserFields, PositionsAreLineTimesThousandPlusColumn) {
  ParseText(p, "X:12\nT:x\nK:C\nab|");
  const auto notes = Notes(p);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1]->Start, 4002);
  // Every line ends with one end-of-line element, and blanks carry no position.
  int eols = 0;
  for (const TAbc* e : p.Elements()) {
    if (e->Kind == kAbcEOL || e->Kind == kAbcSpace) {
      EXPECT_EQ(e->Start, 0);
      EXPECT_EQ(e->End, 0);
    }
    eols += e->Kind == kAbcEOL;
  }
  EXPECT_EQ(eols, 4);
}

// The first non-empty title, composer and rhythm win; a value starts at its first non-blank
// character, whatever that character is, and keeps its trailing blanks up to a comment.
TEST_F(ParserFields, TextValues) {
  struct Case { const char* header; const char* title; const char* composer; const char* rhythm; };
  for (const Case& c : {Case{"T:\nT: The Kesh  \nT:Second\nC:Trad\nR:jig", "The Kesh  ", "Trad", "jig"},
                        {"T:[Untitled] (3rd)", "[Untitled] (3rd)", "", ""},
                        {"T:'Tis the Last Rose\nC:\xC9" "amonn\nR:|reel", "'Tis the Last Rose", "\xC9" "amonn", "|reel"},
                        {"T:\xD3 Carolan's", "\xD3 Carolan's", "", ""},
                        {"T:  \xC3\x89" "amonn a Chnoic % comment", "\xC3\x89" "amonn a Chnoic ", "", ""}}) {
    ParseText(p, std::string("X:1\n") + c.header + "\nK:G\n");
    EXPECT_EQ(p.Title(), c.title) << c.header;
    EXPECT_EQ(p.Composer(), c.composer) << c.header;
    EXPECT_EQ(p.Rhythm(), c.rhythm) << c.header;
  }
}

TEST_F(ParserFields, HeaderMeterLastValidOrFourFour) {
  ParseText(p, "X:1\nM:6/8\nK:G\n");
  EXPECT_EQ(p.MeterNum(), 6);
  EXPECT_EQ(p.MeterDen(), 8);
  for (const char* bad : {"1/4", "3/5", "3/1", "4/1", "6/64", "/8", "6/8/2", "x", "100/4", "99999999999/8",
                          "6/99999999999"}) {
    ParseText(p, std::string("X:1\nM:6/8\nM:") + bad + "\nK:G\n");
    EXPECT_EQ(p.MeterNum(), 4) << bad;
    EXPECT_EQ(p.MeterDen(), 4) << bad;
  }
  ParseText(p, "X:1\nM:99/32\nK:G\n");
  EXPECT_EQ(p.MeterNum(), 99);
}

TEST_F(ParserFields, CommonAndCutTimeCarryFourFour) {
  ParseText(p, "X:1\nM:C\nK:G\n[M:C|]a");
  std::vector<std::vector<int>> meters;  // symbol, numerator, denominator
  for (const TAbc* e : p.Elements()) {
    if (e->Kind != kAbcFieldM) continue;
    const auto* m = static_cast<const TAbcKey_M*>(e);
    meters.push_back({m->Symbol, m->Num, m->Den});
  }
  EXPECT_EQ(meters, (std::vector<std::vector<int>>{{1, 4, 4}, {2, 4, 4}}));
}

// The element each field makes, as its dump: bad values make none, or their fallback.
TEST_F(ParserFields, FieldElements) {
  struct Case { std::string text; int kind; const char* dumps; };
  const std::string parts = "X:1\nP:ABAC2\nK:G\nP:B\nabc\nP:AB\nd";
  for (const Case& c : {Case{"X:1\nM:6/8\nK:G\n", kAbcFieldM, "METER: MST=1 M:6 D:8"},
                        {"X:1\nL:1/16\nK:G\n", kAbcFieldL, "LONG: MST=1 M:1 D:16"},
                        {"X:1\nK: G\n", kAbcFieldK, "KEY: MST=1 VK:1"},
                        {"X:1\nK:Gmajor\n", kAbcFieldK, "KEY: MST=1 VK:1"},
                        {"X:1\nK:Gmaj7\n", kAbcFieldK, "KEY: MST=1 VK:0"},
                        {"X:1\nK:Hp\n", kAbcFieldK, "KEY: MST=1 VK:2"},
                        {parts, kAbcFieldPDef, "PART DEF: MST=1 DEF:ABAC2"},
                        {parts, kAbcFieldPMark, "PART MARK: MST=0 MRK:B"},  // a mark of two letters is none
                        {"X:1\nP:(AB)2\nK:G\n", kAbcFieldPDef, ""},
                        {Body("V:1\nabc\nV:2 clef=treble\ndef\nV:0\nV:12\n[V:3]g"), kAbcFieldV,
                         "Voice: N\xB0=1|Voice: N\xB0=2|Voice: N\xB0=3"},  // one digit, not 0
                        {"X:12abc\nK:G\n", kAbcFieldX, "INDEX (X) : 12"},
                        {"X:99999999999999\nK:G\n", kAbcFieldX, "INDEX (X) : 0"},
                        {"X:abc\nK:G\n", kAbcFieldX, "INDEX (X) : 0"},
                        // The error suffix only when an error is set (see DumpTexts for none).
                        {Body("{ga\nb}"), kAbcGraceStart, "GRACE GROUPE: (26) ****** ERR=159"}}) {
    ParseText(p, c.text);
    std::string dumps;
    for (const TAbc* e : p.Elements()) {
      if (e->Kind == c.kind) dumps += (dumps.empty() ? "" : "|") + e->Dump();
    }
    EXPECT_EQ(dumps, c.dumps) << c.text;
  }
  for (const char* bad : {"1/12", "2/8", "1/9", "1/64", "1", "/8", "1/8x"}) {
    ParseText(p, std::string("X:1\nL:") + bad + "\nK:G\n");
    EXPECT_EQ(First<TAbcKey_L>(p, kAbcFieldL), nullptr) << bad;
  }
}

// A tab after a value ends it as a blank does, in the header, in a body field line
// and inline; the index reads the same key. Element dumps of K:, L:, M:, P: and V:,
// then the notes read after each line.
TEST_F(ParserFields, ATabEndsAFieldValue) {
  struct Case { std::string text; const char* dumps; size_t notes; const char* indexKey; };
  for (const Case& c : {Case{"X:1\nK:D\t\nab", "KEY: MST=1 VK:2", 2, "D"},
                        {"X:1\nK:D\t% comment\nab", "KEY: MST=1 VK:2", 2, "D"},
                        {"X:1\nK:Bb\t \t% comment\nab", "KEY: MST=1 VK:-2", 2, "Bb"},
                        {"X:1\nK:A\tmixolydian\nab", "KEY: MST=1 VK:2", 2, "AMix"},
                        {"X:1\nM:9/8\t\nL:1/8\t\nK:G\nab", "METER: MST=1 M:9 D:8|LONG: MST=1 M:1 D:8|KEY: MST=1 VK:1", 2, ""},
                        {Body("K:D\tab\nc"), "KEY: MST=1 VK:0|KEY: MST=1 VK:2", 1, ""},  // the rest of a known key's line is skipped
                        {Body("M:3/4\tab\nL:1/16\t\nc"), "KEY: MST=1 VK:0|METER: MST=1 M:3 D:4|LONG: MST=1 M:1 D:16", 3, ""},
                        {"X:1\nP:AB\t\nV:2\t\nK:G\nab", "PART DEF: MST=1 DEF:AB|Voice: N\xB0=2|KEY: MST=1 VK:1", 2, ""},
                        {Body("[K:D\t]a[M:3/4\t][L:1/16\t]b"),
                         "KEY: MST=1 VK:0|KEY: MST=1 VK:2|METER: MST=1 M:3 D:4|LONG: MST=1 M:1 D:16", 2, ""}}) {
    ParseText(p, c.text);
    std::string dumps;
    for (const TAbc* e : p.Elements()) {
      if (e->Kind == kAbcFieldK || e->Kind == kAbcFieldL || e->Kind == kAbcFieldM || e->Kind == kAbcFieldPDef ||
          e->Kind == kAbcFieldV) {
        dumps += (dumps.empty() ? "" : "|") + e->Dump();
      }
    }
    EXPECT_EQ(dumps, c.dumps) << c.text;
    EXPECT_EQ(Notes(p).size(), c.notes) << c.text;
    if (!*c.indexKey) continue;
    const size_t value = c.text.find("K:") + 2;
    EXPECT_EQ(KeyIndexOfField(c.text.substr(value, c.text.find('\n', value) - value)), FindKeyIndex(c.indexKey))
        << c.text;
  }
  ParseText(p, "X:1\nM:9/8\t\nK:G\n");
  EXPECT_EQ(p.MeterNum(), 9);
  EXPECT_EQ(p.MeterDen(), 8);
}

// Which lines hold notes: none before a K: line; an X: line in the body starts a new header;
// a body K: line skips the rest of its line only when its key is known; a body M: line
// leaves the header's meter.
TEST_F(ParserFields, NotesFollowTheKeyLine) {
  struct Case { const char* text; size_t notes; };
  for (const Case& c : {Case{"X:1\nT:Tune\nM:6/8\nabc def|\n", 0}, {"X:1\nK:G\nabc\nX:2\nabc\nK:D\ndef", 6},
                        {"X:1\nT:t\nK:C\nK:G abc\nK:Gmaj7 abc", 3}, {"X:1\nM:3/4\nK:G\nM:6/8\nabc|", 3}}) {
    ParseText(p, c.text);
    EXPECT_EQ(Notes(p).size(), c.notes) << c.text;
  }
  EXPECT_EQ(p.MeterNum(), 3);
}

// Values and skips end at the end of their line, even inside an unclosed bracket
// or plus chord; the next line reads normally.
TEST_F(ParserFields, ValuesNeverRunPastTheirLine) {
  // The field read on the tune's fourth line, past the header's own.
  const auto bodyField = [this](int kind) -> const TAbc* {
    for (const TAbc* e : p.Elements()) {
      if (e->Kind == kind && e->Start / 1000 == 4) return e;
    }
    return nullptr;
  };
  struct Case { const char* line; int kind, end; };
  for (const Case& c : {Case{"[\"]\"K:G", kAbcFieldK, 4007}, {"+\"+\"K:G", kAbcFieldK, 4007},
                        {"[\"]\"L:1/8", kAbcFieldL, 4009}, {"[\"]\"T:x", 0, 0}, {"[\"]\"P:A", 0, 0},
                        {"+\"+\"T:x", 0, 0}, {"[\"]\"V:1", 0, 0}, {"[\"]\"M:6/8", 0, 0}}) {
    ParseText(p, Body(std::string(c.line) + "\nab"));
    EXPECT_EQ(Notes(p).size(), 2u) << c.line;
    if (!c.kind) continue;
    ASSERT_NE(bodyField(c.kind), nullptr) << c.line;
    EXPECT_EQ(bodyField(c.kind)->End, c.end) << c.line;
  }
  ParseText(p, Body("[\"]\"K:G\nab"));
  EXPECT_EQ(static_cast<const TAbcKey_K*>(bodyField(kAbcFieldK))->Sharps, 1);
}

TEST_F(ParserFields, DumpTexts) {
  ParseText(p, "X:3\nL:1/8\nM:6/8\nP:AB\nK:D\nV:2\nP:A\n\"Am\"(3_B>c{g}[ce]|\n[2\\");
  const std::string dump = test::DumpAll(p);
  for (const char* line : {"1001 1003 INDEX (X) : 3", "2001 2005 LONG: MST=1 M:1 D:8", "3001 3005 METER: MST=1 M:6 D:8",
                           "4001 4004 PART DEF: MST=1 DEF:AB", "5001 5003 KEY: MST=1 VK:2",
                           "6001 6003 Voice: N\xB0=2", "7001 7003 PART MARK: MST=0 MRK:A",
                           "8001 8004 ACCORD: Am", "8005 8005 TUPLET: (3)",
                           "8008 8008 NOTE: 7 [1/1] PIT=-1 OCT=0 GRC/STK=0 TUP=3 STR=1",
                           "8009 8009 STRAIGHT: Type:18 NBR:1", "8011 8011 GRACE GROUPE: (26)",
                           "8014 8014 CHORD: ", "8018 8018 BAR: Type:31 skip :1", "9001 9002 SECTION: N\xB0:2",
                           "9003 9003 ** BCK SLASH",
                           "0 0 EOL =*=======*=                   --------------------------------"}) {
    EXPECT_NE(dump.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << dump;
  }
}

}  // namespace
}  // namespace rq
