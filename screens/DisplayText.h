// File bytes shown on screen and typed text looked up in file bytes: files keep
// their bytes, which are UTF-8 when valid as UTF-8 and Windows-1252 otherwise.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace rq {

// The bytes as UTF-8 when they are valid UTF-8, else as Windows-1252.
QString DisplayText(std::string_view bytes);

// The byte forms typed text may take in a file: UTF-8, and Windows-1252 when that
// differs and can hold every character. Never empty.
std::vector<std::string> FileByteForms(const QString& text);

}  // namespace rq
