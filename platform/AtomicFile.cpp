// Atomic file replacement: temporary file, fsync, rename, fsync of the folder.
#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileLock.h"
#include "platform/FileRead.h"

namespace rq {
namespace {

int SystemRename(const char* from, const char* to) { return ::rename(from, to); }
std::atomic<RenameStep> renameStep{&SystemRename};

std::string Reason(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kTempMark = ".rqtmp-";
constexpr size_t kTempSuffixLength = 6;  // mkstemp's XXXXXX

// The start of every temporary name of target NAME: ".NAME.rqtmp-".
std::string TempStem(const std::string& target) { return "." + NameOf(target) + std::string(kTempMark); }

// The temporary name's stem with NAME's folder before it.
std::string TempPrefix(const std::string& target) {
  const std::string folder = FolderOf(target);
  return (folder == "/" ? "" : folder) + "/" + TempStem(target);
}

// A name mkstemp made for this target: the stem, then six letters or digits.
bool IsTempNameOf(std::string_view entry, std::string_view stem) {
  if (entry.size() != stem.size() + kTempSuffixLength || !entry.starts_with(stem)) return false;
  for (const char c : entry.substr(stem.size())) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

// Removes a temporary file when no writer holds it: a writer locks its temporary file
// until the rename, so an unlocked one was left by a write cut short (the program
// killed). The name is never followed: a link, folder or other thing of such a name
// is not ours and stays. The name must still be the file that was locked, or it is a
// new writer's, made after the old one went.
void RemoveIfStale(int dirFd, const char* name) {
  int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) fd = ::openat(dirFd, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat opened {};
  struct stat named {};
  if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && LockExclusively(fd, false) &&
      ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
      named.st_ino == opened.st_ino) {
    ::unlinkat(dirFd, name, 0);
  }
  ::close(fd);
}

// Removes the temporary files of this target that writes cut short left behind.
void RemoveStaleTemps(const std::string& target) {
  const std::string stem = TempStem(target);
  DIR* dir = ::opendir(FolderOf(target).c_str());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (IsTempNameOf(entry->d_name, stem)) RemoveIfStale(dirFd, entry->d_name);
  }
  ::closedir(dir);
}

// The temporary file of a write, locked until the write ends so that no other write
// of the target takes it for stale. Another write may remove the new name before it
// is locked: then it is made again. Where the file system has no locks the write goes
// on unlocked.
class LockedTemp {
 public:
  LockedTemp() = default;
  ~LockedTemp() { Release(); }
  LockedTemp(const LockedTemp&) = delete;
  LockedTemp& operator=(const LockedTemp&) = delete;

  // Makes the file; false with errno set when it cannot be made.
  bool Make(const std::string& target) {
    for (int attempt = 0; attempt < 16; ++attempt) {
      std::string pattern = TempPrefix(target) + "XXXXXX";
      std::vector<char> name(pattern.begin(), pattern.end());
      name.push_back('\0');
      // Close-on-exec: a program started meanwhile must not inherit the lock and keep it.
      const int fd = ::mkostemp(name.data(), O_CLOEXEC);
      if (fd < 0) return false;
      if (LockExclusively(fd, true)) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_nlink == 0) {
          ::close(fd);
          continue;
        }
        // The lock belongs to the open file, not to the descriptor: this copy keeps
        // it after the written descriptor is closed, until the rename is done.
        lock_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
      }
      fd_ = fd;
      path_.assign(name.data());
      return true;
    }
    errno = EAGAIN;
    return false;
  }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  // Closes the written descriptor, reporting its error; the lock stays.
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }
  void Release() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (lock_ >= 0) ::close(std::exchange(lock_, -1));
  }

 private:
  int fd_ = -1;
  int lock_ = -1;
  std::string path_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The mode a newly created file gets: 0666 less the process's umask.
mode_t DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

FileWriteResult Fail(std::string reason) { return {false, std::move(reason)}; }

