// The event container: time order, meter and sounding notes while playing, clearing,
// and the bytes an event sends; the Standard MIDI File writer: its bytes, tracks, delta
// times and saving.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "MidiTestHelpers.h"
#include "SmfCheck.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"
#include "midi/MidiSink.h"

namespace rq {
namespace {

using test::AddNote;
using Bytes = std::vector<unsigned char>;
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
}

// Adding many events at once orders them as adding them one by one does, also after
// events already in the container, whatever their order.
TEST(MidiContainer, AddingManyAtOnceKeepsTheOrderOfAddingOneByOne) {
  std::mt19937 rng(18);
  for (int round = 0; round < 50; ++round) {
    const auto make = [&rng](int id) {
      const MidiTick t = static_cast<MidiTick>(rng() % 12);  // many equal times
      return std::make_unique<TNote_On>(t, kTagConverter, 100, 60, 1 + id % 16, id);  // the end time names it
    };
    TMidiContainer single, bulk;
    const int before = static_cast<int>(rng() % 20), added = static_cast<int>(rng() % 200);
    std::vector<std::unique_ptr<TMIDI_Event>> batch;
    for (int id = 0; id < before + added; ++id) {
      auto e = make(id);
      if (id < before) {
        bulk.AddEvent(std::make_unique<TNote_On>(e->Time(), kTagConverter, 100, 60, e->Channel(), id));
      } else {
        batch.push_back(std::make_unique<TNote_On>(e->Time(), kTagConverter, 100, 60, e->Channel(), id));
      }
      single.AddEvent(std::move(e));
    }
    bulk.AddEvents(batch);
    EXPECT_TRUE(batch.empty());
    ASSERT_EQ(bulk.EventCount(), single.EventCount());
    for (size_t i = 0; i < single.EventCount(); ++i) {
      const auto at = static_cast<std::ptrdiff_t>(i);
      ASSERT_EQ(bulk.GetEvent(at)->EndTime(), single.GetEvent(at)->EndTime()) << "round " << round << " at " << i;
    }
    EXPECT_EQ(bulk.UsedChannelCount(), single.UsedChannelCount());
  }
}

// Remembers every event that reaches the output, with the bytes as sent.
struct RecordingSink : IMidiEventSink {
  void PutEvent(const TMIDI_Event& e, int volume) override {
    sent.push_back({e.Status(), e.Data1(), e.Data2(volume)});
  }
  Messages sent;
};

// Playing sets the meter without sending it and tracks sounding notes per channel; clearing keeps only meter and tempo.
TEST(MidiContainer, PlayingTracksMeterAndSoundingNotesAndClearingForgetsThem) {
  TMidiContainer c;
  RecordingSink out;
  c.SetTempo(200);
  c.AddEvent(std::make_unique<TTimeSignature>(0, kTagConverter, 6, 8));
  AddNote(c, 0, 480, 60, 100, 1);
  AddNote(c, 0, 960, 64, 100, 10);
  c.PlayUntil(1, 100, out);
  EXPECT_EQ(out.sent, (Messages{{0x90, 60, 100}, {0x99, 64, 100}}));
  EXPECT_EQ(c.MeterNum(), 6);
  EXPECT_EQ(c.MeterDen(), 8);
  EXPECT_TRUE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
  c.PlayUntil(481, 100, out);
  EXPECT_FALSE(c.SoundingNotes(1).test(60));
  EXPECT_TRUE(c.SoundingNotes(10).test(64));
  AddNote(c, 600, 700, 62, 127);
  c.PlayUntil(601, 0, out);  // at volume 0 a note-on goes out with velocity 0, a note-off
  EXPECT_FALSE(c.SoundingNotes(1).test(62));
  EXPECT_EQ(out.sent.back(), (std::vector<int>{0x90, 62, 0}));
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
    EXPECT_EQ(n.Data2(volume), sent) << volume;
  }
  TNote_On loud(0, kTagConverter, 300, 200, 20, 0);
  EXPECT_EQ(std::vector<int>({loud.Status(), loud.Data1(), loud.Data2(100)}), (std::vector<int>{0x9F, 127, 127}));
  TNote_On low(0, kTagConverter, -5, -1, 0, 0);
  EXPECT_EQ(std::vector<int>({low.Status(), low.Data1(), low.Data2(100)}), (std::vector<int>{0x90, 0, 0}));
  std::vector<unsigned char> bytes;
  EXPECT_EQ(TPatch(0, kTagConverter, 999, 3).WriteTo(bytes, 100), 2u);
  EXPECT_EQ(TTimeSignature(0, kTagConverter, 6, 8).WriteTo(bytes, 100), 0u);
  EXPECT_EQ(bytes, (std::vector<unsigned char>{0xC2, 0x7F}));
}

