// Opening a file with the desktop's default program for its type, as a double click
// in a file manager does, with word back when that fails.
#pragma once

#include <functional>
#include <string>

namespace rq {

// Called once: with "" when the desktop took the file, else with the reason it
// failed, in words for the user.
using OpenDocumentDone = std::function<void(const std::string& reason)>;

// Hands `path` to the desktop's opener (xdg-open, else Qt's desktop services) without
// waiting for it; `done` runs on the calling thread's event loop, or at once when the
// file is not there.
void OpenWithDesktop(const std::string& path, OpenDocumentDone done);

// The reason for an exit code of the desktop's opener (0: "").
std::string OpenerFailure(int exitCode);

}  // namespace rq
