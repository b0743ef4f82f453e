// Text typed by the user looked up in a file's bytes, which are UTF-8 when valid as
// UTF-8 and Windows-1252 otherwise.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace rq {

// The byte forms typed text may take in a file: UTF-8, and Windows-1252 when that
// differs and can hold every character. Never empty.
std::vector<std::string> FileByteForms(const QString& text);

}  // namespace rq
