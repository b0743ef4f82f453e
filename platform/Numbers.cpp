// Overflow-safe integer reading.
#include "Numbers.h"

#include <limits>

namespace rq {

std::optional<int64_t> ReadDigits(std::string_view text, int64_t limit, size_t* used) {
  int64_t value = 0;
  size_t i = 0;
  bool over = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (!over) {
      value = value * 10 + (text[i] - '0');
      if (value > limit) over = true;
    }
    ++i;
  }
  if (used) *used = i;
  if (i == 0 || over) return std::nullopt;
  return value;
}

std::optional<int32_t> ParseInt(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  size_t used = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  const auto v = ReadDigits(text, limit, &used);
  if (!v || used != text.size()) return std::nullopt;
  return static_cast<int32_t>(negative ? -*v : *v);
}

int32_t StrToIntDef(std::string_view text, int32_t def) {
  if (!text.empty() && text[0] == '$') {
    text.remove_prefix(1);
    if (text.empty() || text.size() > 8) return def;
    uint32_t v = 0;
    for (char c : text) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return def;
      v = (v << 4) | static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(v);
  }
  return ParseInt(text).value_or(def);
}

}  // namespace rq
