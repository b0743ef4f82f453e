// MIDI output devices: the built-in synthesizer, ALSA sequencer ports and a recorder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace rq {

class IMillisecondClock;

// Results of the device calls; 0 is success.
enum MidiOutResult : int {
  kMidiOutOk = 0,
  kMidiOutError = 1,
  kMidiOutBadDevice = 2,
  kMidiOutNotOpen = 3,
  kMidiOutBadMessage = 4,
  kMidiOutNoSoundfont = 5,
  kMidiOutNoAudio = 6,
  kMidiOutNoSequencer = 7,
  kMidiOutPortFailed = 8,
  kMidiOutFileFailed = 9,
};

// A short text for a result code; "MIDIOUT ERR=01" for a code it does not know.
std::string MidiOutErrorText(int result);

// Packs a short message the way it travels to a device: status, data 1 << 8, data 2 << 16.
constexpr uint32_t PackShortMessage(int status, int data1, int data2) {
  return static_cast<uint32_t>((status & 0xFF) | (data1 & 0xFF) << 8 | (data2 & 0xFF) << 16);
}

// One opened output device. Each call is one independent message, and the calls may
// come from the window thread and the player's timer thread at the same time.
class IMidiOutDevice {
 public:
  virtual ~IMidiOutDevice() = default;
  // Sends one channel message (see PackShortMessage); returns a MidiOutResult.
  virtual int SendShort(uint32_t message) = 0;
  // Silences every note on every channel.
  virtual void Reset() = 0;
  // Releases the device; returns a MidiOutResult. Nothing may be sent afterwards.
  virtual int Close() = 0;
};

// The outcome of opening a device: the device, or a result code and the reason.
struct MidiOutOpened {
  std::unique_ptr<IMidiOutDevice> device;
  int result = kMidiOutOk;
  std::string reason;
};

// The list of output devices and how to open them.
class IMidiOutPorts {
 public:
  virtual ~IMidiOutPorts() = default;
  virtual int Count() = 0;
  // A device's name, at most 31 characters; nullopt when id names no device.
  // Id −1 is the default device.
  virtual std::optional<std::string> Name(int id) = 0;
  virtual MidiOutOpened Open(int id) = 0;
};

// Device names longer than this are cut.
constexpr size_t kMidiDeviceNameMax = 31;

// The machine's devices: 0 (and the default, −1) is the built-in synthesizer, 1..n
// are the writable ports of the ALSA sequencer, by client and port. When the
// environment variable RQ_MIDI_RECORD names a file, every device opens as a recorder
// writing to that file instead, so the program's output can be checked from outside.
class SystemMidiPorts : public IMidiOutPorts {
 public:
  // `sequencer` is the ALSA sequencer to list; one that cannot be opened lists none.
  explicit SystemMidiPorts(std::string sequencer = "default");
  int Count() override;
  std::optional<std::string> Name(int id) override;
  MidiOutOpened Open(int id) override;

 private:
  std::string sequencer_;
  bool recordedOnce_ = false;
};

// One recorder device, listed as device 0 (and the default), writing to a file.
class RecorderMidiPorts : public IMidiOutPorts {
 public:
  // Each open truncates the file; times count from the open on `clock`.
  RecorderMidiPorts(std::string path, const IMillisecondClock& clock);
  int Count() override { return 1; }
  std::optional<std::string> Name(int id) override;
  MidiOutOpened Open(int id) override;

 private:
  std::string path_;
  const IMillisecondClock& clock_;
};

// The process-wide list of the machine's devices.
IMidiOutPorts& MachineMidiPorts();

}  // namespace rq
