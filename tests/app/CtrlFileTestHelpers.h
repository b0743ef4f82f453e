// The open-files controller's view of the screens, as the tests script it.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../library/FileTestHelpers.h"
#include "app/CtrlFile.h"
#include "library/UserInterface.h"
#include "midi/MidiSettings.h"
#include "notation/AbcParser.h"

namespace rq::test {

// The dialogs and the editor, as the tests script them.
class FakeHost : public ICtrlFileHost {
 public:
  std::string AskOpenFileName() override { return OpenName; }
  std::string LibraryFolder() const override { return Library; }
  std::string AskSaveFileName(const std::string& title, const std::string& name) override {
    return Answer(SaveNames, SaveTitles, title, Proposed, name);
  }
  bool EditMode() const override { return Editing; }
  bool EditModified() const override { return EditChanged; }
  bool ValidEdit() override {
    ++ValidEdits;
    return true;
  }
  std::string AskMidiFileName(const std::string& title, const std::string& name) override {
    return Answer(MidiNames, MidiTitles, title, MidiProposed, name);
  }
  int PlayerTempo() const override { return Tempo; }

  std::string OpenName;
  std::string Library = "/home/fiddler/tunes";
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

 private:
  // A save dialog: notes what it was shown and gives the next scripted answer.
  static std::string Answer(std::deque<std::string>& answers, std::vector<std::string>& titles,
                            const std::string& title, std::vector<std::string>& proposed, const std::string& name) {
    titles.push_back(title);
    proposed.push_back(name);
    if (answers.empty()) return {};
    std::string chosen = answers.front();
    answers.pop_front();
    return chosen;
  }
};

// The print screen, as the tests watch it: each job named by the tune's title line,
// or by whether it takes all the list's tunes and is a preview.
class FakePrinter : public ITunePrinter {
 public:
  bool ExecPrintDialog() override {
    ++Dialogs;
    return Confirm;
  }
  void PrintTune(const TLines& lines) override { Jobs.push_back(lines.at(1)); }
  void PrintTunes(TAbcPrint&, bool all) override { Jobs.push_back(all ? "all" : "ticked"); }
  void PreviewTunes(TAbcPrint&, bool all) override { Jobs.push_back(all ? "preview all" : "preview ticked"); }

  bool Confirm = true;
  int Dialogs = 0;
  std::vector<std::string> Jobs;
};

// A controller on a temporary program folder, with scripted answers and dialogs.
class CtrlFileFixture : public testing::Test {
 protected:
  void Make() { ctrl = std::make_unique<TCtrlFile>(folder, ui, host, parser, midi); }
  // A user file of the temporary folder, written with these bytes, then opened.
  TAbcFile* Open(const std::string& name, const std::string& bytes) {
    WriteBytes(Path(name), bytes);
    EXPECT_EQ(ctrl->OpenFile(Path(name)), kCtrlOk);
    return ctrl->FindFile(Path(name));
  }
  std::string Path(const std::string& name) const { return dir.File(name); }

  TempDir dir;
  std::string folder = std::filesystem::path(dir.File("x")).parent_path().string();
  TScriptedUserInterface ui;
  FakeHost host;
  TAbcParser parser;
  MidiSettings midi;
  std::unique_ptr<TCtrlFile> ctrl;
};

}  // namespace rq::test
