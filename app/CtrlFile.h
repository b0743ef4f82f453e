// The open-files controller: every open ABC file with the trash and the filer kept
// open, the print list, and opening, making, saving, closing and the questions
// asked before a file closes or the program quits; tunes moved between files and
// out of the program (CtrlFileTransfers.cpp).
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "library/FileAbc.h"
#include "library/UserInterface.h"
#include "platform/ByteText.h"
#include "screens/OpenFiles.h"

namespace rq {

class TAbcMidi;
class TAbcParser;
struct MidiSettings;

// What the controller needs from the screens and the user beyond messages: the
// file dialogs, the state of the editor and the player's tempo.
class ICtrlFileHost {
 public:
  virtual ~ICtrlFileHost() = default;
  // The shared open dialog; an empty string when the user cancels.
  virtual std::string AskOpenFileName() = 0;
  // The folder where files without a folder of their own are offered for saving:
  // the library folder of the settings.
  virtual std::string LibraryFolder() const = 0;
  // The shared save dialog with this title, starting at the path `name` (its folder
  // and file name); it asks nothing about an existing file (the controller does,
  // once the extension is settled). An empty string when the user cancels.
  virtual std::string AskSaveFileName(const std::string& title, const std::string& name) = 0;
  // A tune is being edited (tune-edit mode is on).
  virtual bool EditMode() const = 0;
  // The edited text differs from the tune the editor was given.
  virtual bool EditModified() const = 0;
  // The editor's Ok: stores the edited tune into its file and ends the edit; false
  // when the text was refused and the edit goes on.
  virtual bool ValidEdit() = 0;
  // The save dialog for MIDI files, as AskSaveFileName (it asks nothing either).
  virtual std::string AskMidiFileName(const std::string& title, const std::string& name) = 0;
  // The player's tempo in quarter notes per minute, which exported files take.
  virtual int PlayerTempo() const = 0;
};

// The print screen: printing and previewing tunes.
class ITunePrinter {
 public:
  virtual ~ITunePrinter() = default;
  // The print dialog; false when the user cancels it.
  virtual bool ExecPrintDialog() = 0;
  virtual void PrintTune(const TLines& lines) = 0;
  // The print list's tunes, or only its ticked ones when `all` is false.
  virtual void PrintTunes(TAbcPrint& list, bool all) = 0;
  virtual void PreviewTunes(TAbcPrint& list, bool all) = 0;
};

// What is dragged from a file: one tune of the list, or the whole view.
inline constexpr int32_t kDragKindTune = 0;
inline constexpr int32_t kDragKindView = 1;
inline constexpr int32_t kDragModeTune = -1;
inline constexpr int32_t kDragModeView = 1;

// Results of the controller's operations.
inline constexpr int32_t kCtrlOk = 0;
inline constexpr int32_t kCtrlRefused = -1;  // refused, cancelled or failed
inline constexpr int32_t kCtrlControlFile = -2;

// The most elements of a tune that are parsed to show it (some thousands of bars).
inline constexpr size_t kShownTuneElements = 20000;

class TCtrlFile : public QObject, public IOpenFiles {
  Q_OBJECT

 public:
  // The trash and the filer are the files "trash" and "filer" of `programFolder`.
  // `parser` is the shared one that holds the tune shown; `midi` are the settings
  // the MIDI export converts and writes with.
  TCtrlFile(std::string programFolder, IUserInterface& ui, ICtrlFileHost& host, TAbcParser& parser,
            const MidiSettings& midi, QObject* parent = nullptr);
  // Saves the trash and the filer when they changed since their last save (a failure
  // is shown), then frees every file and the print list. User files are not saved:
  // QueryCloseAll asked about them before.
  ~TCtrlFile() override;

  // Writes the trash and the filer with their header line and an empty line when
  // they are missing, then opens them. One that cannot be written or read stays
  // unavailable with its reason; the program goes on without it.
  void OpenControlFiles() override;

  // The trash and the filer; null when unavailable.
  TAbcFile* Trash() const { return trash_; }
  TAbcFile* Filer() const { return filer_; }
  // Why the trash or the filer is unavailable (empty when it is open).
  const std::string& TrashProblem() const { return trashProblem_; }
  const std::string& FilerProblem() const { return filerProblem_; }
  bool IsControlFile(const TAbcFile* file) const { return file && (file == trash_ || file == filer_); }
  bool IsTrash(const TAbcFile* file) const override { return file && file == trash_; }
  bool IsFiler(const TAbcFile* file) const override { return file && file == filer_; }
  std::string TrashPath() const;
  std::string FilerPath() const;

