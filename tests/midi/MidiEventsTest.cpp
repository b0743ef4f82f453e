// The event container: time order, playing due events, sounding notes, and the
// bytes an event sends.
#include <gtest/gtest.h>

#include "MidiTestHelpers.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

using test::RecordingSink;
using test::ScopedSetting;

std::unique_ptr<TNote_On> Note(MidiTick time, int pitch, int velocity = 100, int channel = 1) {
  return std::make_unique<TNote_On>(time, kTagConverter, velocity, pitch, channel, time);
}

// Pitches in container order: each test tags its events by pitch.
std::vector<int> Order(const TMidiContainer& c) {
  std::vector<int> out;
  for (size_t i = 0; i < c.EventCount(); ++i) out.push_back(c.GetEvent(static_cast<std::ptrdiff_t>(i))->Data1());
  return out;
}

// Equal times keep the order of adding; later and earlier times find their place
// from wherever the previous insertion was.
TEST(MidiContainer, KeepsEventsSortedAndEqualTimesInAddingOrder) {
  TMidiContainer c;
  c.AddEvent(Note(480, 1));
  c.AddEvent(Note(480, 2));
  c.AddEvent(Note(0, 3));
  c.AddEvent(Note(960, 4));
  c.AddEvent(Note(480, 5));
  c.AddEvent(Note(0, 6));
  EXPECT_EQ(Order(c), (std::vector<int>{3, 6, 1, 2, 5, 4}));
}

// An event earlier than everything from index 1 on, but not earlier than event 0,
// lands at index 1.
TEST(MidiContainer, WalksBackNoFurtherThanNeeded) {
  TMidiContainer c;
  c.AddEvent(Note(0, 1));
  c.AddEvent(Note(500, 2));
  c.AddEvent(Note(600, 3));
  c.AddEvent(Note(100, 4));
  EXPECT_EQ(Order(c), (std::vector<int>{1, 4, 2, 3}));
}

// A second voice restarts at 0: its notes interleave with the first voice's by time.
TEST(MidiContainer, SecondVoiceInterleavesByTime) {
  TMidiContainer c;
  for (int i = 0; i < 4; ++i) c.AddEvent(Note(i * 480, 10 + i, 100, 1));
  for (int i = 0; i < 2; ++i) c.AddEvent(Note(i * 960, 20 + i, 100, 2));
  EXPECT_EQ(Order(c), (std::vector<int>{10, 20, 11, 12, 21, 13}));
  EXPECT_EQ(c.UsedChannelCount(), 2);
  EXPECT_TRUE(c.ChannelUsed(2));
  EXPECT_FALSE(c.ChannelUsed(3));
}

TEST(MidiContainer, GetEventOutOfRangeIsNull) {
  TMidiContainer c;
  c.AddEvent(Note(0, 60));
  EXPECT_NE(c.GetEvent(0), nullptr);
  EXPECT_EQ(c.GetEvent(1), nullptr);
  EXPECT_EQ(c.GetEvent(-1), nullptr);
}

// An event is due strictly before the target tick; the call that finds nothing
// left reports the end of the tune.
TEST(MidiContainerPlay, PlaysEventsStrictlyBeforeTheTick) {
  TMidiContainer c;
  c.AddEvent(Note(0, 60));
  c.AddEvent(Note(480, 62));
  RecordingSink out;
  EXPECT_TRUE(c.PlayUntil(480, out));
  ASSERT_EQ(out.sent.size(), 1u);
  EXPECT_TRUE(c.PlayUntil(481, out));
  ASSERT_EQ(out.sent.size(), 2u);
  EXPECT_EQ(out.sent[1].data1, 62);
  EXPECT_FALSE(c.PlayUntil(10000, out));
  EXPECT_EQ(out.sent.size(), 2u);
}

TEST(MidiContainerPlay, SeekMovesToFirstEventAtOrAfterTick) {
  TMidiContainer c;
  for (int i = 0; i < 4; ++i) c.AddEvent(Note(i * 480, 60 + i));
  c.Seek(481);
  EXPECT_EQ(c.PlayCursor(), 2u);
  c.Seek(480);
  EXPECT_EQ(c.PlayCursor(), 1u);
  c.Seek(5000);
  EXPECT_EQ(c.PlayCursor(), 4u);
  RecordingSink out;
  EXPECT_FALSE(c.PlayUntil(10000, out));
}

