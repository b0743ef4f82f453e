// Opening a large tune file: the corpus repeated to 50,000 tunes, written to a
// temporary file, then opened and indexed (read, split, scan headers, parse and
// convert every tune for its code, sort). Also reports the memory the open file
// holds against the file's size.
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

const std::string& BigFile() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() /
                      ("rq-bench-library-" + std::to_string(::getpid()) + ".abc");
    std::ofstream out(file, std::ios::binary);
    for (const auto& tune : rq::corpus::Tunes(50000)) {
      for (const auto& line : tune) out << line << "\r\n";
    }
    return file.string();
  }();
  return path;
}

// Heap bytes in use: what the open file holds, whatever the allocator kept from
// earlier iterations.
size_t HeapBytesInUse() { return mallinfo2().uordblks; }

void BM_OpenAndIndex(benchmark::State& state) {
  const std::string& path = BigFile();
  const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
  int64_t tunes = 0;
  double memoryRatio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const size_t before = HeapBytesInUse();
    state.ResumeTiming();
    auto file = std::make_unique<rq::TAbcFile>(path, nullptr);
    // Measuring and closing the file are not part of opening it.
    state.PauseTiming();
    memoryRatio = static_cast<double>(HeapBytesInUse() - before) / fileBytes;
    tunes += file->FilterList.AllCount();
    file.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(tunes);
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(tunes), benchmark::Counter::kIsRate);
  state.counters["memory/file"] = memoryRatio;
  state.counters["file MB"] = fileBytes / 1e6;
}
BENCHMARK(BM_OpenAndIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove(BigFile());
  return 0;
}
