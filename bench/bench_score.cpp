// The score's drawing speed: one row of symbols measured and drawn with the music
// font, as every paint of a row does, at the score view's smallest and largest fonts
// (60, 113) and at the printer's (400), into an image that holds the row, and at the
// printer's size on the printer's device (a PDF writer); and every
// corpus tune parsed, built into rows, laid out and painted offscreen at the score
// view's default size (rows 680 by 80, music font 60), each row into a row-sized
// image, as the view's grid paints one cell at a time.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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

// One paint of the row: measure every symbol, then draw them side by side.
void MeasureAndDraw(TDrawCtxt& ctx, std::vector<std::unique_ptr<TSimpleSymbol>>& row, const RowRect& rect) {
  ctx.SetStaffMetrics(rect.Bottom - rect.Top);
  for (auto& symbol : row) symbol->Measure(ctx, 0);
  int x = 10;
  for (auto& symbol : row) {
    symbol->Draw(ctx, rect, x);
    x += symbol->GetWidth() + 4;
  }
}

void BM_MeasureAndDrawRow(benchmark::State& state) {
  const int fontH = static_cast<int>(state.range(0));
  // Rows a third taller than the font, as the score view's; long enough for the row.
  const int rowHeight = fontH * 4 / 3;
  const int width = fontH * 28;
  QImage image(width, rowHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PainterCanvas canvas(painter, {kMusicFace, fontH, false});
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  auto row = ReelRow();
  for (auto _ : state) {
    MeasureAndDraw(ctx, row, {0, 0, width, rowHeight});
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(row.size()));
}
BENCHMARK(BM_MeasureAndDrawRow)->Arg(60)->Arg(113)->Arg(400)->Unit(benchmark::kMicrosecond);

// The printer's path: a PDF page at 508 dots per inch, the row drawn as a printed row
// (font 400 in a row of 320), a new page every so often so the page stays small.
void BM_MeasureAndDrawRowOnPdf(benchmark::State& state) {
  QFile sink("/dev/null");
  if (!sink.open(QIODevice::WriteOnly)) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  QPdfWriter writer(&sink);
  writer.setResolution(508);
  writer.setPageSize(QPageSize(QPageSize::A4));
  QPainter painter(&writer);
  PainterCanvas canvas(painter, {kMusicFace, 400, false});
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  auto row = ReelRow();
  int rows = 0;
  for (auto _ : state) {
    MeasureAndDraw(ctx, row, {0, 0, 4000, 320});
    if (++rows % 16 == 0) {
      state.PauseTiming();
      writer.newPage();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(row.size()));
}
BENCHMARK(BM_MeasureAndDrawRowOnPdf)->Unit(benchmark::kMicrosecond);

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
