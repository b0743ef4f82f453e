// The program built offscreen for benchmarks: a temporary program folder, the corpus
// repeated to 50,000 tunes written there, and an application context with the
// recording MIDI device and scripted answers.
#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Corpus.h"
#include "app/AppContext.h"
#include "app/ResLib.h"
#include "library/UserInterface.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"

namespace rq::bench {

inline const QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// The corpus repeated to `tunes` tunes, with CR LF line ends, written once per size.
inline std::string BigFile(int tunes = 50000) {
  const std::string file = Folder().path().toStdString() + "/big" + std::to_string(tunes) + ".abc";
  if (!std::filesystem::exists(file)) {
    std::ofstream out(file, std::ios::binary);
    for (const auto& tune : corpus::Tunes(static_cast<size_t>(tunes))) {
      for (const auto& line : tune) out << line << "\r\n";
    }
  }
  return file;
}

// Scripted answers, but the progress of long work goes to the main window's bar as in
// the program: the cost of the bar and of the repaints it asks for is measured.
class BenchUserInterface : public TScriptedUserInterface {
 public:
  void ShowProgress(int32_t maximum) override {
    if (auto* res = Res()) res->ShowProgress(maximum);
  }
  void SetProgress(int32_t position) override {
    if (auto* res = Res()) res->SetProgress(position);
  }
  void HideProgress() override {
    if (auto* res = Res()) res->HideProgress();
  }
  TAppContext* context = nullptr;

 private:
  TResLib* Res() const { return context ? context->ResLib() : nullptr; }
};

struct Program {
  BenchUserInterface ui;
  std::unique_ptr<RecorderMidiPorts> ports;
  std::unique_ptr<TAppContext> context;

  Program() {
    ports = std::make_unique<RecorderMidiPorts>(Folder().path().toStdString() + "/midi.log", SystemClock());
    TAppOptions options;
    options.programFolder = Folder().path().toStdString();
    options.midiPorts = ports.get();
    options.clock = &SystemClock();
    options.timers = &SystemTimers();
    options.ui = &ui;
    options.showWelcome = false;
    context = std::make_unique<TAppContext>(options);
    ui.context = context.get();
  }
};

}  // namespace rq::bench
