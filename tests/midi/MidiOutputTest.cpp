// The output device: choosing, opening, closing and what it lets through.
#include "midi/MidiOutput.h"

#include <gtest/gtest.h>

#include <vector>

#include "midi/MidiEvents.h"
#include "midi/MidiSettings.h"

namespace rq::test {
namespace {

// Two devices whose opening and closing can be made to fail; sent messages are kept.
class ScriptedPorts : public IMidiOutPorts {
 public:
  struct Device : IMidiOutDevice {
    explicit Device(ScriptedPorts& ports) : ports(ports) {}
    int SendShort(uint32_t message) override {
      ports.sent.push_back(message);
      return kMidiOutOk;
    }
    void Reset() override { ++ports.resets; }
    int Close() override { return ports.failClose ? kMidiOutPortFailed : kMidiOutOk; }
    ScriptedPorts& ports;
  };

  int Count() override { return 2; }
  std::optional<std::string> Name(int id) override {
    if (id < -1 || id >= 2) return std::nullopt;
    return id == 1 ? "Second" : "First";
  }
  MidiOutOpened Open(int id) override {
    ++opens;
    if (failOpen) return {nullptr, kMidiOutNoAudio, "no sound output: pulseaudio: Connection refused"};
    if (!Name(id)) return {nullptr, kMidiOutBadDevice, ""};
    return {std::make_unique<Device>(*this), kMidiOutOk, ""};
  }

  bool failOpen = false;
  bool failClose = false;
  int opens = 0;
  int resets = 0;
  std::vector<uint32_t> sent;
};

// Device choice is refused while open and past the last device; unknown negative ids are kept.
TEST(MidiOutputTest, DeviceChoiceFollowsTheList) {
  ScriptedPorts ports;
  TMidiOutput out(ports);
  EXPECT_EQ(out.DeviceCount(), 2);
  EXPECT_EQ(out.SetDevice(2), TMidiOutput::kRefused);
  EXPECT_EQ(out.SetDevice(-5), TMidiOutput::kNoCapabilities);
  EXPECT_EQ(out.DeviceId(), -5);
  EXPECT_FALSE(out.Open());
  EXPECT_EQ(out.SetDevice(1), 0);
  EXPECT_EQ(out.ProductName(), "Second");
  ASSERT_TRUE(out.Open());
  EXPECT_EQ(out.SetDevice(0), TMidiOutput::kRefused);
  EXPECT_EQ(out.DeviceId(), 1);
}

// A failed open keeps the reason for the user and leaves the output closed.
TEST(MidiOutputTest, FailedOpenKeepsTheReason) {
  ScriptedPorts ports;
  ports.failOpen = true;
  TMidiOutput out(ports);
  bool setupSent = false;
  out.SetOnOpen([&] { setupSent = true; });
  ASSERT_EQ(out.SetDevice(-1), 0);
  EXPECT_FALSE(out.Open());
  EXPECT_FALSE(out.IsOpen());
  EXPECT_FALSE(setupSent);
  EXPECT_EQ(out.LastResult(), kMidiOutNoAudio);
  EXPECT_EQ(out.OpenFailure(), "no sound output: pulseaudio: Connection refused");
  EXPECT_EQ(out.PutShort(0x90, 60, 100), kMidiOutNotOpen);
}

// The open handler runs after every successful open, so each device gets the set-up.
TEST(MidiOutputTest, OpenHandlerRunsOnEachOpen) {
  ScriptedPorts ports;
  TMidiOutput out(ports);
  int setups = 0;
  out.SetOnOpen([&] {
    ++setups;
    EXPECT_EQ(out.PutShort(0xC0, 5, 0), kMidiOutOk);  // the device is usable from the handler
  });
  ASSERT_TRUE(out.Open());
  EXPECT_TRUE(out.Open());  // already open: nothing reopened
  ASSERT_TRUE(out.Close());
  ASSERT_TRUE(out.Open());
  EXPECT_EQ(setups, 2);
  EXPECT_EQ(ports.opens, 2);
  EXPECT_EQ(ports.sent, (std::vector<uint32_t>{0x05C0, 0x05C0}));
}

// Closing silences the device; closing again reports that nothing was open.
TEST(MidiOutputTest, CloseTwice) {
  ScriptedPorts ports;
  TMidiOutput out(ports);
  ASSERT_TRUE(out.Open());
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(ports.resets, 1);
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(ports.resets, 1);
}

// A failed close raises the device's error text, yet the device is released; the
// destructor never throws.
TEST(MidiOutputTest, FailedCloseRaisesButReleases) {
  ScriptedPorts ports;
  ports.failClose = true;
  {
    TMidiOutput out(ports);
    ASSERT_TRUE(out.Open());
    EXPECT_THROW(out.Close(), EmidioutputError);
    EXPECT_FALSE(out.IsOpen());
    ASSERT_TRUE(out.Open());
  }  // closing the second device fails inside the destructor
  SUCCEED();
}

// Bytes that are not valid MIDI never reach the device; events go out as their bytes.
TEST(MidiOutputTest, OnlyValidMessagesAreSent) {
  ScriptedPorts ports;
  TMidiOutput out(ports);
  ASSERT_TRUE(out.Open());
  EXPECT_EQ(out.PutShort(0x90, 128, 10), kMidiOutBadMessage);
  EXPECT_EQ(out.PutShort(0x40, 60, 10), kMidiOutBadMessage);
  EXPECT_EQ(out.PutShort(0x90, 60, -1), kMidiOutBadMessage);
  EXPECT_EQ(out.PutShort(0x100, 60, 10), kMidiOutBadMessage);
  EXPECT_EQ(out.LastResult(), kMidiOutBadMessage);
  EXPECT_TRUE(ports.sent.empty());

  MidiConfig().MidiVolume = 100;
  out.PutEvent(TNote_On(0, kTagConverter, 100, 60, 10, 480));
  out.PutEvent(TPatch(0, kTagConverter, 41, 2));
  EXPECT_EQ(ports.sent, (std::vector<uint32_t>{0x643C99, 0x29C1}));
  ASSERT_TRUE(out.Close());
  out.PutEvent(TNote_On(0, kTagConverter, 100, 60, 1, 480));
  EXPECT_EQ(ports.sent.size(), 2u);
}

}  // namespace
}  // namespace rq::test
