// Highlighting speed: every line of the corpus scanned as the editor colours it,
// a whole 200-line tune re-coloured in a document, and a keystroke in it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>

#include "Corpus.h"
#include "notation/AbcLineScanner.h"
#include "screens/SynAbcSyn.h"

namespace {

void BM_ScanCorpusLines(benchmark::State& state) {
  static const auto tunes = rq::corpus::Tunes();
  size_t lines = 0;
  for (const auto& t : tunes) lines += t.size();
  rq::AbcLineScanner scanner;
  size_t tokens = 0;
  for (auto _ : state) {
    for (const auto& t : tunes) {
      scanner.ResetRange();
      for (const auto& line : t) {
        for (scanner.SetLine(line); !scanner.GetEol(); scanner.Next()) ++tokens;
      }
    }
  }
  benchmark::DoNotOptimize(tokens);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rq::corpus::TotalBytes(tunes)));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanCorpusLines)->Unit(benchmark::kMillisecond);

// The corpus's lines in order, header lines included, up to 200 lines.
QString Tune200() {
  QString text;
  int n = 0;
  for (const auto& tune : rq::corpus::Tunes()) {
    for (const auto& line : tune) {
      if (n++ == 200) return text;
      text += QString::fromLatin1(line) + '\n';
    }
  }
  return text;
}

void BM_RehighlightTune200(benchmark::State& state) {
  QTextDocument doc;
  doc.setPlainText(Tune200());
  rq::TSynAbcSyn highlighter(&doc);
  for (auto _ : state) highlighter.rehighlight();
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RehighlightTune200)->Unit(benchmark::kMicrosecond);

// A keystroke in the middle of the tune: one character typed and taken back.
void BM_KeystrokeTune200(benchmark::State& state) {
  QTextDocument doc;
  doc.setPlainText(Tune200());
  rq::TSynAbcSyn highlighter(&doc);
  highlighter.rehighlight();
  QTextCursor cursor(doc.findBlockByNumber(100));
  for (auto _ : state) {
    cursor.insertText("a");
    cursor.deletePreviousChar();
  }
  state.counters["keys/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_KeystrokeTune200)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
