// The event container: time order, meter and sounding notes while playing, clearing,
// and the bytes an event sends.
#include <gtest/gtest.h>

#include <array>

#include "MidiTestHelpers.h"
#include "midi/MidiSettings.h"
#include "midi/MidiSink.h"

namespace rq {
namespace {

using test::ScopedSetting;
using Messages = std::vector<std::vector<int>>;

// Adds note-ons tagged by pitch (tag, time, channel) and returns the tags in container order.
std::vector<int> OrderAfterAdding(std::initializer_list<std::array<int, 3>> events) {
  TMidiContainer c;
  for (const auto& [pitch, time, channel] : events) {
    c.AddEvent(std::make_unique<TNote_On>(time, kTagConverter, 100, pitch, channel, time));
  }
  std::vector<int> out;
  for (size_t i = 0; i < c.EventCount(); ++i) out.push_back(c.GetEvent(static_cast<std::ptrdiff_t>(i))->Data1());
  return out;
}

// Events stay in time order, and events of equal time in the order they were added.
TEST(MidiContainer, KeepsTimeOrderAndTheAddingOrderOfEqualTimes) {
  EXPECT_EQ(OrderAfterAdding({{1, 480, 1}, {2, 480, 1}, {3, 0, 1}, {4, 960, 1}, {5, 480, 1}, {6, 0, 1}}),
            (std::vector<int>{3, 6, 1, 2, 5, 4}));
  // Earlier than everything from index 1 on, but not than event 0: lands at index 1.
  EXPECT_EQ(OrderAfterAdding({{1, 0, 1}, {2, 500, 1}, {3, 600, 1}, {4, 100, 1}}), (std::vector<int>{1, 4, 2, 3}));
  // A second voice restarts at 0 and interleaves with the first by time.
  EXPECT_EQ(OrderAfterAdding({{10, 0, 1}, {11, 480, 1}, {12, 960, 1}, {13, 1440, 1}, {20, 0, 2}, {21, 960, 2}}),
            (std::vector<int>{10, 20, 11, 12, 21, 13}));
}

// Remembers every event that reaches the output, with the bytes as sent.
struct RecordingSink : IMidiEventSink {
  void PutEvent(const TMIDI_Event& e) override { sent.push_back({e.Status(), e.Data1(), e.Data2()}); }
  Messages sent;
};

// Playing sets the meter without sending it and tracks sounding notes per channel; clearing keeps only meter and tempo.
TEST(MidiContainer, PlayingTracksMeterAndSoundingNotesAndClearingForgetsThem) {
  TMidiContainer c;
  RecordingSink out;
  c.SetTempo(200);
  c.AddEvent(std::make_unique<TTimeSignature>(0, kTagConverter, 6, 8));
  test::AddNote(c, 0, 480, 60, 100, 1);
  test::AddNote(c, 0, 960, 64, 100, 10);
  c.PlayUntil(1, out);
  EXPECT_EQ(out.sent, (Messages{{0x90, 60, 100}, {0x99, 64, 100}}));
  EXPECT_EQ(c.MeterNum(), 6);
  EXPECT_EQ(c.MeterDen(), 8);
  EXPECT_TRUE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
  c.PlayUntil(481, out);
  EXPECT_FALSE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
  {
    ScopedSetting volume(MidiConfig().MidiVolume, 0);  // a note-on sent with velocity 0 is a note-off
    test::AddNote(c, 600, 700, 62, 127);
    c.PlayUntil(601, out);
    EXPECT_FALSE(c.SoundingNotes(1).test(62));
    EXPECT_EQ(out.sent.back(), (std::vector<int>{0x90, 62, 0}));
  }
  c.Clear();
  EXPECT_EQ(c.EventCount(), 0u);
  EXPECT_EQ(c.PlayCursor(), 0u);
  EXPECT_EQ(c.UsedChannelCount(), 0);
  EXPECT_TRUE(c.SoundingNotes(10).none());
  EXPECT_EQ(c.MeterNum(), 6);
  EXPECT_EQ(c.GetTempo(), 200);
}

// The volume scales velocities when sent, not when stored, and no byte leaves 0..127 whatever the inputs.
TEST(MidiEventBytes, VolumeScalingAndClamping) {
  TNote_On n(0, kTagConverter, 100, 60, 1, 0);
  for (const auto& [volume, sent] : {std::pair{50, 50}, {250, 100}, {-20, 0}}) {
    ScopedSetting v(MidiConfig().MidiVolume, volume);
    EXPECT_EQ(n.Data2(), sent) << volume;
  }
  TNote_On loud(0, kTagConverter, 300, 200, 20, 0);
  EXPECT_EQ(std::vector<int>({loud.Status(), loud.Data1(), loud.Data2()}), (std::vector<int>{0x9F, 127, 127}));
  TNote_On low(0, kTagConverter, -5, -1, 0, 0);
  EXPECT_EQ(std::vector<int>({low.Status(), low.Data1(), low.Data2()}), (std::vector<int>{0x90, 0, 0}));
  std::vector<unsigned char> bytes;
  EXPECT_EQ(TPatch(0, kTagConverter, 999, 3).WriteTo(bytes), 2u);
  EXPECT_EQ(TTimeSignature(0, kTagConverter, 6, 8).WriteTo(bytes), 0u);
  EXPECT_EQ(bytes, (std::vector<unsigned char>{0xC2, 0x7F}));
}

}  // namespace
}  // namespace rq
