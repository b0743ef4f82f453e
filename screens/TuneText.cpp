#include "screens/TuneText.h"

#include <algorithm>

#include "library/AbcFileFormat.h"
#include "platform/Cp1252.h"

namespace rq {
namespace {

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// UTF-8 lines in the encoding; Windows-1252 falls back to UTF-8 for all of them
// when one character has no byte there.
void EncodeUtf8Lines(std::span<std::string> lines, TextEncoding& encoding) {
  if (encoding == TextEncoding::Utf8) return;
  std::vector<std::string> converted;
  converted.reserve(lines.size());
  for (const std::string& line : lines) {
    bool lossless = true;
    converted.push_back(Utf8ToCp1252(line, &lossless));
    if (!lossless) {
      encoding = TextEncoding::Utf8;
      return;
    }
  }
  std::move(converted.begin(), converted.end(), lines.begin());
}

}  // namespace

std::optional<TextEncoding> BytesEncoding(std::span<const std::string> lines) {
  bool beyondAscii = false;
  for (const std::string& line : lines) {
    if (IsAscii(line)) continue;
    if (!IsValidUtf8(line)) return TextEncoding::Cp1252;
    beyondAscii = true;
  }
  if (beyondAscii) return TextEncoding::Utf8;
  return std::nullopt;
}

TextEncoding FileEncoding(std::span<const std::string> lines) {
  return BytesEncoding(lines).value_or(TextEncoding::Cp1252);
}

QString DecodeTune(std::span<const std::string> lines) {
  const bool cp1252 = BytesEncoding(lines) == TextEncoding::Cp1252;
  QString text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += QString::fromStdString(cp1252 ? Cp1252ToUtf8(lines[i]) : lines[i]);
  }
  return text;
}

TLines EncodeLines(const QStringList& lines, TextEncoding& encoding) {
  TLines bytes;
  bytes.reserve(static_cast<size_t>(lines.size()));
  for (const QString& line : lines) bytes.push_back(line.toStdString());
  EncodeUtf8Lines(bytes, encoding);
  return bytes;
}

TLines PastedTunes(const QString& text, TextEncoding fileEncoding) {
  TLines lines = SplitLines(text.toStdString());
  const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return IsTuneStart(l); });
  lines.erase(lines.begin(), first);
  for (auto start = lines.begin(); start != lines.end();) {
    const auto next = std::find_if(start + 1, lines.end(), [](const std::string& l) { return IsTuneStart(l); });
    TextEncoding encoding = fileEncoding;
    EncodeUtf8Lines(std::span(start, next), encoding);
    start = next;
  }
  return lines;
}

}  // namespace rq
