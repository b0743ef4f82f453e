#include <gtest/gtest.h>

#include "Corpus.h"
#include "FileTestHelpers.h"
#include "library/FileAbc.h"
#include "midi/AbcToMidi.h"
#include "notation/AbcParser.h"

namespace rq {
namespace {

TEST(AbcFileCorpus, EveryFileLoadsAndRoundTrips) {
  RQ_SKIP_WITHOUT_CORPUS();
  test::TempDir dir;
  int32_t tunes = 0;
  for (const std::string& path : corpus::Files()) {
    const std::string original = test::ReadBytes(path);
    TAbcFile f(path, nullptr);
    tunes += f.FilterList.AllCount();
    const std::string copy = dir.File(std::filesystem::path(path).filename().string());
    f.SetFileName(copy);
    ASSERT_EQ(f.Save(), 1) << path;
    EXPECT_EQ(test::ReadBytes(copy), original) << path;
  }
  EXPECT_EQ(tunes, 1037);
}

// Text searches of a collection, with and without case: the tunes that hold the text
// in any line, as grep finds them.
TEST(AbcFileCorpus, TextSearchesMatchCaseOnlyWhenAsked) {
  RQ_SKIP_WITHOUT_CORPUS();
  TAbcFile f(corpus::Dir() + "/nottingham/jigs.abc", nullptr);
  const struct {
    const char* text;
    bool matchCase;
    int32_t hits;
  } searches[] = {{"The ", true, 64},  {"the ", true, 20}, {"THE ", false, 82}, {"the ", false, 82},
                  {"Jig", true, 44},   {"JIG", true, 0},   {"JIG", false, 44}};
  for (const auto& s : searches) {
    f.SearchText(s.text, s.matchCase);
    f.SetViewMode(vmSearched, 0);
    EXPECT_EQ(f.FilterList.Count(), s.hits) << s.text << (s.matchCase ? " (case)" : "");
  }
}

// Indexing reads only each tune's opening: every code must be the one the whole
// tune's parse gives, in the corpus and in the sample collection.
TEST(AbcFileCorpus, CodesFromTheOpeningEqualCodesFromTheWholeTune) {
  std::vector<std::string> files = corpus::Available() ? corpus::Files() : std::vector<std::string>{};
  files.push_back(RQ_SAMPLE_ABC);
  TAbcParser parser;
  const MidiSettings settings;
  TAbcMidi converter(settings);
  size_t compared = 0;
  for (const std::string& path : files) {
    TAbcFile f(path, nullptr);
    for (int32_t i = 0; i < f.FilterList.AllCount(); ++i) {
      const TAbcRec* rec = f.FilterList.AllItems(i);
      TLines lines;
      ASSERT_EQ(f.CopyAllLines(i, lines, true), 0);
      parser.Parse(lines);
      ASSERT_EQ(rec->Code, static_cast<uint32_t>(converter.ComputeCode(parser.Elements())))
          << path << " " << f.TitleOfRec(rec);
      ++compared;
    }
  }
  EXPECT_GT(compared, corpus::Available() ? 1037u : 0u);
}

}  // namespace
}  // namespace rq
