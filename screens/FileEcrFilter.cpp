// The browser's views: the view tabs, the key and rhythm filters, the filter switch,
// marking all or none, and the searches that end in the result view.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QToolButton>

#include "controls/ListGrid.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "screens/TypedText.h"
#include "screens/FileEcr.h"
#include "screens/KeyFilterGrid.h"
#include "screens/MirrorList.h"

namespace rq {

void TFileEcr::SetViewMode(int32_t mode) {
  if (!curList_) return;
  selChanged_ = true;
  curList_->SetViewMode(mode, filterDown_ ? 1 : 0);
  ShowModeTab(mode);
  RefreshView();
}

// View mode 1 has no tab: the tab shown stays.
void TFileEcr::ShowModeTab(int32_t mode) {
  if (TTab95Sheet* tab = ViewTab(mode); tab && mode != vmAllFiltered) pgcFilter_->SetActivePage(tab);
}

void TFileEcr::OnChangeFilter() {
  if (!curList_) return;
  selChanged_ = true;
  if (TTab95Sheet* tab = pgcFilter_->ActivePage()) SetViewMode(tab->property("tag").toInt());
}

void TFileEcr::ShowFilterLamp(bool on) {
  filterDown_ = on;
  if (actions_.toggleFilter) actions_.toggleFilter->setChecked(on);
  voyFilter_->setVisible(on);
}

// ---- key and rhythm filters -------------------------------------------------------

void TFileEcr::OnFKMouseDown(int item) {
  if (!curList_ || item < 0 || item >= TKeyFilterGrid::kKeyItems) return;
  std::bitset<256> keys = curList_->KeyRhythmFilter.KeySet;
  keys.flip(static_cast<size_t>(item + 1));
  ApplyKeyRhythmFilter(keys, curList_->KeyRhythmFilter.RhythmSet);
}

void TFileEcr::OnFilterRytme() {
  if (!curList_) return;
  std::bitset<256> rhythms;
  for (int i = 0; i < frGrid_->count(); ++i) {
    if (frGrid_->item(i)->checkState() == Qt::Checked) rhythms.set(static_cast<size_t>(i));
  }
  ApplyKeyRhythmFilter(curList_->KeyRhythmFilter.KeySet, rhythms);
}

// The lamp follows the filter; the view, the rhythm checks and the tune shown follow
// at the refresh.
void TFileEcr::ApplyKeyRhythmFilter(const std::bitset<256>& keys, const std::bitset<256>& rhythms) {
  const TAbcRec* selected = curList_->GetRec(curList_->GetRow());
  curList_->SetKeyRhythmFilter(keys, rhythms);
  ShowFilterLamp(curList_->KeyRhythmFilter.Active);
  RefreshKeeping(selected);
}

// A change of the view moves tunes to other rows: a tune the new view still holds
// stays selected and shown, scrolled into sight; otherwise its old row shows another.
void TFileEcr::RefreshKeeping(const TAbcRec* selected) {
  const int32_t row = curList_->FilterList.RowOf(selected);
  if (row < 0) {
    selChanged_ = true;
    RefreshView();
    return;
  }
  curList_->SetRow(row);
  RefreshView();
  ScrollToRow(row);
}

// Each list keeps its own rhythm choice: the checks follow the current list.
void TFileEcr::ShowRhythmChecks() {
  const QSignalBlocker quiet(frGrid_);
  for (int i = 0; i < frGrid_->count(); ++i) {
    const bool chosen = curList_ && curList_->KeyRhythmFilter.RhythmSet.test(static_cast<size_t>(i));
    frGrid_->item(i)->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
  }
}

void TFileEcr::OnChangeTab(int index) {
  panRFilter_->setVisible(index == 1);
  panKFilter_->setVisible(index != 1);
}

void TFileEcr::OnClearFlt() {
  if (!curList_) return;
  ApplyKeyRhythmFilter({}, {});
}

// Without a key or a rhythm chosen there is nothing to switch on: the button stays up.
void TFileEcr::OnCheckFilter(bool down) {
  if (!curList_) return;
  if (!curList_->KeyRhythmFilter.Active) {
    ShowFilterLamp(false);
    return;
  }
  const TAbcRec* selected = curList_->GetRec(curList_->GetRow());
  filterDown_ = down;
  host_.SetViewMode(curList_, -1, down ? 1 : 0);
  voyFilter_->setVisible(down);
  RefreshKeeping(selected);
}

void TFileEcr::OnDropWinFilter() {
  if (!filterWindow_) return;
  filterWindow_->show();
  filterWindow_->raise();
}

void TFileEcr::OnCloseFilter() {
  if (filterWindow_) filterWindow_->hide();
}

// ---- marks and searches -------------------------------------------------------------

// Counters and view membership follow at the next refresh.
void TFileEcr::MarkAll() {
  if (!curList_) return;
  curList_->SelectAll();
  RepaintLists();
}

void TFileEcr::UnmarkAll() {
  if (!curList_) return;
  curList_->UnselectAll();
  RepaintLists();
}

void TFileEcr::OnSearchCode() {
  if (searchDialog_) searchDialog_->ShowUnder(btnAbcCode_);
}

// A text typed with letters beyond ASCII is looked for in both encodings a file's
// bytes may have.
void TFileEcr::SearchText(const QString& text, bool matchCase) {
  if (!curList_ || editing_) return;
  const std::vector<std::string> forms = FileByteForms(text);
  std::vector<TAbcRec*> hits;
  for (const std::string& form : forms) {
    curList_->SearchText(form, matchCase);
    for (TAbcRec* rec : curList_->FilterList.All) {
      if (rec->GetSearchScore() != 0) hits.push_back(rec);
    }
  }
  for (TAbcRec* rec : hits) rec->SetSearchScore(kTextHitScore);
  SetViewMode(vmSearched);
}

void TFileEcr::SearchAbc(const QString& notes, const QString& meter, int digits) {
  if (!curList_ || editing_) return;
  curList_->SearchNotes(notes.toStdString(), meter.toStdString(), digits);
  SetViewMode(vmSearched);
}

void TFileEcr::SearchFromEditor(int digits) {
  if (!curList_ || ViewCount() == 0) return;
  curList_->SearchLike(host_.ShownTuneText(), digits);
  SetViewMode(vmSearched);
}

}  // namespace rq
