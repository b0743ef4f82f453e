// The piano keyboard: notes and velocities at points, glides, pressed keys, its port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <string>
#include <vector>

#include "controls/MidiKeys.h"

namespace rq {
namespace {

void SendMouse(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(p), QPointF(w.mapToGlobal(p)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&w, &event);
}

// Notes at points of a 200 × 50 keyboard from octave 3 (white keys 10 wide, black
// keys 7 wide and 30 long), and of the same keyboard standing upright.
TEST(KeysGeometry, NoteAndVelocityAtPoint) {
  struct Case {
    TKeyboardOrientation orientation;
    QPoint point;
    int note, velocity;
  };
  TKeys keys;
  for (const Case c : {
           Case{kbHorizontal, {5, 45}, 36, 114},  // C, struck near the tip
           Case{kbHorizontal, {8, 5}, 37, 21},    // C sharp
           Case{kbHorizontal, {22, 5}, 39, 21},   // E's left edge is D sharp
           Case{kbHorizontal, {26, 5}, 40, 12},   // E, right of that black key
           Case{kbHorizontal, {31, 5}, 41, 12},   // F's upper left: no black key before F
           Case{kbHorizontal, {75, 45}, 48, 114}, // next octave
           Case{kbHorizontal, {5, 0}, 36, 1},     // the very back still sounds
           Case{kbVertical, {45, 194}, 36, 114},
           Case{kbVertical, {5, 191}, 37, 21},
       }) {
    keys.SetOrientation(c.orientation);
    keys.resize(c.orientation == kbHorizontal ? QSize(200, 50) : QSize(50, 200));
    const TKeys::NoteHit hit = keys.NoteAt(c.point);
    EXPECT_EQ(hit.note, c.note) << c.point.x() << "," << c.point.y();
    EXPECT_EQ(hit.velocity, c.velocity) << c.point.x() << "," << c.point.y();
  }
  keys.SetVelocityMode(false);
  EXPECT_EQ(keys.NoteAt({45, 194}).velocity, 127);
  keys.SetNoteWidth(0);  // kept at 1 pixel: never a division by zero
  EXPECT_EQ(keys.NoteWidth(), 1);
  EXPECT_GE(keys.NoteAt({10, 10}).note, 36);
}

struct NoteLog {
  void Attach(TKeys& keys) {
    keys.SetOnNoteOn([this](TKeys&, int note, int velocity) { events.push_back("on " + std::to_string(note) + " " + std::to_string(velocity)); });
    keys.SetOnNoteOff([this](TKeys&, int note, int velocity) { events.push_back("off " + std::to_string(note) + " " + std::to_string(velocity)); });
  }
  std::vector<std::string> events;
};

// Dragging glides: each key is released before the next one sounds.
TEST(KeysMouse, PressGlideRelease) {
  TKeys keys;
  NoteLog log;
  log.Attach(keys);
  SendMouse(keys, QEvent::MouseButtonPress, {5, 45}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(keys, QEvent::MouseMove, {6, 40}, Qt::NoButton, Qt::LeftButton);  // same key
  SendMouse(keys, QEvent::MouseMove, {15, 40}, Qt::NoButton, Qt::LeftButton);
  EXPECT_TRUE(keys.IsKeyDown(38));
  EXPECT_FALSE(keys.IsKeyDown(36));
  SendMouse(keys, QEvent::MouseMove, {300, 40}, Qt::NoButton, Qt::LeftButton);  // outside: ignored
  SendMouse(keys, QEvent::MouseButtonRelease, {300, 40}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(log.events, (std::vector<std::string>{"on 36 114", "off 36 0", "on 38 101", "off 38 0"}));
  EXPECT_EQ(keys.CurrentNote(), 38);
  EXPECT_FALSE(keys.IsKeyDown(38));
}

// A pressed key is drawn inverted over exactly its own visible area.
TEST(KeysPaint, PressedKeysInverted) {
  TKeys keys;
  auto pixel = [&](int x, int y) { return keys.grab().toImage().pixelColor(x, y); };
  EXPECT_EQ(pixel(5, 45), QColor(Qt::white));
  EXPECT_EQ(pixel(9, 10), QColor(Qt::black));
  keys.KeyDown(36, 100, false);
  EXPECT_EQ(pixel(5, 45), QColor(Qt::black));
  EXPECT_EQ(pixel(3, 10), QColor(Qt::black));
  EXPECT_EQ(pixel(9, 10), QColor(Qt::black));  // C sharp is untouched
  keys.KeyDown(37, 100, false);
  EXPECT_EQ(pixel(9, 10), QColor(Qt::white));
  keys.KeyUp(36, 0, false);
  keys.KeyUp(37, 0, false);
  EXPECT_EQ(pixel(5, 45), QColor(Qt::white));
  EXPECT_EQ(pixel(9, 10), QColor(Qt::black));
}

class FakePort : public IKeysMidiPort {
 public:
  explicit FakePort(std::vector<std::string>& log) : log_(log) {}
  ~FakePort() override { log_.push_back("close"); }
  void SendShort(int status, int data1, int data2) override {
    log_.push_back(QString::asprintf("%02X %d %d", status, data1, data2).toStdString());
  }
  void Reset() override { log_.push_back("reset"); }

 private:
  std::vector<std::string>& log_;
};

class FakePorts : public IKeysMidiPorts {
 public:
  int Count() const override { return 2; }
  QString ProductName(int device) const override { return QString("Port %1").arg(device); }
  std::unique_ptr<IKeysMidiPort> Open(int device) override {
    log.push_back("open " + std::to_string(device));
    return std::make_unique<FakePort>(log);
  }
  std::vector<std::string> log;
};

// The keyboard's own port opens on the first note and closes with a reset.
TEST(MidiKeys, OwnPort) {
  FakePorts ports;
  {
    TMIDIKeys keys(nullptr, &ports);
    EXPECT_EQ(keys.MIDIPortName(), "Port -1");
    keys.SetMIDIChannel(3);
    keys.KeyDown(60, 0, true);
    keys.KeyUp(60, 0, true);
    EXPECT_TRUE(keys.MIDIPortOk());
    keys.SetMIDIDevice(5);
    EXPECT_EQ(keys.MIDIPortName(), "");
    EXPECT_FALSE(keys.MIDIPortOk());
    keys.KeyDown(61, 90, true);  // no such device: nothing is sent
    keys.SetMIDIDevice(1);
    keys.KeyDown(62, 90, true);
  }
  EXPECT_EQ(ports.log, (std::vector<std::string>{"open -1", "92 60 1", "82 60 0", "reset", "close", "open 1",
                                                 "92 62 90", "reset", "close"}));
}

// A form's own handlers replace the port.
TEST(MidiKeys, HandlersReplaceThePort) {
  FakePorts ports;
  TMIDIKeys keys(nullptr, &ports);
  NoteLog log;
  log.Attach(keys);
  keys.KeyDown(60, 80, true);
  EXPECT_EQ(log.events, std::vector<std::string>{"on 60 80"});
  EXPECT_TRUE(ports.log.empty());
}

}  // namespace
}  // namespace rq
