// The piano keyboard's own MIDI port.
#include "controls/MidiKeys.h"

#include <algorithm>

namespace rq {

TMIDIKeys::TMIDIKeys(QWidget* parent, IKeysMidiPorts* ports) : TKeys(parent), ports_(ports) {
  if (ports_) portName_ = ports_->ProductName(device_);
  SetOnNoteOn([this](TKeys& sender, int note, int velocity) { SendNoteOn(sender, note, velocity); });
  SetOnNoteOff([this](TKeys& sender, int note, int velocity) { SendNoteOff(sender, note, velocity); });
}

TMIDIKeys::~TMIDIKeys() { ClosePort(); }

void TMIDIKeys::ClosePort() {
  if (port_) port_->Reset();
  port_.reset();
  portOk_ = false;
}

void TMIDIKeys::SetMIDIDevice(int device) {
  if (device == device_) return;
  ClosePort();
  device_ = device;
  // −1, the default device, is always below the count.
  portName_ = ports_ && device < ports_->Count() ? ports_->ProductName(device) : QString();
}

void TMIDIKeys::SetMIDIChannel(int channel) { channel_ = std::clamp(channel, 1, 16); }

void TMIDIKeys::OpenPort() {
  ClosePort();
  portOk_ = false;
  if (!ports_ || device_ >= ports_->Count()) return;
  port_ = ports_->Open(device_);
  portOk_ = port_ != nullptr;
}

void TMIDIKeys::SendNoteOn(TKeys&, int note, int velocity) {
  if (!port_) OpenPort();
  if (portOk_ && port_) port_->SendShort(0x90 + channel_ - 1, note & 0x7F, std::clamp(velocity, 1, 127));
}

void TMIDIKeys::SendNoteOff(TKeys&, int note, int velocity) {
  if (portOk_ && port_) port_->SendShort(0x80 + channel_ - 1, note & 0x7F, std::clamp(velocity, 0, 127));
}

}  // namespace rq
