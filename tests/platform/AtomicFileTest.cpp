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
  void SetUp() override {
    dir = fs::temp_directory_path() / ("rq_atomic_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

  fs::path dir;
};

TEST_F(AtomicFile, CreatesANewFileWithTheBytes) {
  const std::string bytes("MThd\0\0\0\x06\xff", 9);
  const auto result = WriteFileAtomically((dir / "new.mid").string(), bytes);
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(Read(dir / "new.mid"), bytes);
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(AtomicFile, ReplacesAnExistingFileAndKeepsItsPermissions) {
  const fs::path target = dir / "tunes.abc";
  std::ofstream(target) << "a much longer old content than the new one\n";
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(target.string(), "X:1\n"));
  EXPECT_EQ(Read(target), "X:1\n");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(AtomicFile, EmptyContentMakesAnEmptyFile) {
  ASSERT_TRUE(WriteFileAtomically((dir / "empty").string(), ""));
  EXPECT_EQ(fs::file_size(dir / "empty"), 0u);
}

TEST_F(AtomicFile, MissingFolderFailsWithAReason) {
  const auto result = WriteFileAtomically((dir / "no" / "such.mid").string(), "x");
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("such.mid"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "no"));
}

// A folder in the target's place stays as it was, and no temporary file is left.
TEST_F(AtomicFile, FolderInTheWayIsLeftAlone) {
  fs::create_directories(dir / "taken" / "inside");
  const auto result = WriteFileAtomically((dir / "taken").string(), "x");
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.error.empty());
  EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(AtomicFile, EmptyNameFails) {
  EXPECT_FALSE(WriteFileAtomically("", "x"));
}

}  // namespace
}  // namespace rq
