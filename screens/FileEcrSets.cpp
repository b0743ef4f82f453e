// The browser's set grid: selecting, playing, building sets by dragging tunes from the
// list, reordering entries and sets, repeat counts, and the set commands.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "controls/ListGrid.h"
#include "controls/WindowOrder.h"
#include "library/FileAbc.h"
#include "library/UserInterface.h"
#include "platform/Cp1252.h"
#include "screens/DlgString.h"
#include "screens/FileEcr.h"
#include "screens/SetGrid.h"
#include "screens/TypedText.h"

namespace rq {
namespace {

const char* const kNewSetCaption = "New Set";
const char* const kDeleteSetText = "Delete set : ";
const char* const kCommaRefused =
    "A set name cannot hold a comma: the file keeps a set's tunes after the first comma of its line.";
const char* const kUnnamedSet = "*";

}  // namespace

void TFileEcr::SetNameDialog(TDlgString* dialog) { nameDialog_ = dialog; }

// The file whose sets the commands change: none in the trash, whose set panel is hidden.
TAbcFile* TFileEcr::SetsFile() const { return curList_ && !host_.IsTrash(curList_) ? curList_ : nullptr; }

void TFileEcr::SetsChanged() {
  curList_->SetModified(true);
  voyModif_->show();
  setGrid_->Reload();
}

void TFileEcr::PlaceSetCell(int col, int row) {
  const bool wasRefreshing = std::exchange(refreshing_, true);
  setGrid_->SetCurrentCell(col, row);
  refreshing_ = wasRefreshing;
  TLstSet& sets = curList_->Sets;
  sets.CurrentSet = row >= 1 && row <= sets.Count() ? row - 1 : -1;
  sets.EntryRow = col - 1;
  setCellSelected_ = setGrid_->IsSetCell(col, row);
  setNameSelected_ = setCellSelected_ && col == 0;
}

// The counts follow the sets; a current set or entry that went (its tunes deleted, the
// set deleted) gives way to the last one left.
void TFileEcr::RefreshSetGrid() {
  setGrid_->Reload();
  if (!curList_) return;
  TLstSet& sets = curList_->Sets;
  if (sets.CurrentSet >= sets.Count()) sets.CurrentSet = sets.Count() - 1;
  if (sets.CurrentSet < 0) {
    sets.EntryRow = -1;
    setCellSelected_ = setNameSelected_ = false;
    return;
  }
  sets.EntryRow = std::min(sets.EntryRow, sets.TuneCount(sets.CurrentSet) - 1);
  if (!setGrid_->IsSetCell(setGrid_->Col(), setGrid_->Row())) PlaceSetCell(sets.EntryRow + 1, sets.CurrentSet + 1);
}

// A file made current: its current set and entry, its scroll position.
void TFileEcr::ShowSetsOfList() {
  setGrid_->SetFile(curList_);
  TLstSet& sets = curList_->Sets;
  if (sets.CurrentSet >= 0 && sets.CurrentSet < sets.Count()) {
    const int entry = sets.EntryRow;
    PlaceSetCell(entry < 0 && setGrid_->model()->columnCount() > 1 ? 1 : entry + 1, sets.CurrentSet + 1);
    sets.EntryRow = entry;
  }
  // A top row of 0 (the header) was never stored by the browser: a file shown for the
  // first time starts at the top left, with the set names in view.
  if (curList_->SetGridTop >= 1) {
    setGrid_->SetLeftCol(curList_->SetGridCol);
    setGrid_->SetTopRow(curList_->SetGridTop);
  }
}

// ---- selecting and playing ----------------------------------------------------------

void TFileEcr::OnSelectItemSet(int col, int row) {
  if (!curList_ || refreshing_) return;
  selChanged_ = true;
  setCellSelected_ = setNameSelected_ = false;
  if (!setGrid_->IsSetCell(col, row)) return;
  setCellSelected_ = true;
  TLstSet& sets = curList_->Sets;
  sets.CurrentSet = row - 1;
  setNameSelected_ = col == 0;
  if (setGrid_->hasFocus()) {
    if (TAbcRec* rec = sets.GetTune(row - 1, col - 1)) {
      ShowSetEntry(rec);
    } else {
      // A set's name shows no tune: the editor and the score keep theirs.
      curList_->SetCurrentRec(nullptr);
      setGrid_->viewport()->update();
    }
  }
  sets.EntryRow = col - 1;
}

void TFileEcr::ShowSetEntry(TAbcRec* rec) {
  if (host_.ShowTuneRec(curList_, rec) == 0) shownRec_ = rec;
  setGrid_->viewport()->update();
}

void TFileEcr::OnPlaySet() {
  TAbcFile* file = SetsFile();
  if (!file || !player_) return;
  const TSetAbc* set = file->Sets.Set(file->Sets.CurrentSet);
  if (!set || set->Count() == 0) return;
  player_->StopPlay(0);
  player_->PrepareSet(*file, *set);
  player_->Play();
}

// A set's name plays the set; an entry plays its tune, which selecting it showed.
void TFileEcr::OnClickPlaySet() {
  if (!curList_ || !setCellSelected_) return;
  selChanged_ = true;
  if (setNameSelected_) {
    OnPlaySet();
  } else {
    OnClickPlay();
  }
}

bool TFileEcr::OnSetKeyDown(int key) {
  if (!curList_) return false;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!setCellSelected_) return true;
      if (!selChanged_ && player_ && player_->IsPlaying()) {
        player_->StopPlay(1);
      } else if (setNameSelected_) {
        OnPlaySet();
      } else {
        OnClickPlay();
      }
      return true;
    case Qt::Key_Delete: ACTRemoveTune(); return true;
    default: return false;
  }
}

