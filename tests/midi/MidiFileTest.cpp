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

using test::ScopedSetting;
using Bytes = std::vector<unsigned char>;

void AddNote(TMidiContainer& c, MidiTick start, MidiTick length, int pitch, int velocity, int channel = 1) {
  c.AddEvent(std::make_unique<TNote_On>(start, kTagConverter, velocity, pitch, channel, start + length));
  c.AddEvent(std::make_unique<TNote_On>(start + length, kTagConverter, 0, pitch, channel, start + length));
}

Bytes Write(TMidiContainer& c, int tempo = 200, int meterNum = 4, int meterExp = 2) {
  c.SetTempo(tempo);
  c.SetMeter(meterNum, meterExp);
  TMIDI_Out_Stream w;
  w.WriteContainer(c);
  return w.Bytes();
}

test::SmfFile Read(const Bytes& bytes) {
  test::SmfFile f;
  const std::string fault = test::ReadSmf(bytes, f);
  EXPECT_EQ(fault, "");
  return f;
}

TEST(MidiFileWriter, OneQuarterNoteByteForByte) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 127);
  const Bytes expected = {
      0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,
      // conductor track
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
      0x00, 0xFF, 0x51, 0x03, 0x04, 0x93, 0xE0, 0x00, 0xFF, 0x2F, 0x00,
      // channel 1
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x10, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x7F,
      0x83, 0x60, 0x90, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(Write(c), expected);
}

TEST(MidiFileWriter, DeltaTimesAreVariableLengthQuantities) {
  TMidiContainer c;
  for (const MidiTick t : {0, 127, 255, 255 + 480, 255 + 480 + 16384}) AddNote(c, t, 0, 60, 100);
  const auto f = Read(Write(c));
  const auto& track = f.tracks[1];
  // Program change, then note-on/note-off pairs with zero length.
  EXPECT_EQ(track.deltas, (std::vector<uint32_t>{0, 0, 0, 127, 0, 128, 0, 480, 0, 16384, 0, 0}));
  // 128 is written 81 00 and 480 is 83 60.
  Bytes bytes = Write(c);
  const Bytes d128 = {0x81, 0x00, 0x90};
  const Bytes d480 = {0x83, 0x60, 0x90};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), d128.begin(), d128.end()), bytes.end());
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), d480.begin(), d480.end()), bytes.end());
}

// A gap too long for four bytes is shortened rather than written as a broken quantity.
TEST(MidiFileWriter, HugeGapStaysAValidQuantity) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  AddNote(c, MidiTick{1} << 40, 480, 62, 100);
  const auto f = Read(Write(c));
  EXPECT_EQ(f.tracks[1].deltas[3], uint32_t(kMaxMidiDelta));
}

TEST(MidiFileWriter, OneTrackPerUsedChannelInChannelOrder) {
  test::Converted tune(test::Tune("M:4/4\nL:1/8\nK:C", "V:3\nCDEF GABc|\nV:2\ncBAG FEDC|"));
  tune.container.SetTempo(200);
  TMIDI_Out_Stream w;
  w.WriteContainer(tune.container);
  const auto f = Read(w.Bytes());
  EXPECT_EQ(f.format, 1);
  EXPECT_EQ(f.division, 480);
  // Channel 1 (the meter event's) with no notes, then channels 2 and 3.
  ASSERT_EQ(f.trackCount, 4);
  EXPECT_EQ(f.tracks[1].events, (std::vector<Bytes>{{0xC0, 0x00}, {0xFF, 0x2F, 0x00}}));
  EXPECT_EQ(f.tracks[2].events[0], (Bytes{0xC1, 0x00}));
  EXPECT_EQ(f.tracks[2].events[1][0], 0x91);
  EXPECT_EQ(f.tracks[2].events[1][1], 72);
  EXPECT_EQ(f.tracks[3].events[1], (Bytes{0x92, 60, 127}));
}

// Volume and instrument are the settings at the moment of writing, clamped to bytes.
TEST(MidiFileWriter, UsesVolumeAndInstrumentAtWritingTime) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  ScopedSetting volume(MidiConfig().MidiVolume, 50);
  ScopedSetting patch(MidiConfig().MidiPatch[0], 300);
  const auto f = Read(Write(c));
  EXPECT_EQ(f.tracks[1].events[0], (Bytes{0xC0, 0x7F}));
  EXPECT_EQ(f.tracks[1].events[1], (Bytes{0x90, 60, 50}));
}

TEST(MidiFileWriter, EqualTimesKeepContainerOrderWithZeroDeltas) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  AddNote(c, 0, 480, 64, 100);
  AddNote(c, 0, 480, 67, 100);
  const auto f = Read(Write(c));
  const auto& t = f.tracks[1];
  EXPECT_EQ(t.events[1][1], 60);
  EXPECT_EQ(t.events[2][1], 64);
  EXPECT_EQ(t.events[3][1], 67);
  EXPECT_EQ(t.deltas[2], 0u);
  EXPECT_EQ(t.deltas[3], 0u);
}

// Tempo 0 cannot be turned into microseconds per quarter: the file gets 120 instead.
TEST(MidiFileWriter, TempoZeroWritesTheDefaultTempo) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  const auto f = Read(Write(c, 0));
  EXPECT_EQ(f.tracks[0].events[1], (Bytes{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
}

TEST(MidiFileWriter, WritingAgainReplacesTheFormerFile) {
  TMidiContainer big, small;
  for (int i = 0; i < 50; ++i) AddNote(big, i * 480, 480, 60, 100);
  AddNote(small, 0, 480, 60, 100);
  big.SetTempo(200);
  small.SetTempo(200);
  TMIDI_Out_Stream w;
  w.WriteContainer(big);
  w.WriteContainer(small);
  test::SmfFile f;
  EXPECT_EQ(test::ReadSmf(w.Bytes(), f), "");
}

class MidiFileSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("rq_midi_save_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
};

TEST_F(MidiFileSave, SavesTheBuiltBytes) {
  TMidiContainer c;
  AddNote(c, 0, 480, 60, 100);
  c.SetTempo(200);
  TMIDI_Out_Stream w;
  w.WriteContainer(c);
  const auto path = (dir / "tune.mid").string();
  const auto result = w.SaveToFile(path);
  ASSERT_TRUE(result.ok) << result.error;
  std::ifstream in(path, std::ios::binary);
  const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, w.Bytes());
}

TEST_F(MidiFileSave, FailureIsReportedWithAReason) {
  TMidiContainer c;
  c.SetTempo(200);
  TMIDI_Out_Stream w;
  w.WriteContainer(c);
  const auto result = w.SaveToFile((dir / "missing" / "tune.mid").string());
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("tune.mid"), std::string::npos);
}

}  // namespace
}  // namespace rq
