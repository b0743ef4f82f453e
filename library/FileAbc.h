// One open ABC file: its lines, one record per tune, the filtered view, the sets
// and sessions stored in it, editing and saving. Lines stay bytes from load to
// save; a file is written back with its own line ends and byte-order mark.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/AbcRecord.h"
#include "library/AbcSession.h"
#include "library/AbcSet.h"
#include "library/FList.h"
#include "library/UserInterface.h"
#include "midi/MidiSettings.h"
#include "platform/ByteText.h"

namespace rq {

class TAbcParser;
class TAbcMidi;

// A file that exists but cannot be read, or is no plain file.
class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// View modes: which tunes the list shows.
enum ViewModeId : int32_t {
  vmAll = 0,
  vmAllFiltered = 1,
  vmMarked = 2,
  vmUnmarked = 3,
  vmAdded = 4,
  vmSearched = 5,
};

inline constexpr const char* kNoTitle = "xx0xx";

class TAbcFile {
 public:
  // Opens a file; a name that does not exist gives an empty file of that name
  // (its first save creates it). Throws EFileError with the reason for anything
  // else that cannot be read: a folder, a pipe, a device, a loop of links, a path
  // through a folder we may not search or below a plain file.
  // `ui` (may be null) shows the progress of the indexing.
  TAbcFile(std::string fileName, IUserInterface* ui);
  // An untitled, empty file object that is never saved under its name.
  static std::unique_ptr<TAbcFile> CreateNew(std::string name, IUserInterface* ui);
  virtual ~TAbcFile();
  TAbcFile(const TAbcFile&) = delete;
  TAbcFile& operator=(const TAbcFile&) = delete;

  // Indexing.
  int32_t IndexLines(const TLines& source, int32_t base, uint8_t flags, bool isNew);
  TScanResult ScanHeader(int32_t first, int32_t last, const TLines& source, int32_t base) const;
  static int32_t RhythmIndexOf(std::string_view text);
  int32_t ComputeCode(int32_t index);
  int32_t SetCode(int32_t index, uint32_t code);
  int32_t CopyAllLines(int32_t index, TLines& target, bool clear) const;
  std::string TitleOfRec(const TAbcRec* rec) const;
  // The same title as a view into the file's lines, valid until the lines change.
  std::string_view TitleViewOfRec(const TAbcRec* rec) const;
  int32_t StripOldCodes();

  // Views and rows.
  void SetViewMode(int32_t mode, int32_t filterOn);
  void SetKeyRhythmFilter(const std::bitset<256>& keys, const std::bitset<256>& rhythms);
  void SetRow(int32_t row);
  int32_t GetRow() const;
  TAbcRec* GetRec(int32_t row) const;
  std::string GetTitle(int32_t row) const;
  int32_t CopyTuneLines(int32_t row, TLines& target, bool clear) const;
  // Appends the lines of a record of this file, whatever the view; -1, leaving the
  // target alone, for a null record or one of another file.
  int32_t CopyRecLines(const TAbcRec* rec, TLines& target, bool clear) const;
  // Appends the lines of a record's music, for playing it in a row with other tunes:
  // the text after its music's end is left out. -1 as CopyRecLines.
  int32_t CopyRecMusic(const TAbcRec* rec, TLines& target) const;
  TAbcRec* FindBySeq(int32_t seq) const;
  int32_t IndexOfRec(const TAbcRec* rec) const;
  // True for a record of this file; false for null and for a record of another
  // (open) file. A record is looked up by its place, so it must not be a freed one.
  bool HasRecord(const TAbcRec* rec) const;
  int32_t SetCurrent(int32_t row);
  // Makes a record of this file the current tune, whatever the view. A null record
  // clears the current tune and returns -1; a record of another file returns -1
  // and changes nothing.
  int32_t SetCurrentRec(TAbcRec* rec);

  // Marks.
  uint8_t ToggleSelect(int32_t row);
  int32_t SelectAll();
  int32_t UnselectAll();

