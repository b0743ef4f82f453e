#include "app/BrowserLinks.h"

#include "app/AppContext.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "controls/DragControl.h"
#include "library/FileAbc.h"
#include "midi/ZymMidi.h"
#include "screens/PlayerEcr.h"

namespace rq {

int32_t TBrowserHost::ShowTune(TAbcFile* file, int32_t row) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->ShowTune(file, row) : kCtrlRefused;
}

int32_t TBrowserHost::ShowTuneRec(TAbcFile* file, TAbcRec* rec) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->ShowTuneRec(file, rec) : kCtrlRefused;
}

void TBrowserHost::SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) {
  if (TCtrlFile* control = app_.FileControl()) control->SetViewMode(file, mode, filterOn);
}

int32_t TBrowserHost::TuneToTrash(TAbcFile* file, int32_t row) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->TuneToTrash(file, row) : kCtrlRefused;
}

void TBrowserHost::BeginDrag(TAbcFile* file, int32_t kind, int32_t mode, int32_t row) {
  if (TCtrlFile* control = app_.FileControl()) control->BeginDrag(file, kind, mode, row);
}

void TBrowserHost::AddDragSource(QWidget* source, std::function<bool(QPoint)> start) {
  if (TDragControl* drag = app_.DragControl()) {
    drag->AddSource(source, [start = std::move(start)](const QPoint& pos) { return start(pos); });
  }
}

void TBrowserHost::AddDropTarget(QWidget* target, std::function<bool(QPoint)> over,
                                 std::function<void(QPoint)> drop) {
  if (TDragControl* drag = app_.DragControl()) {
    drag->AddTarget(
        target, [over = std::move(over)](const QPoint& pos) { return over(pos); },
        [drop = std::move(drop)](const QPoint& pos) { drop(pos); });
  }
}

TDragRecord TBrowserHost::CurrentDrag() const {
  TDragRecord drag;
  if (const TDragControl* control = app_.DragControl()) drag.source = control->Source();
  if (const TCtrlFile* files = app_.FileControl()) {
    drag.file = files->DragFile();
    drag.kind = files->DragKind();
    drag.mode = files->DragMode();
    drag.row = files->DragRow();
  }
  return drag;
}

void TBrowserHost::ClearDrag() {
  if (TCtrlFile* control = app_.FileControl()) control->CancelDrag();
}

bool TBrowserHost::IsTrash(const TAbcFile* file) const {
  const TCtrlFile* control = app_.FileControl();
  return control && file && control->Trash() == file;
}

void TBrowserHost::SetLastExitGrid(QWidget* grid) {
  if (TResLib* res = app_.ResLib()) res->LastExitGrid = grid;
}

QWidget* TBrowserHost::LastExitGrid() const {
  const TResLib* res = app_.ResLib();
  return res ? res->LastExitGrid.data() : nullptr;
}

void TBrowserHost::ExpandList(bool expand) {
  if (TMainEcr* main = app_.MainEcr()) main->ShowBottomArea(!expand);
}

void TBrowserHost::EnterEditMode() {
  if (TResLib* res = app_.ResLib()) res->EnterEditMode();
}

void TBrowserHost::LeaveEditMode() {
  if (TResLib* res = app_.ResLib()) res->LeaveEditMode();
}

void TBrowserHost::EditEnded() {
  if (TCtrlFile* control = app_.FileControl()) control->EditEnded();
}

void TBrowserHost::ShowNoTune(TAbcFile* file) {
  if (TCtrlFile* control = app_.FileControl()) control->ShowNoTune(file);
}

int32_t TBrowserHost::StoreEdit(TAbcFile* file, int32_t mode, const TLines& lines) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->StoreEdit(file, mode, lines) : kCtrlRefused;
}

int32_t TBrowserHost::PasteTunes(TAbcFile* file, const TLines& lines) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->PasteTunes(file, lines) : kCtrlRefused;
}

int32_t TBrowserHost::TuneRecToTrash(TAbcFile* file, TAbcRec* rec) {
  TCtrlFile* control = app_.FileControl();
  return control ? control->TuneRecToTrash(file, rec) : kCtrlRefused;
}

bool TBrowserHost::SendViewToTrash(TAbcFile* file) {
  TCtrlFile* control = app_.FileControl();
  return control && control->AskViewToTrash(file);
}

void TBrowserHost::AddToPrintList(TAbcFile* file, const TAbcRec* rec) {
  if (TCtrlFile* control = app_.FileControl()) control->AddRecToPrintList(file, rec);
}

void TBrowserHost::PrintTune(TAbcFile* file, const TAbcRec* rec) {
  if (TCtrlFile* control = app_.FileControl()) control->PrintTuneRec(file, rec);
}

void TBrowserHost::ShowMessage(const std::string& text) {
  app_.UserInterface().MessageDlg(text, MsgDlgType::Information, mbOK, 0);
}

void TBrowserPlayer::PrepareTune() {
  if (TPlayerEcr* panel = app_.PlayerEcr()) panel->PrepareTune();
}

void TBrowserPlayer::PrepareSet(const TAbcFile& file, const TSetAbc& set) {
  if (TPlayerEcr* panel = app_.PlayerEcr()) panel->PrepareSet(file, set);
}

void TBrowserPlayer::Play() {
  if (TPlayerEcr* panel = app_.PlayerEcr()) panel->Play();
}

void TBrowserPlayer::StopPlay(int mode) {
  if (TPlayerEcr* panel = app_.PlayerEcr()) panel->StopPlay(mode);
}

bool TBrowserPlayer::HasTuneReady() const {
  const TPlayerEcr* panel = app_.PlayerEcr();
  return panel && panel->TuneReady();
}

bool TBrowserPlayer::IsPlaying() const {
  const TZymMidiPlayer* player = app_.MidiPlayer();
  return player && player->Playing();
}

}  // namespace rq
