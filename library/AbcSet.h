// Sets: named, ordered lists of tunes of one file, each entry with a repeat count,
// stored in the file's set block by the tunes' places.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/AbcRecord.h"
#include "platform/ByteText.h"

namespace rq {

class TLstSession;

// Finds the record of a tune by its place (Seq) in the file, or nullptr.
using FindBySeqFn = std::function<TAbcRec*(int32_t seq)>;

struct TSetEntry {
  TAbcRec* tune = nullptr;
  int32_t repeat = 1;
};

class TSetAbc {
 public:
  explicit TSetAbc(std::string name);

  const std::string& Name() const { return name_; }
  // A set line keeps its name before the first comma and ends at the line's end,
  // so commas and line breaks in a name would turn into entries or break the
  // block: they are stored as ";" and blanks.
  void SetName(std::string name);

  const std::vector<TSetEntry>& Entries() const { return entries_; }
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

  int32_t AddTune(TAbcRec* rec, int32_t repeat);
  // Inserts before index; an index past the end appends. Returns -1 for a negative index.
  int32_t InsertTune(int32_t index, TAbcRec* rec, int32_t repeat);
  // Moves an entry (tune and count together); indexes outside the entries do nothing.
  int32_t MoveTune(int32_t from, int32_t to);
  int32_t DeleteTune(int32_t index);
  int32_t ReplaceRec(const TAbcRec* old, TAbcRec* rec);
  int32_t RemoveRec(const TAbcRec* rec);
  void SetRepeat(int32_t index, int32_t repeat);

  // "%%DSET%" + name + ("," + place [+ ":" + count when above 1]) per entry.
  std::string ToLine() const;

 private:
  std::string name_;
  std::vector<TSetEntry> entries_;
};

class TLstSet {
 public:
  int32_t Count() const { return static_cast<int32_t>(sets_.size()); }
  TSetAbc* Set(int32_t s) const;

  int32_t AddSet(std::unique_ptr<TSetAbc> set);
  int32_t DeleteSet(int32_t s);
  int32_t MoveSet(int32_t from, int32_t to);
  int32_t AddTune(int32_t s, TAbcRec* rec);
  int32_t InsertTune(int32_t s, int32_t e, TAbcRec* rec);
  int32_t MoveTune(int32_t s, int32_t from, int32_t to);
  int32_t DeleteTune(int32_t s, int32_t e);
  std::string GetName(int32_t s) const;
  void Rename(int32_t s, std::string name);
  TAbcRec* GetTune(int32_t s, int32_t e) const;
  int32_t TuneCount(int32_t s) const;
  int32_t GetRepeat(int32_t s, int32_t e) const;
  // Counts changed by the user stay within 1..9.
  int32_t ChangeRepeat(int32_t s, int32_t e, int32_t delta);
  // Returns the number of sets in which an entry was replaced.
  int32_t ReplaceRec(const TAbcRec* old, TAbcRec* rec);
  int32_t RemoveRec(const TAbcRec* rec);

  // Reads the set lines of the file's set block.
  void LoadFromLines(const TLines& lines, const FindBySeqFn& findBySeq);
  // Rewrites the set block: the set lines, then the session lines, with the tunes'
  // current places. Returns the change in the number of lines.
  int32_t SaveToLines(TLines& lines, const TLstSession& sessions) const;

  int32_t CurrentSet = -1;
  int32_t EntryRow = -1;

 private:
  std::vector<std::unique_ptr<TSetAbc>> sets_;
};

}  // namespace rq
