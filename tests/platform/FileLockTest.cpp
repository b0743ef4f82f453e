// Locks that programs take before a step on a shared file: one holder at a time, the
// others wait; no lock file, no lock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "platform/FileLock.h"

extern char** environ;

namespace rq {
namespace {

namespace fs = std::filesystem;

class FileLockTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove_all(dir);
  }
  // Whether another open of the lock file could take the lock now, without waiting.
  bool FreeNow() const {
    const int fd = ::open(FileLock::LockFileOf(trash).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool taken = LockExclusively(fd, false);
    ::close(fd);
    return taken;
  }

  const fs::path dir = fs::temp_directory_path() / ("rq_filelock_" + std::to_string(::getpid()));
  const std::string trash = (dir / "trash").string();
};

// The lock file is hidden beside the file it guards; while one program holds the
// lock, another waits for it and goes on as soon as the first lets go. The other
// program starts before the lock is taken, so as not to share it.
TEST_F(FileLockTest, AnotherProgramWaitsUntilTheHolderLetsGo) {
  EXPECT_EQ(FileLock::LockFileOf(trash), (dir / ".trash.lock").string());
  int go[2];
  int asked[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(asked), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);
    ::close(asked[0]);
    ::close(go[1]);
    char c = 0;
    if (::read(go[0], &c, 1) != 1) ::_exit(3);
    const int fd = ::open(FileLock::LockFileOf(trash).c_str(), O_RDONLY | O_CLOEXEC);
    const char busy = (fd >= 0 && !LockExclusively(fd, false) && errno == EWOULDBLOCK) ? 'b' : 'f';
    if (::write(asked[1], &busy, 1) != 1) ::_exit(3);
    const FileLock mine(trash);
    ::_exit(busy == 'b' && mine ? 0 : 1);
  }
  ::close(asked[1]);
  ::close(go[0]);
  auto held = std::make_unique<FileLock>(trash);
  ASSERT_TRUE(*held) << held->Error();
  EXPECT_TRUE(fs::is_regular_file(dir / ".trash.lock"));
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  char busy = 0;
  ASSERT_EQ(::read(asked[0], &busy, 1), 1);
  ::close(asked[0]);
  ::close(go[1]);
  EXPECT_EQ(busy, 'b') << "the held lock was free to another program";
  held.reset();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the waiting program never got the lock";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(FreeNow());
}

std::atomic<int> signalsCaught{0};

void CountSignal(int) { signalsCaught.fetch_add(1); }

// The system call a thread of this process is blocked in, or -1 while it runs.
long BlockedIn(pid_t thread) {
  std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/syscall");
  std::string call;
  if (!(file >> call) || call == "running") return -1;
  return std::stol(call);
}

// A signal caught while a thread waits for the lock interrupts its flock (the handler
// is installed without SA_RESTART), and the wait goes on: the waiter takes the lock,
// and only once the holder has let go.
TEST_F(FileLockTest, ASignalDoesNotEndTheWait) {
  if (!std::ifstream("/proc/self/syscall")) GTEST_SKIP() << "no /proc/self/syscall to see a thread wait";
  signalsCaught = 0;
  struct sigaction caught {};
  caught.sa_handler = CountSignal;
  sigemptyset(&caught.sa_mask);
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGUSR1, &caught, &before), 0);
  auto held = std::make_unique<FileLock>(trash);
  ASSERT_TRUE(*held) << held->Error();

  std::atomic<pid_t> waiterId{0};
  std::atomic<bool> done{false};
  bool taken = false;
  std::thread waiter([&] {
    waiterId = ::gettid();
    const FileLock mine(trash);
    taken = static_cast<bool>(mine);
    done = true;
  });
  const auto waitUntilLocking = [&] {
    while (!done && (waiterId == 0 || BlockedIn(waiterId) != SYS_flock)) std::this_thread::yield();
  };
  bool waitedOn = true;
  for (int signals = 1; signals <= 3 && waitedOn; ++signals) {
    waitUntilLocking();
    waitedOn = !done;
    if (waitedOn && ::pthread_kill(waiter.native_handle(), SIGUSR1) == 0) {
      while (signalsCaught < signals) std::this_thread::yield();
    }
  }
  waitUntilLocking();
  waitedOn = waitedOn && !done;
  held.reset();
  waiter.join();
  ::sigaction(SIGUSR1, &before, nullptr);
  EXPECT_EQ(signalsCaught, 3);
  EXPECT_TRUE(waitedOn) << "a signal ended the wait for the lock";
  EXPECT_TRUE(taken) << "the waiter never got the lock";
}

// A program started while the lock is held does not inherit it: the lock ends with
// its holder, not with whatever the holder started.
TEST_F(FileLockTest, AProgramStartedMeanwhileDoesNotKeepTheLock) {
  pid_t sleeper = 0;
  {
    const FileLock held(trash);
    ASSERT_TRUE(held) << held.Error();
    const char* argv[] = {"sleep", "60", nullptr};
    ASSERT_EQ(::posix_spawnp(&sleeper, "sleep", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    EXPECT_FALSE(FreeNow());
  }
  EXPECT_TRUE(FreeNow());
  ::kill(sleeper, SIGKILL);
  ::waitpid(sleeper, nullptr, 0);
}

// Where the lock file cannot be had (a folder or a link of its name, a folder nobody
// may write) there is no lock, and the reason names the lock file.
TEST_F(FileLockTest, NoLockFileNoLock) {
  fs::create_directories(dir / ".trash.lock");
  const FileLock onFolder(trash);
  EXPECT_FALSE(onFolder);
  EXPECT_NE(onFolder.Error().find("\"" + (dir / ".trash.lock").string() + "\": Is a directory"), std::string::npos)
      << onFolder.Error();

  fs::create_symlink(dir / "elsewhere", dir / ".filer.lock");
  const FileLock onLink((dir / "filer").string());
  EXPECT_FALSE(onLink);
  EXPECT_FALSE(fs::exists(dir / "elsewhere"));

  if (::geteuid() == 0) return;  // the superuser writes into any folder
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  const FileLock readOnly((dir / "tunes").string());
  EXPECT_FALSE(readOnly);
  EXPECT_NE(readOnly.Error().find("Permission denied"), std::string::npos) << readOnly.Error();
}

}  // namespace
}  // namespace rq
