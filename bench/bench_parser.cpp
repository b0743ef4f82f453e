// Parsing speed over the corpus repeated to 50,000 tunes.
#include <benchmark/benchmark.h>

#include "Corpus.h"
#include "notation/AbcParser.h"

namespace {

void BM_ParseCorpus(benchmark::State& state) {
  static const auto tunes = rq::corpus::Tunes(50000);
  rq::TAbcParser parser;
  size_t elements = 0;
  for (auto _ : state) {
    for (const auto& t : tunes) {
      parser.Parse(t);
      elements += parser.ElementCount();
    }
  }
  benchmark::DoNotOptimize(elements);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * tunes.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rq::corpus::TotalBytes(tunes)));
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(state.iterations() * tunes.size()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
