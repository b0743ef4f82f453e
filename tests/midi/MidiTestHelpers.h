// Converting ABC text written inline in tests, and reading back what came out.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "midi/AbcToMidi.h"
#include "midi/MidiEvents.h"
#include "midi/MidiSink.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"

namespace rq::test {

// One sounding note as the container holds it: its note-on and the end it carries.
struct PlayedNote {
  MidiTick start;
  MidiTick length;
  int pitch;
  int velocity;
  int channel;
  bool operator==(const PlayedNote&) const = default;
};

inline std::vector<PlayedNote> NotesIn(const TMidiContainer& c) {
  std::vector<PlayedNote> out;
  for (size_t i = 0; i < c.EventCount(); ++i) {
    const TMIDI_Event* e = c.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e->EventType() == kMidiNoteOn && e->StoredData2() > 0) {
      out.push_back({e->Time(), e->EndTime() - e->Time(), e->Data1(), e->StoredData2(), e->Channel()});
    }
  }
  return out;
}

inline std::vector<MidiTick> Starts(const std::vector<PlayedNote>& notes) {
  std::vector<MidiTick> out;
  for (const auto& n : notes) out.push_back(n.start);
  return out;
}
inline std::vector<MidiTick> Lengths(const std::vector<PlayedNote>& notes) {
  std::vector<MidiTick> out;
  for (const auto& n : notes) out.push_back(n.length);
  return out;
}
inline std::vector<int> Pitches(const std::vector<PlayedNote>& notes) {
  std::vector<int> out;
  for (const auto& n : notes) out.push_back(n.pitch);
  return out;
}
inline std::vector<int> Velocities(const std::vector<PlayedNote>& notes) {
  std::vector<int> out;
  for (const auto& n : notes) out.push_back(n.velocity);
  return out;
}

// What any converted tune must hold: events in time order, none before tick 0, every
// note-on of a channel and pitch ended by a note-off, data bytes within 0..127.
// Returns a description of the first fault, or "".
inline std::string EventFault(const TMidiContainer& c) {
  MidiTick previous = 0;
  std::vector<int> open(16 * 128, 0);
  for (size_t i = 0; i < c.EventCount(); ++i) {
    const TMIDI_Event& e = *c.GetEvent(static_cast<std::ptrdiff_t>(i));
    const std::string where = "event " + std::to_string(i) + " at " + std::to_string(e.Time());
    if (e.Time() < 0) return where + ": before tick 0";
    if (e.Time() < previous) return where + ": out of order";
    previous = e.Time();
    if (e.Data1() > 127 || e.Data2() > 127) return where + ": data byte above 127";
    if (e.Channel() < 1 || e.Channel() > 16) return where + ": bad channel";
    if (e.EventType() == kMidiNoteOn) {
      open[static_cast<size_t>((e.Channel() - 1) * 128 + e.Data1())] += e.StoredData2() > 0 ? 1 : -1;
    } else if (e.EventType() != kMidiTimeSignature) {
      return where + ": unexpected event type";
    }
  }
  for (int n : open) {
    if (n != 0) return "a note-on without its note-off";
  }
  return "";
}

// Parses and converts one tune given as text with "\n" line breaks.
struct Converted {
  explicit Converted(const std::string& abc) {
    parser.Parse(SplitLines(abc));
    midi.Convert(parser.Elements(), &container);
  }
  std::vector<PlayedNote> Notes() const { return NotesIn(container); }

  TAbcParser parser;
  TAbcMidi midi;
  TMidiContainer container;
};

// A tune with the given header fields (after X: and T:) and body.
inline std::string Tune(const std::string& fields, const std::string& body) {
  return "X:1\nT:Test\n" + fields + "\n" + body + "\n";
}

// Sets a MIDI setting for the length of a test.
class ScopedSetting {
 public:
  ScopedSetting(std::atomic<int>& setting, int value) : setting_(setting), old_(setting.load()) {
    setting_.store(value);
  }
  ~ScopedSetting() { setting_.store(old_); }
  ScopedSetting(const ScopedSetting&) = delete;
  ScopedSetting& operator=(const ScopedSetting&) = delete;

 private:
  std::atomic<int>& setting_;
  int old_;
};

// Remembers every event that reaches the output, with the bytes as sent.
struct RecordingSink : IMidiEventSink {
  struct Sent {
    MidiTick time;
    int status, data1, data2;
  };
  void PutEvent(const TMIDI_Event& e) override { sent.push_back({e.Time(), e.Status(), e.Data1(), e.Data2()}); }
  std::vector<Sent> sent;
};

}  // namespace rq::test
