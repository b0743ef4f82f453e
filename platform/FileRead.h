// Whole-file reads that take only plain files: a folder, pipe, device or socket in a
// file's place is refused with a reason, so a read never blocks on a pipe nor grows
// without end on a device.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rq {

enum class FileReadStatus {
  Read,     // bytes hold the whole file
  Missing,  // no such file: nothing of that name, or a dangling link
  Failed,   // it exists (or cannot be looked at) and cannot be read: error says why
};

struct FileReadResult {
  FileReadStatus status = FileReadStatus::Failed;
  std::string bytes;
  std::string error;  // "Cannot read \"PATH\": REASON", for the user
};

// Only "no such file" is Missing; a loop of links, a folder that may not be
// searched, a path below a plain file, a folder, a pipe, a device or a socket
// is Failed with its reason. Never throws.
FileReadResult ReadRegularFile(const std::string& path) noexcept;

// ReadRegularFile, then the content refused as Failed when it is no 8-bit text
// (NotEightBitTextReason), with the same "Cannot read" error.
FileReadResult ReadTextFile(const std::string& path) noexcept;

// How many bytes at the start of a file are looked at for NUL bytes.
inline constexpr size_t kTextProbeBytes = 64;

// Why a file's content is not 8-bit text: a UTF-16 or UTF-32 byte-order mark, or a
// NUL byte among the first kTextProbeBytes bytes (UTF-16 or UTF-32 without a mark,
// or a binary file). Empty for 8-bit text; NUL bytes further on are taken as text.
std::string NotEightBitTextReason(std::string_view bytes);

// Why a file of this kind (stat's st_mode) is not read: "it is a folder, not a
// file" and the like; empty for a plain file.
std::string NotAPlainFileReason(unsigned mode);

}  // namespace rq
