// The Standard MIDI File writer: its bytes, tracks, delta times and saving.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "MidiTestHelpers.h"
#include "SmfCheck.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"

namespace rq {
namespace {

using test::ScopedSetting;
using Bytes = std::vector<unsigned char>;

void AddNote(TMidiContainer& c, MidiTick start, MidiTick length, int pitch, int velocity) {
  c.AddEvent(std::make_unique<TNote_On>(start, kTagConverter, velocity, pitch, 1, start + length));
  c.AddEvent(std::make_unique<TNote_On>(start + length, kTagConverter, 0, pitch, 1, start + length));
}

Bytes Write(TMidiContainer& c, int tempo = 200) {
  c.SetTempo(tempo);
  c.SetMeter(4, 2);
  TMIDI_Out_Stream w;
  w.WriteContainer(c);
  return w.Bytes();
}

test::SmfFile Read(const Bytes& bytes) {
  test::SmfFile f;
  EXPECT_EQ(test::ReadSmf(bytes, f), "");
  return f;
}

TEST(MidiFileWriter, OneQuarterNoteByteForByte) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 127);
  const Bytes expected = {
      0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
      0x00, 0xFF, 0x51, 0x03, 0x04, 0x93, 0xE0, 0x00, 0xFF, 0x2F, 0x00,
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x10, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x7F,
      0x83, 0x60, 0x90, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(Write(c), expected);
}

// Deltas are variable-length quantities (128 is 81 00); equal times give 00; a gap
// too long for four bytes is shortened rather than written broken.
TEST(MidiFileWriter, DeltaTimes) {
  TMidiContainer c;
  for (const MidiTick t : {0, 0, 127, 255, 255 + 16384}) AddNote(c, t, 0, 60, 100);
  AddNote(c, MidiTick{1} << 40, 0, 60, 100);
  const Bytes bytes = Write(c);
  EXPECT_EQ(Read(bytes).tracks[1].deltas,
            (std::vector<uint32_t>{0, 0, 0, 0, 0, 127, 0, 128, 0, 16384, 0, uint32_t(kMaxMidiDelta), 0, 0}));
  const Bytes d128 = {0x81, 0x00, 0x90};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), d128.begin(), d128.end()), bytes.end());
}

// One track per used channel in channel order; the meter marks channel 1 as used
// even when its voice has no notes.
TEST(MidiFileWriter, OneTrackPerUsedChannel) {
  test::Converted tune("M:4/4\nL:1/8\nK:C", "V:3\nCDEF GABc|\nV:2\ncBAG FEDC|");
  TMIDI_Out_Stream w;
  tune.container.SetTempo(200);
  w.WriteContainer(tune.container);
  const auto f = Read(w.Bytes());
  ASSERT_EQ(f.trackCount, 4);
  EXPECT_EQ(f.tracks[1].events, (std::vector<Bytes>{{0xC0, 0x00}, {0xFF, 0x2F, 0x00}}));
  EXPECT_EQ(f.tracks[2].events[0], (Bytes{0xC1, 0x00}));
  EXPECT_EQ(f.tracks[3].events[1], (Bytes{0x92, 60, 127}));
}

// Volume and instrument are the settings at the moment of writing, clamped to bytes;
// tempo 0 has no microseconds per quarter and is written as 120.
TEST(MidiFileWriter, SettingsAtWritingTimeAndTempoZero) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  ScopedSetting volume(MidiConfig().MidiVolume, 50);
  ScopedSetting patch(MidiConfig().MidiPatch[0], 300);
  const auto f = Read(Write(c, 0));
  EXPECT_EQ(f.tracks[0].events[1], (Bytes{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(f.tracks[1].events[0], (Bytes{0xC0, 0x7F}));
  EXPECT_EQ(f.tracks[1].events[1], (Bytes{0x90, 60, 50}));
}

TEST(MidiFileWriter, SaveWritesTheBytesOrReportsWhyNot) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  c.SetTempo(200);
  TMIDI_Out_Stream w;
  w.WriteContainer(c);
  const auto dir = std::filesystem::temp_directory_path() / ("rq_midi_save_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "tune.mid";
  ASSERT_TRUE(w.SaveToFile(path.string()));
  EXPECT_EQ(std::filesystem::file_size(path), w.Bytes().size());
  const auto failed = w.SaveToFile((dir / "missing" / "tune.mid").string());
  EXPECT_FALSE(failed);
  EXPECT_NE(failed.error.find("tune.mid"), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace rq
