// Opening a large tune file: the corpus repeated to 10,000, 50,000 and 100,000
// tunes, written to a temporary file, then opened and indexed (read, split, scan
// headers, parse each tune's opening for its code, sort). Also reports the memory the
// open file holds against the file's size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "Corpus.h"
#include "library/FileAbc.h"

namespace {

// The corpus repeated to `tunes` tunes, CR LF line ends, written once per size.
std::string BigFile(int64_t tunes) {
  const auto file = std::filesystem::temp_directory_path() /
                    ("rq-bench-library-" + std::to_string(::getpid()) + "-" + std::to_string(tunes) + ".abc");
  if (!std::filesystem::exists(file)) {
    std::ofstream out(file, std::ios::binary);
    for (const auto& tune : rq::corpus::Tunes(static_cast<size_t>(tunes))) {
      for (const auto& line : tune) out << line << "\r\n";
    }
  }
  return file.string();
}

// Heap bytes in use, large blocks included: what the open file holds, whatever the
// allocator kept from earlier iterations.
size_t HeapBytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Resident bytes of the process, after handing freed memory back to the system.
size_t ResidentBytes() {
  malloc_trim(0);
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

void BM_OpenAndIndex(benchmark::State& state) {
  const std::string path = BigFile(state.range(0));
  const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
  int64_t tunes = 0;
  double memoryRatio = 0;
  double residentRatio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const size_t before = HeapBytesInUse();
    const size_t residentBefore = ResidentBytes();
    state.ResumeTiming();
    auto file = std::make_unique<rq::TAbcFile>(path, nullptr);
    // Measuring and closing the file are not part of opening it.
    state.PauseTiming();
    memoryRatio = static_cast<double>(HeapBytesInUse() - before) / fileBytes;
    residentRatio = static_cast<double>(ResidentBytes() - residentBefore) / fileBytes;
    tunes += file->FilterList.AllCount();
    file.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(tunes);
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(tunes), benchmark::Counter::kIsRate);
  state.counters["heap/file"] = memoryRatio;
  state.counters["resident/file"] = residentRatio;
  state.counters["file MB"] = fileBytes / 1e6;
}
// 10,000 and ten times as many tunes: time and memory should grow tenfold, no more.
BENCHMARK(BM_OpenAndIndex)->Arg(10000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const int64_t tunes : {10000, 50000, 100000}) std::filesystem::remove(BigFile(tunes));
  return 0;
}
