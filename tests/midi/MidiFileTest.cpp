// The Standard MIDI File writer: its bytes, tracks, delta times and saving.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "MidiTestHelpers.h"
#include "SmfCheck.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

using test::AddNote;
using test::ScopedSetting;
using Bytes = std::vector<unsigned char>;

TMIDI_Out_Stream Write(TMidiContainer& c, int tempo = 200) {
  c.SetTempo(tempo);
  c.SetMeter(4, 2);
  TMIDI_Out_Stream w;
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
  const TMIDI_Out_Stream w = Write(c);
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
  EXPECT_EQ(Read(Write(c).Bytes())[1].deltas,
            (std::vector<uint32_t>{0, 0, 0, 0, 0, 127, 0, 128, 0, 16384, 0, uint32_t(kMaxMidiDelta), 0, 0}));
}

// One track per used channel in channel order; the meter's channel 1 counts as used even without notes.
TEST(MidiFileWriter, OneTrackPerUsedChannel) {
  test::Converted tune("M:4/4\nL:1/8\nK:C", "V:3\nCDEF GABc|\nV:2\ncBAG FEDC|");
  const auto tracks = Read(Write(tune.container).Bytes());
  ASSERT_EQ(tracks.size(), 4u);
  EXPECT_EQ(tracks[1].events, (std::vector<Bytes>{{0xC0, 0x00}, {0xFF, 0x2F, 0x00}}));
  EXPECT_EQ(tracks[2].events[0], (Bytes{0xC1, 0x00}));
  EXPECT_EQ(tracks[3].events[1], (Bytes{0x92, 60, 127}));
}

// Volume and instrument are the settings at writing time, clamped to bytes; tempo 0 is written as 120.
TEST(MidiFileWriter, SettingsAtWritingTimeAndTempoZero) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  ScopedSetting volume(MidiConfig().MidiVolume, 50);
  ScopedSetting patch(MidiConfig().MidiPatch[0], 300);
  const auto tracks = Read(Write(c, 0).Bytes());
  EXPECT_EQ(tracks[0].events[1], (Bytes{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(tracks[1].events[0], (Bytes{0xC0, 0x7F}));
  EXPECT_EQ(tracks[1].events[1], (Bytes{0x90, 60, 50}));
}

}  // namespace
}  // namespace rq