  // Editing.
  // Adds the tunes at the end of the file, after an empty line unless the file is
  // empty or ends with one (or the text begins with one).
  virtual int32_t AddTunes(const TLines& lines, bool isNew, uint8_t flags);
  // The X: number a new tune of this file takes: the largest one plus one.
  int64_t NextTuneNumber() const;
  // Between these two, added tunes are left in the order they came and the views are
  // not filtered again; EndUpdate sorts and filters once. For adding many pieces.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  // The clipboard's plain text, added as new tunes.
  int32_t PasteFromClipboard(std::string_view text);
  // Every delete takes the tune out of every list first (all, view, every set and
  // session, the current tune), then frees it; later tunes move up one place.
  // Deletes the tune shown at a row; -1 for a row outside the view.
  int32_t DeleteTune(int32_t row);
  // Deletes a record of this file; -1, changing nothing, for any other.
  int32_t DeleteTuneRec(TAbcRec* rec);
  // Deletes many tunes in one pass over the lines: the same result as deleting
  // them one by one. Records not of this file are ignored (compared, never read);
  // returns the count deleted.
  int32_t DeleteTunes(std::span<TAbcRec* const> recs);
  // Replaces the current tune by edited text, which goes to the end of the file as
  // AddTunes adds it; the text's first tune takes the old one's marks, search score,
  // set and session entries and becomes current. Returns 0 and does nothing without
  // a current tune; -1, changing nothing, when the text holds no tune start or the
  // current tune is not a record of this file.
  int32_t ReplaceCurrent(const TLines& lines);
  // Frees every record; the caller then empties Lines and resets the filter list.
  void ClearRecs();
  void SetModified(bool modified) { Modified = modified; }
  void SetFileName(std::string name);

  // Writes the file atomically. Returns -1 for an untitled file, 1 when the file
  // did not exist before, 0 when it replaced one, and -2 when the write failed:
  // the old file is left as it was, the file stays modified and `error` says why.
  // Returns kChangedOnDisk, writing nothing, when the file on disk is no longer what
  // was read or last written here (another program changed or made it), unless
  // `replaceChanged` is set. A file that vanished is simply written.
  int32_t Save(std::string* error = nullptr, bool replaceChanged = false);
  // Writes the file atomically to `path` and only then takes that name: no longer
  // untitled, not modified. Returns 1 when `path` did not exist before, 0 when it
  // replaced a file, and -2 when the write failed: name, untitled and modified flags
  // are left as they were and `error` says why. Saved under its own name, the file
  // is checked as Save checks it.
  int32_t SaveAs(const std::string& path, std::string* error = nullptr, bool replaceChanged = false);
  static constexpr int32_t kChangedOnDisk = -3;
  // Saves one of the program's own files (the trash, the filer), where nobody can
  // sensibly be asked each time: when another program changed the file on disk since
  // it was read or written here, the tunes found there that it had not (another
  // program's additions and edits) are added here first, as they are, not flagged
  // new; tunes deleted here stay deleted. So no tune deleted or kept in either
  // program is lost. Several programs saving the file at once take turns (a lock
  // file beside it); when that lock cannot be had the save fails. Results as Save.
  int32_t SaveMerging(std::string* error = nullptr);
  // The file on disk differs from what was read or last written here; false for a
  // file that is gone or cannot be read (the write then says what is wrong), and
  // for one named by SetFileName and not written since.
  bool ChangedOnDisk() const;
  // The bytes Save writes (without rewriting the set block).
  std::string ToBytes() const;
  // Replaces everything by these bytes, read as the file's content.
  void LoadFromBytes(std::string_view bytes);

  // Searches: every record's search score. The text search ignores the case of A to
  // Z unless told to match it.
  int32_t SearchText(std::string_view text, bool matchCase = false);
  int32_t SearchNotes(std::string_view notes, std::string_view meter, int32_t minDigits);
  int32_t SearchLike(TLines lines, int32_t minDigits);

  std::string FileName;
  bool Untitled = false;
  bool Modified = false;
  int32_t ListTop = 0;
  int32_t SetGridTop = 0;
  int32_t SetGridCol = 1;
  TLines Lines;
  TFilterList FilterList;
  TLstSet Sets;
  TLstSession Sessions;
  TAbcFilter KeyRhythmFilter;
  TAbcFtlSelect SelectFilter;
  TAbcFtlUnSelect UnSelectFilter;
  TAbcFtlNew NewFilter;
  TAbcFtlRch RchFilter;
  int32_t AllRow = -1;
  TAbcRec* CurrentRec = nullptr;
  int32_t ViewMode = 0;
  int32_t FilterOn = 0;

  // How the file was written, kept for saving it back the same way.
  LineEnd FileLineEnd = LineEnd::Lf;
  bool HasByteOrderMark = false;
  bool EndsWithLineEnd = true;

