// The numbered message texts, the dialog button captions and the file-name check.
// The resource module replaces texts and captions from the language file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rq {

// Results of a message dialog, with the numbers stored files and callers compare with.
enum ModalResult : int32_t {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

enum class MsgDlgType : int32_t { Warning = 0, Error = 1, Information = 2, Confirmation = 3 };

// A set of dialog buttons, one bit per button.
enum MsgDlgButton : uint32_t {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
  mbAbort = 1u << 4,
  mbRetry = 1u << 5,
  mbIgnore = 1u << 6,
  mbAll = 1u << 7,
  mbNoToAll = 1u << 8,
  mbYesToAll = 1u << 9,
};
using MsgDlgButtons = uint32_t;

// The modal result each button returns, in the order buttons are laid out.
struct DialogButton {
  MsgDlgButton button;
  ModalResult result;
};
const std::array<DialogButton, 10>& DialogButtonOrder();

// Message numbers used by the program.
enum MessageId : int32_t {
  msgFileAlreadyOpen = 0,
  msgQuit = 1,
  msgEditModeSave = 2,
  msgSaveFile = 3,
  msgSaveNewFile = 4,
  msgSaveFileAs = 5,
  msgRenameSet = 6,
  msgEmptyTrash = 7,
  msgSendToTrash = 8,
};

inline constexpr const char* kMissingMessage = "!MsgER";

class TMessages {
 public:
  TMessages();

  // The text of a message, or "!MsgER" for a number outside the list.
  std::string GetMessage(int32_t number) const;
  // A message that holds counts ("%d"), with each "%d" replaced by the number as
  // text. Translated texts are never used as a format string.
  std::string GetMessage(int32_t number, int64_t count) const;

  // The caption of a dialog button by its modal result: OK, Cancel, Abort, Yes and
  // No come from the (translatable) captions, the others are fixed.
  std::string ButtonCaption(int32_t modalResult) const;

  // Captions of OK, Cancel, Abort, Yes and No, in this order.
  std::array<std::string, 5> ButtonCaptions;
  // Message texts, item i = message number i.
  std::vector<std::string> ListMessage;
};

// Replaces every "%d" in the text with the number.
std::string ReplaceCount(const std::string& text, int64_t count);

// True when every character may stand in a file name; with `replace`, each one
// that may not (codes below 32 and ! " ' * / : ; < > ? \ |) becomes a blank.
bool CheckNameChars(std::string& text, bool replace);

}  // namespace rq