TMIDI_Out_Stream Write(TMidiContainer& c, const MidiSettings& settings, int tempo = 200) {
  c.SetTempo(tempo);
  c.SetMeter(4, 2);
  TMIDI_Out_Stream w(settings);
  w.WriteContainer(c);
  return w;
}

std::vector<test::SmfTrack> Read(const Bytes& bytes) {
  std::vector<test::SmfTrack> tracks;
  EXPECT_EQ(test::ReadSmf(bytes, tracks), "");
  return tracks;
}

// One quarter note is written and saved byte for byte; a failed save names the file.
TEST(MidiFileWriter, OneQuarterNoteByteForByteAndSaved) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 127);
  const Bytes expected = {
      0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
      0x00, 0xFF, 0x51, 0x03, 0x04, 0x93, 0xE0, 0x00, 0xFF, 0x2F, 0x00,
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x10, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x7F,
      0x83, 0x60, 0x90, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  const MidiSettings settings;
  const TMIDI_Out_Stream w = Write(c, settings);
  EXPECT_EQ(w.Bytes(), expected);
  const std::string path = test::TempFile(".mid");
  ASSERT_TRUE(w.SaveToFile(path));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), expected);
  std::filesystem::remove(path);
  const auto failed = w.SaveToFile("/nonexistent-folder/tune.mid");
  EXPECT_FALSE(failed);
  EXPECT_NE(failed.error.find("tune.mid"), std::string::npos);
}

// Delta times read back exactly across the byte limits; a gap too long for four bytes is shortened, not broken.
TEST(MidiFileWriter, DeltaTimes) {
  TMidiContainer c;
  for (const MidiTick t : std::initializer_list<MidiTick>{0, 0, 127, 255, 255 + 16384, MidiTick{1} << 40}) {
    AddNote(c, t, t, 60, 100);
  }
  const MidiSettings settings;
  EXPECT_EQ(Read(Write(c, settings).Bytes())[1].deltas,
            (std::vector<uint32_t>{0, 0, 0, 0, 0, 127, 0, 128, 0, 16384, 0, uint32_t(kMaxMidiDelta), 0, 0}));
}

// One track per used channel in channel order; the meter's channel 1 counts as used even without notes.
TEST(MidiFileWriter, OneTrackPerUsedChannel) {
  test::Converted tune("M:4/4\nL:1/8\nK:C", "V:3\nCDEF GABc|\nV:2\ncBAG FEDC|");
  const auto tracks = Read(Write(tune.container, tune.settings).Bytes());
  ASSERT_EQ(tracks.size(), 4u);
  EXPECT_EQ(tracks[1].events, (std::vector<Bytes>{{0xC0, 0x00}, {0xFF, 0x2F, 0x00}}));
  EXPECT_EQ(tracks[2].events[0], (Bytes{0xC1, 0x00}));
  EXPECT_EQ(tracks[3].events[1], (Bytes{0x92, 60, 127}));
}

// Volume and instrument are the settings at writing time, clamped to bytes; tempo 0 is written as 120.
TEST(MidiFileWriter, SettingsAtWritingTimeAndTempoZero) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  MidiSettings settings;
  settings.MidiVolume = 50;
  settings.MidiPatch[0] = 300;
  const auto tracks = Read(Write(c, settings, 0).Bytes());
  EXPECT_EQ(tracks[0].events[1], (Bytes{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(tracks[1].events[0], (Bytes{0xC0, 0x7F}));
  EXPECT_EQ(tracks[1].events[1], (Bytes{0x90, 60, 50}));
}

}  // namespace
}  // namespace rq
