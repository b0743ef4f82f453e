#include "screens/TypedText.h"

#include "platform/Cp1252.h"

namespace rq {

std::vector<std::string> FileByteForms(const QString& text) {
  std::vector<std::string> forms{text.toStdString()};
  bool lossless = false;
  std::string cp1252 = Utf8ToCp1252(forms.front(), &lossless);
  if (lossless && cp1252 != forms.front()) forms.push_back(std::move(cp1252));
  return forms;
}

}  // namespace rq
