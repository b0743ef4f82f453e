// Exclusive flock locks, on open files and on lock files beside shared files.
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace rq {

bool LockExclusively(int fd, bool wait) noexcept {
  const int operation = wait ? LOCK_EX : LOCK_EX | LOCK_NB;
  int locked = 0;
  do {
    locked = ::flock(fd, operation);
  } while (locked != 0 && errno == EINTR);
  return locked == 0;
}

std::string FileLock::LockFileOf(const std::string& path) {
  const std::filesystem::path file(path);
  return (file.parent_path() / ("." + file.filename().string() + ".lock")).string();
}

FileLock::FileLock(const std::string& path) {
  const std::string lockFile = LockFileOf(path);
  // A link or a pipe of that name is not followed and does not block the open.
  constexpr int kFlags = O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  int fd = ::open(lockFile.c_str(), O_RDWR | kFlags, 0666);
  // Another user's lock file may be ours to read only, and reading is all a local
  // lock needs (a network file system's may need writing).
  if (fd < 0 && errno == EACCES) fd = ::open(lockFile.c_str(), O_RDONLY | kFlags, 0666);
  if (fd < 0) {
    error_ = "Cannot make the lock file \"" + lockFile + "\": " + std::strerror(errno);
    return;
  }
  if (!LockExclusively(fd, true)) {
    error_ = "Cannot lock \"" + lockFile + "\": " + std::strerror(errno);
    ::close(fd);
    return;
  }
  fd_ = fd;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace rq
