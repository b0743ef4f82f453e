// MIDI events of one tune and the container that keeps them sorted by time.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rq {

class IMidiEventSink;

// Ticks of 480 per quarter note (1920 per whole note). Times are 64-bit so that no
// tune, however long, wraps around.
using MidiTick = int64_t;

constexpr unsigned char kMidiNoteOn = 0x90;
constexpr unsigned char kMidiProgram = 0xC0;
constexpr unsigned char kMidiTimeSignature = 0x58;  // internal marker, never sent
constexpr int kTagConverter = 30;

// One timed channel message. Channels are 1-based (1..16); data bytes are kept in
// 0..127 whatever the caller passes, so nothing sent or written can be a status byte.
class TMIDI_Event {
 public:
  TMIDI_Event(MidiTick time, int tag, int data2, int data1, unsigned char eventType, int channel,
              MidiTick endTime);
  virtual ~TMIDI_Event() = default;
  TMIDI_Event(const TMIDI_Event&) = delete;
  TMIDI_Event& operator=(const TMIDI_Event&) = delete;

  MidiTick Time() const { return time_; }
  // End tick of the note this event belongs to; equal to Time for a meter event.
  MidiTick EndTime() const { return endTime_; }
  int Channel() const { return channel_; }
  unsigned char EventType() const { return eventType_; }
  int Tag() const { return tag_; }
  // The stored second data byte, before any volume scaling.
  unsigned char StoredData2() const { return data2_; }

  // (Channel - 1) + EventType: 0x90 on channel 10 is 0x99.
  unsigned char Status() const;
  unsigned char Data1() const { return data1_; }
  // The second data byte as sent or written at `volume` percent (clamped to 0..100);
  // only notes scale it.
  virtual unsigned char Data2(int volume) const;

  std::string StatusText() const;
  std::string Data1Text() const;
  std::string Data2Text() const;  // the stored value, unscaled

  // Bytes the event occupies in a MIDI file track, and writing them at `volume` percent.
  virtual size_t Size() const { return 0; }
  virtual size_t WriteTo(std::vector<unsigned char>& out, int volume) const;

 private:
  MidiTick time_;
  MidiTick endTime_;
  int tag_;
  unsigned char channel_;
  unsigned char eventType_;
  unsigned char data1_;
  unsigned char data2_;
};

// Half of a note: velocity > 0 starts it, velocity 0 ends it.
class TNote_On : public TMIDI_Event {
 public:
  TNote_On(MidiTick time, int tag, int velocity, int pitch, int channel, MidiTick endTime)
      : TMIDI_Event(time, tag, velocity, pitch, kMidiNoteOn, channel, endTime) {}
  // Velocity x volume / 100.
  unsigned char Data2(int volume) const override;
  size_t Size() const override { return 3; }
  size_t WriteTo(std::vector<unsigned char>& out, int volume) const override;
};

class TPatch : public TMIDI_Event {
 public:
  TPatch(MidiTick time, int tag, int program, int channel)
      : TMIDI_Event(time, tag, 0, program, kMidiProgram, channel, time) {}
  size_t Size() const override { return 2; }
  size_t WriteTo(std::vector<unsigned char>& out, int volume) const override;
};

// A meter change: Data1 numerator, Data2 denominator as written (4, 8, ...), always on
// channel 1. Playing it sets the container's meter; it is neither sent nor written.
class TTimeSignature : public TMIDI_Event {
 public:
  TTimeSignature(MidiTick time, int tag, int num, int den)
      : TMIDI_Event(time, tag, den, num, kMidiTimeSignature, 1, time) {}
};

// The events of one tune, sorted by time; events of equal time keep the order in
// which they were added. Filled by the converter, played by the player from its timer
// thread (the player's lock guards it) and read by the file writer.
class TMidiContainer {
 public:
  TMidiContainer() = default;
  TMidiContainer(const TMidiContainer&) = delete;
  TMidiContainer& operator=(const TMidiContainer&) = delete;

  // Inserts in time order and takes ownership: after every event of the same or an
  // earlier time, found by binary search.
  void AddEvent(std::unique_ptr<TMIDI_Event> event);
  // Adds many events at once, as if each were added in turn with AddEvent, in time
  // proportional to n log n however they are ordered. Takes them out of `events`,
  // which is left empty (its memory kept for the caller's next batch).
  void AddEvents(std::vector<std::unique_ptr<TMIDI_Event>>& events);
  size_t EventCount() const { return events_.size(); }
  // Nullptr when index is out of range.
  const TMIDI_Event* GetEvent(std::ptrdiff_t index) const;

  // Frees every event, empties the sounding notes and the channel flags, rewinds
  // the play cursor. Meter and tempo stay.
  void Clear();

  void SetMeter(int num, int den);
  void GetMeter(int& num, int& den) const;
  int MeterNum() const { return meterNum_; }
  int MeterDen() const { return meterDen_; }
  void SetTempo(int qpm);
  int GetTempo() const { return tempo_; }

  // Channels 1..16 that received an event since the last Clear.
  int UsedChannelCount() const;
  bool ChannelUsed(int channel) const;

  // Next event to play: the first one whose time is at or after tick.
  void Seek(MidiTick tick);
  size_t PlayCursor() const { return playCursor_; }

  // Sends every event due before tick (strictly) to output at `volume` percent,
  // keeping the sounding notes up to date; meter events set the meter instead of
  // being sent. Returns whether any event was left to play on entry.
  bool PlayUntil(MidiTick tick, int volume, IMidiEventSink& output);

  // Notes of a channel (1..16) whose note-on was played and note-off not yet.
  const std::bitset<128>& SoundingNotes(int channel) const;

  // The octave setting, copied here by the player at each start.
  void SetOctave(int octave) { octave_ = octave; }
  int Octave() const { return octave_; }

 private:
  std::vector<std::unique_ptr<TMIDI_Event>> events_;
  unsigned char meterNum_ = 0;
  unsigned char meterDen_ = 0;
  int tempo_ = 0;
  std::array<bool, 16> channelUsed_{};
  size_t playCursor_ = 0;
  std::array<std::bitset<128>, 16> sounding_{};
  int octave_ = 0;
};

}  // namespace rq
