// Plain-file reads: stat before opening, open without blocking, check again what
// was opened, then read to the end.
#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rq {
namespace {

FileReadResult Failed(const std::string& path, const std::string& reason) {
  FileReadResult result;
  result.error = "Cannot read \"" + path + "\": " + reason;
  return result;
}

// A failed look-up: only a missing name is a missing file.
FileReadResult FromErrno(const std::string& path, int err) {
  if (err == ENOENT) {
    FileReadResult result;
    result.status = FileReadStatus::Missing;
    return result;
  }
  return Failed(path, std::strerror(err));
}

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() { ::close(fd_); }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  int fd_;
};

FileReadResult ReadImpl(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return FromErrno(path, errno);
  if (!S_ISREG(st.st_mode)) return Failed(path, NotAPlainFileReason(st.st_mode));
  // Not blocking: a pipe put in the file's place after the look-up must not hang us.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FromErrno(path, errno);
  const FdCloser closer(fd);
  if (::fstat(fd, &st) != 0) return Failed(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Failed(path, NotAPlainFileReason(st.st_mode));

  FileReadResult result;
  result.bytes.resize(static_cast<size_t>(st.st_size));
  size_t used = 0;
  for (;;) {
    ssize_t n = 0;
    if (used < result.bytes.size()) {
      n = ::read(fd, result.bytes.data() + used, result.bytes.size() - used);
    } else {
      // The buffer holds the size the look-up gave: a small read says whether the
      // file grew since, so a file of the expected size is never copied to grow.
      char probe[4096];
      n = ::read(fd, probe, sizeof probe);
      if (n > 0) {
        result.bytes.resize(used + std::max<size_t>(used / 2, 65536));
        std::memcpy(result.bytes.data() + used, probe, static_cast<size_t>(n));
      }
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(path, std::strerror(errno));
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  result.bytes.resize(used);
  result.status = FileReadStatus::Read;
  return result;
}

}  // namespace

std::string NotAPlainFileReason(unsigned mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a pipe, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return "it is not a file";
}

std::string NotEightBitTextReason(std::string_view bytes) {
  static constexpr std::string_view kUtf32Marks[] = {{"\xFF\xFE\0\0", 4}, {"\0\0\xFE\xFF", 4}};
  static constexpr std::string_view kUtf16Marks[] = {"\xFF\xFE", "\xFE\xFF"};
  // The UTF-32 little-endian mark begins with the UTF-16 one: it is looked for first.
  for (const std::string_view mark : kUtf32Marks) {
    if (bytes.starts_with(mark)) return "it is UTF-32 text, not 8-bit text (UTF-8 or Windows-1252)";
  }
  for (const std::string_view mark : kUtf16Marks) {
    if (bytes.starts_with(mark)) return "it is UTF-16 text, not 8-bit text (UTF-8 or Windows-1252)";
  }
  if (bytes.substr(0, kTextProbeBytes).find('\0') != std::string_view::npos) {
    return "it holds NUL bytes at its start: it is not 8-bit text (UTF-8 or Windows-1252)";
  }
  return {};
}

FileReadResult ReadRegularFile(const std::string& path) noexcept {
  try {
    return ReadImpl(path);
  } catch (...) {
    FileReadResult result;
    result.error = "Out of memory";  // short enough not to allocate
    return result;
  }
}

FileReadResult ReadTextFile(const std::string& path) noexcept {
  FileReadResult read = ReadRegularFile(path);
  if (read.status != FileReadStatus::Read) return read;
  try {
    const std::string reason = NotEightBitTextReason(read.bytes);
    if (!reason.empty()) return Failed(path, reason);
  } catch (...) {
    FileReadResult result;
    result.error = "Out of memory";
    return result;
  }
  return read;
}

}  // namespace rq
