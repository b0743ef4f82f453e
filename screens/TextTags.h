// The texts of a screen that a language file may replace: each object with its key
// in the file's [Cmpstring] section. The resource module applies them.
#pragma once

#include <vector>

class QObject;

namespace rq {

struct TextTag {
  QObject* object;
  int tag;
};
using TextTags = std::vector<TextTag>;

}  // namespace rq
