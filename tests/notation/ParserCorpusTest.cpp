// The parser on real collections and on hostile bytes.
#include <gtest/gtest.h>

#include <random>

#include "Corpus.h"
#include "ParseHelpers.h"

namespace rq {
namespace {

// Every tune of the collection parses to notes with a title, and parsing it again,
// after other tunes, gives the very same elements.
TEST(ParserCorpus, EveryTuneParsesTheSameTwice) {
  RQ_SKIP_WITHOUT_CORPUS();
  const auto tunes = corpus::Tunes();
  ASSERT_GT(tunes.size(), 1000u);
  TAbcParser p;
  std::vector<std::string> first;
  for (const auto& t : tunes) {
    p.Parse(t);
    EXPECT_FALSE(test::Notes(p).empty()) << t[0];
    EXPECT_FALSE(p.Title().empty()) << t[0];
    first.push_back(test::DumpAll(p));
  }
  for (size_t i = tunes.size(); i-- > 0;) {
    p.Parse(tunes[i]);
    ASSERT_EQ(test::DumpAll(p), first[i]) << tunes[i][0];
  }
}

// Indexing parses only a tune's opening: what it settles must be the whole parse's.
TEST(ParserCorpus, EveryOpeningSettlesOnlyWhatTheWholeTuneGives) {
  RQ_SKIP_WITHOUT_CORPUS();
  TAbcParser p;
  for (const auto& t : corpus::Tunes()) ASSERT_EQ(test::OpeningMismatch(p, t), "") << t[0];
}

// A tune that leaves a broken-rhythm sign pending must not change the next tune.
TEST(ParserCorpus, NoStateLeaksBetweenParses) {
  TAbcParser p;
  test::ParseText(p, "X:2\nK:C\nB>c d");
  const std::string fresh = test::DumpAll(p);
  test::ParseText(p, "X:1\nK:C\nA>");
  test::ParseText(p, "X:2\nK:C\nB>c d");
  EXPECT_EQ(test::DumpAll(p), fresh);
}

// Random bytes, long lines and unbalanced groups: the parser finishes, and every
// element's position lies inside the text; no opening settles what the whole text
// changes.
TEST(ParserCorpus, HostileInputNeverBreaksTheParser) {
  std::mt19937 rng(1234);
  const std::string alphabet = "ABCDEFGabcdefgzKLMPQTVWwX:|[]{}()+\"<>^_=~.,'/\\%0123456789 \t\x80\xB0\xFF";
  TAbcParser p;
  for (int round = 0; round < 3000; ++round) {
    TLines lines{"X:1", "K:G"};
    const int n = 1 + static_cast<int>(rng() % 6);
    for (int l = 0; l < n; ++l) {
      std::string line;
      const int len = static_cast<int>(rng() % (round % 100 == 0 ? 5000 : 60));
      for (int c = 0; c < len; ++c) {
        line += (rng() % 8 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
      }
      lines.push_back(line);
    }
    if (round % 3 == 0) {
      ASSERT_EQ(test::OpeningMismatch(p, lines), "") << round;
    }
    p.Parse(lines);
    for (const TAbc* e : p.Elements()) {
      EXPECT_LE(e->Start, e->End);
      if (e->Start == 0) continue;
      const int line = e->End / 1000;
      ASSERT_GE(line, 1);
      ASSERT_LE(static_cast<size_t>(line), lines.size());
    }
  }
}

}  // namespace
}  // namespace rq
