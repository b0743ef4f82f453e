// Random sequences of edits on an open file: after every step every list holds only
// the file's own records, the block names only existing tunes, and every save reads
// back as it was written. Bounded for the test run; RQ_STRESS_STEPS (per seed),
// RQ_STRESS_SEEDS and RQ_STRESS_SEED (the first seed) make it run longer or replay one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "FileScenario.h"
#include "FileTestHelpers.h"

namespace rq {
namespace {

class SeededChooser : public test::IChooser {
 public:
  explicit SeededChooser(uint32_t seed) : random_(seed) {}
  uint32_t Below(uint32_t n) override { return n == 0 ? 0 : static_cast<uint32_t>(random_() % n); }

 private:
  std::mt19937 random_;
};

uint32_t EnvNumber(const char* name, uint32_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

TEST(FileStress, RandomEditsKeepEveryListSoundAndSavesReadBack) {
  const uint32_t steps = EnvNumber("RQ_STRESS_STEPS", 1000);
  const uint32_t seeds = EnvNumber("RQ_STRESS_SEEDS", 4);
  const uint32_t firstSeed = EnvNumber("RQ_STRESS_SEED", 1);
  test::TempDir dir;
  const std::string sample = test::ReadBytes(RQ_SAMPLE_ABC);
  for (uint32_t seed = firstSeed; seed < firstSeed + seeds; ++seed) {
    SeededChooser choose(seed);
    test::FileScenario scenario(dir.File("stress.abc"), choose);
    // Odd seeds start from the sample collection with its set and session, even
    // ones from an empty file.
    scenario.Start(seed % 2 == 1 ? sample : "");
    ASSERT_EQ(scenario.Faults(), "") << "seed " << seed << " at the start";
    for (uint32_t step = 1; step <= steps; ++step) {
      const std::string what = scenario.Step();
      ASSERT_FALSE(what.starts_with("FAULT")) << "RQ_STRESS_SEED=" << seed << " step " << step << ": " << what;
      ASSERT_EQ(scenario.Faults(), "") << "RQ_STRESS_SEED=" << seed << " step " << step << " after " << what;
    }
  }
}

}  // namespace
}  // namespace rq
