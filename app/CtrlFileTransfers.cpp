// The open-files controller's transfers: tunes to the trash, dragged onto other
// files, the trash emptied, files made from the clipboard or a folder, the print
// list, and tunes and sets written as Standard MIDI Files.
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <unordered_set>

#include "app/BusyCursor.h"
#include "app/CtrlFile.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"
#include "notation/AbcParser.h"
#include "platform/FileRead.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The line that closes each copy of a tune in a set's text.
constexpr const char* kSetTuneEnd = "  ||";

// The lines of a tune file, without a UTF-8 byte-order mark; false with the reason
// when it cannot be read (a pipe is refused, not waited on) or is no 8-bit text.
bool ReadTuneFile(const fs::path& path, TLines& lines, std::string& error) {
  const FileReadResult read = ReadTextFile(path.string());
  if (read.status == FileReadStatus::Missing) {
    error = "Cannot read \"" + path.string() + "\": no such file";
    return false;
  }
  if (read.status != FileReadStatus::Read) {
    error = read.error;
    return false;
  }
  std::string_view text = read.bytes;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  lines = SplitLines(text);
  return true;
}

// The ".abc" files of a folder as its file search finds them: not folders, not hidden
// (a leading "."), the extension in any case; sorted by name, letters without case.
bool ListTuneFiles(const fs::path& folder, std::vector<fs::path>& files, std::string& error) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    std::error_code typeError;
    if (name.starts_with('.') || entry.is_directory(typeError)) continue;
    if (!EqualsIgnoreCaseAscii(entry.path().extension().string(), ".abc")) continue;
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    const std::string na = a.filename().string();
    const std::string nb = b.filename().string();
    const std::string la = ToLowerAscii(na);
    const std::string lb = ToLowerAscii(nb);
    return la != lb ? la < lb : na < nb;
  });
  return true;
}

// While a folder merge runs.
class MergeRunning {
 public:
  explicit MergeRunning(bool& flag) : flag_(flag) { flag_ = true; }
  ~MergeRunning() { flag_ = false; }
  MergeRunning(const MergeRunning&) = delete;
  MergeRunning& operator=(const MergeRunning&) = delete;

 private:
  bool& flag_;
};

}  // namespace

// ---- the trash ----------------------------------------------------------------

bool TCtrlFile::RefuseWithoutTrash() {
  if (trash_) return false;
  ui_.MessageDlg("The trash is not available, so no tune can be moved there: " + trashProblem_,
                 MsgDlgType::Warning, mbOK, 0);
  return true;
}

void TCtrlFile::AddTunesTo(TAbcFile* file, const TLines& lines) {
  file->AddTunes(lines, true, 0);
  if (file == printList_.get()) {
    emit PrintListChanged();
  } else {
    emit TunesChanged(file);
  }
}

TLines TCtrlFile::ViewLines(const TAbcFile* file) const {
  TLines lines;
  for (int32_t row = 0; row < file->FilterList.Count(); ++row) file->CopyTuneLines(row, lines, false);
  return lines;
}

std::vector<TAbcRec*> TCtrlFile::ViewRecs(const TAbcFile* file) {
  std::vector<TAbcRec*> view;
  view.reserve(static_cast<size_t>(file->FilterList.Count()));
  for (int32_t row = 0; row < file->FilterList.Count(); ++row) view.push_back(file->FilterList.Items(row));
  return view;
}

std::vector<TAbcRec*> TCtrlFile::StillHeld(const TAbcFile* file, const std::vector<TAbcRec*>& recs) {
  // Compared, never read: a record deleted meanwhile is freed.
  const std::unordered_set<const TAbcRec*> own(file->FilterList.All.begin(), file->FilterList.All.end());
  std::vector<TAbcRec*> held;
  held.reserve(recs.size());
  std::copy_if(recs.begin(), recs.end(), std::back_inserter(held), [&own](TAbcRec* rec) { return own.contains(rec); });
  return held;
}

void TCtrlFile::RecsToTrash(TAbcFile* file, const std::vector<TAbcRec*>& recs, bool copy) {
  if (copy && !IsTrash(file)) {
    TLines lines;
    for (const TAbcRec* rec : recs) file->CopyRecLines(rec, lines, false);
    AddTunesTo(trash_, lines);
  }
  file->DeleteTunes(recs);
  emit TunesChanged(file);
}

void TCtrlFile::EmptyFile(TAbcFile* file) {
  file->ClearRecs();
  file->Lines.clear();
  // Sets and sessions go whole: an empty set would still write its line.
  file->Sets = TLstSet();
  file->Sessions = TLstSession();
  file->SetViewMode(-1, file->FilterOn);
  file->SetModified(true);
}

