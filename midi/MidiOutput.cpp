// The MIDI output device.
#include "MidiOutput.h"

#include "midi/MidiEvents.h"

namespace rq {

TMidiOutput::TMidiOutput(IMidiOutPorts& ports) : ports_(ports), deviceCount_(ports.Count()) {}

TMidiOutput::~TMidiOutput() {
  try {
    Close();
  } catch (const EmidioutputError&) {
    // Nobody is left to tell; the device has been released all the same.
  }
}

int TMidiOutput::SetDevice(int id) {
  if (IsOpen()) return kRefused;
  if (id >= 0 && id >= ports_.Count()) return kRefused;
  deviceId_ = id;
  const auto name = ports_.Name(id);
  lastResult_ = name ? kMidiOutOk : kMidiOutBadDevice;
  if (!name) return kNoCapabilities;
  productName_ = *name;
  return 0;
}

bool TMidiOutput::Open() {
  if (IsOpen()) return true;
  MidiOutOpened opened = ports_.Open(deviceId_);
  lastResult_ = opened.result;
  if (!opened.device) {
    openFailure_ = opened.reason.empty() ? MidiOutErrorText(opened.result) : opened.reason;
    return false;
  }
  openFailure_.clear();
  {
    std::lock_guard lock(deviceMutex_);
    device_ = std::move(opened.device);
  }
  if (onOpen_) onOpen_();
  return true;
}

bool TMidiOutput::Close() {
  std::unique_ptr<IMidiOutDevice> device;
  {
    std::lock_guard lock(deviceMutex_);
    device = std::move(device_);
  }
  if (!device) return false;
  device->Reset();
  const int result = device->Close();
  lastResult_ = result;
  if (result != kMidiOutOk) throw EmidioutputError(MidiOutErrorText(result));
  return true;
}

void TMidiOutput::PutEvent(const TMIDI_Event& event, int volume) {
  if (!IsOpen()) return;
  PutShort(event.Status(), event.Data1(), event.Data2(volume));
}

int TMidiOutput::PutShort(int status, int data1, int data2) {
  const bool valid = status >= 0x80 && status <= 0xFF && data1 >= 0 && data1 <= 127 && data2 >= 0 && data2 <= 127;
  int result = kMidiOutBadMessage;
  if (valid) {
    std::lock_guard lock(deviceMutex_);
    result = device_ ? device_->SendShort(PackShortMessage(status, data1, data2)) : kMidiOutNotOpen;
  }
  lastResult_ = result;
  return result;
}

void TMidiOutput::SetOnOpen(std::function<void()> handler) { onOpen_ = std::move(handler); }

bool TMidiOutput::IsOpen() const {
  std::lock_guard lock(deviceMutex_);
  return device_ != nullptr;
}

}  // namespace rq
