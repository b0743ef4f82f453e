// Conversion speed over the corpus repeated to 50,000 tunes: indexing (parse and
// convert without events) and export (parse, convert into a container, write a .mid
// to memory).
#include <benchmark/benchmark.h>

#include "Corpus.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"
#include "notation/AbcParser.h"

namespace {

const std::vector<rq::TLines>& Tunes() {
  static const auto tunes = rq::corpus::Tunes(50000);
  return tunes;
}

void ReportTunes(benchmark::State& state) {
  const auto tunes = static_cast<double>(state.iterations() * Tunes().size());
  state.SetItemsProcessed(static_cast<int64_t>(tunes));
  state.counters["tunes/s"] = benchmark::Counter(tunes, benchmark::Counter::kIsRate);
}

// What indexing a file does for every tune: only the results, no events.
void BM_ParseAndConvertForIndex(benchmark::State& state) {
  rq::TAbcParser parser;
  const rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  int64_t codes = 0;
  const auto& tunes = Tunes();
  for (auto _ : state) {
    for (const auto& tune : tunes) {
      parser.Parse(tune);
      converter.Convert(parser.Elements());
      codes += converter.CodeValue();
    }
  }
  benchmark::DoNotOptimize(codes);
  ReportTunes(state);
}
BENCHMARK(BM_ParseAndConvertForIndex)->Unit(benchmark::kMillisecond);

// What exporting does for every tune, writing the file to memory.
void BM_ParseConvertAndWriteMidi(benchmark::State& state) {
  rq::TAbcParser parser;
  const rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  rq::TMidiContainer container;
  rq::TMIDI_Out_Stream writer(settings);
  size_t bytes = 0;
  const auto& tunes = Tunes();
  for (auto _ : state) {
    for (const auto& tune : tunes) {
      parser.Parse(tune);
      converter.Convert(parser.Elements(), &container);
      container.ResetInsertCursor();
      container.SetTempo(200);
      container.SetMeter(parser.MeterNum(), 2);
      writer.WriteContainer(container);
      bytes += writer.Bytes().size();
    }
  }
  benchmark::DoNotOptimize(bytes);
  ReportTunes(state);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ParseConvertAndWriteMidi)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
