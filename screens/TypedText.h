// Text typed by the user looked up in a file's bytes, which are UTF-8 when valid as
// UTF-8 and Windows-1252 otherwise.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "platform/ByteText.h"

namespace rq {

// The byte forms typed text may take in a file: UTF-8, and Windows-1252 when that
// differs and can hold every character. Never empty.
std::vector<std::string> FileByteForms(const QString& text);

// Typed text as bytes for a file whose lines are given: UTF-8 while every line is
// valid UTF-8 (as a plain ASCII file is), Windows-1252 when a line is not and the
// text fits that code page, UTF-8 otherwise.
std::string FileBytes(const QString& text, const TLines& fileLines);

}  // namespace rq
