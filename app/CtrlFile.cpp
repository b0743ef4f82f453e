#include "app/CtrlFile.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/BusyCursor.h"
#include "library/AbcFileFormat.h"
#include "midi/AbcToMidi.h"
#include "notation/AbcParser.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/FreeMemory.h"
#include "screens/EditEcr.h"

namespace rq {
namespace {

constexpr const char* kTrashHeader = "% *** Reelquill 2 trash ***";
constexpr const char* kFilerHeader = "% *** Reelquill 2 user file ***";
constexpr const char* kUntitledStem = "abcnew";

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

}  // namespace

TCtrlFile::TCtrlFile(std::string programFolder, IUserInterface& ui, ICtrlFileHost& host,
                     TAbcParser& parser, const MidiSettings& midi, QObject* parent)
    : QObject(parent),
      programFolder_(std::move(programFolder)),
      ui_(ui),
      host_(host),
      parser_(parser),
      printList_(TAbcPrint::CreateNew("printlist", &ui)),
      exportParser_(std::make_unique<TAbcParser>()),
      exportConverter_(std::make_unique<TAbcMidi>(midi)),
      midi_(midi) {}

TCtrlFile::~TCtrlFile() {
  for (TAbcFile* file : {trash_, filer_}) {
    if (!file || !file->Modified) continue;
    std::string error;
    if (!SaveControlFile(file, error, false)) ShowProblem(ControlFileTitle(file) + " could not be saved.\n" + error);
  }
}

std::string TCtrlFile::TrashPath() const { return programFolder_ + "/trash"; }
std::string TCtrlFile::FilerPath() const { return programFolder_ + "/filer"; }

// ---- the trash and the filer ------------------------------------------------

void TCtrlFile::OpenControlFiles() {
  OpenControlFile(TrashPath(), kTrashHeader, trash_, trashProblem_);
  OpenControlFile(FilerPath(), kFilerHeader, filer_, filerProblem_);
}

bool TCtrlFile::WriteMissingControlFile(const std::string& path, const std::string& header,
                                        std::string& problem) {
  // Another program on this folder may be making the file and saving its first tunes
  // there: looked for under the lock its saves take, it is never replaced. A file
  // there is read even where no lock file can be made.
  const FileLock lock(path);
  if (FileExists(path)) return true;
  if (!lock) {
    problem = lock.Error();
    return false;
  }
  // Two lines, the header and an empty one, each ended by LF as a new file's lines are.
  const FileWriteResult written = WriteFileAtomically(path, header + "\n\n");
  if (!written) problem = written.error;
  return written.ok;
}

void TCtrlFile::OpenControlFile(const std::string& path, const std::string& header, TAbcFile*& slot,
                                std::string& problem) {
  if (slot) return;
  problem.clear();
  if (FindFile(path)) {
    problem = "\"" + path + "\" is already open as a tune file";
    return;
  }
  if (!WriteMissingControlFile(path, header, problem)) return;
  std::unique_ptr<TAbcFile> file;
  try {
    BusyCursor busy;
    file = std::make_unique<TAbcFile>(path, &ui_);
  } catch (const EFileError& e) {
    problem = e.what();
    return;
  }
  // Known as a control file before anyone hears of it.
  slot = file.get();
  AddFile(std::move(file));
}

bool TCtrlFile::SaveControlFile(TAbcFile* file, std::string& error, bool announce) {
  BusyCursor busy;
  // The program's own files, which another running copy of the program may write
  // too: what it added there since is taken over, never overwritten.
  const int32_t before = file->FilterList.AllCount();
  const bool saved = file->SaveMerging(&error) >= 0;
  if (announce && file->FilterList.AllCount() != before) emit TunesChanged(file);
  return saved;
}

bool TCtrlFile::SaveControlFilesBefore(const TAbcFile* file) {
  for (TAbcFile* control : {trash_, filer_}) {
    if (!control || control == file || !control->Modified) continue;
    std::string error;
    if (SaveControlFile(control, error)) {
      emit FileSaved(control);
      continue;
    }
    const std::string text =
        ControlFileTitle(control) + " could not be saved.\n" + error + "\nSave " + file->FileName + " all the same?";
    if (ui_.MessageDlg(text, MsgDlgType::Warning, mbYes | mbNo, 0) != mrYes) return false;
  }
  return true;
}

std::string TCtrlFile::SaveControlFilesQuietly() {
  std::string problems;
  for (TAbcFile* file : {trash_, filer_}) {
    if (!file || !file->Modified) continue;
    std::string error;
    if (!SaveControlFile(file, error)) problems += ControlFileTitle(file) + " could not be saved: " + error + "\n";
    // Reported here: nobody is to be asked again on the way out.
    file->SetModified(false);
  }
  return problems;
}

std::string TCtrlFile::ControlFileTitle(const TAbcFile* file) const {
  return file == trash_ ? "The trash" : "The filer";
}

// ---- the list of files --------------------------------------------------------

std::vector<TAbcFile*> TCtrlFile::Files() const {
  std::vector<TAbcFile*> files;
  files.reserve(files_.size());
  for (TAbcFile* control : {trash_, filer_}) {
    if (control) files.push_back(control);
  }
  for (const auto& file : files_) {
    if (!IsControlFile(file.get())) files.push_back(file.get());
  }
  return files;
}

TAbcFile* TCtrlFile::FindFile(const std::string& name) const {
  const auto it = std::find_if(files_.begin(), files_.end(),
                               [&name](const auto& file) { return file->FileName == name; });
  return it == files_.end() ? nullptr : it->get();
}

std::string TCtrlFile::SamePathKey(const std::string& name) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(name, ec);
  if (ec) return name;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
  return (ec ? absolute.lexically_normal() : resolved).string();
}

