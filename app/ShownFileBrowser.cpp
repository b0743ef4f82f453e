#include "app/ShownFileBrowser.h"

#include <QWidget>
#include <algorithm>

#include "app/AppContext.h"
#include "app/ResLib.h"
#include "library/FileAbc.h"
#include "screens/PlayerEcr.h"

namespace rq {

void TShownFileBrowser::OnFileShown(TAbcFile* file) {
  if (!file || !app_.FileControl() || file->FilterList.Count() == 0) return;
  const int32_t row = std::clamp(file->GetRow(), 0, file->FilterList.Count() - 1);
  file->SetRow(row);
  app_.FileControl()->ShowTune(file, row);
}

bool TShownFileBrowser::Move(int step) {
  TAbcFile* file = app_.ShownFile();
  if (!file || !app_.FileControl()) return false;
  const int32_t row = file->GetRow() + step;
  if (row < 0 || row >= file->FilterList.Count()) return false;
  file->SetRow(row);
  return app_.FileControl()->ShowTune(file, row) == kCtrlOk;
}

void TShownFileBrowser::PlayShown() {
  TPlayerEcr* panel = app_.PlayerEcr();
  if (!panel) return;
  panel->StopPlay(0);
  panel->Play();
}

// At either end of the list the tune shown plays again, as a key press that cannot
// move the list leaves the selection where it is.
void TShownFileBrowser::PlayPrevTune() {
  Move(-1);
  PlayShown();
}

void TShownFileBrowser::PlayNextTune() {
  Move(+1);
  PlayShown();
}

bool TShownFileBrowser::FocusLastExitGrid() {
  QWidget* grid = app_.ResLib() ? app_.ResLib()->LastExitGrid.data() : nullptr;
  if (!grid || !grid->isEnabled() || !grid->isVisible()) return false;
  grid->setFocus();
  return true;
}

}  // namespace rq