bool TFileEcr::OnSetKeyPress(QChar c) {
  if (!curList_) return false;
  if (c != '+' && c != '-') return true;  // typed characters do nothing here
  const int col = setGrid_->Col();
  const int row = setGrid_->Row();
  if (col < 1 || row < 1) return true;
  TLstSet& sets = curList_->Sets;
  const int32_t before = sets.GetRepeat(row - 1, col - 1);
  sets.ChangeRepeat(row - 1, col - 1, c == '+' ? 1 : -1);
  if (sets.GetRepeat(row - 1, col - 1) != before) SetsChanged();
  return true;
}

void TFileEcr::OnExitSetGrid() { host_.SetLastExitGrid(setGrid_); }

// Enter and Delete, then '+' and '-'; arrows and other keys go on to the grid, and
// characters never start the grid's own search.
bool TFileEcr::SetGridKeyEvent(QKeyEvent* event) {
  if (OnSetKeyDown(event->key())) return true;
  const QString text = event->text();
  if (text.isEmpty() || text.front().unicode() < ' ' || (event->modifiers() & Qt::ControlModifier)) return false;
  return OnSetKeyPress(text.front());
}

// ---- dragging ------------------------------------------------------------------

void TFileEcr::OnSetMDown(Qt::MouseButton button, QPoint pos) {
  if (!curList_ || button != Qt::LeftButton) return;
  selChanged_ = true;
  dragSet_ = -1;
  dragEntry_ = -1;
  int col = 0;
  int row = 0;
  TLstSet& sets = curList_->Sets;
  if (!setGrid_->CellAt(pos, col, row) || row < 1 || row > sets.Count()) return;
  if (col == 0) {
    dragSet_ = row - 1;
    host_.ClearDrag();
    return;
  }
  if (col <= sets.TuneCount(row - 1)) {
    dragEntry_ = col - 1;
    host_.ClearDrag();
    // A press on the entry already selected shows its tune again, whatever was shown since.
    TAbcRec* rec = sets.GetTune(row - 1, col - 1);
    if (rec != curList_->CurrentRec) ShowSetEntry(rec);
  } else {
    // A press past a set's entries makes the set current, and the highlight shows it:
    // the set commands never act on a set or entry other than the one highlighted.
    PlaceSetCell(0, row);
  }
}

bool TFileEcr::StartSetDrag(QPoint) { return curList_ && (dragSet_ >= 0 || dragEntry_ >= 0); }

TAbcRec* TFileEcr::DraggedListTune() const {
  const TDragRecord drag = host_.CurrentDrag();
  // Only the shown file's own tunes go into its sets.
  if (!curList_ || drag.file != curList_ || drag.mode != kDragModeTune) return nullptr;
  return curList_->GetRec(drag.row);
}

TFileEcr::SetDropSource TFileEcr::DropSourceAt(QPoint pos) const {
  int col = 0;
  int row = 0;
  if (!curList_ || !setGrid_->CellAt(pos, col, row) || row < 1) return SetDropSource::None;
  const TLstSet& sets = curList_->Sets;
  const QWidget* source = host_.CurrentDrag().source;
  if (source == setGrid_->viewport()) {
    if (col == 0) return dragSet_ >= 0 && row <= sets.Count() ? SetDropSource::SetGrid : SetDropSource::None;
    return dragSet_ < 0 && dragEntry_ >= 0 && row - 1 == sets.CurrentSet ? SetDropSource::SetGrid
                                                                         : SetDropSource::None;
  }
  if (source == lstGrid_->viewport() && col >= 1 && row <= sets.Count() && DraggedListTune()) {
    return SetDropSource::List;
  }
  return SetDropSource::None;
}

