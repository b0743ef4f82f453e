// Whole-file writes that either replace the target completely or leave it untouched.
#pragma once

#include <string>
#include <string_view>

namespace rq {

struct FileWriteResult {
  bool ok = false;
  std::string error;  // why the write failed, for the user; empty on success
  explicit operator bool() const { return ok; }
};

// Writes bytes to a temporary file beside path, flushes it to disk and renames it
// over path. Where path is a symbolic link, live or dangling, the file it links to is
// the target (replaced, or made with its folder there) and the link stays. On failure the old file (if any) is as it was and no temporary file is
// left behind. The temporary file of target NAME is ".NAME.rqtmp-XXXXXX" in NAME's
// folder, locked (flock) by its writer until the rename; one left by a write cut
// short (the program killed) is removed by the next write of the same target, while
// one another write still holds stays, and so does anything of such a name that is
// not a plain file (a link is never followed). A replaced file keeps its permissions (and its owner where we may give
// it); a new one gets the default ones. Only a plain file is replaced, and never one
// without its owner's write permission, whoever runs the program. Never throws.
FileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) noexcept;

// The step that moves the finished temporary file over the target: returns 0, or -1
// with errno set, as ::rename does. Replaceable so that tests can make it fail.
using RenameStep = int (*)(const char* from, const char* to);
// Sets the rename step of every later write (nullptr restores ::rename); returns the
// step it replaces.
RenameStep SetRenameStep(RenameStep step) noexcept;

// Ignores SIGXFSZ, so that a write past the process's file-size limit fails with
// "File too large" (and the old file stays) instead of killing the program.
void IgnoreFileSizeSignal() noexcept;

}  // namespace rq
