// The machine's MIDI output devices and the recorder that can stand in for all of them.
#include "MidiDevices.h"

#include <cstdlib>

#include "platform/AlsaSeqPorts.h"
#include "platform/BuiltinSynth.h"
#include "platform/MidiRecorder.h"
#include "platform/MmTimer.h"

namespace rq {
namespace {

constexpr const char* kBuiltinSynthName = "Built-in synthesizer";
constexpr const char* kRecorderName = "MIDI recorder";

std::string CutName(std::string name) {
  if (name.size() > kMidiDeviceNameMax) name.resize(kMidiDeviceNameMax);
  return name;
}

MidiOutOpened OpenRecorder(const std::string& path, const IMillisecondClock& clock, bool append) {
  MidiOutOpened opened;
  opened.device = MidiRecorder::Open(path, clock, append, opened.reason);
  if (!opened.device) opened.result = kMidiOutFileFailed;
  return opened;
}

MidiOutOpened OpenBuiltinSynth() {
  MidiOutOpened opened;
  auto synth = BuiltinSynth::Create(opened.result, opened.reason);
  if (!synth) return opened;
  opened.result = synth->StartAudio(opened.reason);
  if (opened.result == kMidiOutOk) opened.device = std::move(synth);
  return opened;
}

}  // namespace

std::string MidiOutErrorText(int result) {
  switch (result) {
    case kMidiOutOk: return "no error";
    case kMidiOutError: return "the MIDI device failed";
    case kMidiOutBadDevice: return "no such MIDI output device";
    case kMidiOutNotOpen: return "the MIDI output device is not open";
    case kMidiOutBadMessage: return "not a valid MIDI message";
    case kMidiOutNoSoundfont: return "the synthesizer has no soundfont";
    case kMidiOutNoAudio: return "no sound output is available";
    case kMidiOutNoSequencer: return "the ALSA sequencer is not available";
    case kMidiOutPortFailed: return "the ALSA port cannot be reached";
    case kMidiOutFileFailed: return "the MIDI record file cannot be written";
    default: return "MIDIOUT ERR=01";
  }
}

SystemMidiPorts::SystemMidiPorts(std::string sequencer) : sequencer_(std::move(sequencer)) {}

int SystemMidiPorts::Count() { return 1 + static_cast<int>(ListAlsaOutputPorts(sequencer_).size()); }

std::optional<std::string> SystemMidiPorts::Name(int id) {
  if (id == -1 || id == 0) return std::string(kBuiltinSynthName);
  if (id < 0) return std::nullopt;
  const auto ports = ListAlsaOutputPorts(sequencer_);
  if (static_cast<size_t>(id) > ports.size()) return std::nullopt;
  return CutName(ports[id - 1].name);
}

MidiOutOpened SystemMidiPorts::Open(int id) {
  if (!Name(id)) return {nullptr, kMidiOutBadDevice, MidiOutErrorText(kMidiOutBadDevice)};
  if (const char* record = std::getenv("RQ_MIDI_RECORD"); record && *record) {
    // The first open of the run starts a fresh file; a later one (a device change) adds to it.
    MidiOutOpened opened = OpenRecorder(record, SystemClock(), recordedOnce_);
    recordedOnce_ = recordedOnce_ || opened.device != nullptr;
    return opened;
  }
  if (id <= 0) return OpenBuiltinSynth();
  const auto ports = ListAlsaOutputPorts(sequencer_);
  if (static_cast<size_t>(id) > ports.size()) return {nullptr, kMidiOutBadDevice, "the ALSA port has gone"};
  return OpenAlsaOutput(sequencer_, ports[id - 1]);
}

RecorderMidiPorts::RecorderMidiPorts(std::string path, const IMillisecondClock& clock)
    : path_(std::move(path)), clock_(clock) {}

std::optional<std::string> RecorderMidiPorts::Name(int id) {
  if (id == -1 || id == 0) return std::string(kRecorderName);
  return std::nullopt;
}

MidiOutOpened RecorderMidiPorts::Open(int id) {
  if (!Name(id)) return {nullptr, kMidiOutBadDevice, MidiOutErrorText(kMidiOutBadDevice)};
  return OpenRecorder(path_, clock_, false);
}

IMidiOutPorts& MachineMidiPorts() {
  static SystemMidiPorts ports;
  return ports;
}

}  // namespace rq
