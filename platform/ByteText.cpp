// Line splitting and ASCII-only case handling over byte strings.
#include "ByteText.h"

#include <algorithm>
#include <cstring>

namespace rq {

namespace {

// Finds line breaks with the C library's vectorised byte search, one cursor for LF
// and one for CR, so long files split at memory speed.
class BreakFinder {
 public:
  explicit BreakFinder(std::string_view bytes) : begin_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  // The next CR or LF at or after `from`, or the end.
  const char* Next(const char* from) {
    if (lf_ < from) lf_ = Find(from, '\n');
    if (cr_ < from) cr_ = Find(from, '\r');
    return lf_ < cr_ ? lf_ : cr_;
  }
  const char* End() const { return end_; }

 private:
  const char* Find(const char* from, char c) const {
    const void* at = std::memchr(from, c, static_cast<size_t>(end_ - from));
    return at ? static_cast<const char*>(at) : end_;
  }
  const char* begin_;
  const char* end_;
  const char* lf_ = nullptr;
  const char* cr_ = nullptr;
};

}  // namespace

TLines SplitLines(std::string_view bytes) {
  TLines lines;
  if (bytes.empty()) return lines;
  // Sized once: a large file would otherwise move its lines several times as it grows.
  const char* const end = bytes.data() + bytes.size();
  // The first character after the line break at `brk` (CR LF is one break).
  const auto after = [end](const char* brk) { return brk + ((*brk == '\r' && brk + 1 < end && brk[1] == '\n') ? 2 : 1); };
  size_t count = 0;
  {
    BreakFinder finder(bytes);
    for (const char* p = finder.Next(bytes.data()); p != end; p = finder.Next(after(p))) ++count;
  }
  lines.reserve(count + 1);
  BreakFinder finder(bytes);
  const char* start = bytes.data();
  while (start < end) {
    const char* brk = finder.Next(start);
    lines.emplace_back(start, static_cast<size_t>(brk - start));
    if (brk == end) break;
    start = after(brk);
  }
  return lines;
}

LineEnd DetectLineEnd(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') return LineEnd::Lf;
    if (bytes[i] == '\r') {
      return (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? LineEnd::CrLf : LineEnd::Cr;
    }
  }
  return LineEnd::Lf;
}

std::string_view LineEndText(LineEnd end) {
  switch (end) {
    case LineEnd::CrLf: return "\r\n";
    case LineEnd::Cr: return "\r";
    case LineEnd::Lf: break;
  }
  return "\n";
}

std::string JoinLines(const TLines& lines, LineEnd end) {
  const std::string_view eol = LineEndText(end);
  size_t total = 0;
  for (const auto& line : lines) total += line.size() + eol.size();
  std::string out;
  out.reserve(total);
  for (const auto& line : lines) {
    out += line;
    out += eol;
  }
  return out;
}

char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

int CompareCaseBlind(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(ToLowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(ToLowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool ContainsCaseBlind(std::string_view text, std::string_view lowered) {
  if (lowered.empty()) return true;
  if (lowered.size() > text.size()) return false;
  const char first = lowered[0];
  const char upper = first >= 'a' && first <= 'z' ? static_cast<char>(first - ('a' - 'A')) : first;
  for (size_t i = 0; i + lowered.size() <= text.size(); ++i) {
    if (text[i] != first && text[i] != upper) continue;
    size_t k = 1;
    while (k < lowered.size() && ToLowerAscii(text[i + k]) == lowered[k]) ++k;
    if (k == lowered.size()) return true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) { ++i; continue; }
    int extra;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
    else return false;
    if (i + extra >= n) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace rq
