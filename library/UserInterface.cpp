#include "library/UserInterface.h"

namespace rq {

void IUserInterface::ShowWarning(int32_t number) {
  MessageDlg(GetMessage(number), MsgDlgType::Warning, mbOK, 0);
}

bool IUserInterface::ConfirmQuit() {
  return MessageDlg(GetMessage(msgQuit), MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

int32_t TScriptedUserInterface::MessageDlg(const std::string& text, MsgDlgType type,
                                           MsgDlgButtons buttons, int32_t /*helpContext*/) {
  Asked.push_back({text, type, buttons});
  if (Answers.empty()) return DefaultAnswer;
  const int32_t answer = Answers.front();
  Answers.pop_front();
  return answer;
}

void TScriptedUserInterface::ShowProgress(int32_t maximum) {
  ProgressVisible = true;
  ProgressMaximum = maximum;
  ProgressPosition = 0;
  ++ProgressShown;
}

void TScriptedUserInterface::SetProgress(int32_t position) { ProgressPosition = position; }

void TScriptedUserInterface::HideProgress() { ProgressVisible = false; }

}  // namespace rq