bool TFileEcr::OnDragItemSet(QPoint pos) {
  setDropSource_ = DropSourceAt(pos);
  return setDropSource_ != SetDropSource::None;
}

void TFileEcr::OnDropItemSet(QPoint pos) {
  const SetDropSource source = std::exchange(setDropSource_, SetDropSource::None);
  int col = 0;
  int row = 0;
  if (!curList_ || source == SetDropSource::None || !setGrid_->CellAt(pos, col, row)) return;
  TLstSet& sets = curList_->Sets;
  const int32_t set = row - 1;
  if (source == SetDropSource::SetGrid && dragSet_ >= 0) {
    if (set == dragSet_) return;
    sets.MoveSet(dragSet_, set);
    SetsChanged();
    PlaceSetCell(0, row);
  } else if (source == SetDropSource::SetGrid) {
    const int32_t target = std::min(col, sets.TuneCount(set));
    sets.MoveTune(set, dragEntry_, target - 1);
    SetsChanged();
  } else if (TAbcRec* rec = DraggedListTune()) {
    if (sets.TuneCount(set) > col - 1) {
      sets.InsertTune(set, col - 1, rec);
    } else {
      sets.AddTune(set, rec);
    }
    SetsChanged();
  }
}

// ---- the set commands ------------------------------------------------------------

// The name is for the sets of the file shown when it was asked: none when another
// file is shown by the time the user answers.
bool TFileEcr::AskSetName(QString text, std::string& name) {
  if (!nameDialog_) return false;
  const TAbcFile* asked = curList_;
  for (;;) {
    nameDialog_->EDString()->setText(text);
    nameDialog_->EDString()->selectAll();
    if (ExecAbove(*nameDialog_) != TDlgString::kOk || curList_ != asked) return false;
    text = nameDialog_->EDString()->text();
    if (!text.contains(',')) break;
    if (ui_) ui_->MessageDlg(kCommaRefused, MsgDlgType::Warning, mbOK, 0);
  }
  name = text.isEmpty() ? std::string(kUnnamedSet) : FileBytes(text, curList_->Lines);
  return true;
}

void TFileEcr::ACTNewSet() {
  if (!SetsFile() || !nameDialog_) return;
  nameDialog_->setWindowTitle(kNewSetCaption);
  std::string name;
  if (!AskSetName(QString(), name)) return;
  TLstSet& sets = curList_->Sets;
  sets.AddSet(std::make_unique<TSetAbc>(std::move(name)));
  SetsChanged();
  RefreshView();
  PlaceSetCell(0, sets.Count());
  setGrid_->ScrollRowToTop(sets.Count());
}

// The prompt keeps the caption its caller gave it.
void TFileEcr::ACTRenameSet() {
  if (!SetsFile()) return;
  TLstSet& sets = curList_->Sets;
  const int32_t set = sets.CurrentSet;
  if (!sets.Set(set)) return;
  std::string name;
  if (!AskSetName(QString::fromStdString(DisplayUtf8(sets.GetName(set))), name)) return;
  sets.Rename(set, std::move(name));
  SetsChanged();
  RefreshView();
}

void TFileEcr::ACTDelSet() {
  if (!SetsFile() || !ui_) return;
  TLstSet& sets = curList_->Sets;
  const int32_t set = sets.CurrentSet;
  if (!sets.Set(set)) return;
  const std::string question = kDeleteSetText + DisplayUtf8(sets.GetName(set));
  const TAbcFile* asked = curList_;
  if (ui_->MessageDlg(question, MsgDlgType::Confirmation, mbYes | mbNo, 0) != mrYes || curList_ != asked) return;
  sets.DeleteSet(set);
  // The set that took the deleted one's place is current; after the last, the new last.
  sets.CurrentSet = std::min(set, sets.Count() - 1);
  sets.EntryRow = -1;
  SetsChanged();
  RefreshView();
  if (sets.CurrentSet >= 0) PlaceSetCell(0, sets.CurrentSet + 1);
}

void TFileEcr::ACTRemoveTune() {
  if (!SetsFile()) return;
  TLstSet& sets = curList_->Sets;
  if (sets.DeleteTune(sets.CurrentSet, sets.EntryRow) != 0) return;
  SetsChanged();
  RefreshView();
}

}  // namespace rq
