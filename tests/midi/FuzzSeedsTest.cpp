// The parser fuzzer's seeds, run through the fuzzer's own checks on every test run:
// an input the fuzzer once broke the program with stays mended.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../notation/ParseHelpers.h"
#include "ParseChecks.h"

namespace rq::test {
namespace {

std::string ReadSeed(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every seed holds to every check, for the opening its first byte picks.
TEST(FuzzSeeds, EverySeedPassesTheFuzzersChecks) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RQ_FUZZ_SEEDS)) {
    if (!entry.is_regular_file()) continue;
    ++seeds;
    EXPECT_EQ(CheckParsedInput(ReadSeed(entry.path())), "") << entry.path().filename();
  }
  EXPECT_GE(seeds, 2);
}

// A chord left open with a tied note: the note keeps tying on past the next line's
// note, so no opening of the tune settles it before the whole tune has tied it.
TEST(FuzzSeeds, AnOpenChordsTiedNoteIsNeverSettledEarly) {
  const std::string seed = ReadSeed(std::filesystem::path(RQ_FUZZ_SEEDS) / "open-chord-tie.abc");
  ASSERT_FALSE(seed.empty());
  TAbcParser parser;
  EXPECT_EQ(OpeningMismatch(parser, SplitLines(seed)), "");
}

}  // namespace
}  // namespace rq::test
