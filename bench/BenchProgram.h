// The program built offscreen for benchmarks: a temporary program folder, the corpus
// repeated to 50,000 tunes written there, and an application context with the
// recording MIDI device and scripted answers.
#pragma once

#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>

#include "Corpus.h"
#include "app/AppContext.h"
#include "library/UserInterface.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"

namespace rq::bench {

inline const QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// The corpus repeated to 50,000 tunes, with CR LF line ends.
inline const std::string& BigFile() {
  static const std::string path = [] {
    const std::string file = Folder().path().toStdString() + "/big.abc";
    std::ofstream out(file, std::ios::binary);
    for (const auto& tune : corpus::Tunes(50000)) {
      for (const auto& line : tune) out << line << "\r\n";
    }
    return file;
  }();
  return path;
}

struct Program {
  TScriptedUserInterface ui;
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
  }
};

}  // namespace rq::bench
