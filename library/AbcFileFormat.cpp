#include "library/AbcFileFormat.h"

#include "platform/Numbers.h"

namespace rq {

bool IsTuneStart(std::string_view line) { return FieldAtColumnOneOrTwo(line, 'X').has_value(); }

std::optional<int64_t> TuneNumberOf(std::string_view line) {
  const auto at = FieldAtColumnOneOrTwo(line, 'X');
  if (!at) return std::nullopt;
  return ReadDigits(TrimBlanks(line.substr(*at + 2)), 2147483647);
}

std::optional<size_t> FieldAtColumnOneOrTwo(std::string_view line, char name) {
  // The first "N:" of the line starts at column 1 or 2 exactly when one of these holds.
  if (line.size() >= 2 && line[0] == name && line[1] == ':') return 0;
  if (line.size() >= 3 && line[1] == name && line[2] == ':') return 1;
  return std::nullopt;
}

std::optional<SetBlockLimits> FindSetBlock(const TLines& lines) {
  std::optional<size_t> open;
  size_t padding = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line == kReadableStartLine && i == padding) {
      ++padding;
      continue;
    }
    // A block below the first tune's start would make the rewrite delete tune lines.
    if (IsTuneStart(line)) return std::nullopt;
    if (line == kSetBlockOpen && !open) open = i;
    if (line == kSetBlockClose) {
      if (open) return SetBlockLimits{*open, i};
      return std::nullopt;
    }
    if (i >= 3 + padding && !open) return std::nullopt;
  }
  return std::nullopt;
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t from = 0;
  while (true) {
    const size_t comma = text.find(',', from);
    if (comma == std::string_view::npos) {
      pieces.push_back(text.substr(from));
      return pieces;
    }
    pieces.push_back(text.substr(from, comma - from));
    from = comma + 1;
  }
}

}  // namespace rq
