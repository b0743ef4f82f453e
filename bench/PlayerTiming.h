// Timing of played tunes for the benchmarks: the 32-bar reel they play, what the
// recording device wrote, and each message's lateness against its due time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Corpus.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiEvents.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"

namespace rq::bench {

constexpr int kReelBars = 32;

// The first 4/4 reel of the corpus that plays for exactly 32 bars without a pickup;
// the parser holds it afterwards.
inline std::optional<TLines> FindReel(TAbcParser& parser, TAbcMidi& converter) {
  for (const auto& file : corpus::Files()) {
    if (file.find("reels") == std::string::npos) continue;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& tune : corpus::SplitTunes(SplitLines(bytes))) {
      parser.Parse(tune);
      converter.Convert(parser.Elements());
      if (converter.PickupTicks() <= 0 && converter.MeasureTicks() == 1920 &&
          converter.TotalTicks() == kReelBars * converter.MeasureTicks()) {
        return tune;
      }
    }
  }
  return std::nullopt;
}

struct Recorded {
  int64_t ms;
  int status, data1, data2;
};

inline std::vector<Recorded> ReadRecording(const std::string& path) {
  std::vector<Recorded> lines;
  std::ifstream in(path);
  Recorded r{};
  while (in >> r.ms >> r.status >> r.data1 >> r.data2) lines.push_back(r);
  return lines;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Lateness {
  std::vector<double> ms;  // per message, in play order
  double Median() const { return bench::Median(ms); }
  double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
  double Min() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
  // The median of the last quarter of the tune minus that of the first.
  double Drift() const {
    const size_t quarter = ms.size() / 4;
    return bench::Median({ms.end() - static_cast<long>(quarter), ms.end()}) -
           bench::Median({ms.begin(), ms.begin() + static_cast<long>(quarter)});
  }
};

// Messages come out in the container's order, meter events excepted: the first
// recorded line after `setupLines` is the tune's first event. Times are milliseconds
// of the same clock: the device's open and the start of playing.
inline Lateness MeasureLateness(const TMidiContainer& tune, const std::vector<Recorded>& recorded, size_t setupLines,
                                int64_t openedMs, int64_t startMs, int tempo, int division) {
  const double msPerTick = 60'000.0 / tempo / division;
  Lateness lateness;
  size_t next = setupLines;
  for (size_t i = 0; i < tune.EventCount() && next < recorded.size(); ++i) {
    const TMIDI_Event& e = *tune.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.EventType() == kMidiTimeSignature) continue;
    const double ideal = static_cast<double>(e.Time()) * msPerTick;
    lateness.ms.push_back(static_cast<double>(recorded[next].ms + openedMs - startMs) - ideal);
    ++next;
  }
  return lateness;
}

}  // namespace rq::bench
