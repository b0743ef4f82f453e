// The score builder: which notes beam, where chords, grace notes, tuplets and signs
// land, and how the lines of the tune become rows; read through the text dump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/NoteGroups.h"
#include "score/ScoreDump.h"
#include "score/ScorePage.h"
#include "score/SimpleNote.h"

namespace rq::test {
namespace {

// One page serves every case: each build must replace the rows of the one before.
std::string Rows(const std::string& abc) {
  static TAbcParser parser;
  static TScorePage page;
  parser.Parse(SplitLines(abc));
  page.Build(parser.Elements());
  return DescribeRows(page.Rows);
}

struct BuildCase {
  const char* what;
  const char* abc;
  const char* rows;
};

// Each case's body after the header builds one row, starting as given, and the
// trailing empty row.
template <size_t N>
void ExpectOneRow(const BuildCase (&cases)[N], const std::string& header, const std::string& rowStart) {
  for (const BuildCase& c : cases) {
    EXPECT_EQ(Rows(header + c.abc + "\n"), "1: " + rowStart + c.rows + "\n2: \n") << c.what;
  }
}

// One row of music and the trailing empty row, for bodies after "X:1"; lengths count
// in the tune's unit: L: when given, else a sixteenth below 3/4 and an eighth from
// 3/4 up.
TEST(ScoreBuilder, BeamsChordsGroupsSignsAndLengths) {
  const BuildCase cases[] = {
      {"eighths beam, a quarter stands alone", "K:C\nabc d2", "clef key:0 beam(a:12 b:12 c:12) d:16"},
      {"a blank splits beams", "K:C\nab cd", "clef key:0 beam(a:12 b:12) beam(c:12 d:12)"},
      {"broken rhythm", "K:C\na>b", "clef key:0 beam(a:13 b:8)"},
      {"a rest ends the run", "K:C\naza", "clef key:0 a:12 z:12 a:12"},
      {"a bar ends the run", "K:C\nab|c", "clef key:0 beam(a:12 b:12) | c:12"},
      {"triplet", "K:C\n(3abc d", "clef key:0 tuplet3(beam(a:12 b:12 c:12)) d:12"},
      {"a bar ends a tuplet early", "K:C\n(3ab|c", "clef key:0 tuplet3(beam(a:12 b:12)) | c:12"},
      {"chord of eighths beams with a note", "K:C\n[ceg]a", "clef key:0 beam([c:12 e:12 g:12] a:12)"},
      {"a note beams with a following chord", "K:C\na[ce]", "clef key:0 beam(a:12 [c:12 e:12])"},
      // A beamed quarter would read as an eighth.
      {"chord of quarters stands alone", "K:C\n[c2e2]a", "clef key:0 [c:16 e:16] a:12"},
      {"a long chord after a held note leaves the note whole", "K:C\na[c4e4]", "clef key:0 a:12 [c:20 e:20]"},
      {"grace notes", "K:C\n{ga}b", "clef key:0 grace(g a) b:12"},
      {"inline meter before a held eighth", "K:C\na[M:3/4]b", "clef key:0 M:3/4 beam(a:12 b:12)"},
      {"accidentals and octaves", "K:C\n^C,_e'=f", "clef key:0 beam(^C,:12 _e':12 =f:12)"},
      {"endings and bars", "K:C\n|:a2|1b2:|2c2|]", "clef key:0 |: a:16 [1 b:16 [2 c:16 |]"},
      {"a double bar is two thin lines", "K:C\na2||b2[|c2", "clef key:0 a:16 || b:16 |] c:16"},
      {"a double bar before a blank too", "K:C\na2|| b2[| c2", "clef key:0 a:16 || b:16 |] c:16"},
      {"two bars a blank apart", "K:C\na2| |b2", "clef key:0 a:16 || b:16"},
      {"quarter unit", "L:1/4\nK:C\nab c/d/", "clef key:0 a:16 b:16 beam(c:12 d:12)"},
      {"sixteenth unit", "L:1/16\nK:C\nab2c4", "clef key:0 beam(a:8 b:12) c:16"},
      {"thirty-second unit", "L:1/32\nK:C\nab8", "clef key:0 a:4 b:16"},
      {"eighth unit", "L:1/8\nM:2/4\nK:C\nab", "clef key:0 M:2/4 beam(a:12 b:12)"},
      {"2/4 defaults to sixteenths", "M:2/4\nK:C\nab2", "clef key:0 M:2/4 beam(a:8 b:12)"},
      {"3/4 defaults to eighths", "M:3/4\nK:C\nab2", "clef key:0 M:3/4 a:12 b:16"},
      {"L: wins over the meter's default", "M:2/4\nL:1/8\nK:C\nab", "clef key:0 M:2/4 beam(a:12 b:12)"},
      {"a mode word after the tonic", "K:A Mixolydian\nGg|", "clef key:2 beam(G:12 g:12) |"},
      {"a blank after the tuplet sign", "K:C\n(3 abc d", "clef key:0 tuplet3(beam(a:12 b:12 c:12)) d:12"},
      {"chords in broken rhythm, slashes", "K:C\n[ce]>[df] c//d//e3/",
       "clef key:0 beam([c:13 e:13] [d:8 f:8]) beam(c:4 d:4 e:13)"},
      // A length after the bracket is the chord's.
      {"a chord of quarters, wholes, sixteenths", "K:C\n[CEG]2 [ceg]8 [Ace]/",
       "clef key:0 [C:16 E:16 G:16] [c:24 e:24 g:24] [A:8 c:8 e:8]"},
      {"a chord length multiplies the notes'", "K:C\n[C2E]3/", "clef key:0 [C:17 E:13]"},
      // Sixteen eighths are a breve, twenty-four a dotted one; a rest stays a rest.
      {"breves", "L:1/8\nK:C\nF12 F16 F24 z16", "clef key:0 F:25 F:breve F:breve. z:27"},
      // A change to fewer accidentals cancels the others with naturals first.
      {"D to G within a row", "K:D\nab [K:G] c|", "clef key:2 beam(a:12 b:12) nat:1 key:1 c:12 |"},
      {"flats to sharps", "K:F\na [K:D] c|", "clef key:-1 a:12 nat:1 key:2 c:12 |"},
      {"to C", "K:A\na [K:C] c|", "clef key:3 a:12 nat:3 key:0 c:12 |"},
      {"to more accidentals: none", "K:G\na [K:D] c|", "clef key:1 a:12 key:2 c:12 |"},
  };
  ExpectOneRow(cases, "X:1\n", "");
}

// A tuplet takes its p notes, rests or chords, whatever their length, with grace notes
// and rests inside it; its notes beam among themselves as in a row. A tuplet that gets
// no member is dropped.
TEST(ScoreBuilder, TupletMembers) {
  const BuildCase cases[] = {
      {"grace notes do not count", "(3{A}GFG d", "tuplet3(grace(A) beam(G:12 F:12 G:12)) d:12"},
      {"a rest is a member", "(3zBc d", "tuplet3(z:12 beam(B:12 c:12)) d:12"},
      {"long notes stand alone", "(3B2c2d2 e", "tuplet3(B:16 c:16 d:16) e:12"},
      {"a chord is one member", "(3[GB]AG e", "tuplet3(beam([G:12 B:12] A:12 G:12)) e:12"},
      {"grace notes between members", "(3G{A}FG", "tuplet3(G:12 grace(A) beam(F:12 G:12))"},
      {"no member: only its grace notes stay", "(3{A}|c", "grace(A) | c:12"},
      {"no member at all", "(3|c", "| c:12"},
      {"a blank ends it early", "(3{A}G[FA] FG", "tuplet3(grace(A) beam(G:12 [F:12 A:12])) beam(F:12 G:12)"},
      {"a blank among its notes switches it off", "(3{A}G FG", "grace(A) G:12 beam(F:12 G:12)"},
  };
  ExpectOneRow(cases, "X:1\nK:C\n", "clef key:0 ");
}

// A rest that fills its bar is the whole-bar rest, whatever the meter; other rests
// are not.
TEST(ScoreBuilder, WholeBarRests) {
  const BuildCase cases[] = {
      {"4/4", "M:4/4\nL:1/8\nK:C\nz8|z4 a4|", "M:4/4 Z:24 | z:20 a:20 |"},
      {"6/8", "M:6/8\nK:C\nz6|z3 a3|", "M:6/8 Z:21 | z:17 a:17 |"},
      {"2/4 in sixteenths", "M:2/4\nK:C\nz8|", "M:2/4 Z:20 |"},
      {"a meter change", "M:3/4\nL:1/8\nK:C\nz6|[M:2/4]z4|z6|", "M:3/4 Z:21 | M:2/4 Z:20 | z:21 |"},
      {"no meter", "L:1/8\nK:C\nz8|", "z:24 |"},
      // "Z" is the whole-bar rest of the meter in force (4/4 without one), "Zn" with n
      // of two or more the multi-bar rest with its count.
      {"bar rests", "M:4/4\nL:1/8\nK:C\nZ|Z4|Z1|", "M:4/4 Z:24 | Z:4 | Z:24 |"},
      {"bar rests in 6/8", "M:6/8\nK:C\nZ|Z2|", "M:6/8 Z:21 | Z:2 |"},
      {"a bar rest without a meter", "L:1/16\nK:C\nZ|", "Z:24 |"},
  };
  ExpectOneRow(cases, "X:1\n", "clef key:0 ");
}

// Broken rhythm beside marks, chord symbols, grace notes, decorations and blanks
// still draws a dotted pair; decorations draw no notes, an invisible rest keeps its
// place, grace notes with lengths stay small and an acciaccatura is slashed.
TEST(ScoreBuilder, DottedPairsAndMarks) {
  const BuildCase cases[] = {
      {"bowings", "c>vd c>ud", "beam(c:13 d:8) beam(c:13 d:8)"},
      {"chord symbols", "c>\"G\"d c\"4\"<d", "beam(c:13 d:8) beam(c:8 d:13)"},
      {"a grace group", "c>{g}d", "c:13 grace(g) d:8"},
      {"a decoration", "c>!trill!d", "beam(c:13 d:8)"},
      {"a slur's end", "(Bc>)A", "beam(B:12 c:13 A:8)"},
      {"blanks around the sign", "c> d e > f", "c:13 d:8 e:13 f:8"},
      {"decorations are no notes and split no beam", "!segno! B2B+fermata+c", "B:16 beam(B:12 c:12)"},
      {"an invisible rest", "c2 x2 d4|", "c:16 x:16 d:20 |"},
      {"grace lengths and an acciaccatura", "{/g}a {F/E/}D", "grace(/g) a:12 grace(F E) D:12"},
      {"a chord symbol in a tuplet", "(3A\"G\"GA c2", "tuplet3(beam(A:12 G:12 A:12)) c:16"},
  };
  ExpectOneRow(cases, "X:1\nK:C\n", "clef key:0 ");
  EXPECT_EQ(Rows("X:1\nK:C\nA>\nd e\n"), "1: clef key:0 A:13\n2: clef key:0 d:8 e:12\n3: \n");
}

// The note a broken rhythm shortens points its partial beams to its dotted partner:
// back after ">" (grace notes between), on before "<".
TEST(ScoreBuilder, ShortenedNotesPointToTheirPartners) {
  TAbcParser parser;
  parser.Parse(SplitLines("X:1\nL:1/16\nK:C\nF>AF>A A<FA<F c2 F>{g}AB\n"));
  TScorePage page;
  page.Build(parser.Elements());
  std::vector<int> stubs;
  for (const auto& symbol : page.Rows.front()->Symbols) {
    if (const auto* beam = dynamic_cast<const TGroupNote*>(symbol.get())) {
      for (const auto& child : beam->Children) stubs.push_back(child->StubDir);
    }
  }
  EXPECT_EQ(stubs, (std::vector<int>{0, -1, 0, -1, 1, 0, 1, 0, -1, 0}));  // grace notes between keep it
}

// A tie joins a head to the head that continues it, chord notes each to their own;
// across a line's end each row gets half. A "-" before another pitch or a rest joins
// nothing, and a chord left open drops its heads and their ties.
TEST(ScoreBuilder, TiesJoinTheHeadsTheyHold) {
  const BuildCase cases[] = {
      {"two quarters", "X:1\nK:C\nc2-c2 d4|\n", "1: clef key:0 c:16 c:16 d:20 | tie(c:16-c:16)\n2: \n"},
      {"across a bar, within a beam", "X:1\nK:C\nB4-|Bc-cd|\n",
       "1: clef key:0 B:20 | beam(B:12 c:12 c:12 d:12) | tie(B:20-B:12) tie(c:12-c:12)\n2: \n"},
      {"chord notes", "X:1\nK:C\n[f3-A3-][f2A2]|\n", "1: clef key:0 [f:17 A:17] [f:16 A:16] | tie(f:17-f:16) tie(A:17-A:16)\n2: \n"},
      {"across a row's end", "X:1\nK:C\nB4-|\nB4|\n", "1: clef key:0 B:20 | tie(B:20-)\n2: clef key:0 B:20 | tie(-B:20)\n3: \n"},
      {"another pitch or a rest", "X:1\nK:C\nc2-d2 c2-z2 c2|\n", "1: clef key:0 c:16 d:16 c:16 z:16 c:16 |\n2: \n"},
      // The open chord continues the first one's ties and takes the next line's tied c too.
      {"a chord left open", "X:1\nK:C\n[cE]-[c(3E]c|\nc-[ce]\n",
       "1: clef key:0 [c:12 E:12] |\n2: clef key:0 [c:12 e:12]\n3: \n"},
  };
  for (const BuildCase& c : cases) EXPECT_EQ(Rows(c.abc), c.rows) << c.what;
}

TEST(ScoreBuilder, RowsFollowTheLines) {
  const BuildCase cases[] = {
      {"no elements", "", "1: \n"},
      {"header only", "X:1\nT:t\nM:6/8\nK:G\n", "1: M:6/8\n"},
      {"one row per line, meter and key from the header", "X:1\nM:6/8\nK:G\nab|\ncd|\n",
       "1: clef key:1 M:6/8 beam(a:12 b:12) |\n2: clef key:1 beam(c:12 d:12) |\n3: \n"},
      {"a key change at a line's start opens the row in the new key", "X:1\nK:G\nab|\nK:D\ncd|\n",
       "1: clef key:1 beam(a:12 b:12) |\n2: clef key:2 beam(c:12 d:12) |\n3: \n"},
      {"with naturals for what it cancels, once", "X:1\nK:D\nab|\nK:C\ncd|\nef|\n",
       "1: clef key:2 beam(a:12 b:12) |\n2: clef nat:2 key:0 beam(c:12 d:12) |\n3: clef key:0 beam(e:12 f:12) |\n4: \n"},
      {"a continued line keeps its row and beam run", "X:1\nK:C\nab\\\ncd|\n",
       "1: clef key:0 beam(a:12 b:12 c:12 d:12) |\n2: \n"},
      {"the last note of a continued last line", "X:1\nK:C\nabc d\\\n", "1: clef key:0 beam(a:12 b:12 c:12) d:12\n"},
      {"blanks after a continuation", "X:1\nK:C\nab\\  \ncd|\n", "1: clef key:0 beam(a:12 b:12) beam(c:12 d:12) |\n2: \n"},
      {"tabs after the header's values", "X:1\nM:9/8\t\nL:1/8\t\nK:D\t% comment\nab|\n",
       "1: clef key:2 M:9/8 beam(a:12 b:12) |\n2: \n"},
      {"a key change within a row", "X:1\nK:C\nab [K:D] c|\n", "1: clef key:0 beam(a:12 b:12) key:2 c:12 |\n2: \n"},
      {"a body meter keeps an explicit L:", "X:1\nL:1/8\nM:4/4\nK:C\nab|\nM:2/4\nab|\n",
       "1: clef key:0 M:4/4 beam(a:12 b:12) |\n2: clef key:0 M:2/4 beam(a:12 b:12) |\n3: \n"},
      {"without L: the new meter sets the unit", "X:1\nM:4/4\nK:C\nab|\nM:2/4\nab|\n",
       "1: clef key:0 M:4/4 beam(a:12 b:12) |\n2: clef key:0 M:2/4 beam(a:8 b:8) |\n3: \n"},
      // Only the meter in force at the first note is drawn.
      {"a body meter before the first note replaces the header's", "X:1\nM:4/4\nK:C\nM:6/8\nab|\n",
       "1: clef key:0 M:6/8 beam(a:12 b:12) |\n2: \n"},
      {"two inline meters in a row", "X:1\nK:C\n[M:2/4][M:3/4]ab|\n", "1: clef key:0 M:3/4 beam(a:12 b:12) |\n2: \n"},
      {"a meter after music stays", "X:1\nM:4/4\nK:C\nab|[M:3/4]ab|\n",
       "1: clef key:0 M:4/4 beam(a:12 b:12) | M:3/4 beam(a:12 b:12) |\n2: \n"},
      // An ending right after a bar is that bar: one line, one repeat sign.
      {"a second ending after the row that ends the repeat", "X:1\nK:C\n|1 ab a2:|\n[2 ab ag||\n",
       "1: clef key:0 [1 beam(a:12 b:12) a:16 :|\n2: clef key:0 bare[2 beam(a:12 b:12) beam(a:12 g:12) ||\n3: \n"},
      {"a bar then a first ending", "X:1\nK:C\na2| [1 b2:|", "1: clef key:0 a:16 [1 b:16 :|\n2: \n"},
      {"an end repeat then a second ending", "X:1\nK:C\na2:| [2 b2|]", "1: clef key:0 a:16 [2 b:16 |]\n2: \n"},
      {"a sixth ending", "X:1\nK:C\na2:|[6 b2|]", "1: clef key:0 a:16 [6 b:16 |]\n2: \n"},
  };
  for (const BuildCase& c : cases) EXPECT_EQ(Rows(c.abc), c.rows) << c.what;
}

// An ending written with no bar before it starts within the bar: the number and
// bracket only, whatever its number. One written with a bar of its own ("|1", ":|2")
// or after one keeps it.
TEST(ScoreBuilder, EndingsWithoutABarDrawNone) {
  const BuildCase cases[] = {
      {"a first ending within the bar", "X:1\nK:C\n|: E2 [1 F2 :| [2 G2 |]\n",
       "1: clef key:0 |: E:16 bare[1 F:16 [2 G:16 |]\n2: \n"},
      {"a second ending within the bar", "X:1\nK:C\na2 [2 b2", "1: clef key:0 a:16 bare[2 b:16\n2: \n"},
      {"after a note opening the row", "X:1\nK:C\na2|\nb [2 c2", "1: clef key:0 a:16 |\n2: clef key:0 b:12 bare[2 c:16\n3: \n"},
      {"opening the row after one that ends on a note", "X:1\nK:C\n|: a2 b2\n[1 c2 :|\n",
       "1: clef key:0 |: a:16 b:16\n2: clef key:0 bare[1 c:16 :|\n3: \n"},
      {"\"|1\" after a note", "X:1\nK:C\n|: E2 |1 F2 :|2 G2 |]\n", "1: clef key:0 |: E:16 [1 F:16 [2 G:16 |]\n2: \n"},
      {"\":|[2\" after a note", "X:1\nK:C\n|: E2 [1 F2 :|[2 G2 |]\n", "1: clef key:0 |: E:16 bare[1 F:16 [2 G:16 |]\n2: \n"},
      {"\"|1\" opening the row after one that ends on a note", "X:1\nK:C\n|: a2 b2\n|1 c2 :|\n",
       "1: clef key:0 |: a:16 b:16\n2: clef key:0 [1 c:16 :|\n3: \n"},
      {"a bar and a blank before it", "X:1\nK:C\nE2 | [1 F2 :|\n", "1: clef key:0 E:16 [1 F:16 :|\n2: \n"},
      {"a bar and a meter before it", "X:1\nK:C\nE2 |[M:3/4] [1 F2 :|\n", "1: clef key:0 E:16 | M:3/4 [1 F:16 :|\n2: \n"},
  };
  for (const BuildCase& c : cases) EXPECT_EQ(Rows(c.abc), c.rows) << c.what;
}

// Every ending but the first opens with a closing repeat sign: at a row's start only
// a row that ended on one ("a2:|") leaves it out, and a bar right before the ending
// on its row ("|[2", "||[2") gives way to it.
TEST(ScoreBuilder, LaterEndingsKeepTheirRepeatSign) {
  const BuildCase cases[] = {
      {"\":|2\" opening the row after a plain bar", "X:1\nK:C\n|:a2|1 b2|\n:|2 c2||\n",
       "1: clef key:0 |: a:16 [1 b:16 |\n2: clef key:0 [2 c:16 ||\n3: \n"},
      {"\"[2\" opening the row after a plain bar", "X:1\nK:C\n|:a2|[1 b2|\n[2 c2||\n",
       "1: clef key:0 |: a:16 [1 b:16 |\n2: clef key:0 [2 c:16 ||\n3: \n"},
      {"after a double bar", "X:1\nK:C\n|:a2|[1 b2||\n[2 c2||\n",
       "1: clef key:0 |: a:16 [1 b:16 ||\n2: clef key:0 [2 c:16 ||\n3: \n"},
      {"after a row that ends on \"::\"", "X:1\nK:C\n|:a2|1 b2::\n[2 c2||\n",
       "1: clef key:0 |: a:16 [1 b:16 ::\n2: clef key:0 bare[2 c:16 ||\n3: \n"},
      {"a first ending opening a row draws no bar of its own", "X:1\nK:C\n|:a2|\n[1 b2:|[2 c2||\n",
       "1: clef key:0 |: a:16 |\n2: clef key:0 bare[1 b:16 [2 c:16 ||\n3: \n"},
      {"\"|[2\" on one row", "X:1\nK:C\n|:a2|[1 b2|[2 c2||\n", "1: clef key:0 |: a:16 [1 b:16 [2 c:16 ||\n2: \n"},
      {"\"||[2\" on one row", "X:1\nK:C\n|:a2|[1 b2||[2 c2||\n", "1: clef key:0 |: a:16 [1 b:16 [2 c:16 ||\n2: \n"},
      {"\"||[1\" keeps its double bar", "X:1\nK:C\na2||[1 b2:|[2 c2||\n", "1: clef key:0 a:16 ||[1 b:16 [2 c:16 ||\n2: \n"},
      {"\"::[2\" keeps its start repeat", "X:1\nK:C\n|:a2|[1 b2::[2 c2||\n",
       "1: clef key:0 |: a:16 [1 b:16 ::[2 c:16 ||\n2: \n"},
  };
  for (const BuildCase& c : cases) EXPECT_EQ(Rows(c.abc), c.rows) << c.what;
}

// Music before any K: field shows an empty key signature (not the "no key yet"
// marker), and a list that ends while a note is held still places it.
TEST(ScoreBuilder, BareElementLists) {
  TAbcNote a(1001, 1001, 13, kAccNone, 0, 0, 1, 1);
  TAbcNote b(1002, 1002, 14, kAccNone, 0, 0, 1, 1);
  TAbcNote c(1004, 1004, 8, kAccNone, 0, 0, 1, 1);
  TAbcSpace blank(1);
  const TAbc* elements[] = {&a, &b, &blank, &c};
  TScorePage page;
  page.Build(elements);
  EXPECT_EQ(DescribeRows(page.Rows), "1: clef key:0 beam(a:12 b:12) c:12\n");
}

}  // namespace
}  // namespace rq::test
