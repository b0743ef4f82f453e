// Printing speed: every corpus tune printed into one PDF file, as the program prints
// its print list (rows built with their own parser, pages drawn with the default
// settings, the file written whole), and, in the same run, the established engraver
// abcm2ps writing the same tunes to PostScript when it is installed. Counters: pages
// per second of each, and the ratio of abcm2ps's time to ours (above 1: we are faster).
// A second benchmark runs `abctool print` on the whole corpus file as a process, start
// to end, against abcm2ps as a process, turn about in one run.
#include <benchmark/benchmark.h>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "Corpus.h"
#include "library/FileAbc.h"
#include "platform/ProgramFolder.h"
#include "score/MusicFont.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"

namespace rq {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// One run of abcm2ps over the file: its seconds and the pages it wrote; 0 pages when
// it failed.
std::pair<double, int> RunAbcm2ps(const std::string& program, const std::string& abc, const std::string& ps) {
  const auto start = Clock::now();
  const test::ChildResult result = test::RunChild({program, "-q", "-O", ps, abc});
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!result.exited) return {seconds, 0};
  return {seconds, CountOf(ReadAll(ps), "%%Page:")};
}

void BM_PrintCorpus(benchmark::State& state) {
  if (!RegisterMusicFont()) {
    state.SkipWithError("the music font is missing");
    return;
  }
  QTemporaryDir dir;
  const std::string pdf = dir.filePath("corpus.pdf").toStdString();
  const std::vector<TLines> tunes = corpus::Tunes();
  auto list = TAbcPrint::CreateNew("printlist", nullptr);
  std::string abcText;
  for (const TLines& tune : tunes) {
    list->AddTunes(tune, true, 0);
    for (const std::string& line : tune) abcText += line + "\n";
    abcText += "\n";
  }

  int pages = 0;
  double ours = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    TPageRowBuilder builder;
    builder.AddList(*list, true);
    PageRows rows = builder.Take();
    const PrintOutcome outcome = PrintPagesToPdf(pdf, rows, PageSettings{});
    ours += std::chrono::duration<double>(Clock::now() - start).count();
    if (!outcome.Ok()) {
      state.SkipWithError(outcome.Error.c_str());
      return;
    }
    pages = outcome.Pages;
  }
  ours /= static_cast<double>(state.iterations());
  state.counters["tunes"] = static_cast<double>(tunes.size());
  state.counters["pages"] = pages;
  state.counters["pages_per_s"] = pages / ours;

  const QString program = QStandardPaths::findExecutable("abcm2ps");
  if (program.isEmpty()) {
    state.SetLabel("abcm2ps is not installed: no comparison");
    return;
  }
  const std::string abc = dir.filePath("corpus.abc").toStdString();
  std::ofstream(abc, std::ios::binary) << abcText;
  const std::string ps = dir.filePath("corpus.ps").toStdString();
  double theirs = 0;
  int theirPages = 0;
  const int runs = static_cast<int>(std::max<int64_t>(3, state.iterations()));
  for (int i = 0; i < runs; ++i) {
    const auto [seconds, count] = RunAbcm2ps(program.toStdString(), abc, ps);
    theirs += seconds;
    theirPages = count;
  }
  theirs /= runs;
  state.counters["abcm2ps_pages"] = theirPages;
  state.counters["abcm2ps_pages_per_s"] = theirPages / theirs;
  state.counters["abcm2ps_ms"] = theirs * 1000;
  state.counters["ours_ms"] = ours * 1000;
  state.counters["time_ratio"] = theirs / ours;
}
BENCHMARK(BM_PrintCorpus)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Seconds of one run of a program; negative when it failed.
double TimeChild(const std::vector<std::string>& argv) {
  const auto start = Clock::now();
  const test::ChildResult result = test::RunChild(argv);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result.exited ? seconds : -1.0;
}

void BM_PrintCorpusProcess(benchmark::State& state) {
  const std::string tool = ProgramFile("abctool");
  const QString other = QStandardPaths::findExecutable("abcm2ps");
  QTemporaryDir dir;
  const std::string abc = dir.filePath("corpus.abc").toStdString();
  {
    std::ofstream out(abc, std::ios::binary);
    for (const TLines& tune : corpus::Tunes()) {
      for (const std::string& line : tune) out << line << "\n";
      out << "\n";
    }
  }
  const std::string pdf = dir.filePath("corpus.pdf").toStdString();
  const std::string ps = dir.filePath("corpus.ps").toStdString();
  // The fastest of the runs of each, taken in turn so that both see the same load.
  double ours = 1e9;
  double theirs = 1e9;
  for (auto _ : state) {
    const double t = TimeChild({tool, "print", abc, "-o", pdf});
    if (t < 0) {
      state.SkipWithError("abctool print failed");
      return;
    }
    ours = std::min(ours, t);
    if (!other.isEmpty()) {
      const double o = TimeChild({other.toStdString(), "-q", "-O", ps, abc});
      if (o >= 0) theirs = std::min(theirs, o);
    }
  }
  state.counters["abctool_ms"] = ours * 1000;
  if (other.isEmpty()) {
    state.SetLabel("abcm2ps is not installed: no comparison");
    return;
  }
  state.counters["abcm2ps_ms"] = theirs * 1000;
  state.counters["time_ratio"] = theirs / ours;
}
BENCHMARK(BM_PrintCorpusProcess)->Unit(benchmark::kMillisecond)->Iterations(9);

}  // namespace
}  // namespace rq