int32_t TCtrlFile::TuneToTrash(TAbcFile* file, int32_t row) {
  return IsOpen(file) ? TuneRecToTrash(file, file->GetRec(row)) : kCtrlRefused;
}

int32_t TCtrlFile::TuneRecToTrash(TAbcFile* file, TAbcRec* rec) {
  if (!IsOpen(file) || !file->HasRecord(rec)) return kCtrlRefused;
  if (!IsTrash(file)) {
    if (RefuseWithoutTrash()) return kCtrlRefused;
    TLines lines;
    file->CopyRecLines(rec, lines, true);
    AddTunesTo(trash_, lines);
  }
  file->DeleteTuneRec(rec);
  emit TunesChanged(file);
  return kCtrlOk;
}

bool TCtrlFile::AskViewToTrash(TAbcFile* file) {
  if (!IsOpen(file) || (!IsTrash(file) && RefuseWithoutTrash())) return false;
  // The tunes asked about are taken now: the question runs pending events, and
  // nothing that happens meanwhile may change which file and tunes the answer moves.
  const std::vector<TAbcRec*> asked = ViewRecs(file);
  if (asked.empty()) return false;
  const std::string question = ui_.Messages().GetMessage(msgSendToTrash, static_cast<int32_t>(asked.size()));
  if (ui_.MessageDlg(question, MsgDlgType::Confirmation, mbYes | mbNo, 0) != mrYes || !IsOpen(file)) return false;
  const std::vector<TAbcRec*> held = StillHeld(file, asked);
  if (held.empty()) return false;
  RecsToTrash(file, held, true);
  return true;
}

int32_t TCtrlFile::PasteTunes(TAbcFile* file, const TLines& lines) {
  if (!IsOpen(file) || lines.empty()) return kCtrlRefused;
  AddTunesTo(file, lines);
  return kCtrlOk;
}

int32_t TCtrlFile::ViewToTrash(TAbcFile* file, bool copy) {
  if (!IsOpen(file)) return kCtrlRefused;
  if (copy && !IsTrash(file) && RefuseWithoutTrash()) return kCtrlRefused;
  RecsToTrash(file, ViewRecs(file), copy);
  return kCtrlOk;
}

int32_t TCtrlFile::EmptyTrash() {
  if (RefuseWithoutTrash()) return kCtrlRefused;
  if (ui_.MessageDlg(ui_.GetMessage(msgEmptyTrash), MsgDlgType::Confirmation, mbYes | mbNo, 0) != mrYes) {
    return kCtrlRefused;
  }
  EmptyFile(trash_);
  emit TunesChanged(trash_);
  return kCtrlOk;
}

// ---- dragging tunes onto files ------------------------------------------------

void TCtrlFile::BeginDrag(TAbcFile* file, int32_t kind, int32_t mode, int32_t row) {
  dragFile_ = IsOpen(file) ? file : nullptr;
  dragKind_ = kind;
  dragMode_ = mode;
  dragRow_ = row;
}

void TCtrlFile::CancelDrag() { dragFile_ = nullptr; }

void TCtrlFile::DropOnFile(TAbcFile* target) {
  TAbcFile* source = std::exchange(dragFile_, nullptr);
  const bool knownTarget = IsOpen(target) || (target && target == printList_.get());
  if (!source || !knownTarget || source == target) return;
  if (dragMode_ == kDragModeTune) {
    TLines lines;
    if (source->CopyTuneLines(dragRow_, lines, true) == 0) AddTunesTo(target, lines);
    return;
  }
  if (dragMode_ < 1 || dragMode_ > 3) return;
  // A view is copied onto an ordinary file, and moved into the trash when the user agrees.
  if (!IsTrash(target)) {
    AddTunesTo(target, ViewLines(source));
    return;
  }
  AskViewToTrash(source);
}

// ---- new files from the clipboard and from a folder ---------------------------

