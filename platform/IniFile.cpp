#include "platform/IniFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/Cp1252.h"

namespace rq {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int32_t IniStrToIntDef(std::string_view text, int32_t def) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return def;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return def;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (value > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return def;
  }
  if (hex) {
    // Hexadecimal fills the 32 bits: $FFFFFFFF is -1.
    const auto bits = static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(bits)) : bits;
  }
  if (!negative && value > 0x7FFFFFFFull) return def;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<IniFile> IniFile::Load(const std::string& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return IniFile(path);
  // A folder in the file's place opens as a stream but has no size to read.
  if (!std::filesystem::is_regular_file(path, ec)) {
    if (error) *error = "Cannot read \"" + path + "\": it is not a file";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes;
  if (in) {
    bytes.resize(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  if (!in) {
    if (error) *error = "Cannot read \"" + path + "\": " + std::strerror(errno);
    return std::nullopt;
  }
  return FromBytes(path, bytes);
}

IniFile IniFile::FromBytes(std::string path, std::string_view bytes) {
  IniFile ini(std::move(path));
  ini.lineEnd_ = DetectLineEnd(bytes);
  ini.endsWithLineEnd_ = bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
  if (IsValidUtf8(bytes)) {
    ini.lines_ = SplitLines(bytes);
  } else {
    ini.cp1252_ = true;
    ini.lines_ = SplitLines(Cp1252ToUtf8(bytes));
  }
  return ini;
}

std::optional<std::string_view> IniFile::SectionName(std::string_view line) {
  line = TrimSpaces(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  return TrimSpaces(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

IniFile::Entry IniFile::Parse(std::string_view line) {
  const size_t eq = line.find('=');
  // Lines without "=" and comment lines hold no key.
  if (eq == std::string_view::npos || TrimSpaces(line).starts_with(';')) return {};
  std::string_view value = TrimSpaces(line.substr(eq + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return {TrimSpaces(line.substr(0, eq)), value};
}

std::optional<std::pair<size_t, size_t>> IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i]);
    if (!name || !EqualsIgnoreCaseAscii(*name, TrimSpaces(section))) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !SectionName(lines_[end])) ++end;
    return std::pair{i + 1, end};
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(std::string_view section, std::string_view key) const {
  const auto body = FindSection(section);
  if (!body) return std::nullopt;
  key = TrimSpaces(key);
  for (size_t i = body->first; i < body->second; ++i) {
    const Entry e = Parse(lines_[i]);
    if (!e.key.empty() && EqualsIgnoreCaseAscii(e.key, key)) return i;
  }
  return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const auto at = FindKey(section, key);
  return std::string(at ? Parse(lines_[*at]).value : def);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const auto at = FindKey(section, key);
  return at ? IniStrToIntDef(Parse(lines_[*at]).value, def) : def;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindKey(section, key).has_value();
}

bool IniFile::SectionExists(std::string_view section) const { return !ReadSection(section).empty(); }

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  const auto body = FindSection(section);
  if (!body) return keys;
  for (size_t i = body->first; i < body->second; ++i) {
    const Entry e = Parse(lines_[i]);
    if (e.key.empty()) continue;
    bool seen = false;
    for (const auto& k : keys) seen = seen || EqualsIgnoreCaseAscii(k, e.key);
    if (!seen) keys.emplace_back(e.key);
  }
  return keys;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> entries;
  for (const std::string& key : ReadSection(section)) {
    const std::string value = ReadString(section, key, "");
    if (!value.empty()) entries.push_back(key + "=" + value);
  }
  return entries;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  modified_ = true;
  if (const auto at = FindKey(section, key)) {
    std::string& line = lines_[*at];
    line = std::string(Parse(line).key) + "=" + std::string(value);
    return;
  }
  const std::string entry = std::string(TrimSpaces(key)) + "=" + std::string(value);
  if (const auto body = FindSection(section)) {
    // After the section's last non-blank line, so blank lines keep separating sections.
    size_t at = body->second;
    while (at > body->first && TrimSpaces(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
    return;
  }
  lines_.push_back("[" + std::string(TrimSpaces(section)) + "]");
  lines_.push_back(entry);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(std::string_view section) {
  while (const auto body = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(body->first - 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(body->second));
    modified_ = true;
  }
}

std::string IniFile::ToBytes() const {
  const std::string_view eol = LineEndText(lineEnd_);
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i];
    if (i + 1 < lines_.size() || endsWithLineEnd_) text += eol;
  }
  if (!cp1252_) return text;
  bool lossless = true;
  std::string bytes = Utf8ToCp1252(text, &lossless);
  // A character the code page cannot hold switches the file to UTF-8 rather than lose it.
  return lossless ? bytes : text;
}

FileWriteResult IniFile::Save() const { return WriteFileAtomically(path_, ToBytes()); }

}  // namespace rq
