// Atomic file writes: the target is replaced whole or left as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// A rename that fails (as on a full or failing disk) is reported with its reason; the
// old file keeps its bytes, a new one does not appear, and the temporary file is gone.
TEST_F(AtomicFile, AFailedRenameLeavesTheOldFileAndNoTemporaryFile) {
  static std::string renamedFrom;
  static std::string tempBytes;
  struct FailingRename {
    FailingRename()
        : previous(SetRenameStep([](const char* from, const char*) {
            renamedFrom = from;
            tempBytes = Read(from);
            errno = EIO;
            return -1;
          })) {}
    ~FailingRename() { SetRenameStep(previous); }
    RenameStep previous;
  };
  const fs::path old = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(old.string(), "old"));
  for (const fs::path& target : {old, dir / "new.abc"}) {
    renamedFrom.clear();
    tempBytes.clear();
    FileWriteResult result;
    {
      FailingRename failing;
      result = WriteFileAtomically(target.string(), "new");
    }
    EXPECT_FALSE(result) << target;
    EXPECT_EQ(result.error, "Cannot replace \"" + target.string() + "\": " + std::strerror(EIO));
    EXPECT_EQ(tempBytes, "new") << "the rename was the step that failed";
    EXPECT_FALSE(fs::exists(renamedFrom)) << renamedFrom;
    EXPECT_EQ(Read(old), "old");
    EXPECT_FALSE(fs::exists(dir / "new.abc"));
    EXPECT_EQ(FileCount(), 1u);
  }
  ASSERT_TRUE(WriteFileAtomically(old.string(), "new")) << "the real rename is back";
  EXPECT_EQ(Read(old), "new");
}

// Only a plain file that its owner may write is replaced, even by the superuser: a
// read-only file, a pipe, a loop of links, a folder stay as they were, with a reason;
// a missing folder or no name at all is refused too.
TEST_F(AtomicFile, ReplacesOnlyWritablePlainFiles) {
  const fs::path readOnly = dir / "read-only.abc";
  ASSERT_TRUE(WriteFileAtomically(readOnly.string(), "old"));
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe.mid").c_str(), 0600), 0);
  fs::create_symlink(dir / "loop.ini", dir / "loop.ini");
  fs::create_directories(dir / "taken" / "inside");
  const struct {
    fs::path path;
    const char* reason;
  } refused[] = {
      {readOnly, "it is read-only"},
      {dir / "pipe.mid", "it is a pipe, not a file"},
      {dir / "loop.ini", "Too many levels of symbolic links"},
      {dir / "taken", "taken"},
      {dir / "no" / "such.mid", "such.mid"},
      {"", ""},
  };
  for (const auto& r : refused) {
    const auto result = WriteFileAtomically(r.path.string(), "new");
    EXPECT_FALSE(result) << r.path;
    EXPECT_NE(result.error.find(r.reason), std::string::npos) << result.error;
  }
  EXPECT_EQ(Read(readOnly), "old");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.mid"));
  EXPECT_TRUE(fs::is_symlink(dir / "loop.ini"));
  EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
  EXPECT_EQ(FileCount(), 4u) << "no temporary file left";
}

// A file of another user, replaced by the superuser, stays that user's.
TEST_F(AtomicFile, AReplacedFileKeepsItsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file away";
  const fs::path target = dir / "theirs.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  ASSERT_TRUE(WriteFileAtomically(target.string(), "new"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(Read(target), "new");
}

}  // namespace
}  // namespace rq
