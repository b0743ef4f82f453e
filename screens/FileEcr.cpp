// The browser's list: making a file current, refreshing, selection, playing, keys,
// type-ahead, marks, drags and the list's layout.
#include "screens/FileEcr.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "screens/TypedText.h"
#include "screens/KeyFilterGrid.h"
#include "screens/MirrorList.h"
#include "screens/SetGrid.h"

namespace rq {
namespace {

constexpr char16_t kCtrlC = 3;
constexpr char16_t kCtrlV = 22;

// ASCII letters upper-cased, every other byte as it is.
bool StartsWithUpperAscii(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (up(text[i]) != up(prefix[i])) return false;
  }
  return true;
}

}  // namespace

int32_t TFileEcr::ViewCount() const { return curList_ ? curList_->FilterList.Count() : 0; }

// ---- the current file ---------------------------------------------------------

int32_t TFileEcr::SetList(TAbcFile* list) {
  if (curList_) {
    curList_->ListTop = lstGrid_->LeftCol();
    curList_->SetGridCol = setGrid_->LeftCol();
    curList_->SetGridTop = setGrid_->TopRow();
  }
  curList_ = list;
  shownRec_ = nullptr;
  emit ListChanged(list);
  fkGrid_->SetKeySet(list ? &list->KeyRhythmFilter.KeySet : nullptr);
  if (!list) {
    lstGrid_->SetGridMax(0);
    gridList2_->SetRowCount(1);
    labCptAll_->clear();
    labCptFlt_->clear();
    voyModif_->hide();
    setGrid_->SetFile(nullptr);
    ShowFilterLamp(false);
    ShowRhythmChecks();
    RepaintLists();
    return -1;
  }
  // In the trash tunes are viewed, deleted and dragged out, never edited, copied or pasted.
  const bool trash = host_.IsTrash(list);
  panToolFile_->setVisible(!trash);
  panSet_->setVisible(!trash);
  for (QAction* a : {actions_.newTune, actions_.editTune, actions_.copyTune, actions_.pasteTune, actions_.cutTune}) {
    if (a) a->setVisible(!trash);
  }
  ShowFilterLamp(list->FilterOn == 1);
  ShowModeTab(list->ViewMode);
  RefreshList();
  selChanged_ = true;
  return 0;
}

void TFileEcr::ReleaseFile(TAbcFile* file) {
  if (file && file == curList_) SetList(nullptr);
}

void TFileEcr::UpdateView() {
  updating_ = true;
  const int32_t count = ViewCount();
  lstGrid_->SetGridMax(count);
  const int32_t row = std::clamp(curList_->GetRow(), 0, std::max(0, count - 1));
  curList_->SetRow(row);
  lstGrid_->SetGridIdx(row);
  gridList2_->SetRowCount(count);
  gridList2_->SetRow(row);
  updating_ = false;
  RepaintLists();
  ShowRhythmChecks();
  fkGrid_->update();
  ShowCounters();
}

void TFileEcr::RefreshView() {
  if (!curList_) return;
  UpdateView();
  ShowTuneAt(curList_->GetRow());
  RefreshSetGrid();
}

int32_t TFileEcr::RefreshList() {
  if (!curList_) return 0;
  refreshing_ = true;
  UpdateView();
  const int32_t row = curList_->GetRow();
  gridList2_->SetTopRow(row);
  if (curList_->ListTop < lstGrid_->ColCount()) {
    lstGrid_->SetLeftCol(curList_->ListTop);
  } else {
    ScrollToRow(row);
  }
  ShowSetsOfList();
  ShowTuneAt(row);
  refreshing_ = false;
  return 0;
}

void TFileEcr::ShowTuneAt(int32_t row) {
  const TAbcRec* rec = curList_->GetRec(row);
  if (!rec) {
    // The tune shown was deleted with the view: nothing of it may stay on screen.
    if (!curList_->CurrentRec) {
      shownRec_ = nullptr;
      host_.ShowNoTune(curList_);
    }
    return;
  }
  if (rec != shownRec_) selChanged_ = true;
  shownRec_ = rec;
  host_.ShowTune(curList_, row);
}

