#include "screens/DisplayText.h"

#include "platform/ByteText.h"
#include "platform/Cp1252.h"

namespace rq {

QString DisplayText(std::string_view bytes) {
  const auto size = static_cast<qsizetype>(bytes.size());
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), size);
  return QString::fromStdString(Cp1252ToUtf8(bytes));
}

std::vector<std::string> FileByteForms(const QString& text) {
  std::vector<std::string> forms{text.toStdString()};
  bool lossless = false;
  std::string cp1252 = Utf8ToCp1252(forms.front(), &lossless);
  if (lossless && cp1252 != forms.front()) forms.push_back(std::move(cp1252));
  return forms;
}

}  // namespace rq
