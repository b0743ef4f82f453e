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
#include <memory>
#include <string_view>
#include <vector>

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

// The temporary name's stem: ".NAME.rqtmp-" in NAME's folder.
std::string TempPrefix(const std::string& target) {
  const std::string folder = FolderOf(target);
  return (folder == "/" ? "" : folder) + "/." + NameOf(target) + std::string(kTempMark);
}

// A name mkstemp made for this target: the prefix, then six letters or digits.
bool IsTempNameOf(std::string_view entry, std::string_view prefixName) {
  if (entry.size() != prefixName.size() + kTempSuffixLength || !entry.starts_with(prefixName)) return false;
  for (const char c : entry.substr(prefixName.size())) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

// Removes the plain files a write of this target cut short left behind; anything
// else in the folder is left alone.
void RemoveStaleTemps(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefixName = "." + NameOf(target) + std::string(kTempMark);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempNameOf(entry->d_name, prefixName)) continue;
    struct stat st {};
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ::unlinkat(dirFd, entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

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

// A symbolic link is followed, so that the file it points at is replaced and the link
// stays; a dangling link is replaced itself. A loop of links, or a link through a
// folder we may not search, is an error.
FileWriteResult ResolveTarget(const std::string& path, std::string& target) {
  target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return {true, {}};
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (real) {
    target = real.get();
  } else if (errno != ENOENT) {
    return Fail(Reason("Cannot write", path, errno));
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
  std::string temp = TempPrefix(target) + "XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return Fail(Reason("Cannot create a file beside", path, errno));
  temp.assign(name.data());

  auto abandon = [&](const char* what) {
    const int err = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    return Fail(Reason(what, path, err));
  };
  if (!WriteAll(fd, bytes)) return abandon("Cannot write");
  // The replaced file keeps its owner and group where we may give them (always for
  // the superuser); otherwise the new file is ours, as any rewrite would make it.
  if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) return abandon("Cannot set the owner of");
  if (::fchmod(fd, exists ? (old.st_mode & 07777) : DefaultMode()) != 0) return abandon("Cannot set the permissions of");
  if (::fsync(fd) != 0) return abandon("Cannot flush");
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Fail(Reason("Cannot write", path, err));
  }
  if (renameStep.load()(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Fail(Reason("Cannot replace", path, err));
  }
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
