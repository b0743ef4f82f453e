// Timing of the player on its real timer thread: a 32-bar reel from the corpus at
// speed 200 into the recording device, each message's lateness against the moment
// its tick falls due. Reports the median and the maximum lateness, and the drift (the
// median of the last quarter of the tune minus that of the first).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "PlayerTiming.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"

namespace {

constexpr int kSpeed = 200;

void BM_PlayReelLateness(benchmark::State& state) {
  rq::TAbcParser parser;
  rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  rq::TMidiContainer tune;
  if (!rq::bench::FindReel(parser, converter)) {
    state.SkipWithError("no 32-bar reel in the corpus");
    return;
  }
  converter.Convert(parser.Elements(), &tune);
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("rq_bench_player_" + std::to_string(getpid()) + ".rec")).string();
  rq::bench::Lateness lateness;
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
    const size_t setupLines = rq::bench::ReadRecording(path).size();
    const int64_t startMs = rq::SystemClock().NowMs();
    player.Start();
    {
      std::unique_lock lock(mutex);
      ended.wait(lock, [&] { return stopped; });
    }

    lateness = rq::bench::MeasureLateness(tune, rq::bench::ReadRecording(path), setupLines, openedMs, startMs,
                                          player.Tempo(), rq::TZymMidiPlayer::kDivision);
  }
  std::remove(path.c_str());
  state.counters["messages"] = static_cast<double>(lateness.ms.size());
  state.counters["median_late_ms"] = lateness.Median();
  state.counters["max_late_ms"] = lateness.Max();
  state.counters["min_late_ms"] = lateness.Min();
  state.counters["drift_ms"] = lateness.Drift();
}
BENCHMARK(BM_PlayReelLateness)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
