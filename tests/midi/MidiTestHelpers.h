// Converting ABC text written inline in tests, and reading back what came out.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "midi/AbcToMidi.h"
#include "midi/MidiEvents.h"
#include "midi/MidiSettings.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"

namespace rq::test {

// A note as its note-on and its note-off (a note-on of velocity 0).
inline void AddNote(TMidiContainer& c, MidiTick start, MidiTick end, int pitch, int velocity = 80, int channel = 1) {
  c.AddEvent(std::make_unique<TNote_On>(start, kTagConverter, velocity, pitch, channel, end));
  c.AddEvent(std::make_unique<TNote_On>(end, kTagConverter, 0, pitch, channel, end));
}

enum class Show { kTimed, kPitch, kVelocity };

// The sounding note-ons (velocity above 0) of a channel (0: all) in container order,
// blank-separated, each as "start+length:pitch", its pitch or its stored velocity.
inline std::string Played(const TMidiContainer& c, Show show = Show::kTimed, int channel = 0) {
  std::string out;
  for (size_t i = 0; i < c.EventCount(); ++i) {
    const TMIDI_Event& e = *c.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.EventType() != kMidiNoteOn || e.StoredData2() == 0 || (channel && e.Channel() != channel)) continue;
    std::string item = std::to_string(show == Show::kVelocity ? e.StoredData2() : e.Data1());
    if (show == Show::kTimed) {
      item = std::to_string(e.Time()) + "+" + std::to_string(e.EndTime() - e.Time()) + ":" + item;
    }
    out += (out.empty() ? "" : " ") + item;
  }
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
    if (e.Data1() > 127 || e.Data2(100) > 127) return where + ": data byte above 127";
    if (e.EventType() == kMidiNoteOn) {
      open[static_cast<size_t>((e.Channel() - 1) * 128 + e.Data1())] += e.StoredData2() > 0 ? 1 : -1;
    }
  }
  for (int n : open) {
    if (n != 0) return "a note-on without its note-off";
  }
  return "";
}

// A change to the default settings.
using SettingsChange = std::function<void(MidiSettings&)>;

// Parses and converts one tune of the given header fields (after X: and T:) and body,
// with the default settings changed as `change` says.
struct Converted {
  Converted(const std::string& fields, const std::string& body, const SettingsChange& change = {})
      : lines(SplitLines("X:1\nT:Test\n" + fields + "\n" + body + "\n")) {
    if (change) change(settings);
    parser.Parse(lines);
    midi.Convert(parser.Elements(), &container);
  }
  std::string Notes(Show show = Show::kTimed, int channel = 0) const { return Played(container, show, channel); }

  TLines lines;
  TAbcParser parser;
  MidiSettings settings;
  TAbcMidi midi{settings};
  TMidiContainer container;
};

// A path of its own in the temporary folder, for a file the test writes.
inline std::string TempFile(const std::string& suffix) {
  static int count = 0;
  return ::testing::TempDir() + "rq_midi_" + std::to_string(getpid()) + "_" + std::to_string(++count) + suffix;
}

}  // namespace rq::test
