#include "library/Messages.h"

#include <cstring>

namespace rq {

const std::array<DialogButton, 10>& DialogButtonOrder() {
  static const std::array<DialogButton, 10> order = {{
      {mbYes, mrYes},
      {mbNo, mrNo},
      {mbOK, mrOk},
      {mbCancel, mrCancel},
      {mbAbort, mrAbort},
      {mbRetry, mrRetry},
      {mbIgnore, mrIgnore},
      {mbAll, mrAll},
      {mbNoToAll, mrNoToAll},
      {mbYesToAll, mrYesToAll},
  }};
  return order;
}

TMessages::TMessages()
    : ButtonCaptions{"Ok", "Cancel", "Abort", "Yes", "No"},
      ListMessage{
          "File already open",
          "Quit Reelquill ?",
          "Edit Mode. Save the changes ?",
          "Save File :",
          "Save New File :",
          "Save File As ...",
          "Rename Set",
          "Delete all tunes in trash file ?",
          "Send %d tunes to trash ?",
      } {}

std::string TMessages::GetMessage(int32_t number) const {
  if (number < 0 || static_cast<size_t>(number) >= ListMessage.size()) return kMissingMessage;
  return ListMessage[static_cast<size_t>(number)];
}

std::string TMessages::GetMessage(int32_t number, int64_t count) const {
  return ReplaceCount(GetMessage(number), count);
}

std::string TMessages::ButtonCaption(int32_t modalResult) const {
  switch (modalResult) {
    case mrOk: return ButtonCaptions[0];
    case mrCancel: return ButtonCaptions[1];
    case mrAbort: return ButtonCaptions[2];
    case mrRetry: return "Retry";
    case mrIgnore: return "Ignore";
    case mrYes: return ButtonCaptions[3];
    case mrNo: return ButtonCaptions[4];
    case mrAll: return "All";
    case mrNoToAll: return "No All";
    case mrYesToAll: return "Yes All";
    default: return "None";
  }
}

std::string ReplaceCount(const std::string& text, int64_t count) {
  const std::string number = std::to_string(count);
  std::string out;
  out.reserve(text.size() + number.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'd') {
      out += number;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool CheckNameChars(std::string& text, bool replace) {
  bool ok = true;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || (byte < 128 && std::strchr("!\"'*/:;<>?\\|", c) != nullptr)) {
      ok = false;
      if (replace) c = ' ';
    }
  }
  return ok;
}

}  // namespace rq
