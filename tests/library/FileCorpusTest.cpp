#include <gtest/gtest.h>

#include "Corpus.h"
#include "FileTestHelpers.h"
#include "library/FileAbc.h"

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

}  // namespace
}  // namespace rq
