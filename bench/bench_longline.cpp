// A tune of one huge line (X:1, T:Long Line, M:4/4, L:1/8, K:G, then "GABc dedB|"
// repeated on one line) opened through the program with its window shown, at 1, 5
// and 20 MB. Reports the time from the open to the first repaint with the tune
// shown, the longest time the window's event loop did not turn during the open, the
// peak resident memory of the open over the program's size before it, and what is
// still held once the file's tab is closed. Run one size per process
// (--benchmark_filter=BM_OpenLongLineTune/20) for a clean peak.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

#include "BenchProgram.h"
#include "app/AppContext.h"
#include "app/CtrlFile.h"
#include "app/MainEcr.h"

namespace {

// A field of /proc/self/status in megabytes.
double StatusMegabytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string name = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(name, 0) == 0) return std::stod(line.substr(name.size())) / 1024.0;
  }
  return 0;
}

// The peak resident size starts again from the present one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string WriteLongLineTune(int64_t megabytes) {
  const std::string file =
      rq::bench::Folder().path().toStdString() + "/longline" + std::to_string(megabytes) + ".abc";
  std::ofstream out(file, std::ios::binary);
  out << "X:1\nT:Long Line\nM:4/4\nL:1/8\nK:G\n";
  const std::string bar = "GABc dedB|";
  const std::string block = [&] {
    std::string b;
    for (int i = 0; i < 1024; ++i) b += bar;
    return b;
  }();
  const int64_t bars = megabytes * 1024 * 1024 / static_cast<int64_t>(bar.size());
  for (int64_t b = 0; b < bars / 1024; ++b) out << block;
  for (int64_t b = 0; b < bars % 1024; ++b) out << bar;
  out << "\n";
  return file;
}

// Records the longest pause between turns of the event loop while it runs.
class LoopWatch {
 public:
  LoopWatch() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
  }
  void Start() {
    longest_ = 0;
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() {
    Turn();
    timer_.stop();
  }
  double LongestMs() const { return static_cast<double>(longest_); }

 private:
  void Turn() {
    const qint64 now = clock_.elapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

void BM_OpenLongLineTune(benchmark::State& state) {
  const std::string file = WriteLongLineTune(state.range(0));
  rq::bench::Program program;
  program.context->Start();
  program.context->MainEcr()->show();
  QApplication::processEvents();
  rq::TCtrlFile& control = *program.context->FileControl();
  LoopWatch watch;
  double openMs = 0, before = 0, peak = 0, afterClose = 0;
  for (auto _ : state) {
    before = StatusMegabytes("VmRSS");
    ResetPeak();
    watch.Start();
    QElapsedTimer clock;
    clock.start();
    control.OpenFile(file);
    QApplication::processEvents();
    openMs = static_cast<double>(clock.elapsed());
    watch.Stop();
    state.PauseTiming();
    peak = StatusMegabytes("VmHWM") - before;
    control.CloseFile(control.FindFile(file));
    QApplication::processEvents();
    afterClose = StatusMegabytes("VmRSS") - before;
    state.ResumeTiming();
  }
  const double fileMB = static_cast<double>(state.range(0));
  state.counters["first_repaint_s"] = openMs / 1000.0;
  state.counters["longest_unanswered_ms"] = watch.LongestMs();
  state.counters["peak_MB"] = peak;
  state.counters["peak/file"] = peak / fileMB;
  state.counters["held_after_close_MB"] = afterClose;
}
BENCHMARK(BM_OpenLongLineTune)->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
