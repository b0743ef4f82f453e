// Conversion speed over the corpus repeated to 50,000 tunes: indexing (parse and
// convert without events) and export (parse, convert into a container, write a .mid
// to memory); and how conversion time grows with tunes built to grow it.
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

// ---- Growth: a tune of n copies of one pattern, parsed and converted into a
// container, at n and 10n. The time must grow about tenfold, not a hundredfold.

// n copies of `pattern` after a header, `perLine` copies to a line.
rq::TLines Repeated(const std::string& header, const std::string& pattern, int64_t n, int64_t perLine) {
  rq::TLines lines = rq::SplitLines(header);
  std::string line;
  for (int64_t i = 0; i < n; ++i) {
    line += pattern;
    if ((i + 1) % perLine == 0 || i + 1 == n) {
      lines.push_back(line);
      line.clear();
    }
  }
  return lines;
}

void ConvertGrowth(benchmark::State& state, const rq::TLines& lines) {
  rq::TAbcParser parser;
  const rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  rq::TMidiContainer container;
  for (auto _ : state) {
    parser.Parse(lines);
    converter.Convert(parser.Elements(), &container);
  }
  state.SetComplexityN(state.range(0));
  state.counters["events"] = static_cast<double>(container.EventCount());
}

// Endings written "[1 ... :|[2 ...", n groups.
void BM_GrowthEndingGroups(benchmark::State& state) {
  ConvertGrowth(state, Repeated("X:1\nL:1/8\nK:C", "[1ab:|[2ab|", state.range(0), 16));
}
BENCHMARK(BM_GrowthEndingGroups)->Arg(2000)->Arg(20000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// One chord of n notes.
void BM_GrowthChordNotes(benchmark::State& state) {
  rq::TLines lines = rq::SplitLines("X:1\nL:1/8\nK:C");
  lines.push_back("[" + std::string(static_cast<size_t>(state.range(0)), 'c') + "]");
  ConvertGrowth(state, lines);
}
BENCHMARK(BM_GrowthChordNotes)->Arg(8000)->Arg(80000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// n bars of two inline voices in turn, each going on where it stopped.
void BM_GrowthAlternatingVoices(benchmark::State& state) {
  ConvertGrowth(state, Repeated("X:1\nL:1/8\nK:C", "[V:1]abcd efga|[V:2]ABCD EFGA|", state.range(0) / 2, 8));
}
BENCHMARK(BM_GrowthAlternatingVoices)->Arg(3200)->Arg(32000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// n inline meter fields.
void BM_GrowthInlineMeters(benchmark::State& state) {
  ConvertGrowth(state, Repeated("X:1\nL:1/8\nK:C", "[M:3/4]", state.range(0), 50));
}
BENCHMARK(BM_GrowthInlineMeters)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