  // The open files: the trash and the filer first when they are open, then the user's
  // files in the order they were opened or made.
  std::vector<TAbcFile*> Files() const;
  TAbcFile* FindFile(const std::string& name) const;
  // The open file of that name, exactly or under another spelling of its path.
  TAbcFile* HolderOf(const std::string& name) const;
  TAbcPrint* PrintList() const { return printList_.get(); }
  int32_t UntitledCount() const { return untitledCount_; }

  // Shows the open dialog and opens the chosen file.
  int32_t OpenWithDialog();
  // Opens a file and shows it: kCtrlRefused when it is already open or being read
  // (message 0; one file under two spellings of its path counts once) or cannot be
  // read (the reason is shown). During an edit the file gets its tab and is shown
  // only when the edit ends.
  int32_t OpenFile(const std::string& name);
  // A file is being read or a folder merged: the window runs pending events meanwhile,
  // so what arrives from outside (files handed over by later starts) waits for the end.
  bool Busy() const { return merging_ || !reading_.empty(); }
  // A new untitled file "abcnew" + n, n never reused in a run.
  int32_t NewFile();
  // Saves a modified titled file; an untitled one goes to SaveFileAs. A failed write
  // shows its reason and returns kCtrlRefused; the file stays modified. The trash and
  // the filer are saved first, so that a tune deleted from the file is on disk in the
  // trash before the file is written without it (a failure asks whether to go on). A
  // file another program changed since it was read is replaced only when the user
  // agrees; else kCtrlRefused, and the file keeps its changes here. The trash and the
  // filer ask nothing: the tunes another program added to them are taken over.
  int32_t SaveFile(TAbcFile* file) override;
  // SaveFile for every open file, in list order. A file not saved (a name dialog
  // cancelled, a write that failed and said why) does not keep the later ones from
  // being saved; kCtrlRefused when any was not.
  int32_t SaveAll();
  // Asks a new name, the dialog starting at the file itself or, for an untitled file,
  // in the library folder with its name (".abc" added when it has none; an existing
  // file is replaced only when the user agrees; another open file's name is refused
  // with message 0), writes the file there, and only then renames it. 1 when saved
  // under the new name.
  int32_t SaveFileAs(TAbcFile* file) override;
  // Asks whether to save a changed or untitled user file: kCtrlOk to go on, kCtrlRefused
  // when the user aborts or the save did not happen.
  int32_t QuerySave(TAbcFile* file);
  // Before quitting: the edit in progress, every user file, then the trash and the
  // filer saved each on its own (a failure asks whether to quit all the same).
  // kCtrlOk when the program may quit.
  int32_t QueryCloseAll();
  // For an end without questions: saves the trash and the filer when they changed and
  // returns the reasons of failures, a line each (empty when all were written). Both
  // count as saved afterwards, so nothing asks about them on the way out.
  std::string SaveControlFilesQuietly();
  // Shows a file in the browser (ignored during an edit).
  int32_t ShowFile(TAbcFile* file) override;
  // Closes a user file after asking about its changes: kCtrlOk, kCtrlRefused or
  // kCtrlControlFile. Every holder is told (FileClosing) before the file is freed.
  int32_t CloseFile(TAbcFile* file) override;
  // Shows the tune at a view row, or a record of the file: the editor's text and code,
  // then the tune parsed by the shared parser for the score.
  int32_t ShowTune(TAbcFile* file, int32_t row);
  int32_t ShowTuneRec(TAbcFile* file, TAbcRec* rec);
  void SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn);
  // No tune shown: the editor and the score are emptied (the file's shown tune is gone).
  void ShowNoTune(TAbcFile* file);

  // The editor calls this after Ok or Cancel: a file that arrived during the edit is shown now.
  void EditEnded();
  // Stores the text of an edit: mode kEditNewTune adds its tunes as new; mode
  // kEditCurrentTune replaces the current tune, which goes to the end of the file
  // keeping its marks, sets and sessions. The stored tune becomes current and, when
  // the view holds it, the view's row. kCtrlRefused without a current tune to
  // replace or when the text holds no tune start.
  int32_t StoreEdit(TAbcFile* file, int32_t mode, const TLines& lines);
  // Adds pasted tunes (already in the file's encoding) to the file as new tunes.
  int32_t PasteTunes(TAbcFile* file, const TLines& lines);

  // ---- transfers: tunes travel as text, a move is a copy and a deletion ----------

