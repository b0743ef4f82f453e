// Moving many tunes at once: a view of 50,000 tunes dropped on the trash (asked,
// then copied and deleted), the trash of those 50,000 tunes saved, and a folder of
// 100 files of 500 tunes merged into a new file. For comparison, indexing the same
// 50,000 tunes once. The merge runs pending
// events between files, so the program runs in an application (QtBenchMain).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "Corpus.h"
#include "app/CtrlFile.h"
#include "library/FileAbc.h"
#include "library/UserInterface.h"
#include "midi/MidiSettings.h"
#include "notation/AbcParser.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kTunes = 50000;
constexpr size_t kFolderFiles = 100;

class NoDialogs : public rq::ICtrlFileHost {
 public:
  std::string AskOpenFileName() override { return {}; }
  std::string LibraryFolder() const override { return {}; }
  std::string AskSaveFileName(const std::string&, const std::string&) override { return {}; }
  bool EditMode() const override { return false; }
  bool EditModified() const override { return false; }
  bool ValidEdit() override { return true; }
  std::string AskMidiFileName(const std::string&, const std::string&) override { return {}; }
  int PlayerTempo() const override { return 200; }
};

// The files of the benchmarks, removed when the program ends.
struct WorkFiles {
  fs::path dir;
  ~WorkFiles() { fs::remove_all(dir); }
};

const fs::path& WorkFolder() {
  static const WorkFiles files{[] {
    const fs::path dir = fs::temp_directory_path() / ("rq-bench-transfers-" + std::to_string(::getpid()));
    fs::create_directories(dir / "program");
    fs::create_directories(dir / "folder");
    const std::vector<rq::TLines> tunes = rq::corpus::Tunes(kTunes);
    std::ofstream all(dir / "all.abc", std::ios::binary);
    const size_t perFile = kTunes / kFolderFiles;
    for (size_t f = 0; f < kFolderFiles; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "part%03zu.abc", f);
      std::ofstream part(dir / "folder" / name, std::ios::binary);
      for (size_t t = f * perFile; t < (f + 1) * perFile; ++t) {
        for (const auto& line : tunes[t]) {
          part << line << "\r\n";
          all << line << "\r\n";
        }
      }
    }
    return dir;
  }()};
  return files.dir;
}

// A controller with its trash and filer in a fresh program folder, answering Yes.
struct Program {
  Program() {
    fs::remove_all(WorkFolder() / "program");
    fs::create_directories(WorkFolder() / "program");
    ui.DefaultAnswer = rq::mrYes;
    control = std::make_unique<rq::TCtrlFile>((WorkFolder() / "program").string(), ui, host, parser, midi);
    control->OpenControlFiles();
  }
  rq::TScriptedUserInterface ui;
  NoDialogs host;
  rq::TAbcParser parser;
  rq::MidiSettings midi;
  std::unique_ptr<rq::TCtrlFile> control;
};

void BM_IndexOnce(benchmark::State& state) {
  const std::string path = (WorkFolder() / "all.abc").string();
  for (auto _ : state) {
    rq::TAbcFile file(path, nullptr);
    benchmark::DoNotOptimize(file.FilterList.AllCount());
  }
  state.counters["tunes"] = static_cast<double>(kTunes);
}
BENCHMARK(BM_IndexOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DropViewOnTrash(benchmark::State& state) {
  const std::string path = (WorkFolder() / "all.abc").string();
  int64_t moved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Program program;
    program.control->OpenFile(path);
    rq::TAbcFile* source = program.control->FindFile(path);
    state.ResumeTiming();
    program.control->BeginDrag(source, rq::kDragKindView, rq::kDragModeView, 0);
    program.control->DropOnFile(program.control->Trash());
    state.PauseTiming();
    moved += program.control->Trash()->FilterList.AllCount();
    if (source->FilterList.AllCount() != 0) state.SkipWithError("the view did not move");
    program.control->Trash()->SetModified(false);
    state.ResumeTiming();
  }
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(moved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DropViewOnTrash)->Unit(benchmark::kMillisecond)->Iterations(3);

// Saving the trash that holds the 50,000 tunes, with no other program on the folder.
void BM_SaveTrash(benchmark::State& state) {
  const std::string path = (WorkFolder() / "all.abc").string();
  Program program;
  program.control->OpenFile(path);
  program.control->BeginDrag(program.control->FindFile(path), rq::kDragKindView, rq::kDragModeView, 0);
  program.control->DropOnFile(program.control->Trash());
  rq::TAbcFile* trash = program.control->Trash();
  if (trash->FilterList.AllCount() != static_cast<int32_t>(kTunes)) state.SkipWithError("the view did not move");
  for (auto _ : state) {
    trash->SetModified(true);
    if (program.control->SaveFile(trash) != rq::kCtrlOk) state.SkipWithError("the trash was not saved");
  }
  state.counters["tunes"] = static_cast<double>(kTunes);
}
BENCHMARK(BM_SaveTrash)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MergeFolder(benchmark::State& state) {
  const std::string folder = (WorkFolder() / "folder").string();
  int64_t merged = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Program program;
    state.ResumeTiming();
    program.control->MergeDirectory(folder);
    state.PauseTiming();
    merged += program.control->Files().back()->FilterList.AllCount();
    state.ResumeTiming();
  }
  if (merged != static_cast<int64_t>(kTunes * state.iterations())) state.SkipWithError("tunes were lost");
  state.counters["tunes/s"] = benchmark::Counter(static_cast<double>(merged), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MergeFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
