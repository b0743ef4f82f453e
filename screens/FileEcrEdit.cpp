// The browser's tune commands: editing the tune shown or a new one, the clipboard,
// the trash, the print list and printing.
#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

#include "library/AbcFileFormat.h"
#include "library/FileAbc.h"
#include "screens/FileEcr.h"
#include "screens/MirrorList.h"

namespace rq {
namespace {

constexpr const char* kNoTuneInText =
    "The text holds no tune: a tune begins with a line \"X:\" (in column 1 or 2). Add one, or Cancel.";
constexpr const char* kTextBeforeTune =
    "The text above the first \"X:\" line belongs to no tune and would join another tune of the file. "
    "Move it below that line, or delete it.";
constexpr const char* kNoTuneOnClipboard =
    "The clipboard holds no tune: a tune begins with a line \"X:\" (in column 1 or 2).";

bool IsBlank(const std::string& line) { return TrimBlanks(line).empty(); }

}  // namespace

void TFileEcr::SetEditor(TEditEcr* editor) {
  editor_ = editor;
  if (!editor) return;
  editor->SetTarget(this);
  editor->SetCopyTuneAction(actions_.copyTune);
}

TAbcRec* TFileEcr::ShownTune() const { return curList_ ? curList_->CurrentRec : nullptr; }

// ---- editing ----------------------------------------------------------------------

void TFileEcr::LockForEdit(bool editing) {
  editing_ = editing;
  for (QWidget* panel : {panList_.data(), panToolList_.data(), panSet_.data(), panFilter_.data(),
                         static_cast<QWidget*>(gridList2_)}) {
    if (panel) panel->setEnabled(!editing);
  }
  if (panList_) panList_->setVisible(!editing);
  if (!editing) return;
  // Neither may change the view under the edit.
  if (filterWindow_) filterWindow_->hide();
  if (searchDialog_) searchDialog_->hide();
}

// An edit needs a tune to store into: with none shown (a set's name selected) the
// typed work would be lost at Ok.
void TFileEcr::EditTune() {
  if (!editor_ || editing_ || !ShownTune() || host_.IsTrash(curList_)) return;
  // Ok would store the cut text the editor shows in place of the tune.
  if (!editor_->WhyNotEditable().isEmpty()) {
    host_.ShowMessage(editor_->WhyNotEditable().toStdString());
    return;
  }
  LockForEdit(true);
  if (player_) {
    player_->StopPlay(1);
    player_->PrepareTune();
  }
  host_.EnterEditMode();
  editor_->StartEdit(kEditCurrentTune, FileEncoding(curList_->Lines));
}

void TFileEcr::ACTNewTune() {
  if (!editor_ || editing_ || !curList_ || host_.IsTrash(curList_)) return;
  LockForEdit(true);
  host_.EnterEditMode();
  editor_->StartEdit(kEditNewTune, FileEncoding(curList_->Lines), curList_->NextTuneNumber());
}

bool TFileEcr::EndEdit(int mode) {
  if (!editing_) return true;
  TLines lines = editor_ ? editor_->Lines() : TLines();
  const auto start = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return IsTuneStart(l); });
  if (curList_ && start == lines.end()) {
    host_.ShowMessage(kNoTuneInText);
    return false;
  }
  if (curList_ && !std::all_of(lines.begin(), start, IsBlank)) {
    host_.ShowMessage(kTextBeforeTune);
    return false;
  }
  lines.erase(lines.begin(), start);
  host_.LeaveEditMode();
  LockForEdit(false);
  if (curList_) {
    selChanged_ = true;
    // The file's refresh shows the stored tune; a refused store shows the old one again.
    if (host_.StoreEdit(curList_, mode, lines) != 0) ShowCurrentTune();
    RepaintLists();
  }
  host_.EditEnded();
  return true;
}

void TFileEcr::CancelEdit() {
  if (!editing_) return;
  host_.LeaveEditMode();
  LockForEdit(false);
  if (curList_) ShowCurrentTune();
  host_.EditEnded();
}

// A tune a set entry showed is shown again even when the view does not hold it.
void TFileEcr::ShowCurrentTune() {
  TAbcRec* rec = ShownTune();
  const int32_t row = curList_->FilterList.RowOf(rec);
  if (row >= 0) curList_->SetRow(row);
  if (row >= 0 || !rec) {
    RefreshView();
    return;
  }
  UpdateView();
  host_.ShowTuneRec(curList_, rec);
}

// ---- the trash, the clipboard and printing ----------------------------------------

void TFileEcr::ACTDelTune() {
  TAbcRec* rec = ShownTune();
  if (!rec) return;
  selChanged_ = true;
  host_.TuneRecToTrash(curList_, rec);
}

// The editor's text, so a tune being edited (a new one too) is copied as edited. On
// the clipboard every line ends with a line break, as in a text file: pasted back,
// the text gives the same lines, the blank line that closes a tune included.
void TFileEcr::ACTCopyTune() {
  if (!curList_ || !editor_ || curList_->GetRow() < 0) return;
  const QString text = editor_->Text();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text + '\n');
}

void TFileEcr::ACTCutTune() {
  TAbcRec* rec = ShownTune();
  if (!rec || !editor_) return;
  ACTCopyTune();
  selChanged_ = true;
  host_.TuneRecToTrash(curList_, rec);
}

// Pasted tunes take the file's encoding; nothing is added, and the file stays as it
// was, when the clipboard holds no tune.
void TFileEcr::ACTPasteTune() {
  if (!curList_ || host_.IsTrash(curList_) || curList_->GetRow() < 0) return;
  const TLines lines = PastedTunes(QGuiApplication::clipboard()->text(), FileEncoding(curList_->Lines));
  if (lines.empty()) {
    host_.ShowMessage(kNoTuneOnClipboard);
    return;
  }
  selChanged_ = true;
  host_.PasteTunes(curList_, lines);
}

// The file is taken before the question: the answer acts on it even when another
// file is shown by then.
void TFileEcr::DeleteAllTunes() {
  if (ViewCount() == 0 || !host_.SendViewToTrash(curList_)) return;
  selChanged_ = true;
  RepaintLists();
}

// Each tune decoded by its own bytes: a file may hold tunes of both encodings. Every
// line ends with a line break, as for one tune.
void TFileEcr::CopyAllTunes() {
  const int32_t count = ViewCount();
  if (count == 0) return;
  QStringList tunes;
  TLines lines;
  for (int32_t row = 0; row < count; ++row) {
    curList_->CopyTuneLines(row, lines, true);
    tunes << DecodeTune(lines) + '\n';
  }
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(tunes.join(QString()));
}

void TFileEcr::AddToPrintList() {
  if (TAbcRec* rec = ShownTune()) host_.AddToPrintList(curList_, rec);
}

void TFileEcr::PrintOneTune() {
  if (TAbcRec* rec = ShownTune()) host_.PrintTune(curList_, rec);
}

}  // namespace rq