// The file a dangling link names: its links are followed, each relative one from its
// own folder, up to the first name that is missing. Fails with ELOOP on a loop.
bool FollowDanglingLink(const std::string& path, std::string& target) {
  constexpr int kMaxHops = 40;  // as the kernel allows
  std::string current = path;
  for (int hop = 0; hop < kMaxHops; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = current;
      return true;
    }
    std::error_code ec;
    std::string next = std::filesystem::read_symlink(current, ec).string();
    if (ec) {
      errno = ec.value();
      return false;
    }
    if (!next.starts_with('/') && current.find('/') != std::string::npos) next = FolderOf(current) + "/" + next;
    current = std::move(next);
  }
  errno = ELOOP;
  return false;
}

// A symbolic link is followed, so that the file it points at is replaced or, for a
// dangling link, made, and the link stays. A loop of links, a link through a folder
// we may not search, or one whose target's folder is missing is an error.
FileWriteResult ResolveTarget(const std::string& path, std::string& target) {
  target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return {true, {}};
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (real) {
    target = real.get();
    return {true, {}};
  }
  if (errno != ENOENT || !FollowDanglingLink(path, target)) return Fail(Reason("Cannot write", path, errno));
  struct stat folder {};
  if (::stat(FolderOf(target).c_str(), &folder) != 0) {
    return Fail("Cannot write \"" + path + "\": it links to \"" + target + "\", whose folder " +
                (errno == ENOENT ? std::string("does not exist") : "cannot be reached: " + std::string(std::strerror(errno))));
  }
  return {true, {}};
}

// Only a plain file is replaced, and only one the user may write: its owner's write
// bit is honoured even for the superuser, who could otherwise replace any file.
FileWriteResult CheckReplaceable(const std::string& path, const std::string& target,
                                 const struct stat& old) {
  if (!S_ISREG(old.st_mode)) {
    return Fail("Cannot write \"" + path + "\": " + NotAPlainFileReason(old.st_mode));
  }
  if ((old.st_mode & S_IWUSR) == 0) return Fail("Cannot replace \"" + path + "\": it is read-only");
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return Fail(Reason("Cannot replace", path, errno));
  }
  return {true, {}};
}

FileWriteResult WriteImpl(const std::string& path, std::string_view bytes) {
  if (path.empty()) return Fail("No file name given");
  std::string target;
  if (const FileWriteResult resolved = ResolveTarget(path, target); !resolved) return resolved;
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return Fail(Reason("Cannot write", path, errno));
  if (exists) {
    if (const FileWriteResult ok = CheckReplaceable(path, target, old); !ok) return ok;
  }

  RemoveStaleTemps(target);
  LockedTemp temp;
  if (!temp.Make(target)) return Fail(Reason("Cannot create a file beside", path, errno));
  const int fd = temp.Fd();

  auto abandon = [&](const char* what) {
    const int err = errno;
    temp.Release();
    ::unlink(temp.Path().c_str());
    return Fail(Reason(what, path, err));
  };
  if (!WriteAll(fd, bytes)) return abandon("Cannot write");
  // The replaced file keeps its owner and group where we may give them (always for
  // the superuser); otherwise the new file is ours, as any rewrite would make it.
  if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) return abandon("Cannot set the owner of");
  if (::fchmod(fd, exists ? (old.st_mode & 07777) : DefaultMode()) != 0) return abandon("Cannot set the permissions of");
  if (::fsync(fd) != 0) return abandon("Cannot flush");
  if (!temp.Close()) return abandon("Cannot write");
  if (renameStep.load()(temp.Path().c_str(), target.c_str()) != 0) return abandon("Cannot replace");
  temp.Release();
  // Make the rename itself durable; a failure here no longer endangers the data.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {true, {}};
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) noexcept {
  try {
    return WriteImpl(path, bytes);
  } catch (...) {
    FileWriteResult failed;
    failed.error = "Out of memory";  // short enough not to allocate
    return failed;
  }
}

RenameStep SetRenameStep(RenameStep step) noexcept { return renameStep.exchange(step ? step : &SystemRename); }

void IgnoreFileSizeSignal() noexcept { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace rq