  // A tune of a file goes to the end of the trash, flagged as added; a tune of the
  // trash is deleted for good. Refused with the reason when there is no trash.
  int32_t TuneToTrash(TAbcFile* file, int32_t row);
  // The same for a record of the file, whatever the view (the tune shown).
  int32_t TuneRecToTrash(TAbcFile* file, TAbcRec* rec);
  // Every tune of the file's view leaves it: into the trash when `copy` is set and
  // the file is not the trash itself, else for good.
  int32_t ViewToTrash(TAbcFile* file, bool copy);
  // "Send %d tunes to trash ?" about the tunes of the file's view; on Yes those tunes
  // leave that file as ViewToTrash(file, true) does, whatever was opened or shown
  // while the question was open (a file closed meanwhile is left alone, tunes deleted
  // meanwhile are skipped). True when tunes were sent.
  bool AskViewToTrash(TAbcFile* file);

  // A drag of tunes: from the tune list (kind 0, mode -1, its row) or the tune counter
  // (kind 1, mode 1, row 0). The drag ends with DropOnFile or CancelDrag.
  void BeginDrag(TAbcFile* file, int32_t kind, int32_t mode, int32_t row);
  TAbcFile* DragFile() const override { return dragFile_; }
  int32_t DragKind() const { return dragKind_; }
  int32_t DragMode() const { return dragMode_; }
  int32_t DragRow() const { return dragRow_; }
  // Copies the dragged tunes to the target; a view dropped on the trash moves there
  // when the user agrees ("Send %d tunes to trash ?"). A drop on its own file does nothing.
  void DropOnFile(TAbcFile* target) override;
  void CancelDrag();

  // Asks "Delete all tunes in trash file ?"; Yes leaves the trash without a line.
  int32_t EmptyTrash();
  // A new untitled file holding the clipboard's tunes.
  int32_t NewFromClipboard();
  // A new untitled file holding the tunes of every ".abc" file of the folder, in name
  // order. Files that cannot be read are skipped and named at the end. Pending events
  // run between files; a second merge is refused while one runs.
  int32_t MergeDirectory(const std::string& folder);
  bool Merging() const { return merging_; }

  // The print list: tunes added in order, marked; emptied; printed and previewed by
  // the print screen (nothing happens without one).
  void AddToPrintList(TAbcFile* file, int32_t row);
  void AddRecToPrintList(TAbcFile* file, const TAbcRec* rec);
  void ClearPrintList();
  void SetPrinter(ITunePrinter* printer) { printer_ = printer; }
  void PrintTune(TAbcFile* file, int32_t row);
  void PrintTuneRec(TAbcFile* file, const TAbcRec* rec);
  void PrintAll(bool all);
  void PreviewPrintList(bool all);

  // The current tune of the shown file as a Standard MIDI File, named after its
  // title and offered in the library folder: kCtrlRefused when no tune is shown or
  // the write failed (the reason is shown).
  int32_t ExportTuneMidi(TAbcFile* file);
  // The file's current set, each entry its repeat count times (at least once), each
  // copy followed by "  ||": kCtrlRefused when there is no current set.
  int32_t ExportSetMidi(TAbcFile* file);
  // The text a set is exported from.
  static TLines SetExportText(const TAbcFile& file, int32_t set);
  // The power of two of a meter denominator as a MIDI file stores it; 2 for a value
  // that is not 2, 4, 8, 16 or 32.
  static int32_t MeterDenCode(int32_t denominator);

 signals:
  // The browser shows this file (null: none).
  void FileShown(rq::TAbcFile* file);
  // A file was opened or made: it gets a tab; `select` is false when it arrived during an edit.
  void FileAdded(rq::TAbcFile* file, bool select);
  // The file's name changed (save as).
  void FileRenamed(rq::TAbcFile* file);
  // The file was saved: the modified lamp goes out.
  void FileSaved(rq::TAbcFile* file);
  // The file is about to be freed: every holder lets go of it and its records.
  void FileClosing(rq::TAbcFile* file);
  // The work area is needed (a file is open) or not (none is).
  void WorkAreaNeeded(bool shown);
  // The name goes first in the recent-files list.
  void RecentFile(const std::string& name);
  // A tune is shown: its text and code for the editor (`fromSetGrid` keeps the editor's
  // log), and the shared parser now holds its elements for the score.
  void TuneShown(rq::TAbcFile* file, rq::TAbcRec* rec, const rq::TLines& lines, uint32_t code, bool fromSetGrid);
  // Tunes were added to the file or deleted from it: the browser shows its view again.
  void TunesChanged(rq::TAbcFile* file);
  // The print list changed.
  void PrintListChanged();
  // A line for the status bar's second panel (the folder merge names each file).
  void StatusText(const std::string& text);

