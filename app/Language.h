// The language file: an INI file beside the program that replaces the built-in
// English captions, hints, messages and dialog button texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/Messages.h"
#include "platform/IniFile.h"

namespace rq {

// Texts read from a language file are cut to this many characters.
inline constexpr size_t kLanguageTextMax = 999;

// Opens the language file named by the "lang" setting, in the program's folder;
// nullopt when the setting is empty or the file cannot be read.
std::optional<IniFile> OpenLanguageFile(const std::string& langFileName);

// A caption, or a caption and a hint after the first "/". Nullopt for an empty
// value, which leaves the texts as they are.
struct TCaptionHint {
  std::string caption;
  std::optional<std::string> hint;
};
std::optional<TCaptionHint> SplitCaptionHint(std::string_view value);

// At most `max` characters of UTF-8 text.
std::string CutChars(std::string_view text, size_t max);

// [message] replaces the message list by its entries in file order (the keys are
// not read as numbers); [button] replaces the OK, Cancel, Abort, Yes and No captions.
// A section without any key changes nothing.
void ApplyLanguageMessages(const IniFile& lang, TMessages& messages);

}  // namespace rq
