// The output devices: the recorder, the device list and the built-in synthesizer.
#include "platform/MidiDevices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "PlayerDoubles.h"
#include "RecordedMessages.h"
#include "platform/BuiltinSynth.h"
#include "platform/MidiRecorder.h"

namespace rq::test {
namespace {

const char* const kNoSequencer = "rq-no-such-sequencer";

// Each message becomes a line of its time since the open and its three bytes; an unwritable file is refused.
TEST(MidiRecorderTest, WritesTimedLinesOrRefusesTheFile) {
  ManualClock clock;
  const std::string path = TempFile(".rec");
  std::string reason;
  auto recorder = MidiRecorder::Open(path, clock, false, reason);
  ASSERT_TRUE(recorder) << reason;
  clock.now += 15;
  EXPECT_EQ(recorder->SendShort(PackShortMessage(0x90, 60, 100)), kMidiOutOk);
  clock.now += 1200;
  recorder->SendShort(PackShortMessage(0xE3, 0, 64));
  EXPECT_EQ(ReadRecording(path), (std::vector<Sent>{{15, 144, 60, 100}, {1215, 227, 0, 64}}));
  EXPECT_EQ(recorder->Close(), kMidiOutOk);
  EXPECT_EQ(recorder->SendShort(PackShortMessage(0x90, 60, 0)), kMidiOutNotOpen);

  // Appending keeps what is there; otherwise the file starts afresh.
  recorder = MidiRecorder::Open(path, clock, true, reason);
  ASSERT_TRUE(recorder);
  recorder->SendShort(PackShortMessage(0x80, 60, 0));
  recorder.reset();
  EXPECT_EQ(ReadRecording(path).size(), 3u);
  recorder = MidiRecorder::Open(path, clock, false, reason);
  recorder.reset();
  EXPECT_TRUE(ReadRecording(path).empty());

  // A file that cannot be written is refused with its name in the reason.
  EXPECT_FALSE(MidiRecorder::Open("/nonexistent-folder/out.rec", clock, false, reason));
  EXPECT_NE(reason.find("/nonexistent-folder/out.rec"), std::string::npos);
  RecorderMidiPorts ports("/nonexistent-folder/out.rec", clock);
  const MidiOutOpened opened = ports.Open(0);
  EXPECT_FALSE(opened.device);
  EXPECT_EQ(opened.result, kMidiOutFileFailed);
}

// Without a sequencer the list holds the built-in synthesizer alone, also as the default.
TEST(SystemMidiPortsTest, NoSequencerListsOnlyTheBuiltinSynthesizer) {
  SystemMidiPorts ports(kNoSequencer);
  EXPECT_EQ(ports.Count(), 1);
  for (int id : {0, -1}) EXPECT_EQ(ports.Name(id), "Built-in synthesizer") << id;
  for (int id : {1, -2}) EXPECT_EQ(ports.Name(id), std::nullopt) << id;
  const MidiOutOpened opened = ports.Open(1);
  EXPECT_FALSE(opened.device);
  EXPECT_EQ(opened.result, kMidiOutBadDevice);
}

// RQ_MIDI_RECORD sends everything to the recorder; the first open of a run starts the file.
TEST(SystemMidiPortsTest, RecordVariableRoutesEveryDeviceToTheFile) {
  const std::string path = TempFile(".rec");
  ASSERT_EQ(setenv("RQ_MIDI_RECORD", path.c_str(), 1), 0);
  SystemMidiPorts ports(kNoSequencer);
  for (int id : {0, -1}) {
    MidiOutOpened opened = ports.Open(id);
    ASSERT_TRUE(opened.device) << opened.reason;
    opened.device->SendShort(PackShortMessage(0xC0, 40 + id, 0));
    EXPECT_EQ(opened.device->Close(), kMidiOutOk);
  }
  unsetenv("RQ_MIDI_RECORD");
  const auto sent = ReadRecording(path);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].data1, 40);
  EXPECT_EQ(sent[1].data1, 39);
}

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

// The synthesizer sounds a note without any audio device: silence before, sound after.
TEST(BuiltinSynthTest, RendersANoteOffline) {
  int result = 0;
  std::string reason;
  auto synth = BuiltinSynth::Create(result, reason);
  if (result == kMidiOutNoSoundfont) GTEST_SKIP() << reason;
  ASSERT_TRUE(synth) << reason;
  const int frames = synth->SampleRate() / 5;
  std::vector<float> left(frames), right(frames);
  synth->Render(left.data(), right.data(), frames);
  EXPECT_LT(Peak(left), 1e-4f);

  EXPECT_EQ(synth->SendShort(PackShortMessage(0xC0, 0, 0)), kMidiOutOk);
  EXPECT_EQ(synth->SendShort(PackShortMessage(0x90, 60, 100)), kMidiOutOk);
  synth->Render(left.data(), right.data(), frames);
  EXPECT_GT(Peak(left), 0.01f);
  EXPECT_GT(Peak(right), 0.01f);
  EXPECT_EQ(synth->SendShort(PackShortMessage(0xF0, 1, 2)), kMidiOutBadMessage);
  EXPECT_EQ(synth->Close(), kMidiOutOk);
  EXPECT_EQ(synth->SendShort(PackShortMessage(0x90, 60, 100)), kMidiOutNotOpen);
}

}  // namespace
}  // namespace rq::test
