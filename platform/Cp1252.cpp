// Windows-1252 code page table and UTF-8 conversions.
#include "Cp1252.h"

#include "ByteText.h"

namespace rq {
namespace {

// 0x80..0x9F; every other byte is the code point of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at `i`; invalid bytes decode as U+FFFD and advance by one.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) { ++i; return c; }
  int extra = 0;
  char32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
  else { ++i; return 0xFFFD; }
  if (i + extra >= s.size()) { ++i; return 0xFFFD; }
  for (int k = 1; k <= extra; ++k) {
    const auto cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) { ++i; return 0xFFFD; }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  return cp;
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return 0x80 + i;
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string DisplayUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::string Utf8ToCp1252(std::string_view utf8, bool* lossless) {
  std::string out;
  out.reserve(utf8.size());
  bool ok = true;
  size_t i = 0;
  while (i < utf8.size()) {
    const int b = UnicodeToCp1252(DecodeUtf8(utf8, i));
    if (b < 0) {
      ok = false;
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  if (lossless) *lossless = ok;
  return out;
}

}  // namespace rq