TAbcFile* TCtrlFile::FindSamePath(const std::string& key) const {
  const auto it = std::find_if(files_.begin(), files_.end(), [&key](const auto& file) {
    return !file->Untitled && SamePathKey(file->FileName) == key;
  });
  return it == files_.end() ? nullptr : it->get();
}

TAbcFile* TCtrlFile::HolderOf(const std::string& name) const {
  TAbcFile* holder = FindFile(name);
  return holder ? holder : FindSamePath(SamePathKey(name));
}

bool TCtrlFile::RefuseOtherHolder(const TAbcFile* file, const std::string& name) {
  const TAbcFile* holder = HolderOf(name);
  if ((!holder || holder == file) && !reading_.contains(SamePathKey(name))) return false;
  ui_.ShowWarning(msgFileAlreadyOpen);
  return true;
}

bool TCtrlFile::IsOpen(const TAbcFile* file) const {
  return std::any_of(files_.begin(), files_.end(), [file](const auto& f) { return f.get() == file; });
}

void TCtrlFile::AddFile(std::unique_ptr<TAbcFile> file) {
  TAbcFile* added = file.get();
  files_.push_back(std::move(file));
  // During an edit the editor keeps its tune: the file waits for the edit to end.
  const bool editing = host_.EditMode();
  if (editing) {
    pendingShow_ = added;
  } else {
    emit FileShown(added);
  }
  emit FileAdded(added, !editing);
  emit WorkAreaNeeded(true);
}

// ---- opening and making files -----------------------------------------------

int32_t TCtrlFile::OpenWithDialog() {
  const std::string name = host_.AskOpenFileName();
  return name.empty() ? kCtrlRefused : OpenFile(name);
}

int32_t TCtrlFile::OpenFile(const std::string& name) {
  const std::string key = SamePathKey(name);
  if (FindFile(name) || FindSamePath(key) || reading_.contains(key)) {
    ui_.ShowWarning(msgFileAlreadyOpen);
    return kCtrlRefused;
  }
  std::unique_ptr<TAbcFile> file;
  try {
    // Reading runs pending events (the progress bar repaints): an open arriving
    // meanwhile must see this file as open already.
    reading_.insert(key);
    const auto read = qScopeGuard([this, &key] { reading_.erase(key); });
    BusyCursor busy;
    file = std::make_unique<TAbcFile>(name, &ui_);
    // Read and indexed: the window repaints before the tune shown first is drawn,
    // the other long step of an open. Still reading, so hand-overs keep waiting.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  } catch (const EFileError& e) {
    ShowProblem(e.what());
    return kCtrlRefused;
  }
  AddFile(std::move(file));
  emit RecentFile(name);
  return kCtrlOk;
}

int32_t TCtrlFile::NewFile() {
  AddFile(MakeUntitled());
  return kCtrlOk;
}

std::unique_ptr<TAbcFile> TCtrlFile::MakeUntitled() {
  ++untitledCount_;
  return TAbcFile::CreateNew(kUntitledStem + std::to_string(untitledCount_), &ui_);
}

// ---- saving -------------------------------------------------------------------

int32_t TCtrlFile::SaveFile(TAbcFile* file) {
  // A question answered Yes may come after the file was closed meanwhile.
  if (!IsOpen(file)) return kCtrlRefused;
  if (file->Untitled) return SaveFileAs(file) == 1 ? kCtrlOk : kCtrlRefused;
  if (!file->Modified) return kCtrlOk;
  if (!SaveControlFilesBefore(file) || !IsOpen(file)) return kCtrlRefused;
  std::string error;
  const int32_t result = IsControlFile(file) ? (SaveControlFile(file, error) ? kCtrlOk : -2)
                                             : WriteAsking(file, [&](bool replaceChanged) {
                                                 return file->Save(&error, replaceChanged);
                                               });
  if (result == TAbcFile::kChangedOnDisk) return kCtrlRefused;
  if (result == -2) {
    ShowProblem(error);
    return kCtrlRefused;
  }
  emit FileSaved(file);
  return kCtrlOk;
}