 protected:
  struct NewTag {};
  TAbcFile(NewTag, std::string name, IUserInterface* ui);
  // Orders records by title, then place. The print list keeps insertion order.
  virtual void SortRecords(std::vector<TAbcRec*>& items) const;

 private:
  const TFilter* PrimaryFilterOf(int32_t mode) const;
  void ApplyView() { SetViewMode(-1, FilterOn); }
  // Sorts All and filters the view again.
  void SortView();
  void ReadFile();
  // What a save does when the file on disk changed since it was read or written here.
  enum class OnDiskChange { Refuse, Replace, Merge };
  // Puts the set block into the lines and writes them to `path`: Save's results.
  int32_t WriteTo(const std::string& path, std::string* error, OnDiskChange onChange);
  // Called when Lines are the bytes just read or written.
  void RememberDisk(std::string_view bytes);
  // The file's bytes on disk when ChangedOnDisk holds; nullopt otherwise.
  std::optional<std::string> BytesChangedOnDisk() const;
  // Adds the tunes of the file's bytes on disk that are neither among those last read
  // or written here nor among this file's tunes now.
  void AddTunesAddedOnDisk(std::string_view bytes);
  void SplitFileBytes(std::string_view bytes);
  // Every way of adding tunes ends here: the lines go to the end of the file, kept
  // apart from the tune above.
  void AppendTunes(const TLines& lines, uint8_t flags, bool isNew);
  void MakeRecord(const TLines& source, int32_t first, int32_t last, int32_t base, uint8_t marks,
                  std::vector<TAbcRec*>& added, int32_t& counter);
  // Takes a record out of the sets, sessions, lists and the current tune.
  void ForgetRecord(const TAbcRec* rec);
  // Removes a record's lines and moves later tunes up; returns the record, which
  // no list holds any more.
  std::unique_ptr<TAbcRec> TakeRecord(TAbcRec* rec);
  void CopyOwnLines(const TAbcRec* rec, TLines& target, bool clear) const;
  std::vector<uint32_t> TrialCodes(TLines& query, size_t keyLine);
  void ScoreByCodes(const std::vector<uint32_t>& codes, int32_t minDigits);
  uint32_t CodeOfLines(std::span<const std::string> lines);
  // The code of the tune in views_ read from its first `lines` lines, at most
  // `maxElements` elements of them; none when a later element could still change it.
  std::optional<uint32_t> CodeOfOpening(size_t lines, size_t maxElements);
  void GiveBackParserRoom();

  IUserInterface* ui_ = nullptr;
  // Records in file order: bySeq_[i] has Seq i + 1. Owns the records.
  std::vector<std::unique_ptr<TAbcRec>> bySeq_;
  // The file's own parser and converter: indexing and searching never disturb the
  // shared ones that hold the tune on screen. The converter reads default settings,
  // so that a tune's code does not depend on the user's grace and velocity choices.
  std::unique_ptr<TAbcParser> parser_;
  MidiSettings codeSettings_;
  std::unique_ptr<TAbcMidi> converter_;
  std::vector<std::string_view> views_;  // a tune's lines handed to the parser
  size_t largestParse_ = 0;              // most elements of one parse since indexing began
  // Key and rhythm indexes by the field text they were read from: a collection uses a
  // few dozen distinct values, so each is looked up in the tables once.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  using FieldIndexes = std::unordered_map<std::string, int32_t, TextHash, std::equal_to<>>;
  mutable FieldIndexes keyIndexes_;
  mutable FieldIndexes rhythmIndexes_;
  static int32_t CachedIndex(FieldIndexes& cache, std::string_view text, int32_t (*find)(std::string_view));
  int updating_ = 0;
  // The file as last read or written here (its size and a hash of its bytes), to
  // notice another program's changes before a save replaces them. Not known for a
  // file given its name without reading it: its first save replaces what is there.
  struct DiskCopy {
    bool known = false;
    bool exists = false;
    size_t size = 0;
    size_t hash = 0;
    std::vector<size_t> tunes;  // a hash of each tune's text
  };
  DiskCopy disk_;
};

// The list of tunes gathered for printing: untitled, every added tune marked, and
// tunes kept in the order they were added.
class TAbcPrint : public TAbcFile {
 public:
  static std::unique_ptr<TAbcPrint> CreateNew(std::string name, IUserInterface* ui);
  int32_t AddTunes(const TLines& lines, bool isNew, uint8_t flags) override;

 protected:
  using TAbcFile::TAbcFile;
  void SortRecords(std::vector<TAbcRec*>& items) const override;
};

}  // namespace rq
