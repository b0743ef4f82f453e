// The ABC file's line format as the tune library reads it: where tunes begin, and
// the set block at the top of the file that stores sets and sessions.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ByteText.h"

namespace rq {

// A tune begins at a non-empty line whose first "X:" starts at column 1 or 2.
bool IsTuneStart(std::string_view line);
// The number of a tune start line ("X: 12" gives 12); nullopt when no digits follow
// the "X:" or the number passes 2147483647.
std::optional<int64_t> TuneNumberOf(std::string_view line);
// Where the line's first "N:" starts when that is column 1 or 2 (index 0 or 1).
std::optional<size_t> FieldAtColumnOneOrTwo(std::string_view line, char name);

inline constexpr std::string_view kSetBlockOpen = "%%BSET%";
inline constexpr std::string_view kSetBlockClose = "%%ESET%";
inline constexpr std::string_view kSetLinePrefix = "%%DSET%";
inline constexpr std::string_view kSessionLinePrefix = "%%DMSS%";

struct SetBlockLimits {
  size_t open = 0;   // the "%%BSET%" line
  size_t close = 0;  // the "%%ESET%" line
};

// The comment line a save puts at the top of a file whose first bytes would else
// hold a NUL byte (or read as a UTF-16 or UTF-32 mark): such a file is taken for
// binary or wide text and not opened, and deleting or pasting tunes can bring a
// stray NUL to the top. The line is longer than the bytes a reader looks at.
inline constexpr std::string_view kReadableStartLine =
    "% This file holds NUL bytes (character code 0): this line keeps them away from its start.";

// The block opens with "%%BSET%" on one of the first four lines (not counting a
// kReadableStartLine above it) and closes at the next "%%ESET%", before the first
// tune begins; anything else is no block.
std::optional<SetBlockLimits> FindSetBlock(const TLines& lines);

// Splits "a,b,,c" at commas into its pieces (empty ones included).
std::vector<std::string_view> SplitCommas(std::string_view text);

}  // namespace rq
