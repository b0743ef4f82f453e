// One MIDI output device, chosen by number, that sends short messages.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "midi/MidiSink.h"
#include "platform/MidiDevices.h"

namespace rq {

// A device that failed to close; the message is the device's error text.
class EmidioutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The player's output. It is used from the window thread (notes of the keyboard,
// instruments, pitch, device changes) and from the player's timer thread (the
// tune's events) at once; each send is one message and opening or closing waits for
// a send in progress.
class TMidiOutput : public IMidiEventSink {
 public:
  // Results of SetDevice.
  static constexpr int kRefused = -1;
  static constexpr int kNoCapabilities = -3;

  explicit TMidiOutput(IMidiOutPorts& ports = MachineMidiPorts());
  // Closes the device; a failure to close is swallowed here.
  ~TMidiOutput() override;
  TMidiOutput(const TMidiOutput&) = delete;
  TMidiOutput& operator=(const TMidiOutput&) = delete;

  // Selects device id for the next Open: 0, kRefused while open or for an id past the
  // last device, kNoCapabilities when the device's name cannot be read (the id is
  // kept). Id −1 is the default device.
  int SetDevice(int id);
  // Opens the selected device; false on failure, with the reason in OpenFailure.
  // After each successful open the open handler runs (see SetOnOpen).
  bool Open();
  // Closes the device: false when it was not open. A device that fails to close is
  // released anyway and EmidioutputError reports the failure.
  bool Close();

  // Sends an event's status and data bytes (a note's velocity scaled to `volume`
  // percent); nothing while closed.
  void PutEvent(const TMIDI_Event& event, int volume) override;
  // Sends one short message and returns a MidiOutResult (also kept as LastResult).
  // A message that is not valid MIDI (status below 0x80, a data byte above 127) is
  // not sent.
  int PutShort(int status, int data1, int data2);

  std::string ErrorText(int code) const { return MidiOutErrorText(code); }

  // Called on the opening thread after every successful Open, so whoever owns the
  // output can restore the channels' state on the new device.
  void SetOnOpen(std::function<void()> handler);

  bool IsOpen() const;
  int DeviceId() const { return deviceId_; }
  const std::string& ProductName() const { return productName_; }
  int DeviceCount() const { return deviceCount_; }
  int LastResult() const { return lastResult_; }
  const std::string& OpenFailure() const { return openFailure_; }

 private:
  IMidiOutPorts& ports_;
  const int deviceCount_;
  int deviceId_ = -1;
  std::string productName_;
  std::string openFailure_;
  std::atomic<int> lastResult_{kMidiOutOk};
  std::function<void()> onOpen_;

  mutable std::mutex deviceMutex_;
  std::unique_ptr<IMidiOutDevice> device_;
};

}  // namespace rq
