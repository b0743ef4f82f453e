// The tune browser under test: a file made from text, and recorders standing in for
// the open-files controller and the player panel.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "screens/FileEcr.h"

namespace rq::test {

// Four tunes; "a" has an unknown key and a composer written in Windows-1252.
inline const std::string kFourTunes =
    "X:1\nT:b\nR:reel\nM:4/4\nL:1/8\nK:D\n|:DFAF DFAF|GBdB GBdB:|\n"
    "X:2\nT:A\nR:jig\nM:6/8\nL:1/8\nK:G\nGAB GAB|cBA BAG|\n"
    "X:3\nT:a\nC:Jos\xE9\nK:Hm\nabc|\n"
    "X:4\nT:Eight\nM:4/4\nL:1/8\nK:C\nCDEF GABc|dcBA GFED|CEGc eGce|dBGB d4|"
    "cAFA c2A2|BGDG B2G2|CDEF GABc|c8|\n";
inline const char* kEightNotes = "CDEF GABc|dcBA GFED|CEGc eGce|dBGB d4|";

inline std::unique_ptr<TAbcFile> FileOf(const std::string& text, const std::string& name = "test.abc") {
  auto file = TAbcFile::CreateNew(name, nullptr);
  file->LoadFromBytes(text);
  return file;
}

// Records what the browser asks of the controller; the trash deletes for real.
class RecordingHost : public IBrowserHost {
 public:
  // As the controller does: the row becomes the current tune, none when it holds no tune.
  int32_t ShowTune(TAbcFile* file, int32_t row) override {
    if (file->SetCurrent(row) != 0) return -1;
    shown.push_back(file->GetTitle(row));
    return 0;
  }
  int32_t ShowTuneRec(TAbcFile* file, TAbcRec* rec) override {
    if (file->SetCurrentRec(rec) != 0) return -1;
    shown.push_back(file->TitleOfRec(rec));
    return 0;
  }
  void SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) override { file->SetViewMode(mode, filterOn); }
  int32_t TuneToTrash(TAbcFile* file, int32_t row) override { return file->DeleteTune(row); }
  void BeginDrag(TAbcFile*, int32_t kind, int32_t mode, int32_t row) override { drags.push_back({kind, mode, row}); }
  void AddDragSource(QWidget* source, std::function<bool(QPoint)> start) override {
    dragSources.emplace_back(source, std::move(start));
  }
  // As the drag controller does once the pointer moved from a press on `source`.
  bool StartDrag(QWidget* source, QPoint pressPos) {
    for (auto& [widget, start] : dragSources) {
      if (widget == source) return start(pressPos);
    }
    return false;
  }
  void AddDropTarget(QWidget*, std::function<bool(QPoint)>, std::function<void(QPoint)>) override {}
  TDragRecord CurrentDrag() const override { return {}; }
  void ClearDrag() override {}
  bool IsTrash(const TAbcFile* file) const override { return file == trash; }
  TLines ShownTuneText() const override { return editorText; }
  void SetLastExitGrid(QWidget* grid) override { lastExit = grid; }
  QWidget* LastExitGrid() const override { return lastExit; }
  void ExpandList(bool expand) override { expanded = expand; }
  // The editing commands are tried in the program (tests/app).
  void EnterEditMode() override {}
  void LeaveEditMode() override {}
  void EditEnded() override {}
  void ShowNoTune(TAbcFile*) override { shown.emplace_back(); }
  int32_t StoreEdit(TAbcFile*, int32_t, const TLines&) override { return -1; }
  int32_t PasteTunes(TAbcFile*, const TLines&) override { return -1; }
  int32_t TuneRecToTrash(TAbcFile*, TAbcRec*) override { return -1; }
  bool SendViewToTrash(TAbcFile*) override { return false; }
  void AddToPrintList(TAbcFile*, const TAbcRec*) override {}
  void PrintTune(TAbcFile*, const TAbcRec*) override {}
  void ShowMessage(const std::string&) override {}

  // The tune shown last, "" before any.
  std::string Shown() const { return shown.empty() ? std::string() : shown.back(); }

  struct Drag {
    int32_t kind, mode, row;
    bool operator==(const Drag&) const = default;
  };
  std::vector<std::string> shown;
  std::vector<Drag> drags;
  std::vector<std::pair<QWidget*, std::function<bool(QPoint)>>> dragSources;
  const TAbcFile* trash = nullptr;
  TLines editorText;
  QWidget* lastExit = nullptr;
  bool expanded = false;
};

// Records the player panel's calls: "prepare <tune shown>", "play", "pause", "stop".
class RecordingPlayer : public IBrowserPlayer {
 public:
  explicit RecordingPlayer(const RecordingHost& host) : host_(host) {}
  void PrepareTune() override {
    calls.push_back("prepare " + host_.Shown());
    ready = true;
  }
  void PrepareSet(const TAbcFile&, const TSetAbc& set) override {
    calls.push_back("prepare set " + set.Name());
    ready = true;
  }
  void Play() override {
    calls.push_back("play");
    playing = ready;
  }
  void StopPlay(int mode) override {
    calls.push_back(mode == 1 ? "stop" : "pause");
    if (mode == 1) playing = false;
  }
  bool HasTuneReady() const override { return ready; }
  bool IsPlaying() const override { return playing; }

  std::vector<std::string> calls;
  bool ready = false;
  bool playing = false;

 private:
  const RecordingHost& host_;
};

// A browser in a shown window with its list on the left and its tool row on top.
// Public, so that tables of actions can drive it.
class BrowserFixture : public ::testing::Test {
 public:
  void SetUp() override {
    browser = std::make_unique<TFileEcr>(host);
    browser->SetPlayer(&player);
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QWidget;
    tools->setLayout(new QVBoxLayout);
    auto* list = new QWidget;
    list->setLayout(new QVBoxLayout);
    layout->addWidget(tools);
    layout->addWidget(list, 1);
    browser->OnCreate(list, tools, nullptr, nullptr);
    window->resize(900, 400);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    browser.reset();
    window.reset();
  }

  // The browser lets go of the file before it is freed, as the controller has it do.
  TAbcFile& Open(const std::string& text) {
    auto next = FileOf(text);
    browser->SetList(next.get());
    file = std::move(next);
    return *file;
  }
  TListGrid& Grid() const { return *browser->LstGrid(); }
  // The titles of the view, in order.
  std::vector<std::string> View() const {
    std::vector<std::string> titles;
    for (int32_t row = 0; row < file->FilterList.Count(); ++row) titles.push_back(file->GetTitle(row));
    return titles;
  }
  // The centre of the cell of a view row, `x` pixels from its left edge when given.
  QPoint RowPoint(int row, int x = -1) const {
    const int perCol = Grid().RowsPerCol();
    const QRect cell = Grid().CellRect(row / perCol, row % perCol);
    return {x < 0 ? cell.center().x() : cell.left() + x, cell.center().y()};
  }
  void Press(int row, int x = -1) { QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, RowPoint(row, x)); }
  void Key(Qt::Key key) { QTest::keyClick(&Grid(), key); }

  RecordingHost host;
  RecordingPlayer player{host};
  std::unique_ptr<TFileEcr> browser;
  std::unique_ptr<QWidget> window;
  std::unique_ptr<TAbcFile> file;
};

}  // namespace rq::test
