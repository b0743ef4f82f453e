// The open-files controller's view of the screens, as the tests script it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/CtrlFile.h"

namespace rq::test {

// The dialogs and the editor, as the tests script them.
class FakeHost : public ICtrlFileHost {
 public:
  std::string AskOpenFileName() override { return OpenName; }
  std::string AskSaveFileName(const std::string& title, const std::string& name) override {
    SaveTitles.push_back(title);
    Proposed.push_back(name);
    if (SaveNames.empty()) return {};
    std::string chosen = SaveNames.front();
    SaveNames.pop_front();
    return chosen;
  }
  bool EditMode() const override { return Editing; }
  bool EditModified() const override { return EditChanged; }
  void ValidEdit() override { ++ValidEdits; }
  std::string AskMidiFileName(const std::string& title, const std::string& name) override {
    MidiTitles.push_back(title);
    MidiProposed.push_back(name);
    if (MidiNames.empty()) return {};
    std::string chosen = MidiNames.front();
    MidiNames.pop_front();
    return chosen;
  }
  int PlayerTempo() const override { return Tempo; }

  std::string OpenName;
  std::deque<std::string> SaveNames;  // answers of the save dialog; empty: cancelled
  std::vector<std::string> SaveTitles;
  std::vector<std::string> Proposed;
  bool Editing = false;
  bool EditChanged = false;
  int ValidEdits = 0;
  std::deque<std::string> MidiNames;  // answers of the MIDI save dialog; empty: cancelled
  std::vector<std::string> MidiTitles;
  std::vector<std::string> MidiProposed;
  int Tempo = 200;
};

}  // namespace rq::test