int32_t TCtrlFile::SaveAll() {
  // Each file on its own: one left unsaved says nothing about the others.
  int32_t result = kCtrlOk;
  for (TAbcFile* file : Files()) {
    if (SaveFile(file) != kCtrlOk) result = kCtrlRefused;
  }
  return result;
}

std::string TCtrlFile::InLibraryFolder(const std::string& name) const {
  return (std::filesystem::path(host_.LibraryFolder()) / name).string();
}

std::string TCtrlFile::ChooseSaveAsName(TAbcFile* file) {
  // An untitled name is no path: resolved, it would land wherever the program was started.
  const std::string start = file->Untitled ? InLibraryFolder(file->FileName) : file->FileName;
  std::string name = host_.AskSaveFileName(ui_.GetMessage(msgSaveFileAs), start);
  if (name.empty()) return {};
  name = WithExtension(std::move(name), ".abc");
  if (RefuseOtherHolder(file, name)) return {};
  if (HolderOf(name) != file && !MayReplace(name)) return {};
  return name;
}

std::string TCtrlFile::WithExtension(std::string name, const char* extension) {
  if (std::filesystem::path(name).extension().empty()) name += extension;
  return name;
}

int32_t TCtrlFile::WriteAsking(const TAbcFile* file, const std::function<int32_t(bool)>& write) {
  int32_t result;
  {
    BusyCursor busy;
    result = write(false);
  }
  if (result != TAbcFile::kChangedOnDisk || !MayReplaceChanged(file)) return result;
  // The question ran pending events: a file closed meanwhile is not written.
  if (!IsOpen(file)) return TAbcFile::kChangedOnDisk;
  BusyCursor busy;
  return write(true);
}

