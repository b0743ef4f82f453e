// Timing of the player on its real timer thread: a 32-bar reel from the corpus at
// speed 200 into the recording device, each message's lateness against the moment
// its tick falls due. Reports the median and the maximum lateness, and the drift (the
// median of the last quarter of the tune minus that of the first).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "Corpus.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"

namespace {

constexpr int kBars = 32;
constexpr int kSpeed = 200;

// The first 4/4 reel of the corpus that plays for exactly 32 bars.
bool ConvertReel(rq::TAbcParser& parser, rq::TAbcMidi& converter, rq::TMidiContainer& container) {
  for (const auto& file : rq::corpus::Files()) {
    if (file.find("reels") == std::string::npos) continue;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& tune : rq::corpus::SplitTunes(rq::SplitLines(bytes))) {
      parser.Parse(tune);
      converter.Convert(parser.Elements(), &container);
      if (converter.PickupTicks() <= 0 && converter.MeasureTicks() == 1920 &&
          converter.TotalTicks() == kBars * converter.MeasureTicks()) {
        return true;
      }
    }
  }
  return false;
}

struct Recorded {
  int64_t ms;
  int status, data1, data2;
};

std::vector<Recorded> ReadRecording(const std::string& path) {
  std::vector<Recorded> lines;
  std::ifstream in(path);
  Recorded r{};
  while (in >> r.ms >> r.status >> r.data1 >> r.data2) lines.push_back(r);
  return lines;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BM_PlayReelLateness(benchmark::State& state) {
  rq::TAbcParser parser;
  rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  rq::TMidiContainer tune;
  if (!ConvertReel(parser, converter, tune)) {
    state.SkipWithError("no 32-bar reel in the corpus");
    return;
  }
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("rq_bench_player_" + std::to_string(getpid()) + ".rec")).string();
  std::vector<double> lateness;
  double drift = 0;
  for (auto _ : state) {
    rq::RecorderMidiPorts ports(path, rq::SystemClock());
    const int64_t openedMs = rq::SystemClock().NowMs();
    rq::TZymMidiPlayer player(0, settings, ports, rq::SystemClock(), rq::SystemTimers());
    player.RefillContainer([&](rq::TMidiContainer& c) { converter.Convert(parser.Elements(), &c); });
    player.SetSpeed(kSpeed);
    std::mutex mutex;
    std::condition_variable ended;
    bool stopped = false;
    player.SetOnStop([&] {
      std::lock_guard lock(mutex);
      stopped = true;
      ended.notify_all();
    });
    const size_t setupLines = ReadRecording(path).size();
    const int64_t startMs = rq::SystemClock().NowMs();
    player.Start();
    {
      std::unique_lock lock(mutex);
      ended.wait(lock, [&] { return stopped; });
    }

    // Messages come out in the container's order, meter events excepted.
    const double msPerTick = 60'000.0 / player.Tempo() / rq::TZymMidiPlayer::kDivision;
    const auto recorded = ReadRecording(path);
    size_t next = setupLines;
    lateness.clear();
    for (size_t i = 0; i < tune.EventCount() && next < recorded.size(); ++i) {
      const rq::TMIDI_Event& e = *tune.GetEvent(static_cast<std::ptrdiff_t>(i));
      if (e.EventType() == rq::kMidiTimeSignature) continue;
      const double ideal = static_cast<double>(e.Time()) * msPerTick;
      lateness.push_back(static_cast<double>(recorded[next].ms + openedMs - startMs) - ideal);
      ++next;
    }
    const size_t quarter = lateness.size() / 4;
    drift = Median({lateness.end() - quarter, lateness.end()}) - Median({lateness.begin(), lateness.begin() + quarter});
  }
  std::remove(path.c_str());
  state.counters["messages"] = static_cast<double>(lateness.size());
  state.counters["median_late_ms"] = Median(lateness);
  state.counters["max_late_ms"] = lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end());
  state.counters["min_late_ms"] = lateness.empty() ? 0 : *std::min_element(lateness.begin(), lateness.end());
  state.counters["drift_ms"] = drift;
}
BENCHMARK(BM_PlayReelLateness)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
