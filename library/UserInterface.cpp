#include "library/UserInterface.h"

namespace rq {

void IUserInterface::ShowWarning(int32_t number) {
  MessageDlg(GetMessage(number), MsgDlgType::Warning, mbOK, 0);
}

bool IUserInterface::ConfirmQuit() {
  return MessageDlg(GetMessage(msgQuit), MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

TProgressPacer::TProgressPacer(IUserInterface* ui, Clock clock)
    : ui_(ui), clock_(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)) {}

void TProgressPacer::Show(int32_t maximum) {
  if (!ui_) return;
  ui_->ShowProgress(maximum);
  last_ = clock_();
  untilLook_ = kStepsPerLook;
}

void TProgressPacer::Look(int32_t position) {
  untilLook_ = kStepsPerLook;
  const auto now = clock_();
  if (now - last_ < std::chrono::milliseconds(1000 / kUpdatesPerSecond)) return;
  last_ = now;
  ui_->SetProgress(position);
}

void TProgressPacer::Hide() {
  if (ui_) ui_->HideProgress();
}

int32_t TScriptedUserInterface::MessageDlg(const std::string& text, MsgDlgType type,
                                           MsgDlgButtons buttons, int32_t /*helpContext*/) {
  Asked.push_back({text, type, buttons});
  if (WhileAsking) WhileAsking(text);
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
  if (WhileInProgress) WhileInProgress();
}

void TScriptedUserInterface::SetProgress(int32_t position) {
  ProgressPosition = position;
  ++ProgressUpdates;
}

void TScriptedUserInterface::HideProgress() { ProgressVisible = false; }

}  // namespace rq
