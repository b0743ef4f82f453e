// How abctool's time and memory grow with its input: each subcommand run on a large
// input and on one ten times larger (a line of notes, a tune of bars, voices, nested
// brackets). Reports the CPU seconds and peak memory at both sizes and their growth
// ratios, where 10 means "in proportion to the input". Memory is counted above the
// tool's own start (its run on a one-bar tune); below 2 MB of memory or 50 ms of time
// the ratio is taken against those floors, so that start-up noise is no growth.
// Also the start of the tool: a command on a one-tune file, as a whole process.
// RQ_GROWTH_SCALE=10 runs ten times larger inputs (a 5 MB against a 50 MB line,
// 100,000 against 1,000,000 bars).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "LargeTunes.h"

namespace {

namespace fs = std::filesystem;

int Scale() {
  const char* scale = std::getenv("RQ_GROWTH_SCALE");
  return scale && *scale ? std::max(1, std::atoi(scale)) : 1;
}

const fs::path& Folder() {
  static const fs::path dir = [] {
    std::string name = (fs::temp_directory_path() / "rq-growth-XXXXXX").string();
    return fs::path(::mkdtemp(name.data()));
  }();
  return dir;
}

struct InputKind {
  const char* name;
  int64_t smallSize;  // in the kind's own unit
  std::function<std::string(int64_t)> make;
};

const std::vector<InputKind>& Kinds() {
  static const std::vector<InputKind> kinds = {
      {"line_bytes", 500000, rq::test::TuneWithLongLine},
      {"bars", 10000, rq::test::TuneOfBars},
      {"voices", 20, rq::test::TuneWithVoices},
      {"nested", 2000, rq::test::TuneWithNestedBrackets},
  };
  return kinds;
}

std::string WriteInput(const std::string& name, const std::string& bytes) {
  const std::string path = (Folder() / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

rq::test::ChildResult RunTool(const std::vector<std::string>& command, const std::string& input) {
  std::vector<std::string> args = {RQ_ABCTOOL, command[0], input};
  for (size_t i = 1; i < command.size(); ++i) args.push_back(command[i] == "OUT" ? (Folder() / "out").string() : command[i]);
  rq::test::ChildOptions options;
  options.env = {"QT_QPA_PLATFORM=offscreen"};
  return rq::test::RunChild(args, options);
}

void BM_Growth(benchmark::State& state, std::vector<std::string> command, const InputKind& kind) {
  const int64_t small = kind.smallSize * Scale();
  const std::string tiny = WriteInput("tiny.abc", rq::test::TuneOfBars(1));
  const std::string smallInput = WriteInput(std::string(kind.name) + "-small.abc", kind.make(small));
  const std::string largeInput = WriteInput(std::string(kind.name) + "-large.abc", kind.make(small * 10));
  rq::test::ChildResult base, a, b;
  for (auto _ : state) {
    base = RunTool(command, tiny);
    a = RunTool(command, smallInput);
    b = RunTool(command, largeInput);
    state.SetIterationTime(b.cpuSeconds);
  }
  if (!a.exited || !b.exited || a.exitCode != 0 || b.exitCode != 0) {
    state.SkipWithError(("the tool failed: " + a.errors + b.errors).c_str());
    return;
  }
  constexpr double kMemoryFloorMb = 2;
  constexpr double kTimeFloorS = 0.05;
  const double aboveA = static_cast<double>(a.maxResidentKb - base.maxResidentKb) / 1024.0;
  const double aboveB = static_cast<double>(b.maxResidentKb - base.maxResidentKb) / 1024.0;
  state.counters["size"] = static_cast<double>(small);
  state.counters["small_s"] = a.cpuSeconds;
  state.counters["large_s"] = b.cpuSeconds;
  state.counters["time_ratio"] = std::max(b.cpuSeconds, kTimeFloorS) / std::max(a.cpuSeconds, kTimeFloorS);
  state.counters["small_MB"] = aboveA;
  state.counters["large_MB"] = aboveB;
  state.counters["memory_ratio"] = std::max(aboveB, kMemoryFloorMb) / std::max(aboveA, kMemoryFloorMb);
  state.counters["bytes/input_byte"] = aboveB * 1024 * 1024 / static_cast<double>(fs::file_size(largeInput));
}

// The tool's start: a command on a one-tune file, as a whole process, wall time.
void BM_Start(benchmark::State& state, std::vector<std::string> command) {
  const std::string tiny = WriteInput("tiny.abc", rq::test::TuneOfBars(1));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const rq::test::ChildResult r = RunTool(command, tiny);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!r.exited || r.exitCode != 0) {
      state.SkipWithError(("the tool failed: " + r.errors).c_str());
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::vector<std::string>> commands = {
      {"parse"}, {"highlight"},        {"events"},          {"code"},  {"rows"},
      {"midi", "-o", "OUT"}, {"render", "-o", "OUT"}, {"index"}, {"roundtrip", "OUT"}, {"search", "--text", "reel"},
  };
  for (const auto& command : std::vector<std::vector<std::string>>{{"code"}, {"parse"}, {"index"}, {"rows"}}) {
    benchmark::RegisterBenchmark(("start/" + command[0]).c_str(), BM_Start, command)
        ->Repetitions(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  for (const auto& command : commands) {
    for (const InputKind& kind : Kinds()) {
      benchmark::RegisterBenchmark((command[0] + "/" + kind.name).c_str(), BM_Growth, command, kind)
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  return 0;
}
