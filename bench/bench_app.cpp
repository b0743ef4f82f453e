// The program's start: the claim of the one-program name when no program runs, the
// application context and main window built offscreen in a temporary program folder,
// the window shown, then the corpus repeated to 50,000
// tunes opened through the open-files controller. Reports the time to the shown
// window, to the indexed list, the same file indexed alone for comparison, and the
// resident memory after opening.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchProgram.h"
#include "LargeTunes.h"
#include "app/AppContext.h"
#include "app/MainEcr.h"
#include "library/FileAbc.h"
#include "library/UserInterface.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"

namespace {

using rq::bench::BigFile;
using rq::bench::Program;

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

// A start that finds no program running: it becomes the program and serves the name
// for later starts, then ends.
void BM_ClaimWithNoProgramRunning(benchmark::State& state) {
  const QString name = rq::bench::Folder().path() + "/instance";
  for (auto _ : state) {
    rq::TSingleInstance instance(name);
    if (instance.Claim({}) != rq::TSingleInstance::Start::First) {
      state.SkipWithError(qPrintable(instance.FailureReason()));
      break;
    }
  }
}
BENCHMARK(BM_ClaimWithNoProgramRunning)->Unit(benchmark::kMicrosecond);

// From nothing to the main window shown on screen.
void BM_StartToShownWindow(benchmark::State& state) {
  for (auto _ : state) {
    Program program;
    program.context->Start();
    program.context->MainEcr()->show();
    QApplication::processEvents();
    state.PauseTiming();
    program.context.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartToShownWindow)->Unit(benchmark::kMillisecond);

// The big file opened through the program: indexed with the main window's progress
// bar, handed to the screens, listed. Resident memory after opening, and its growth
// over the program's size before the first open as a ratio to the file's size.
void BM_OpenThroughProgram(benchmark::State& state) {
  const auto tunes = static_cast<int>(state.range(0));
  const std::string file = BigFile(tunes);
  Program program;
  program.context->Start();
  program.context->MainEcr()->show();
  QApplication::processEvents();
  const double fileMB = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
  // Growth is taken on the first open: later ones reuse what the allocator kept.
  const double before = ResidentMegabytes();
  double rss = 0, growth = 0;
  for (auto _ : state) {
    program.context->FileControl()->OpenFile(file);
    QApplication::processEvents();
    state.PauseTiming();
    rss = ResidentMegabytes();
    if (growth == 0) growth = (rss - before) / fileMB;
    program.context->FileControl()->CloseFile(program.context->FileControl()->FindFile(file));
    state.ResumeTiming();
  }
  state.counters["tunes/s"] = benchmark::Counter(tunes * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  state.counters["rss_MB"] = rss;
  state.counters["growth/file"] = growth;
}
BENCHMARK(BM_OpenThroughProgram)->Arg(10000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same file indexed by the library alone.
void BM_IndexAlone(benchmark::State& state) {
  const auto tunes = static_cast<int>(state.range(0));
  const std::string file = BigFile(tunes);
  for (auto _ : state) {
    rq::TAbcFile opened(file, nullptr);
    benchmark::DoNotOptimize(opened.FilterList.All.size());
  }
  state.counters["tunes/s"] = benchmark::Counter(tunes * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexAlone)->Arg(10000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A tune of one 5 MB line (RQ_LONG_LINE_MB for another size) opened and shown
// through the program: index, list, score, editor and player's conversion. Resident
// growth per input byte.
void BM_OpenLongLine(benchmark::State& state) {
  const char* mb = std::getenv("RQ_LONG_LINE_MB");
  const int64_t bytes = (mb && *mb ? std::max(1, std::atoi(mb)) : 5) * int64_t{1000000};
  const std::string file = rq::bench::Folder().path().toStdString() + "/longline.abc";
  std::ofstream(file, std::ios::binary) << rq::test::TuneWithLongLine(bytes);
  Program program;
  program.context->Start();
  program.context->MainEcr()->show();
  QApplication::processEvents();
  const double before = ResidentMegabytes();
  double perByte = 0;
  for (auto _ : state) {
    program.context->FileControl()->OpenFile(file);
    QApplication::processEvents();
    state.PauseTiming();
    perByte = (ResidentMegabytes() - before) * 1024 * 1024 / static_cast<double>(bytes);
    program.context->FileControl()->CloseFile(program.context->FileControl()->FindFile(file));
    state.ResumeTiming();
  }
  state.counters["bytes/input_byte"] = perByte;
}
BENCHMARK(BM_OpenLongLine)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
