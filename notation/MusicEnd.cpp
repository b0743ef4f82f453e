// Where a tune's music ends.
#include "notation/MusicEnd.h"

namespace rq {

size_t MusicLineCount(std::span<const std::string> lines) {
  // The header ends with its K: line, as the parser reads it: a header line that
  // starts with "K:".
  bool body = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (body && EndsMusic(line)) return i;
    if (!body) body = line.starts_with("K:");
  }
  return lines.size();
}

}  // namespace rq
