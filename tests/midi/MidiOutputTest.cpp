// The output device: choosing, opening, closing and what it lets through.
#include "midi/MidiOutput.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "PlayerDoubles.h"
#include "midi/MidiEvents.h"

namespace rq::test {
namespace {

class MidiOutputTest : public ::testing::Test {
 protected:
  ManualClock clock;
  MemoryPorts ports{clock};
  TMidiOutput out{ports};
};

// Device choice is refused while open and past the last device; unknown negative ids are kept.
TEST_F(MidiOutputTest, DeviceChoiceFollowsTheList) {
  EXPECT_EQ(out.SetDevice(2), TMidiOutput::kRefused);
  EXPECT_EQ(out.SetDevice(-5), TMidiOutput::kNoCapabilities);
  EXPECT_EQ(out.DeviceId(), -5);
  EXPECT_FALSE(out.Open());
  EXPECT_EQ(out.SetDevice(1), 0);
  ASSERT_TRUE(out.Open());
  EXPECT_EQ(out.SetDevice(0), TMidiOutput::kRefused);
  EXPECT_EQ(out.DeviceId(), 1);
}

// A failed open keeps the reason for the user and leaves the output closed; a failed close
// raises the device's error yet releases it, and the destructor never throws.
TEST_F(MidiOutputTest, FailedOpenKeepsTheReasonAndFailedCloseReleases) {
  ports.failOpen = true;
  bool setupSent = false;
  out.SetOnOpen([&] { setupSent = true; });
  EXPECT_FALSE(out.Open());
  EXPECT_FALSE(out.IsOpen());
  EXPECT_FALSE(setupSent);
  EXPECT_EQ(out.LastResult(), kMidiOutNoAudio);
  EXPECT_EQ(out.OpenFailure(), "no sound output: pulseaudio: Connection refused");
  EXPECT_EQ(out.PutShort(0x90, 60, 100), kMidiOutNotOpen);

  ports.failOpen = false;
  ports.failClose = true;
  ASSERT_TRUE(out.Open());
  EXPECT_THROW(out.Close(), EmidioutputError);
  EXPECT_FALSE(out.IsOpen());
  ASSERT_TRUE(out.Open());  // closing this one fails inside the destructor
}

// Each successful open runs the set-up handler once; a close silences the device, a second one reports nothing open.
TEST_F(MidiOutputTest, OpenHandlerRunsOnEachOpen) {
  int setups = 0;
  out.SetOnOpen([&] {
    ++setups;
    EXPECT_EQ(out.PutShort(0xC0, 5, 0), kMidiOutOk);  // the device is usable from the handler
  });
  ASSERT_TRUE(out.Open());
  EXPECT_TRUE(out.Open());  // already open: nothing reopened
  ASSERT_TRUE(out.Close());
  EXPECT_FALSE(out.Close());
  EXPECT_EQ(ports.resets, 1);
  ASSERT_TRUE(out.Open());
  EXPECT_EQ(setups, 2);
  EXPECT_EQ(ports.opens, 2);
  EXPECT_EQ(ports.sent, (std::vector<Sent>{{0, 0xC0, 5, 0}, {0, 0xC0, 5, 0}}));
}

// Bytes that are not valid MIDI never reach the device; events go out as their bytes.
TEST_F(MidiOutputTest, OnlyValidMessagesAreSent) {
  ASSERT_TRUE(out.Open());
  for (const auto& [status, d1, d2] : {std::tuple{0x90, 128, 10}, {0x40, 60, 10}, {0x90, 60, -1}, {0x100, 60, 10}}) {
    EXPECT_EQ(out.PutShort(status, d1, d2), kMidiOutBadMessage);
  }
  EXPECT_EQ(out.LastResult(), kMidiOutBadMessage);
  EXPECT_TRUE(ports.sent.empty());

  out.PutEvent(TNote_On(0, kTagConverter, 100, 60, 10, 480), 100);
  out.PutEvent(TPatch(0, kTagConverter, 41, 2), 100);
  EXPECT_EQ(ports.sent, (std::vector<Sent>{{0, 0x99, 60, 100}, {0, 0xC1, 41, 0}}));
  ASSERT_TRUE(out.Close());
  out.PutEvent(TNote_On(0, kTagConverter, 100, 60, 1, 480), 100);
  EXPECT_EQ(ports.sent.size(), 2u);
}

}  // namespace
}  // namespace rq::test
