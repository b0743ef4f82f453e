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

// Calls f with every sounding note-on (velocity above 0) in container order.
template <typename F>
void ForEachNoteOn(const TMidiContainer& c, F f) {
  for (size_t i = 0; i < c.EventCount(); ++i) {
    const TMIDI_Event* e = c.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e->EventType() == kMidiNoteOn && e->StoredData2() > 0) f(*e);
  }
}

// The notes in container order as "start+length:pitch", blank-separated; channel 0 is all.
inline std::string Played(const TMidiContainer& c, int channel = 0) {
  std::string out;
  ForEachNoteOn(c, [&](const TMIDI_Event& e) {
    if (channel && e.Channel() != channel) return;
    out += (out.empty() ? "" : " ") + std::to_string(e.Time()) + "+" + std::to_string(e.EndTime() - e.Time()) +
           ":" + std::to_string(e.Data1());
  });
  return out;
}

inline std::string Pitches(const TMidiContainer& c) {
  std::string out;
  ForEachNoteOn(c, [&](const TMIDI_Event& e) { out += (out.empty() ? "" : " ") + std::to_string(e.Data1()); });
  return out;
}

inline std::vector<int> Velocities(const TMidiContainer& c) {
  std::vector<int> out;
  ForEachNoteOn(c, [&](const TMIDI_Event& e) { out.push_back(e.StoredData2()); });
  return out;
}

// What any converted tune must hold: events in time order, none before tick 0, every
// note-on ended by a note-off, data bytes within 0..127. Returns the first fault or "".
inline std::string EventFault(const TMidiContainer& c) {
  MidiTick previous = 0;
  std::vector<int> open(16 * 128, 0);
  for (size_t i = 0; i < c.EventCount(); ++i) {
    const TMIDI_Event& e = *c.GetEvent(static_cast<std::ptrdiff_t>(i));
    const std::string where = "event " + std::to_string(i) + " at " + std::to_string(e.Time());
    if (e.Time() < previous) return where + ": before tick 0 or out of order";
    previous = e.Time();
    if (e.Data1() > 127 || e.Data2() > 127) return where + ": data byte above 127";
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

// A tune with the given header fields (after X: and T:) and body.
inline std::string Tune(const std::string& fields, const std::string& body) {
  return "X:1\nT:Test\n" + fields + "\n" + body + "\n";
}

// Parses and converts one tune given as text with "\n" line breaks.
struct Converted {
  explicit Converted(const std::string& abc) {
    parser.Parse(SplitLines(abc));
    midi.Convert(parser.Elements(), &container);
  }
  Converted(const std::string& fields, const std::string& body) : Converted(Tune(fields, body)) {}
  std::string Notes(int channel = 0) const { return Played(container, channel); }

  TAbcParser parser;
  TAbcMidi midi;
  TMidiContainer container;
};

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
  void PutEvent(const TMIDI_Event& e) override { sent.push_back({e.Status(), e.Data1(), e.Data2()}); }
  std::vector<std::vector<int>> sent;
};

}  // namespace rq::test
