// Settings and language files: Windows INI files, read and written with the rules
// they were always read with. Section and key names compare without case; the key
// is the text before the first "=", the value the rest, trimmed, with one pair of
// outer quotes removed and no escapes; the first of two equal keys wins. Writing
// changes a value in place or appends a key at its section's end, and keeps every
// other line, comment and order. Qt's own INI format follows other rules (commas,
// backslashes, case) and is not used for these files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ByteText.h"

namespace rq {

// An integer as the settings were always read: optional blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$" or "0x"; anything else, or
// a value outside 32 bits, gives `def`.
int32_t IniStrToIntDef(std::string_view text, int32_t def);

class IniFile {
 public:
  // An empty file that will be written to `path`.
  explicit IniFile(std::string path = {});
  // Reads the file at `path`; a missing file reads as empty. Bytes are decoded as
  // UTF-8 when they are valid UTF-8, else as Windows-1252. Returns nullopt with the
  // reason when the file exists but cannot be read, or is no plain file.
  static std::optional<IniFile> Load(const std::string& path, std::string* error = nullptr);
  // The same from bytes already read.
  static IniFile FromBytes(std::string path, std::string_view bytes);

  const std::string& Path() const { return path_; }

  // Values are UTF-8 text.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // A section exists when it holds at least one key.
  bool SectionExists(std::string_view section) const;
  // The section's keys in file order, each once.
  std::vector<std::string> ReadSection(std::string_view section) const;
  // The section's entries as "key=value" in file order: each key once with its
  // first value; entries with an empty value are left out.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void EraseSection(std::string_view section);
  // Removes the key's line; the section stays, empty or not.
  void DeleteKey(std::string_view section, std::string_view key);

  bool Modified() const { return modified_; }
  // The file's bytes: its own line ends, and Windows-1252 when it was read so and
  // every character still fits.
  std::string ToBytes() const;
  // Writes the file atomically.
  FileWriteResult Save() const;

 private:
  struct Entry {
    std::string_view key;    // trimmed; empty for a line without "="
    std::string_view value;  // trimmed, quotes removed
  };
  // The first section of a name: its body lines [first, end), and its keys (each
  // once, the first wins) in file order and by lower-cased name.
  struct Section {
    size_t first = 0;
    size_t end = 0;
    std::vector<size_t> keyLines;
    std::unordered_map<std::string, size_t> byKey;
  };
  using Index = std::unordered_map<std::string, Section>;  // by lower-cased name

  static std::optional<std::string_view> SectionName(std::string_view line);
  static Entry Parse(std::string_view line);
  // Sections and keys found in one pass over the lines, so that a file of any size
  // is read in linear time; made on the first look-up after lines were added or
  // removed (a value changed in place keeps it).
  const Index& Indexed() const;
  const Section* FindSection(std::string_view section) const;
  std::optional<size_t> FindKey(std::string_view section, std::string_view key) const;

  std::string path_;
  TLines lines_;  // UTF-8
  LineEnd lineEnd_ = LineEnd::Lf;
  bool cp1252_ = false;
  bool endsWithLineEnd_ = true;
  bool modified_ = false;
  mutable std::optional<Index> index_;
};

}  // namespace rq
