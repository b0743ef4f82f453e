#include "library/SetBlock.h"

namespace rq {

bool IsTuneStart(std::string_view line) {
  const size_t x = line.find("X:");
  return x == 0 || x == 1;
}

std::optional<SetBlockLimits> FindSetBlock(const TLines& lines) {
  std::optional<size_t> open;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // A block below the first tune's start would make the rewrite delete tune lines.
    if (IsTuneStart(line)) return std::nullopt;
    if (line == kSetBlockOpen && !open) open = i;
    if (line == kSetBlockClose) {
      if (open) return SetBlockLimits{*open, i};
      return std::nullopt;
    }
    if (i >= 3 && !open) return std::nullopt;
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
