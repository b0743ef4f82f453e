// Every corpus tune parsed, built into rows, laid out and painted offscreen at the
// score view's default size (rows 680 by 80, music font 60), as showing a tune does:
// each row into a row-sized image, as the view's grid paints one cell at a time.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"

namespace rq {
namespace {

constexpr int kWidth = 680;
constexpr int kRowHeight = 80;
constexpr int kFont = 60;
constexpr int kMaxRows = 50;  // the score view's grid shows fifty rows

void BM_RenderCorpus(benchmark::State& state) {
  const auto tunes = corpus::Tunes();
  QImage image(kWidth, kRowHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  PainterCanvas canvas(painter, {kMusicFace, kFont, false});
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  ctx.BeamThickness = 2;
  ctx.SetNumberHeights();
  TAbcParser parser;
  TScorePage page;
  for (auto _ : state) {
    for (const TLines& tune : tunes) {
      parser.Parse(tune);
      page.Build(parser.Elements());
      const int rows = std::min(static_cast<int>(page.Rows.size()), kMaxRows);
      for (int r = 0; r < rows; ++r) {
        const RowRect rect{0, 0, kWidth, kRowHeight};
        PaintScoreRow(ctx, page.Rows[static_cast<size_t>(r)].get(), rect, kRowHeight, kWidth);
      }
    }
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tunes.size()));
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(tunes.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderCorpus)->Unit(benchmark::kMillisecond);

// The same without painting: parse and build only.
void BM_BuildCorpus(benchmark::State& state) {
  const auto tunes = corpus::Tunes();
  TAbcParser parser;
  TScorePage page;
  for (auto _ : state) {
    for (const TLines& tune : tunes) {
      parser.Parse(tune);
      page.Build(parser.Elements());
      benchmark::DoNotOptimize(page.Rows.data());
    }
  }
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(tunes.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildCorpus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rq

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (!rq::RegisterMusicFont()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
