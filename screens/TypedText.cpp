#include "screens/TypedText.h"

#include <algorithm>

#include "platform/Cp1252.h"

namespace rq {

std::vector<std::string> FileByteForms(const QString& text) {
  std::vector<std::string> forms{text.toStdString()};
  bool lossless = false;
  std::string cp1252 = Utf8ToCp1252(forms.front(), &lossless);
  if (lossless && cp1252 != forms.front()) forms.push_back(std::move(cp1252));
  return forms;
}

std::string FileBytes(const QString& text, const TLines& fileLines) {
  std::string utf8 = text.toStdString();
  const bool utf8File =
      std::all_of(fileLines.begin(), fileLines.end(), [](const std::string& line) { return IsValidUtf8(line); });
  if (utf8File) return utf8;
  bool lossless = false;
  std::string cp1252 = Utf8ToCp1252(utf8, &lossless);
  return lossless ? cp1252 : utf8;
}

}  // namespace rq