bool TCtrlFile::MayReplaceChanged(const TAbcFile* file) {
  const std::string question =
      file->FileName + " was changed by another program since it was opened. Overwrite it with the tunes here?";
  return ui_.MessageDlg(question, MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

bool TCtrlFile::MayReplace(const std::string& name) {
  // The dialogs ask nothing: only here is the final name known.
  return !FileExists(name) ||
         ui_.MessageDlg(name + " already exists. Replace it?", MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

int32_t TCtrlFile::SaveFileAs(TAbcFile* file) {
  if (!file || IsControlFile(file)) return 0;
  const std::string name = ChooseSaveAsName(file);
  if (name.empty() || !SaveControlFilesBefore(file)) return 0;
  // The dialog and the questions ran pending events: the file may have been closed,
  // or another file opened under the chosen name, meanwhile.
  if (!IsOpen(file) || RefuseOtherHolder(file, name)) return 0;
  std::string error;
  const int32_t result =
      WriteAsking(file, [&](bool replaceChanged) { return file->SaveAs(name, &error, replaceChanged); });
  if (result == TAbcFile::kChangedOnDisk) return 0;
  if (result == -2) {
    ShowProblem(error);
    return 0;
  }
  emit FileRenamed(file);
  emit FileSaved(file);
  emit RecentFile(name);
  return 1;
}

// ---- questions before closing and quitting --------------------------------------

int32_t TCtrlFile::AskYesNoAbort(const std::string& text) {
  return ui_.MessageDlg(text, MsgDlgType::Confirmation, mbYes | mbNo | mbAbort, 0);
}

int32_t TCtrlFile::QuerySave(TAbcFile* file) {
  if (!file || IsControlFile(file)) return kCtrlOk;
  if (!file->Untitled && !file->Modified) return kCtrlOk;
  const int32_t question = file->Untitled ? msgSaveNewFile : msgSaveFile;
  switch (AskYesNoAbort(ui_.GetMessage(question) + file->FileName)) {
    case mrYes: return SaveFile(file);
    case mrNo: return kCtrlOk;
    default: return kCtrlRefused;  // Abort, Escape or the close box
  }
}

int32_t TCtrlFile::QueryCloseAll() {
  // The merged file is not in the list yet: it would be lost without a question.
  if (merging_) {
    ui_.MessageDlg("A folder is being merged into a new file. Quit when it is done.", MsgDlgType::Information,
                   mbOK, 0);
    return kCtrlRefused;
  }
  if (host_.EditMode() && host_.EditModified()) {
    switch (AskYesNoAbort(ui_.GetMessage(msgEditModeSave))) {
      case mrYes:
        // A refused text keeps the program running with the edit, not lost.
        if (!host_.ValidEdit()) return kCtrlRefused;
        break;
      case mrNo: break;
      default: return kCtrlRefused;
    }
  }
  for (TAbcFile* file : Files()) {
    if (QuerySave(file) != kCtrlOk) return kCtrlRefused;
  }
  // Saved now rather than in the destructor, so the user still can say no when one fails.
  for (TAbcFile* file : {trash_, filer_}) {
    if (!file || !file->Modified) continue;
    std::string error;
    if (SaveControlFile(file, error)) {
      emit FileSaved(file);
      continue;
    }
    const std::string text = ControlFileTitle(file) + " could not be saved.\n" + error + "\nQuit all the same?";
    if (ui_.MessageDlg(text, MsgDlgType::Warning, mbYes | mbNo, 0) != mrYes) return kCtrlRefused;
    // The user lets these changes go: the destructor does not try and complain again.
    file->SetModified(false);
  }
  return kCtrlOk;
}

// ---- showing and closing ------------------------------------------------------

int32_t TCtrlFile::ShowFile(TAbcFile* file) {
  if (host_.EditMode() || !IsOpen(file)) return kCtrlRefused;
  emit FileShown(file);
  return kCtrlOk;
}

int32_t TCtrlFile::CloseFile(TAbcFile* file) {
  if (IsControlFile(file)) return kCtrlControlFile;
  if (!IsOpen(file) || QuerySave(file) != kCtrlOk) return kCtrlRefused;
  // Closed meanwhile, while the question was open: nothing is left to close.
  if (!IsOpen(file)) return kCtrlRefused;
  emit FileClosing(file);
  if (pendingShow_ == file) pendingShow_ = nullptr;
  if (dragFile_ == file) dragFile_ = nullptr;
  std::erase_if(files_, [file](const auto& f) { return f.get() == file; });
  GiveBackFreeMemory();
  if (files_.empty()) {
    emit FileShown(nullptr);
    emit WorkAreaNeeded(false);
  }
  return kCtrlOk;
}

void TCtrlFile::EditEnded() {
  TAbcFile* file = std::exchange(pendingShow_, nullptr);
  if (file) emit FileShown(file);
}

int32_t TCtrlFile::ShowTune(TAbcFile* file, int32_t row) {
  if (!file || host_.EditMode()) return kCtrlRefused;
  file->SetCurrent(row);
  TLines lines;
  if (file->CopyTuneLines(row, lines, true) != 0) return kCtrlRefused;
  return ShowLines(file, file->CurrentRec, lines, false);
}

int32_t TCtrlFile::ShowTuneRec(TAbcFile* file, TAbcRec* rec) {
  if (!file || !rec || host_.EditMode()) return kCtrlRefused;
  file->SetCurrentRec(rec);
  TLines lines;
  if (file->CopyRecLines(rec, lines, true) != 0) return kCtrlRefused;
  return ShowLines(file, rec, lines, true);
}

int32_t TCtrlFile::ShowLines(TAbcFile* file, TAbcRec* rec, const TLines& lines, bool fromSetGrid) {
  // A tune of a line of megabytes would take gigabytes and minutes to draw whole:
  // the score draws, and the player plays, its start.
  parser_.ParseBounded(lines, kShownTuneElements);
  emit TuneShown(file, rec, lines, rec->Code, fromSetGrid);
  return kCtrlOk;
}

void TCtrlFile::SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) {
  if (file) file->SetViewMode(mode, filterOn);
}

void TCtrlFile::ShowNoTune(TAbcFile* file) {
  if (host_.EditMode()) return;
  parser_.Parse(TLines());
  emit TuneShown(file, nullptr, TLines(), 0, false);
}

int32_t TCtrlFile::StoreEdit(TAbcFile* file, int32_t mode, const TLines& lines) {
  if (!IsOpen(file) || std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return IsTuneStart(l); })) {
    return kCtrlRefused;
  }
  if (mode == kEditNewTune) {
    const int32_t before = file->FilterList.AllCount();
    file->AddTunes(lines, true, 0);
    file->SetCurrentRec(file->FindBySeq(before + 1));
  } else if (!file->CurrentRec || file->ReplaceCurrent(lines) != 0) {
    return kCtrlRefused;
  }
  if (const int32_t row = file->FilterList.RowOf(file->CurrentRec); row >= 0) file->SetRow(row);
  emit TunesChanged(file);
  return kCtrlOk;
}

void TCtrlFile::ShowProblem(const std::string& reason) {
  ui_.MessageDlg(reason, MsgDlgType::Error, mbOK, 0);
}

}  // namespace rq
