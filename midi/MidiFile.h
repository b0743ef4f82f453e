// Standard MIDI File writer: a container's events as a format-1 file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi/MidiEvents.h"
#include "platform/AtomicFile.h"

namespace rq {

struct MidiSettings;

// Builds the file in memory: a header, a conductor track with the container's meter
// and tempo, then one track per used channel (ascending) holding its program change
// and its notes. 480 ticks per quarter note.
class TMIDI_Out_Stream {
 public:
  // Takes each channel's instrument and the volume from `settings`, as they are when
  // a container is written; they must outlive the writer.
  explicit TMIDI_Out_Stream(const MidiSettings& settings) : config_(settings) {}
  explicit TMIDI_Out_Stream(const MidiSettings&& settings) = delete;

  // Replaces whatever was built before. The container's meter denominator is written
  // as stored (the exporter stores its power of two); a tempo of 0 means 120.
  void WriteContainer(const TMidiContainer& container);

  const std::vector<unsigned char>& Bytes() const { return bytes_; }

  // Writes the built file atomically; returns the reason on failure.
  FileWriteResult SaveToFile(const std::string& path) const;

 private:
  void PutByte(unsigned char b) { bytes_.push_back(b); }
  void Put16(uint32_t v);
  void Put24(uint32_t v);
  void Put32(uint32_t v);
  void PutText(const char* text);
  // A delta time as a variable-length quantity of at most four bytes.
  void PutDelta(MidiTick delta);

  void BeginTrack();
  void EndTrack();
  void WriteConductorTrack(const TMidiContainer& container);
  void WriteChannelTrack(const TMidiContainer& container, int channel, int volume);

  const MidiSettings& config_;
  std::vector<unsigned char> bytes_;
  size_t lengthPos_ = 0;
};

// The power of two a meter denominator stands for, as the file's time signature
// stores it (4 gives 2, 8 gives 3).
int MeterDenominatorExponent(int den);

// The largest delta a four-byte variable-length quantity can hold.
constexpr MidiTick kMaxMidiDelta = 0x0FFFFFFF;

}  // namespace rq