 private:
  // Takes the file into the list, gives it a tab and shows it (later, during an edit).
  void AddFile(std::unique_ptr<TAbcFile> file);
  // An empty untitled file "abcnew" + n, n never reused in a run.
  std::unique_ptr<TAbcFile> MakeUntitled();
  bool IsOpen(const TAbcFile* file) const;
  // A path as open files are compared: absolute, without "." and "..", symbolic links
  // resolved where the path exists.
  static std::string SamePathKey(const std::string& name);
  // The titled open file whose path leads where `key` does.
  TAbcFile* FindSamePath(const std::string& key) const;
  // Another open file, or one being read, has the name: message 0, true.
  bool RefuseOtherHolder(const TAbcFile* file, const std::string& name);
  bool WriteMissingControlFile(const std::string& path, const std::string& header, std::string& problem);
  // Opens a control file into `slot`, or leaves `slot` null and says why in `problem`.
  void OpenControlFile(const std::string& path, const std::string& header, TAbcFile*& slot,
                       std::string& problem);
  // Saves the trash or the filer, taking over the tunes another program added to it
  // on disk; `announce` tells who shows it when tunes came in that way.
  bool SaveControlFile(TAbcFile* file, std::string& error, bool announce = true);
  // Saves the trash and the filer, when changed, before another file is written; a
  // failure asks whether to save `file` all the same. False: do not write `file`.
  bool SaveControlFilesBefore(const TAbcFile* file);
  // Asks whether to replace a file another program changed since it was read.
  // Runs write(false) and, when the file changed on disk and the user agrees, write(true):
  // the last result (kChangedOnDisk when the user declined).
  int32_t WriteAsking(const TAbcFile* file, const std::function<int32_t(bool)>& write);
  bool MayReplaceChanged(const TAbcFile* file);
  std::string ControlFileTitle(const TAbcFile* file) const;
  // The path of `name` in the library folder: where the save dialogs start for a
  // file that has no folder yet.
  std::string InLibraryFolder(const std::string& name) const;
  // Asks the save-as name and settles it: ".abc" added, another open file's name
  // refused, an existing file replaced only when the user agrees. Empty: no name.
  std::string ChooseSaveAsName(TAbcFile* file);
  int32_t AskYesNoAbort(const std::string& text);
  void ShowProblem(const std::string& reason);
  int32_t ShowLines(TAbcFile* file, TAbcRec* rec, const TLines& lines, bool fromSetGrid);
  // Asks a MIDI file name, proposing `name` made a file name, and writes what the
  // export parser holds.
  int32_t ExportParsedMidi(std::string name);
  // The extension (".abc") added to a name that has none.
  static std::string WithExtension(std::string name, const char* extension);
  // True when no file has the name, or the user agrees to replace it.
  bool MayReplace(const std::string& name);
  bool RefuseWithoutTrash();
  // Adds tunes to a file and tells who shows it.
  void AddTunesTo(TAbcFile* file, const TLines& lines);
  // Copies the lines of every row of the file's view, in row order.
  TLines ViewLines(const TAbcFile* file) const;
  // The records of the file's view, in row order.
  static std::vector<TAbcRec*> ViewRecs(const TAbcFile* file);
  // Those of `recs` the file still holds, in their order.
  static std::vector<TAbcRec*> StillHeld(const TAbcFile* file, const std::vector<TAbcRec*>& recs);
  // The tunes leave the file with their set and session entries; with `copy`, and
  // unless the file is the trash, their lines go to the trash first, in order.
  void RecsToTrash(TAbcFile* file, const std::vector<TAbcRec*>& recs, bool copy);
  // Every record, line, set and session gone; the view mode stays.
  void EmptyFile(TAbcFile* file);

  std::string programFolder_;
  IUserInterface& ui_;
  ICtrlFileHost& host_;
  TAbcParser& parser_;
  int32_t untitledCount_ = 0;
  std::vector<std::unique_ptr<TAbcFile>> files_;
  std::unique_ptr<TAbcPrint> printList_;
  TAbcFile* trash_ = nullptr;
  TAbcFile* filer_ = nullptr;
  std::string trashProblem_;
  std::string filerProblem_;
  TAbcFile* pendingShow_ = nullptr;
  // The paths (SamePathKey) of the files being read now: loading runs pending events.
  std::set<std::string> reading_;

  // The export parses and converts on its own, so the shared parser and converter
  // keep the tune on screen.
  std::unique_ptr<TAbcParser> exportParser_;
  std::unique_ptr<TAbcMidi> exportConverter_;
  const MidiSettings& midi_;
  ITunePrinter* printer_ = nullptr;
  TAbcFile* dragFile_ = nullptr;
  int32_t dragKind_ = kDragKindTune;
  int32_t dragMode_ = 0;
  int32_t dragRow_ = -1;
  bool merging_ = false;
};

}  // namespace rq
