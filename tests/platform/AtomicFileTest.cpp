// Atomic file writes: the target is replaced whole or left as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  static std::string Read(const fs::path& p) {
    std::stringstream ss;
    ss << std::ifstream(p, std::ios::binary).rdbuf();
    return ss.str();
  }
  size_t FileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

  const fs::path dir = fs::temp_directory_path() / ("rq_atomic_" + std::to_string(::getpid()));
};

// The new bytes replace the whole file, its permissions stay, and no temporary file is left.
TEST_F(AtomicFile, ReplacesTheWholeFileAndKeepsItsPermissions) {
  const fs::path target = dir / "tunes.abc";
  const std::string bytes("X:1\n\0\xff", 6);
  ASSERT_TRUE(WriteFileAtomically(target.string(), "a longer old content than the new one\n"));
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  const auto result = WriteFileAtomically(target.string(), bytes);
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(Read(target), bytes);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FileCount(), 1u);
}

// A linked file is replaced where it lives; the link stays a link.
TEST_F(AtomicFile, FollowsSymbolicLinks) {
  fs::create_directories(dir / "real");
  ASSERT_TRUE(WriteFileAtomically((dir / "real" / "tunes.abc").string(), "old"));
  fs::create_symlink(dir / "real" / "tunes.abc", dir / "link.abc");
  ASSERT_TRUE(WriteFileAtomically((dir / "link.abc").string(), "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.abc"));
  EXPECT_EQ(Read(dir / "real" / "tunes.abc"), "new");
}

// A write that cannot be done fails with a reason and leaves what was there.
TEST_F(AtomicFile, FailsWithAReasonAndLeavesNothingBehind) {
  const auto missing = WriteFileAtomically((dir / "no" / "such.mid").string(), "x");
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.error.find("such.mid"), std::string::npos);
  // A folder in the target's place stays as it was.
  fs::create_directories(dir / "taken" / "inside");
  const auto taken = WriteFileAtomically((dir / "taken").string(), "x");
  EXPECT_FALSE(taken);
  EXPECT_FALSE(taken.error.empty());
  EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
  EXPECT_EQ(FileCount(), 1u);
  EXPECT_FALSE(WriteFileAtomically("", "x"));
}

}  // namespace
}  // namespace rq
