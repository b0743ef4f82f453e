// The tune browser on a big file: the corpus repeated to 50,000 tunes opened in the
// program offscreen, the main window shown at 1280 × 1024. Reports one repaint of the
// visible list, switching the view mode, a key and a rhythm filter on and off, one
// type-ahead step, and a note-pattern search through the browser beside the same
// search in the library alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QPixmap>

#include "BenchProgram.h"
#include "app/MainEcr.h"
#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "screens/FileEcr.h"

namespace {

constexpr const char* kNotes = "GABc dBGB|cBAG FGAF|";
constexpr int kItemG = 51;  // the key filter's item for G

// The program with the big file shown and half its tunes marked; each benchmark
// makes its own.
struct Browsing {
  rq::bench::Program program;
  rq::TAbcFile* file = nullptr;

  Browsing() {
    program.context->Start();
    rq::TMainEcr* main = program.context->MainEcr();
    main->resize(1280, 1024);
    main->show();
    program.context->FileControl()->OpenFile(rq::bench::BigFile());
    Browser().OnExpandList();  // the list gets the whole height
    QApplication::processEvents();
    file = program.context->FileControl()->FindFile(rq::bench::BigFile());
    for (int32_t row = 0; row < file->FilterList.Count(); row += 2) file->ToggleSelect(row);
  }
  rq::TFileEcr& Browser() const { return *program.context->FileEcr(); }
};

void BM_RepaintVisibleList(benchmark::State& state) {
  const Browsing browsing;
  rq::TListGrid& grid = *browsing.Browser().LstGrid();
  QPixmap target(grid.viewport()->size());
  for (auto _ : state) grid.viewport()->render(&target);
  state.counters["rows"] = grid.RowsPerCol() * (grid.viewport()->width() / grid.DefaultColWidth() + 1);
}
BENCHMARK(BM_RepaintVisibleList)->Unit(benchmark::kMillisecond);

void BM_SwitchViewMode(benchmark::State& state) {
  const Browsing browsing;
  rq::TFileEcr& browser = browsing.Browser();
  bool marked = false;
  for (auto _ : state) {
    marked = !marked;
    browser.SetViewMode(marked ? rq::vmMarked : rq::vmAll);
  }
}
BENCHMARK(BM_SwitchViewMode)->Unit(benchmark::kMillisecond);

void BM_KeyFilterToggle(benchmark::State& state) {
  const Browsing browsing;
  rq::TFileEcr& browser = browsing.Browser();
  for (auto _ : state) browser.OnFKMouseDown(kItemG);
}
BENCHMARK(BM_KeyFilterToggle)->Unit(benchmark::kMillisecond);

void BM_RhythmFilterToggle(benchmark::State& state) {
  const Browsing browsing;
  rq::TFileEcr& browser = browsing.Browser();
  QListWidgetItem* reel = browser.FRGrid()->item(1);
  for (auto _ : state) reel->setCheckState(reel->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
BENCHMARK(BM_RhythmFilterToggle)->Unit(benchmark::kMillisecond);

// A step that finds nothing reads every title of the view: the slowest step.
void BM_TypeAheadStep(benchmark::State& state) {
  const Browsing browsing;
  rq::TFileEcr& browser = browsing.Browser();
  const QChar typed = state.range(0) == 0 ? QChar('#') : QChar('Y');
  for (auto _ : state) {
    browser.OnTimerKeyStr();
    browser.OnGridKeyPress(typed);
  }
  state.SetLabel(state.range(0) == 0 ? "no title matches" : "late match");
}
BENCHMARK(BM_TypeAheadStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NoteSearchInBrowser(benchmark::State& state) {
  const Browsing browsing;
  rq::TFileEcr& browser = browsing.Browser();
  for (auto _ : state) browser.SearchAbc(kNotes, "4/4", 6);
}
BENCHMARK(BM_NoteSearchInBrowser)->Unit(benchmark::kMillisecond);

void BM_NoteSearchInLibrary(benchmark::State& state) {
  const Browsing browsing;
  rq::TAbcFile& file = *browsing.file;
  for (auto _ : state) file.SearchNotes(kNotes, "4/4", 6);
}
BENCHMARK(BM_NoteSearchInLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
