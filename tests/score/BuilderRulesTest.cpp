// The score builder reads keys, unit lengths, broken rhythm and tuplets by the
// parser's rules: mode words, a meter that keeps an explicit L:, chords in broken
// rhythm and a blank after a tuplet sign.
#include <gtest/gtest.h>

#include <string>

#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/ScoreDump.h"
#include "score/ScorePage.h"

namespace rq::test {
namespace {

std::string RowsOf(const std::string& abc) {
  TAbcParser parser;
  parser.Parse(SplitLines(abc));
  TScorePage page;
  page.Build(parser.Elements());
  return DescribeRows(page.Rows);
}

TEST(ScoreBuilderRules, KeysUnitsBrokenRhythmAndTuplets) {
  struct Case { const char* what; const char* abc; const char* rows; };
  for (const Case& c : {
           Case{"a mode word after the tonic", "K:A Mixolydian\nGg|", "1: clef key:2 beam(G:12 g:12) |\n2: \n"},
           {"a mode without a row of its own", "K:Glyd\nab|", "1: clef key:2 beam(a:12 b:12) |\n2: \n"},
           {"a body meter keeps an explicit L:", "L:1/8\nM:4/4\nK:C\nab|\nM:2/4\nab|",
            "1: clef key:0 M:4/4 beam(a:12 b:12) |\n2: clef key:0 M:2/4 beam(a:12 b:12) |\n3: \n"},
           {"without L: the new meter sets the unit", "M:4/4\nK:C\nab|\nM:2/4\nab|",
            "1: clef key:0 M:4/4 beam(a:12 b:12) |\n2: clef key:0 M:2/4 beam(a:8 b:8) |\n3: \n"},
           {"a blank after the tuplet sign", "K:C\n(3 abc d", "1: clef key:0 tuplet3(a:12 b:12 c:12) d:12\n2: \n"},
           {"chords in broken rhythm, slashes", "K:C\n[ce]>[df] c//d//e3/",
            "1: clef key:0 beam([c:13 e:13] [d:8 f:8]) beam(c:4 d:4 e:13)\n2: \n"}}) {
    EXPECT_EQ(RowsOf(std::string("X:1\n") + c.abc + "\n"), c.rows) << c.what;
  }
}

}  // namespace
}  // namespace rq::test
