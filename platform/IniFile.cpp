#include "platform/IniFile.h"

#include "platform/Cp1252.h"
#include "platform/FileRead.h"

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
  FileReadResult read = ReadRegularFile(path);
  if (read.status == FileReadStatus::Missing) return IniFile(path);
  if (read.status == FileReadStatus::Failed) {
    if (error) *error = std::move(read.error);
    return std::nullopt;
  }
  return FromBytes(path, read.bytes);
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

const IniFile::Index& IniFile::Indexed() const {
  if (index_) return *index_;
  index_.emplace();
  Section* open = nullptr;     // the section whose body is being read
  Section* current = nullptr;  // the same, unless it repeats an earlier name
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionName(lines_[i])) {
      if (open) open->end = i;
      // A repeated section name is never read: the first section of a name wins.
      const auto [at, added] = index_->emplace(ToLowerAscii(*name), Section{i + 1, lines_.size(), {}, {}});
      open = added ? &at->second : nullptr;
      current = open;
      continue;
    }
    if (!current) continue;
    const Entry e = Parse(lines_[i]);
    if (e.key.empty()) continue;
    if (current->byKey.emplace(ToLowerAscii(e.key), i).second) current->keyLines.push_back(i);
  }
  return *index_;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  const Index& index = Indexed();
  const auto it = index.find(ToLowerAscii(TrimSpaces(section)));
  return it == index.end() ? nullptr : &it->second;
}

std::optional<size_t> IniFile::FindKey(std::string_view section, std::string_view key) const {
  const Section* body = FindSection(section);
  if (!body) return std::nullopt;
  const auto it = body->byKey.find(ToLowerAscii(TrimSpaces(key)));
  if (it == body->byKey.end()) return std::nullopt;
  return it->second;
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

bool IniFile::SectionExists(std::string_view section) const {
  const Section* body = FindSection(section);
  return body && !body->keyLines.empty();
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* body = FindSection(section)) {
    keys.reserve(body->keyLines.size());
    for (const size_t line : body->keyLines) keys.emplace_back(Parse(lines_[line]).key);
  }
  return keys;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> entries;
  const Section* body = FindSection(section);
  if (!body) return entries;
  for (const size_t line : body->keyLines) {
    const Entry e = Parse(lines_[line]);
    if (!e.value.empty()) entries.push_back(std::string(e.key) + "=" + std::string(e.value));
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
  if (const Section* body = FindSection(section)) {
    // After the section's last non-blank line, so blank lines keep separating sections.
    size_t at = body->end;
    while (at > body->first && TrimSpaces(lines_[at - 1]).empty()) --at;
    index_.reset();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
    return;
  }
  index_.reset();
  lines_.push_back("[" + std::string(TrimSpaces(section)) + "]");
  lines_.push_back(entry);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(std::string_view section) {
  while (const Section* body = FindSection(section)) {
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(body->first - 1);
    const auto end = lines_.begin() + static_cast<std::ptrdiff_t>(body->end);
    index_.reset();
    lines_.erase(first, end);
    modified_ = true;
  }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  const auto at = FindKey(section, key);
  if (!at) return;
  index_.reset();
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
  modified_ = true;
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
