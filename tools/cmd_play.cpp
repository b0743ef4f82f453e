// abctool play and devices: a tune through the player, and the output devices.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "AbcTool.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/Numbers.h"

namespace rq::tool {
namespace {

// The end of the tune arrives on the player's timer thread; the main thread waits here.
class EndOfTune {
 public:
  void Signal() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    wake_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return ended_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool ended_ = false;
};

int RunPlay(const Args& args) {
  int device = -1;
  if (const auto text = OptionValue(args, "--device")) {
    const auto n = ParseInt(*text);
    if (!n) {
      std::fprintf(stderr, "abctool: --device wants a number, not \"%s\"\n", text->c_str());
      return 2;
    }
    device = *n;
  }
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune", "--device"}, "play FILE --tune N [--device D]", tunes)) return rc;

  MidiSettings settings;
  TZymMidiPlayer player(device, settings);
  if (!settings.MidiReady) {
    const TMidiOutput& out = player.Output();
    std::fprintf(stderr, "abctool: cannot open MIDI device %d: %s\n", device,
                 out.OpenFailure().empty() ? "no such device" : out.OpenFailure().c_str());
    return 1;
  }
  TAbcParser parser;
  parser.Parse(tunes.front().lines);
  TAbcMidi converter(settings);
  player.RefillContainer([&](TMidiContainer& container) { converter.Convert(parser.Elements(), &container); });

  EndOfTune end;
  player.SetOnStop([&end] { end.Signal(); });
  std::printf("Playing X:%d %s on %s at %d quarter notes per minute\n", tunes.front().number,
              parser.Title().c_str(), player.Output().ProductName().c_str(), player.Tempo());
  std::fflush(stdout);
  player.Start();
  if (!player.Playing()) {
    std::fprintf(stderr, "abctool: the player's timer cannot start\n");
    return 1;
  }
  end.Wait();
  // Let the last notes ring out before the synthesizer goes away.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  return 0;
}

int RunDevices(const Args&) {
  IMidiOutPorts& ports = MachineMidiPorts();
  const int count = ports.Count();
  for (int id = 0; id < count; ++id) {
    std::printf("%d %s\n", id, ports.Name(id).value_or("?").c_str());
  }
  return 0;
}

const RegisterCommand kPlay({"play", "FILE --tune N [--device D]", RunPlay});
const RegisterCommand kDevices({"devices", "", RunDevices});

}  // namespace
}  // namespace rq::tool
