// Header fields, positions, and the values the parser substitutes for bad ones.
#include <gtest/gtest.h>

#include "ParseHelpers.h"

namespace rq {
namespace {

using test::Body;
using test::First;
using test::Kinds;
using test::Notes;
using test::ParseText;

class ParserFields : public ::testing::Test {
 protected:
  TAbcParser p;
};

TEST_F(ParserFields, PositionsAreLineTimesThousandPlusColumn) {
  ParseText(p, "X:12\nT:x\nK:C\nab|");
  const auto* x = First<TAbcKey_X>(p, kAbcFieldX);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->Start, 1001);
  EXPECT_EQ(x->End, 1004);
  EXPECT_EQ(x->Number, 12);
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

TEST_F(ParserFields, TitleComposerRhythmFirstNonEmptyWins) {
  ParseText(p, "X:1\nT:\nT: The Kesh  \nT:Second\nC:Trad\nR:jig\nK:G\n");
  EXPECT_EQ(p.Title(), "The Kesh  ");
  EXPECT_EQ(p.Composer(), "Trad");
  EXPECT_EQ(p.Rhythm(), "jig");
  ParseText(p, "X:2\nT:[Untitled] (3rd)\nK:G\n");
  EXPECT_EQ(p.Title(), "[Untitled] (3rd)");
}

// A value starts at its first non-blank character, whatever that character is.
TEST_F(ParserFields, TextValuesKeepTheirFirstCharacter) {
  ParseText(p, "X:1\nT:'Tis the Last Rose\nC:\xC9" "amonn\nR:|reel\nK:G\n");
  EXPECT_EQ(p.Title(), "'Tis the Last Rose");
  EXPECT_EQ(p.Composer(), "\xC9" "amonn");
  EXPECT_EQ(p.Rhythm(), "|reel");
  ParseText(p, "X:1\nT:\xD3 Carolan's\nK:G\n");
  EXPECT_EQ(p.Title(), "\xD3 Carolan's");
  ParseText(p, "X:1\nT:  \xC3\x89" "amonn a Chnoic % comment\nK:G\n");
  EXPECT_EQ(p.Title(), "\xC3\x89" "amonn a Chnoic ");
}

TEST_F(ParserFields, HeaderMeterLastValidOrFourFour) {
  ParseText(p, "X:1\nM:6/8\nK:G\n");
  EXPECT_EQ(p.MeterNum(), 6);
  EXPECT_EQ(p.MeterDen(), 8);
  const auto* m = First<TAbcKey_M>(p, kAbcFieldM);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Num, 6);
  EXPECT_EQ(m->Den, 8);
  EXPECT_EQ(m->MST, 1);

  for (const char* bad : {"1/4", "3/5", "/8", "6/8/2", "x", "100/4", "99999999999/8", "6/99999999999"}) {
    ParseText(p, std::string("X:1\nM:6/8\nM:") + bad + "\nK:G\n");
    EXPECT_EQ(p.MeterNum(), 4) << bad;
    EXPECT_EQ(p.MeterDen(), 4) << bad;
  }
  ParseText(p, "X:1\nM:99/32\nK:G\n");
  EXPECT_EQ(p.MeterNum(), 99);
}

TEST_F(ParserFields, CommonAndCutTimeCarryFourFour) {
  ParseText(p, "X:1\nM:C\nK:G\n[M:C|]a");
  std::vector<const TAbcKey_M*> meters;
  for (const TAbc* e : p.Elements()) {
    if (e->Kind == kAbcFieldM) meters.push_back(static_cast<const TAbcKey_M*>(e));
  }
  ASSERT_EQ(meters.size(), 2u);
  EXPECT_EQ(meters[0]->Symbol, 1);
  EXPECT_EQ(meters[1]->Symbol, 2);
  EXPECT_EQ(meters[1]->Num, 4);
  EXPECT_EQ(meters[1]->Den, 4);
}

TEST_F(ParserFields, BodyMeterLeavesHeaderMeter) {
  ParseText(p, "X:1\nM:3/4\nK:G\nM:6/8\nabc|");
  EXPECT_EQ(p.MeterNum(), 3);
  EXPECT_EQ(Notes(p).size(), 3u);
}

TEST_F(ParserFields, KeyValues) {
  struct Case { const char* field; int sharps; };
  for (const Case& c : {Case{"K: G", 1}, Case{"K:Gmajor", 0}, Case{"K:Ador", 1}, Case{"K:Bbmin", -5},
                        Case{"K:Hp", 2}}) {
    ParseText(p, std::string("X:1\n") + c.field + "\n");
    EXPECT_EQ(First<TAbcKey_K>(p, kAbcFieldK)->Sharps, c.sharps) << c.field;
  }
}

TEST_F(ParserFields, UnitLengthOnlyValidValues) {
  ParseText(p, "X:1\nL:1/16\nK:G\n");
  const auto* l = First<TAbcKey_L>(p, kAbcFieldL);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Num, 1);
  EXPECT_EQ(l->Den, 16);
  for (const char* bad : {"1/12", "2/8", "1/9", "1/64", "1", "/8", "1/8x"}) {
    ParseText(p, std::string("X:1\nL:") + bad + "\nK:G\n");
    EXPECT_EQ(First<TAbcKey_L>(p, kAbcFieldL), nullptr) << bad;
  }
}