void TFileEcr::ShowCounters() {
  if (!curList_) return;
  labCptAll_->setText(QString::number(curList_->FilterList.AllCount()) + ' ');
  labCptFlt_->setText(QString::number(ViewCount()) + ' ');
  voyModif_->setVisible(curList_->Modified);
}

void TFileEcr::RepaintLists() {
  lstGrid_->viewport()->update();
  gridList2_->viewport()->update();
}

// The column before the row's, so the row is not at the very left edge.
void TFileEcr::ScrollToRow(int32_t row) {
  const int perCol = std::max(1, lstGrid_->RowsPerCol());
  lstGrid_->SetLeftCol(std::max(0, row / perCol - 1));
}

// ---- selection and playing ----------------------------------------------------------

void TFileEcr::OnSelectIdx(int idx) {
  if (!curList_) return;
  const int32_t old = curList_->GetRow();
  curList_->SetRow(idx);
  if (idx != old) selChanged_ = true;
  gridList2_->SetRow(idx);
  gridList2_->ScrollToRow(idx);
  if (!updating_) ShowTuneAt(idx);
  setGrid_->viewport()->update();  // its highlight of the current tune follows
}

// A click in the second list selects its tune in the browser, as a click in the list does.
void TFileEcr::OnClickList2(int row) {
  if (!curList_ || row >= ViewCount()) return;
  lstGrid_->SetGridIdx(row);
  ScrollToRow(row);
}

void TFileEcr::OnEnterGrid() {
  if (curList_) ShowTuneAt(curList_->GetRow());
}

void TFileEcr::OnExitGrid() { host_.SetLastExitGrid(lstGrid_); }

// Plays the tune shown, converted anew whenever it is not the one last converted.
void TFileEcr::OnClickPlay() {
  if (!curList_ || !player_) return;
  player_->StopPlay(0);
  if (selChanged_ || !player_->HasTuneReady()) {
    player_->PrepareTune();
    selChanged_ = false;
  }
  player_->Play();
}

// Enter starts the selected tune and, pressed again on the same tune, stops it.
bool TFileEcr::OnGridKeyDown(int key) {
  if (!curList_) return false;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!selChanged_ && player_ && player_->IsPlaying()) {
        player_->StopPlay(1);
      } else {
        OnClickPlay();
      }
      return true;
    case Qt::Key_Delete:
      if (host_.TuneToTrash(curList_, lstGrid_->GridIdx()) == 0) {
        // The next tune slides into the deleted one's row: another tune is shown.
        selChanged_ = true;
        RefreshView();
      }
      return true;
    default: return false;
  }
}

// ---- previous and next -----------------------------------------------------------
// While a tune is edited the list stays where it is: Cancel shows its tune again.

void TFileEcr::StepList(Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(lstGrid_, &press);
}

void TFileEcr::ShowPrevTune() {
  if (curList_ && !editing_) StepList(Qt::Key_Up);
}

void TFileEcr::ShowNextTune() {
  if (curList_ && !editing_) StepList(Qt::Key_Down);
}

void TFileEcr::PlayPrevTune() {
  if (!curList_ || editing_) return;
  StepList(Qt::Key_Up);
  OnClickPlay();
}

void TFileEcr::PlayNextTune() {
  if (!curList_ || editing_) return;
  StepList(Qt::Key_Down);
  OnClickPlay();
}

bool TFileEcr::FocusLastExitGrid() {
  QWidget* grid = host_.LastExitGrid();
  if (!grid || !grid->isEnabled() || !grid->isVisible()) return false;
  grid->setFocus();
  return true;
}

// ---- type-ahead -------------------------------------------------------------

