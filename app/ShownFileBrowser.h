// Stands in for the tune browser until it exists: the list it moves through is the
// shown file's current view, and a file that is shown gets its remembered tune shown.
#pragma once

#include "screens/TuneBrowser.h"

namespace rq {

class TAbcFile;
class TAppContext;

class TShownFileBrowser : public ITuneBrowser {
 public:
  explicit TShownFileBrowser(TAppContext& app) : app_(app) {}

  // A file became the shown one: its remembered row (kept inside its view) is shown.
  void OnFileShown(TAbcFile* file);

  void ShowPrevTune() override { Move(-1); }
  void ShowNextTune() override { Move(+1); }
  void PlayPrevTune() override;
  void PlayNextTune() override;
  bool FocusLastExitGrid() override;

 private:
  // Shows the tune `step` rows from the remembered one; false at either end.
  bool Move(int step);
  // The browser's play command: the tune on screen from its start (the panel
  // converts it when it is not the tune prepared).
  void PlayShown();

  TAppContext& app_;
};

}  // namespace rq
