// The piano keyboard with a MIDI output port of its own.
#pragma once

#include <QString>
#include <memory>

#include "controls/Keys.h"

namespace rq {

// One opened output port of the keyboard; destroying it closes the port.
class IKeysMidiPort {
 public:
  virtual ~IKeysMidiPort() = default;
  virtual void SendShort(int status, int data1, int data2) = 0;
  // Silences every sounding note.
  virtual void Reset() = 0;
};

// The output devices the keyboard may open. The controls know no MIDI layer: the
// program hands the keyboard an adapter of its own devices.
class IKeysMidiPorts {
 public:
  virtual ~IKeysMidiPorts() = default;
  virtual int Count() const = 0;
  // A device's product name; device −1 is the default device.
  virtual QString ProductName(int device) const = 0;
  // The opened device, or null when it cannot be opened.
  virtual std::unique_ptr<IKeysMidiPort> Open(int device) = 0;
};

// Sends its notes to its own port, opened on the first note, unless the owner
// replaces the note handlers. Without a device list the notes go nowhere.
class TMIDIKeys : public TKeys {
  Q_OBJECT

 public:
  // `ports` (not owned) must outlive the keyboard; null means no devices.
  explicit TMIDIKeys(QWidget* parent = nullptr, IKeysMidiPorts* ports = nullptr);
  // Resets and closes an open port.
  ~TMIDIKeys() override;

  int MIDIDevice() const { return device_; }
  // Selects a device for the next opening; an open port is reset and closed.
  void SetMIDIDevice(int device);
  int MIDIChannel() const { return channel_; }
  // Channel 1..16; other values are clamped into that range.
  void SetMIDIChannel(int channel);
  const QString& MIDIPortName() const { return portName_; }
  bool MIDIPortOk() const { return portOk_; }

  // Closes any open port (after a reset) and opens the selected device.
  void OpenPort();
  void SendNoteOn(TKeys& sender, int note, int velocity);
  void SendNoteOff(TKeys& sender, int note, int velocity);

 private:
  void ClosePort();

  IKeysMidiPorts* ports_;
  std::unique_ptr<IKeysMidiPort> port_;
  int device_ = -1;
  int channel_ = 1;
  QString portName_;
  bool portOk_ = false;
};

}  // namespace rq
