// The tune browser's links to the rest of the program: the open-files controller and
// main window behind IBrowserHost, and the player behind IBrowserPlayer.
#pragma once


#include "screens/BrowserLinks.h"

namespace rq {

class TAppContext;

class TBrowserHost : public IBrowserHost {
 public:
  explicit TBrowserHost(TAppContext& app) : app_(app) {}

  int32_t ShowTune(TAbcFile* file, int32_t row) override;
  int32_t ShowTuneRec(TAbcFile* file, TAbcRec* rec) override;
  void SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) override;
  int32_t TuneToTrash(TAbcFile* file, int32_t row) override;
  void BeginDrag(TAbcFile* file, int32_t kind, int32_t mode, int32_t row) override;
  // The program's drag controller watches the source.
  void AddDragSource(QWidget* source, std::function<bool(QPoint)> start) override;
  void AddDropTarget(QWidget* target, std::function<bool(QPoint)> over, std::function<void(QPoint)> drop) override;
  TDragRecord CurrentDrag() const override;
  void ClearDrag() override;
  bool IsTrash(const TAbcFile* file) const override;
  TLines ShownTuneText() const override { return shownText_; }
  // The resource module keeps it.
  void SetLastExitGrid(QWidget* grid) override;
  QWidget* LastExitGrid() const override;
  void ExpandList(bool expand) override;
  void EnterEditMode() override;
  void LeaveEditMode() override;
  void EditEnded() override;
  void ShowNoTune(TAbcFile* file) override;
  int32_t StoreEdit(TAbcFile* file, int32_t mode, const TLines& lines) override;
  int32_t PasteTunes(TAbcFile* file, const TLines& lines) override;
  int32_t TuneRecToTrash(TAbcFile* file, TAbcRec* rec) override;
  bool SendViewToTrash(TAbcFile* file) override;
  void AddToPrintList(TAbcFile* file, const TAbcRec* rec) override;
  void PrintTune(TAbcFile* file, const TAbcRec* rec) override;
  void ShowMessage(const std::string& text) override;

  // The text of the tune the controller showed last (the editor shows it).
  void SetShownText(const TLines& lines) { shownText_ = lines; }

 private:
  TAppContext& app_;
  TLines shownText_;
};

// The player panel, and the player it drives.
class TBrowserPlayer : public IBrowserPlayer {
 public:
  explicit TBrowserPlayer(TAppContext& app) : app_(app) {}

  void PrepareTune() override;
  void PrepareSet(const TAbcFile& file, const TSetAbc& set) override;
  void Play() override;
  void StopPlay(int mode) override;
  bool HasTuneReady() const override;
  bool IsPlaying() const override;

 private:
  TAppContext& app_;
};

}  // namespace rq