void TFileEcr::OnGridKeyPress(QChar c) {
  if (!curList_) return;
  const char16_t code = c.unicode();
  if (code == '\b' || code == '\t' || code == '\r' || code == '.') return;
  if (code == kCtrlC || code == kCtrlV) {
    if (QAction* action = code == kCtrlC ? actions_.copyTune : actions_.pasteTune) action->trigger();
    return;
  }
  if (!keyTimer_->isActive()) {
    keyString_.clear();
    labKeyStr_->show();
  }
  keyTimer_->start();
  keyString_ += c;
  labKeyStr_->setText(keyString_);

  const std::vector<std::string> wanted = FileByteForms(keyString_);
  const int32_t count = ViewCount();
  for (int32_t row = 0; row < count; ++row) {
    const std::string_view title = curList_->TitleViewOfRec(curList_->GetRec(row));
    if (std::none_of(wanted.begin(), wanted.end(),
                     [title](const std::string& w) { return StartsWithUpperAscii(title, w); })) {
      continue;
    }
    lstGrid_->SetGridIdx(row);
    ScrollToRow(row);
    return;
  }
}

void TFileEcr::OnTimerKeyStr() {
  keyTimer_->stop();
  labKeyStr_->hide();
}

// ---- marks and drags ------------------------------------------------------------

void TFileEcr::OnGridMouseDown(Qt::MouseButton button, QPoint pos) {
  if (!curList_ || button != Qt::LeftButton) return;
  int col = 0;
  int row = 0;
  if (!lstGrid_->MouseToCell(pos, col, row)) return;
  const int idx = lstGrid_->ColRowToIdx(col, row);
  if (idx >= ViewCount()) return;
  if (pos.x() - lstGrid_->CellRect(col, row).left() < kMarkWidth) {
    curList_->ToggleSelect(idx);
    RepaintLists();
    ShowCounters();
  }
}

bool TFileEcr::StartTuneDrag(QPoint pressPos) {
  if (!curList_) return false;
  int col = 0;
  int row = 0;
  if (!lstGrid_->MouseToCell(pressPos, col, row)) return false;
  const int idx = lstGrid_->ColRowToIdx(col, row);
  if (idx >= ViewCount()) return false;
  host_.BeginDrag(curList_, kDragKindTune, kDragModeTune, idx);
  return true;
}

bool TFileEcr::OnDragCompte() {
  if (!curList_) return false;
  host_.BeginDrag(curList_, kDragKindView, kDragModeView, 0);
  return true;
}

// Enter, Delete, then typed characters; other keys (and control characters other
// than Ctrl+C and Ctrl+V) go on to the grid and the focus chain.
bool TFileEcr::GridKeyEvent(QKeyEvent* event) {
  if (OnGridKeyDown(event->key())) return true;
  const QString text = event->text();
  if (text.isEmpty() || !curList_) return false;
  const char16_t code = text.front().unicode();
  if (code < ' ' && code != kCtrlC && code != kCtrlV) return false;
  OnGridKeyPress(text.front());
  return true;
}

bool TFileEcr::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstGrid_) {
    switch (event->type()) {
      case QEvent::KeyPress: return GridKeyEvent(static_cast<QKeyEvent*>(event));
      case QEvent::FocusIn: OnEnterGrid(); break;
      case QEvent::FocusOut: OnExitGrid(); break;
      default: break;
    }
  } else if (watched == setGrid_) {
    if (event->type() == QEvent::KeyPress) return SetGridKeyEvent(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut) OnExitSetGrid();
  } else if (watched == panGenList_ && event->type() == QEvent::Resize) {
    OnResizePanel();
  }
  return QObject::eventFilter(watched, event);
}

// ---- layout ---------------------------------------------------------------------

void TFileEcr::OnListResize() {
  if (curList_) ScrollToRow(curList_->GetRow());
}

void TFileEcr::OnResizePanel() {
  const int width = panGenList_->width();
  if (width < kColWidth) return;
  const QSignalBlocker quiet(barSlider_);
  barSlider_->setMaximum(width);
  OnChangeSize(barSlider_->value());
}

void TFileEcr::OnChangeSize(int position) {
  if (position < kColWidth) {
    const QSignalBlocker quiet(barSlider_);
    barSlider_->setValue(kColWidth);
    position = kColWidth;
  }
  lstGrid_->SetDefaultColWidth(position);
}

void TFileEcr::OnExpandList() {
  host_.ExpandList(true);
  btnColsp_->show();
  btnExpand_->hide();
}

void TFileEcr::OnColpsList() {
  host_.ExpandList(false);
  btnColsp_->hide();
  btnExpand_->show();
}

}  // namespace rq
