// What the tune library and the other lower layers need from the user: questions
// in a message dialog and the main window's progress bar. The resource module
// implements it with Qt dialogs; tests and tools use TScriptedUserInterface.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "library/Messages.h"

namespace rq {

class IUserInterface {
 public:
  virtual ~IUserInterface() = default;

  // Shows a modal message dialog and returns the modal result of the button chosen.
  virtual int32_t MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons,
                             int32_t helpContext) = 0;
  virtual void ShowProgress(int32_t maximum) = 0;
  virtual void SetProgress(int32_t position) = 0;
  virtual void HideProgress() = 0;
  virtual const TMessages& Messages() const = 0;

  std::string GetMessage(int32_t number) const { return Messages().GetMessage(number); }
  // A message as a warning with one OK button.
  void ShowWarning(int32_t number);
  // The quit question; true only when the user answers Yes.
  bool ConfirmQuit();
};

// Paces a long job's progress by time, not by steps: the bar is set (and the window
// given its chance to repaint) at most kUpdatesPerSecond times a second, however many
// lines the job walks. Asking the clock is cheap, but not free: it is asked once every
// kStepsPerLook steps. `ui` may be null; the clock may be replaced for tests.
class TProgressPacer {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr int kUpdatesPerSecond = 30;
  static constexpr int32_t kStepsPerLook = 256;

  explicit TProgressPacer(IUserInterface* ui, Clock clock = {});
  void Show(int32_t maximum);
  void Step(int32_t position) {
    if (ui_ && --untilLook_ <= 0) Look(position);
  }
  void Hide();

 private:
  void Look(int32_t position);

  IUserInterface* ui_;
  Clock clock_;
  std::chrono::steady_clock::time_point last_{};
  int32_t untilLook_ = kStepsPerLook;
};

// Answers questions from a script and records what was asked and shown. With the
// script used up, it answers `DefaultAnswer`.
class TScriptedUserInterface : public IUserInterface {
 public:
  struct Question {
    std::string text;
    MsgDlgType type;
    MsgDlgButtons buttons;
  };

  int32_t MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons,
                     int32_t helpContext) override;
  void ShowProgress(int32_t maximum) override;
  void SetProgress(int32_t position) override;
  void HideProgress() override;
  const TMessages& Messages() const override { return messages_; }
  TMessages& Messages() { return messages_; }

  std::deque<int32_t> Answers;
  int32_t DefaultAnswer = mrNone;
  std::vector<Question> Asked;
  // Runs while a question is open, before it is answered: what the program does
  // meanwhile (its event loop runs under a real dialog).
  std::function<void(const std::string& text)> WhileAsking;
  // Runs when a long job shows the progress bar, the job under way.
  std::function<void()> WhileInProgress;

  bool ProgressVisible = false;
  int32_t ProgressMaximum = 0;
  int32_t ProgressPosition = 0;
  int32_t ProgressShown = 0;  // how many times the bar was shown
  int32_t ProgressUpdates = 0;  // how many times the bar was set

 private:
  TMessages messages_;
};

}  // namespace rq