int32_t TCtrlFile::NewFromClipboard() {
  std::unique_ptr<TAbcFile> file = MakeUntitled();
  const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
  {
    BusyCursor busy;
    file->PasteFromClipboard(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  }
  AddFile(std::move(file));
  return kCtrlOk;
}

int32_t TCtrlFile::MergeDirectory(const std::string& folder) {
  if (merging_) {
    ui_.MessageDlg("A folder is being merged already.", MsgDlgType::Information, mbOK, 0);
    return kCtrlRefused;
  }
  const MergeRunning running(merging_);
  std::vector<fs::path> paths;
  std::string error;
  if (!ListTuneFiles(folder, paths, error)) {
    ShowProblem("Cannot read the folder \"" + folder + "\": " + error);
    return kCtrlRefused;
  }
  // The file joins the open files only when it is whole: nobody can close it meanwhile.
  std::unique_ptr<TAbcFile> merged = MakeUntitled();
  // Sorted once at the end, not after every file.
  merged->BeginUpdate();
  std::string skipped;
  for (const fs::path& path : paths) {
    emit StatusText("  >>> " + path.filename().string());
    TLines lines;
    if (ReadTuneFile(path, lines, error)) {
      merged->AddTunes(lines, true, 0);
    } else {
      skipped += "\n" + error;
    }
    QCoreApplication::processEvents();
  }
  merged->EndUpdate();
  AddFile(std::move(merged));
  emit StatusText("  ");
  if (!skipped.empty()) {
    ui_.MessageDlg("These files could not be read and were left out:" + skipped, MsgDlgType::Warning, mbOK, 0);
  }
  return kCtrlOk;
}

// ---- the print list -------------------------------------------------------------

void TCtrlFile::AddToPrintList(TAbcFile* file, int32_t row) {
  if (file) AddRecToPrintList(file, file->GetRec(row));
}

void TCtrlFile::AddRecToPrintList(TAbcFile* file, const TAbcRec* rec) {
  TLines lines;
  if (!file || file->CopyRecLines(rec, lines, true) != 0) return;
  AddTunesTo(printList_.get(), lines);
}

void TCtrlFile::ClearPrintList() {
  EmptyFile(printList_.get());
  emit PrintListChanged();
}

void TCtrlFile::PrintTune(TAbcFile* file, int32_t row) {
  if (file) PrintTuneRec(file, file->GetRec(row));
}

void TCtrlFile::PrintTuneRec(TAbcFile* file, const TAbcRec* rec) {
  // The tune is taken before the dialog: what happens while it is open does not
  // change what is printed.
  TLines lines;
  if (!printer_ || !IsOpen(file) || file->CopyRecLines(rec, lines, true) != 0) return;
  if (printer_->ExecPrintDialog()) printer_->PrintTune(lines);
}

void TCtrlFile::PrintAll(bool all) {
  if (printer_ && printer_->ExecPrintDialog()) printer_->PrintTunes(*printList_, all);
}

void TCtrlFile::PreviewPrintList(bool all) {
  if (printer_) printer_->PreviewTunes(*printList_, all);
}

// ---- MIDI export ----------------------------------------------------------------

int32_t TCtrlFile::MeterDenCode(int32_t denominator) {
  switch (denominator) {
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    case 32: return 5;
    default: return 2;
  }
}

TLines TCtrlFile::SetExportText(const TAbcFile& file, int32_t set) {
  TLines text;
  for (int32_t e = 0; e < file.Sets.TuneCount(set); ++e) {
    const TAbcRec* rec = file.Sets.GetTune(set, e);
    if (!rec) continue;
    const int32_t copies = std::max(1, file.Sets.GetRepeat(set, e));
    for (int32_t c = 0; c < copies; ++c) {
      file.CopyRecMusic(rec, text);
      text.emplace_back(kSetTuneEnd);
    }
  }
  return text;
}

int32_t TCtrlFile::ExportTuneMidi(TAbcFile* file) {
  if (!IsOpen(file) || !file->CurrentRec) return kCtrlRefused;
  TLines lines;
  if (file->CopyRecLines(file->CurrentRec, lines, true) != 0) return kCtrlRefused;
  // The tune on screen, read now: not whatever a preview or a set left in a parser.
  exportParser_->Parse(lines);
  return ExportParsedMidi(exportParser_->Title());
}

int32_t TCtrlFile::ExportSetMidi(TAbcFile* file) {
  if (!IsOpen(file)) return kCtrlRefused;
  const int32_t set = file->Sets.CurrentSet;
  if (set < 0 || set >= file->Sets.Count()) return kCtrlRefused;
  exportParser_->Parse(SetExportText(*file, set));
  return ExportParsedMidi(file->Sets.GetName(set));
}

int32_t TCtrlFile::ExportParsedMidi(std::string name) {
  CheckNameChars(name, true);
  std::string path = host_.AskMidiFileName(ui_.GetMessage(msgSaveFileAs), InLibraryFolder(name + ".mid"));
  if (path.empty()) return kCtrlOk;
  path = WithExtension(std::move(path), ".mid");
  if (!MayReplace(path)) return kCtrlOk;
  FileWriteResult written;
  {
    BusyCursor busy;
    TMidiContainer container;
    exportConverter_->Convert(exportParser_->Elements(), &container);
    container.SetTempo(host_.PlayerTempo());
    container.SetMeter(exportParser_->MeterNum(), MeterDenCode(exportParser_->MeterDen()));
    TMIDI_Out_Stream writer(midi_);
    writer.WriteContainer(container);
    written = writer.SaveToFile(path);
  }
  if (!written) {
    ShowProblem("The MIDI file could not be written.\n" + written.error);
    return kCtrlRefused;
  }
  return kCtrlOk;
}

}  // namespace rq