TEST_F(ParserFields, PartSequenceAndPartMarks) {
  ParseText(p, "X:1\nP:ABAC2\nK:G\nP:B\nabc\nP:AB\nd");
  const auto* def = First<TAbcKey_P_Def>(p, kAbcFieldPDef);
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->Text, "ABAC2");
  std::vector<char> marks;
  for (const TAbc* e : p.Elements()) {
    if (e->Kind == kAbcFieldPMark) marks.push_back(static_cast<const TAbcKey_P_Mark*>(e)->Letter);
  }
  EXPECT_EQ(marks, std::vector<char>{'B'});
  ParseText(p, "X:1\nP:(AB)2\nK:G\n");
  EXPECT_EQ(First<TAbcKey_P_Def>(p, kAbcFieldPDef), nullptr);
}

TEST_F(ParserFields, VoiceOneDigit) {
  ParseText(p, Body("V:1\nabc\nV:2 clef=treble\ndef\nV:0\nV:12\n[V:3]g"));
  std::vector<int> voices;
  for (const TAbc* e : p.Elements()) {
    if (e->Kind == kAbcFieldV) voices.push_back(static_cast<const TAbcKey_V*>(e)->Number);
  }
  EXPECT_EQ(voices, (std::vector<int>{1, 2, 3}));
}

TEST_F(ParserFields, IndexDigitsAndOverflow) {
  struct Case { const char* field; int number; };
  for (const Case& c : {Case{"X:12abc", 12}, Case{"X:99999999999999", 0}, Case{"X:abc", 0}}) {
    ParseText(p, std::string(c.field) + "\nK:G\n");
    EXPECT_EQ(First<TAbcKey_X>(p, kAbcFieldX)->Number, c.number) << c.field;
  }
}

TEST_F(ParserFields, NoKeyLineMeansNoNotes) {
  ParseText(p, "X:1\nT:Tune\nM:6/8\nabc def|\n");
  EXPECT_TRUE(Notes(p).empty());
  EXPECT_NE(First<TAbcKey_X>(p, kAbcFieldX), nullptr);
  EXPECT_NE(First<TAbcKey_M>(p, kAbcFieldM), nullptr);
}

TEST_F(ParserFields, IndexLineInTheBodyStartsANewHeader) {
  ParseText(p, "X:1\nK:G\nabc\nX:2\nabc\nK:D\ndef");
  EXPECT_EQ(Notes(p).size(), 6u);
}

TEST_F(ParserFields, BodyKeyLineSkipsTheRestOnlyWhenKnown) {
  ParseText(p, Body("K:G abc\nK:Gmajor abc"));
  EXPECT_EQ(Notes(p).size(), 3u);
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
  ParseText(p, Body("[\"]\"K:G\nab"));
  const auto* k = static_cast<const TAbcKey_K*>(bodyField(kAbcFieldK));
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->Sharps, 1);
  EXPECT_EQ(k->End, 4007);
  EXPECT_EQ(Notes(p).size(), 2u);

  ParseText(p, Body("+\"+\"K:G\nab"));
  ASSERT_NE(bodyField(kAbcFieldK), nullptr);
  EXPECT_EQ(bodyField(kAbcFieldK)->End, 4007);
  EXPECT_EQ(Notes(p).size(), 2u);

  ParseText(p, Body("[\"]\"L:1/8\nab"));
  ASSERT_NE(First<TAbcKey_L>(p, kAbcFieldL), nullptr);
  EXPECT_EQ(First<TAbcKey_L>(p, kAbcFieldL)->End, 4009);
  EXPECT_EQ(Notes(p).size(), 2u);

  for (const char* line : {"[\"]\"T:x", "[\"]\"P:A", "+\"+\"T:x", "[\"]\"V:1", "[\"]\"M:6/8"}) {
    ParseText(p, Body(std::string(line) + "\nab"));
    EXPECT_EQ(Notes(p).size(), 2u) << line;
  }
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

TEST_F(ParserFields, ErrorSuffixOnlyWhenSet) {
  ParseText(p, Body("{ga\nb}"));
  const auto* g = First<TAbcGrace>(p, kAbcGraceStart);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Dump(), "GRACE GROUPE: (26) ****** ERR=159");
  TAbcKey_K k(1001, 1003, 1);
  EXPECT_EQ(k.Dump(), "KEY: MST=1 VK:1");
}

}  // namespace
}  // namespace rq