// A meter event changes the container's meter when played and never reaches the output.
TEST(MidiContainerPlay, MeterEventSetsMeterInsteadOfSending) {
  TMidiContainer c;
  c.SetMeter(4, 4);
  c.AddEvent(std::make_unique<TTimeSignature>(0, kTagConverter, 6, 8));
  c.AddEvent(Note(0, 60));
  RecordingSink out;
  c.PlayUntil(1, out);
  int num = 0, den = 0;
  c.GetMeter(num, den);
  EXPECT_EQ(num, 6);
  EXPECT_EQ(den, 8);
  ASSERT_EQ(out.sent.size(), 1u);
  EXPECT_EQ(out.sent[0].status, 0x90);
}

TEST(MidiContainerPlay, TracksSoundingNotesPerChannel) {
  TMidiContainer c;
  c.AddEvent(Note(0, 60, 100, 1));
  c.AddEvent(Note(0, 64, 100, 10));
  c.AddEvent(Note(480, 60, 0, 1));
  RecordingSink out;
  c.PlayUntil(1, out);
  EXPECT_TRUE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
  EXPECT_EQ(out.sent[1].status, 0x99);
  c.PlayUntil(481, out);
  EXPECT_FALSE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
}

// At volume 0 every note-on goes out with velocity 0 and so counts as a note-off.
TEST(MidiContainerPlay, VolumeZeroMakesEveryNoteOnANoteOff) {
  ScopedSetting volume(MidiConfig().MidiVolume, 0);
  TMidiContainer c;
  c.AddEvent(Note(0, 60, 127));
  RecordingSink out;
  c.PlayUntil(1, out);
  EXPECT_FALSE(c.SoundingNotes(1).test(60));
  EXPECT_EQ(out.sent[0].data2, 0);
}

TEST(MidiContainer, ClearKeepsMeterAndTempo) {
  TMidiContainer c;
  c.SetMeter(3, 2);
  c.SetTempo(200);
  c.AddEvent(Note(0, 60));
  RecordingSink out;
  c.PlayUntil(1, out);
  c.Clear();
  EXPECT_EQ(c.EventCount(), 0u);
  EXPECT_EQ(c.PlayCursor(), 0u);
  EXPECT_EQ(c.UsedChannelCount(), 0);
  EXPECT_FALSE(c.SoundingNotes(1).test(60));
  EXPECT_EQ(c.MeterNum(), 3);
  EXPECT_EQ(c.MeterDen(), 2);
  EXPECT_EQ(c.GetTempo(), 200);
}

// Velocities are scaled by the volume when sent, not when stored, and no data byte
// can leave 0..127 whatever the inputs and the settings.
TEST(MidiEventBytes, VolumeScalesAtTheMomentOfSending) {
  TNote_On n(0, kTagConverter, 100, 60, 1, 0);
  {
    ScopedSetting volume(MidiConfig().MidiVolume, 50);
    EXPECT_EQ(n.Data2(), 50);
  }
  {
    ScopedSetting volume(MidiConfig().MidiVolume, 250);  // a hand-edited settings file
    EXPECT_EQ(n.Data2(), 100);
  }
  {
    ScopedSetting volume(MidiConfig().MidiVolume, -20);
    EXPECT_EQ(n.Data2(), 0);
  }
  EXPECT_EQ(n.Data2Text(), "100");
}

TEST(MidiEventBytes, DataBytesAndChannelsAreClamped) {
  TNote_On loud(0, kTagConverter, 300, 200, 20, 0);
  EXPECT_EQ(loud.Data1(), 127);
  EXPECT_EQ(loud.Data2(), 127);
  EXPECT_EQ(loud.Status(), 0x9F);
  TNote_On low(0, kTagConverter, -5, -1, 0, 0);
  EXPECT_EQ(low.Data1(), 0);
  EXPECT_EQ(low.Data2(), 0);
  EXPECT_EQ(low.Status(), 0x90);
  TPatch patch(0, kTagConverter, 999, 3);
  std::vector<unsigned char> bytes;
  EXPECT_EQ(patch.WriteTo(bytes), 2u);
  EXPECT_EQ(bytes, (std::vector<unsigned char>{0xC2, 0x7F}));
}

TEST(MidiEventBytes, MeterEventsOccupyNoBytes) {
  TTimeSignature meter(0, kTagConverter, 6, 8);
  std::vector<unsigned char> bytes;
  EXPECT_EQ(meter.WriteTo(bytes), 0u);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(meter.Channel(), 1);
  EXPECT_EQ(meter.StatusText(), "88");  // 0x58 on channel 1
}

}  // namespace
}  // namespace rq
