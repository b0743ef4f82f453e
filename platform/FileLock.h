// Exclusive locks (flock) that programs on one machine take before a step that must
// not interleave with the same step in another program.
#pragma once

#include <string>

namespace rq {

// Takes the exclusive lock of an open file, waiting for it when `wait` is set. A
// signal does not end the wait. Returns false with errno set when the lock is not
// taken (EWOULDBLOCK: another holds it and `wait` is not set).
bool LockExclusively(int fd, bool wait) noexcept;

// The lock of a file that several programs read, merge and write back: held on a
// lock file beside it, since replacing the file by a rename gives it a new inode, and
// a lock on the old one would keep nobody out. The lock file of "DIR/NAME" is
// "DIR/.NAME.lock"; it is made when missing and stays. The lock ends with this object
// or with the process, however it ends; a program started meanwhile does not inherit it.
class FileLock {
 public:
  // Waits until this process holds the lock of `path`. When the lock file cannot be
  // made or opened (a read-only folder), nothing is held and Error says why.
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  explicit operator bool() const { return fd_ >= 0; }
  const std::string& Error() const { return error_; }

  // The lock file of `path`.
  static std::string LockFileOf(const std::string& path);

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace rq
