// The piano keyboard: notes and velocities at points, glides, pressed keys, its port.
#include "ControlTestHelpers.h"
#include "controls/MidiKeys.h"

namespace rq::test {
namespace {

// Notes at points of a 200 × 50 keyboard from octave 3 (white keys 10 wide, black
// keys 7 wide and 30 long), and of the same keyboard standing upright.
TEST(KeysGeometry, NoteAndVelocityAtPoint) {
  struct Case { TKeyboardOrientation orientation; QPoint point; int note, velocity; };
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
    EXPECT_EQ(std::pair(hit.note, hit.velocity), std::pair(c.note, c.velocity)) << c.point.x() << "," << c.point.y();
  }
  keys.SetVelocityMode(false);
  EXPECT_EQ(keys.NoteAt({45, 194}).velocity, 127);
  keys.SetNoteWidth(0);  // kept at 1 pixel: never a division by zero
  EXPECT_EQ(keys.NoteWidth(), 1);
  EXPECT_GE(keys.NoteAt({10, 10}).note, 36);
}

// "on|off note velocity" for each note event of a keyboard.
struct NoteLog {
  explicit NoteLog(TKeys& keys) {
    keys.SetOnNoteOn([this](TKeys&, int n, int v) { events.push_back(QString::asprintf("on %d %d", n, v).toStdString()); });
    keys.SetOnNoteOff([this](TKeys&, int n, int v) { events.push_back(QString::asprintf("off %d %d", n, v).toStdString()); });
  }
  std::vector<std::string> events;
};

// Dragging glides: each key is released before the next one sounds.
TEST(KeysMouse, PressGlideRelease) {
  TKeys keys;
  NoteLog log(keys);
  Press(&keys, {5, 45});
  Drag(&keys, {6, 40});  // same key
  Drag(&keys, {15, 40});
  EXPECT_FALSE(keys.IsKeyDown(36));
  Drag(&keys, {300, 40});  // outside: ignored
  Release(&keys, {300, 40});
  EXPECT_EQ(log.events, (std::vector<std::string>{"on 36 114", "off 36 0", "on 38 101", "off 38 0"}));
  EXPECT_EQ(keys.CurrentNote(), 38);
  EXPECT_FALSE(keys.IsKeyDown(38));
}

// A pressed key is drawn inverted over exactly its own visible area: C's tip (5, 45)
// and upper left (3, 10), and C sharp (9, 10).
TEST(KeysPaint, PressedKeysInverted) {
  TKeys keys;
  using Pixels = std::vector<QColor>;
  const auto pixels = [&] {
    const QImage img = keys.grab().toImage();
    return Pixels{img.pixelColor(5, 45), img.pixelColor(3, 10), img.pixelColor(9, 10)};
  };
  const QColor white(Qt::white), black(Qt::black);
  EXPECT_EQ(pixels(), (Pixels{white, white, black}));
  keys.KeyDown(36, 100, false);
  EXPECT_EQ(pixels(), (Pixels{black, black, black}));  // C sharp is untouched
  keys.KeyDown(37, 100, false);
  EXPECT_EQ(pixels(), (Pixels{black, black, white}));
  keys.KeyUp(36, 0, false);
  keys.KeyUp(37, 0, false);
  EXPECT_EQ(pixels(), (Pixels{white, white, black}));
}

struct FakePort : IKeysMidiPort {
  explicit FakePort(std::vector<std::string>& log) : log(log) {}
  ~FakePort() override { log.push_back("close"); }
  void SendShort(int status, int data1, int data2) override {
    log.push_back(QString::asprintf("%02X %d %d", status, data1, data2).toStdString());
  }
  void Reset() override { log.push_back("reset"); }
  std::vector<std::string>& log;
};

struct FakePorts : IKeysMidiPorts {
  int Count() const override { return 2; }
  QString ProductName(int device) const override { return QString("Port %1").arg(device); }
  std::unique_ptr<IKeysMidiPort> Open(int device) override {
    log.push_back("open " + std::to_string(device));
    return std::make_unique<FakePort>(log);
  }
  std::vector<std::string> log;
};

// The keyboard's own port opens on the first note and closes with a reset; a form's
// own handlers replace the port.
TEST(MidiKeys, OwnPortOrHandlers) {
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
  ports.log.clear();
  TMIDIKeys keys(nullptr, &ports);
  NoteLog log(keys);
  keys.KeyDown(60, 80, true);
  EXPECT_EQ(log.events, std::vector<std::string>{"on 60 80"});
  EXPECT_TRUE(ports.log.empty());
}

}  // namespace
}  // namespace rq::test
