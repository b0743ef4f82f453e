// The screens that show and play a tune, offscreen.
// Score view: one repaint of the rows a 680 × 600 view shows of a corpus tune long
// enough to fill it, at the default zoom (60) and at the largest (113), with the
// default rows of 80 pixels and with the tallest (176). Player panel: the 32-bar reel of the player's own benchmark at speed
// 200, started from the panel, whose display updates every 100 ms on the event loop
// while the player's timer thread plays; the same lateness figures as the player's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "PlayerTiming.h"
#include "controls/Knob.h"
#include "midi/MidiSettings.h"
#include "midi/ZymMidi.h"
#include "score/MusicFont.h"
#include "score/ScorePage.h"
#include "score/screens/ScoreEcr.h"
#include "score/screens/ScoreGrid.h"
#include "screens/PlayerEcr.h"

namespace {

constexpr int kViewHeight = 600;

// The first corpus tune with at least `rows` score rows; the parser holds it afterwards.
bool FindLongTune(rq::TAbcParser& parser, size_t rows) {
  rq::TScorePage page;
  for (const rq::TLines& tune : rq::corpus::Tunes()) {
    parser.Parse(tune);
    page.Build(parser.Elements());
    if (page.Rows.size() >= rows) return true;
  }
  return false;
}

void BM_ScoreRepaint(benchmark::State& state) {
  rq::TAbcParser parser;
  if (!FindLongTune(parser, kViewHeight / 60 + 1)) {
    state.SkipWithError("no tune long enough in the corpus");
    return;
  }
  int32_t hRuler = 680;
  int32_t vRuler = static_cast<int32_t>(state.range(1)) + rq::kRulerToRowHeight;
  int32_t zoom = static_cast<int32_t>(state.range(0));
  rq::TScoreEcr view({hRuler, vRuler, zoom});
  QWidget host;
  new QVBoxLayout(&host);
  view.OnCreate(&host);
  view.ShowTune(parser);
  const rq::TScoreGrid& grid = *view.GridScore();
  // The view's own surface: the backing store's format.
  QImage surface(grid.ColWidth(), kViewHeight, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&surface);
    grid.PaintRows(painter, surface.size());
  }
  state.counters["rows_shown"] = std::min(grid.RowCount(), (kViewHeight + grid.RowHeight() - 1) / grid.RowHeight());
}
BENCHMARK(BM_ScoreRepaint)->Args({60, 80})->Args({113, 80})->Args({113, 176})->Unit(benchmark::kMillisecond);

void BM_PlayReelWithPanel(benchmark::State& state) {
  rq::TAbcParser parser;
  rq::MidiSettings settings;
  rq::TAbcMidi converter(settings);
  const auto reel = rq::bench::FindReel(parser, converter);
  if (!reel) {
    state.SkipWithError("no 32-bar reel in the corpus");
    return;
  }
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("rq_bench_screens_" + std::to_string(getpid()) + ".rec")).string();
  rq::bench::Lateness lateness;
  int displayUpdates = 0;
  for (auto _ : state) {
    rq::RecorderMidiPorts ports(path, rq::SystemClock());
    const int64_t openedMs = rq::SystemClock().NowMs();
    rq::TZymMidiPlayer player(0, settings, ports, rq::SystemClock(), rq::SystemTimers());
    QWidget host;
    new QVBoxLayout(&host);
    host.resize(1000, 80);
    host.show();
    rq::TPlayerEcr panel(player, converter, parser, settings);
    panel.OnCreate(&host);
    panel.KnobSpeed()->SetPosition(200);
    panel.OnTuneShown(nullptr, *reel);
    panel.PrepareTune();
    QObject::connect(panel.PlayTimer(), &QTimer::timeout, [&displayUpdates] { ++displayUpdates; });
    const size_t setupLines = rq::bench::ReadRecording(path).size();
    const int64_t startMs = rq::SystemClock().NowMs();
    panel.Play();
    // The window thread runs its event loop, repainting the display, until the
    // player's end-of-tune notice switches the display off.
    while (panel.PlayTimer()->isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lateness = rq::bench::MeasureLateness(player.Container(), rq::bench::ReadRecording(path), setupLines, openedMs,
                                          startMs, player.Tempo(), rq::TZymMidiPlayer::kDivision);
  }
  std::remove(path.c_str());
  state.counters["messages"] = static_cast<double>(lateness.ms.size());
  state.counters["display_updates"] = displayUpdates;
  state.counters["median_late_ms"] = lateness.Median();
  state.counters["max_late_ms"] = lateness.Max();
  state.counters["min_late_ms"] = lateness.Min();
  state.counters["drift_ms"] = lateness.Drift();
}
BENCHMARK(BM_PlayReelWithPanel)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (!rq::RegisterMusicFont()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
