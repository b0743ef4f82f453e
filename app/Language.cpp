#include "app/Language.h"

#include "app/Settings.h"

#include <filesystem>

namespace rq {

std::optional<IniFile> OpenLanguageFile(const std::string& langFileName) {
  if (langFileName.empty()) return std::nullopt;
  const auto path = std::filesystem::path(SettingsPath()).parent_path() / langFileName;
  return IniFile::Load(path.string());
}

std::string CutChars(std::string_view text, size_t max) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Count lead bytes only, so a character is never cut in half.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == max) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

std::optional<TCaptionHint> SplitCaptionHint(std::string_view value) {
  if (value.empty()) return std::nullopt;
  const size_t slash = value.find('/');
  if (slash == std::string_view::npos) return TCaptionHint{std::string(value), std::nullopt};
  return TCaptionHint{std::string(value.substr(0, slash)), CutChars(value.substr(slash + 1), kLanguageTextMax)};
}

void ApplyLanguageMessages(const IniFile& lang, TMessages& messages) {
  if (lang.SectionExists("message")) {
    messages.ListMessage.clear();
    for (const std::string& entry : lang.ReadSectionValues("message")) {
      messages.ListMessage.push_back(CutChars(std::string_view(entry).substr(entry.find('=') + 1), kLanguageTextMax));
    }
  }
  if (lang.SectionExists("button")) {
    for (size_t i = 0; i < messages.ButtonCaptions.size(); ++i) {
      messages.ButtonCaptions[i] = lang.ReadString("button", std::to_string(i + 1), messages.ButtonCaptions[i]);
    }
  }
}

}  // namespace rq
