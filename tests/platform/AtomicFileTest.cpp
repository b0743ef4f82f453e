// Atomic file writes: the target is replaced whole or left as it was.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/AtomicFile.h"

namespace {

// What another program does to the folder at the moment this one asks for a lock on a
// file there (given the file's path and the lock asked for); nothing when empty.
std::function<void(const std::string& path, int operation)> beforeFlock;

}  // namespace

// Every flock of the program under test passes through here, standing in for the C
// library's, so that a test can act between a file's opening and its locking.
extern "C" int flock(int fd, int operation) noexcept {
  if (beforeFlock) {
    char path[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    if (n > 0) beforeFlock(std::string(path, static_cast<size_t>(n)), operation);
  }
  return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

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

// A dangling link (or a chain of them, each relative to its own folder) has its target
// made, with the temporary file beside that target; the link stays. Where the
// target's folder is missing the write fails with the reason and nothing changes.
TEST_F(AtomicFile, ADanglingLinkHasItsTargetMade) {
  fs::create_directories(dir / "real");
  fs::create_directories(dir / "links");
  fs::create_symlink("../real/new.abc", dir / "links" / "hop.abc");
  fs::create_symlink("links/hop.abc", dir / "link.abc");
  std::string tempFolder;
  beforeFlock = [&](const std::string& path, int) {
    if (path.find(".rqtmp-") != std::string::npos) tempFolder = fs::path(path).parent_path().string();
  };
  const auto written = WriteFileAtomically((dir / "link.abc").string(), "new");
  beforeFlock = nullptr;
  ASSERT_TRUE(written) << written.error;
  EXPECT_EQ(Read(dir / "real" / "new.abc"), "new");
  EXPECT_EQ(tempFolder, (dir / "real").string()) << "the rename stays on the target's file system";
  EXPECT_TRUE(fs::is_symlink(dir / "link.abc"));
  EXPECT_TRUE(fs::is_symlink(dir / "links" / "hop.abc"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 1);

  fs::create_symlink("gone/new.abc", dir / "nowhere.abc");
  const auto refused = WriteFileAtomically((dir / "nowhere.abc").string(), "new");
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.error.find("nowhere.abc"), std::string::npos) << refused.error;
  EXPECT_NE(refused.error.find("does not exist"), std::string::npos) << refused.error;
  EXPECT_EQ(fs::read_symlink(dir / "nowhere.abc"), "gone/new.abc");
  EXPECT_FALSE(fs::exists(dir / "gone"));
  EXPECT_EQ(FileCount(), 4u) << "no temporary file left";
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

// A temporary file left by a write cut short is removed by the next write of its
// target; names that are not exactly such a file of that target stay.
TEST_F(AtomicFile, TheNextWriteRemovesATemporaryFileLeftBehind) {
  const fs::path target = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  const std::string stale = ".tunes.abc.rqtmp-a1B2c3";
  const std::string kept[] = {".tunes.abc.rqtmp-a1B2c",  ".tunes.abc.rqtmp-a1B2c3d", ".other.abc.rqtmp-a1B2c3",
                              "tunes.abc.rqtmp-a1B2c3",  ".tunes.abc.rqtmp-ab-c12", ".tunes.ab.rqtmp-a1B2c3",
                              ".tunes.abc.XXXXXX"};
  std::ofstream(dir / stale) << std::string(4096, 'x');
  for (const std::string& name : kept) std::ofstream(dir / name) << "someone else's";
  fs::create_directories(dir / ".tunes.abc.rqtmp-Folder");

  ASSERT_TRUE(WriteFileAtomically(target.string(), "new"));
  EXPECT_FALSE(fs::exists(dir / stale));
  for (const std::string& name : kept) EXPECT_EQ(Read(dir / name), "someone else's") << name;
  EXPECT_TRUE(fs::is_directory(dir / ".tunes.abc.rqtmp-Folder"));
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(FileCount(), 1u + std::size(kept) + 1u);
}

// A pipe named like a temporary file of the target is not the program's: a save
// neither waits for someone to write into it nor removes it. The write runs in a
// child that an alarm ends if it hangs.
TEST_F(AtomicFile, APipeNamedLikeATemporaryFileStays) {
  const fs::path target = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  const fs::path pipe = dir / ".tunes.abc.rqtmp-P1pe00";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);
    ::_exit(WriteFileAtomically(target.string(), "new") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the write hung, ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(Read(target), "new");
}

// Another write of the target may take a temporary file for stale and remove it
// between its making and its locking, or replace a stale one with its own between
// the opening and the locking of a clean-up: the write whose file went makes another
// and succeeds, and the clean-up leaves the file now of that name alone.
TEST_F(AtomicFile, TemporaryFilesThatVanishBeforeTheirLock) {
  const fs::path target = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  struct Hook {
    ~Hook() { beforeFlock = nullptr; }
  } restore;

  int removed = 0;
  beforeFlock = [&](const std::string& path, int operation) {
    if (operation == LOCK_EX && removed == 0 && path.find(".rqtmp-") != std::string::npos) {
      ++removed;
      ::unlink(path.c_str());
    }
  };
  FileWriteResult result = WriteFileAtomically(target.string(), "new");
  EXPECT_TRUE(result) << result.error;
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(FileCount(), 1u);

  const fs::path stale = dir / ".tunes.abc.rqtmp-St4le0";
  std::ofstream(stale) << "left by a write cut short";
  int replaced = 0;
  beforeFlock = [&](const std::string& path, int operation) {
    if ((operation & LOCK_NB) && path == stale.string() && replaced == 0) {
      ++replaced;
      ::unlink(path.c_str());
      std::ofstream(path) << "another write's";
    }
  };
  result = WriteFileAtomically(target.string(), "newer");
  EXPECT_TRUE(result) << result.error;
  EXPECT_EQ(replaced, 1);
  EXPECT_EQ(Read(stale), "another write's");
  EXPECT_EQ(Read(target), "newer");
}

// Links named like a temporary file of the target are not the program's: a save
// leaves them, and what they point at, as they are.
TEST_F(AtomicFile, ALinkNamedLikeATemporaryFileStays) {
  const fs::path target = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  std::ofstream(dir / "victim.abc") << "X:1\nT:Kept\n";
  const fs::path toFile = dir / ".tunes.abc.rqtmp-L1nk00";
  const fs::path dangling = dir / ".tunes.abc.rqtmp-L1nk01";
  fs::create_symlink("victim.abc", toFile);
  fs::create_symlink("nowhere.abc", dangling);

  ASSERT_TRUE(WriteFileAtomically(target.string(), "new"));
  EXPECT_TRUE(fs::is_symlink(toFile));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(Read(dir / "victim.abc"), "X:1\nT:Kept\n");
  EXPECT_EQ(Read(target), "new");
}

// The live writer of the next test: at its rename it says so on one pipe and waits
// for the word to go on from the other.
int heldReady = -1;
int heldGo = -1;
int RenameWhenTold(const char* from, const char* to) {
  char c = 'r';
  if (::write(heldReady, &c, 1) != 1 || ::read(heldGo, &c, 1) != 1) return -1;
  return ::rename(from, to);
}

// Two programs writing one file at once: the one that starts later leaves the
// temporary file the other still writes, and both writes succeed.
TEST_F(AtomicFile, AWriteLeavesTheTemporaryFileOfAnotherLiveWrite) {
  const fs::path target = dir / "settings.ini";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  int ready[2];
  int go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    heldReady = ready[1];
    heldGo = go[0];
    SetRenameStep(&RenameWhenTold);
    ::_exit(WriteFileAtomically(target.string(), "first") ? 0 : 1);
  }
  ::close(ready[1]);
  ::close(go[0]);
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1) << "the first writer never reached its rename";
  ASSERT_EQ(FileCount(), 2u) << "the first writer's temporary file is there";

  const FileWriteResult second = WriteFileAtomically(target.string(), "second");
  EXPECT_TRUE(second) << second.error;
  EXPECT_EQ(Read(target), "second");
  EXPECT_EQ(FileCount(), 2u) << "the held temporary file survived";

  ASSERT_EQ(::write(go[1], "g", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(ready[0]);
  ::close(go[1]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the first write failed";
  EXPECT_EQ(Read(target), "first");
  EXPECT_EQ(FileCount(), 1u);
}

// The temporary file is hidden beside its target and named after it, so a user who
// sees one knows which file it belongs to.
TEST_F(AtomicFile, TheTemporaryFileIsNamedAfterItsTarget) {
  static std::string renamedFrom;
  const RenameStep previous = SetRenameStep([](const char* from, const char* to) {
    renamedFrom = from;
    return ::rename(from, to);
  });
  const fs::path target = dir / "Reels (2).abc";
  const FileWriteResult result = WriteFileAtomically(target.string(), "X:1\n");
  SetRenameStep(previous);
  ASSERT_TRUE(result) << result.error;
  const std::string prefix = (dir / ".Reels (2).abc.rqtmp-").string();
  EXPECT_EQ(renamedFrom.substr(0, prefix.size()), prefix);
  EXPECT_EQ(renamedFrom.size(), prefix.size() + 6);
}

// Past the file-size limit the write fails with its reason and the old file stays:
// the limit's signal does not end the program. The limit is set in a child process.
TEST_F(AtomicFile, AWritePastTheFileSizeLimitFailsAndKeepsTheOldFile) {
  const fs::path target = dir / "tunes.abc";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  int reason[2];
  ASSERT_EQ(::pipe(reason), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(reason[0]);
    IgnoreFileSizeSignal();
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    const FileWriteResult result = WriteFileAtomically(target.string(), std::string(65536, 'x'));
    if (::write(reason[1], result.error.data(), result.error.size()) < 0) ::_exit(3);
    ::_exit(result ? 1 : 0);
  }
  ::close(reason[1]);
  std::string error;
  char buffer[512];
  for (ssize_t n; (n = ::read(reason[0], buffer, sizeof buffer)) > 0;) error.append(buffer, static_cast<size_t>(n));
  ::close(reason[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not fail";
  EXPECT_EQ(error, "Cannot write \"" + target.string() + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(FileCount(), 1u) << "no temporary file left";
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
