// The score's drawing speed: one row of symbols measured and drawn with the music
// font, as every paint of a row does (nothing is cached between paints); and every
// corpus tune parsed, built into rows, laid out and painted offscreen at the score
// view's default size (rows 680 by 80, music font 60), each row into a row-sized
// image, as the view's grid paints one cell at a time.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <vector>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq {
namespace {

// A reel's row: clef, key, meter, then four bars of eighths with a few accidentals.
std::vector<std::unique_ptr<TSimpleSymbol>> ReelRow() {
  std::vector<std::unique_ptr<TSimpleSymbol>> row;
  row.push_back(std::make_unique<TSymCSol>());
  row.push_back(std::make_unique<TSymKey>(2));
  row.push_back(std::make_unique<TSymMeter>(4, 4, kMeterNumbers));
  for (int bar = 0; bar < 4; ++bar) {
    for (int i = 0; i < 8; ++i) {
      row.push_back(std::make_unique<TSimpleNote>(3 + (bar * 3 + i * 5) % 11, i == 0 ? kDecoRoll : 0, kSymbolAlone, 1,
                                                  1, i == 4 ? kAccNatural : kAccNone));
    }
    row.push_back(std::make_unique<TSymbBarre>(bar == 3 ? kBarRepeatEnd : kBarThin));
  }
  return row;
}

void BM_MeasureAndDrawRow(benchmark::State& state) {
  const int fontH = static_cast<int>(state.range(0));
  QImage image(1600, 200, QImage::Format_RGB32);
  QPainter painter(&image);
  PainterCanvas canvas(painter, {kMusicFace, fontH, false});
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  auto row = ReelRow();
  const RowRect rect{0, 0, 1600, 200};
  for (auto _ : state) {
    ctx.SetStaffMetrics(200);
    int x = 10;
    for (auto& symbol : row) x += symbol->Measure(ctx, 0) + 4;
    x = 10;
    for (auto& symbol : row) {
      symbol->Draw(ctx, rect, x);
      x += symbol->GetWidth() + 4;
    }
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(row.size()));
}
BENCHMARK(BM_MeasureAndDrawRow)->Arg(60)->Arg(113)->Unit(benchmark::kMicrosecond);



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
