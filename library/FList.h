// Filters and the filter list: all records of one file and the filtered view a
// tune list shows.
#pragma once

#include <bitset>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "library/AbcRecord.h"

namespace rq {

class TFilter {
 public:
  virtual ~TFilter() = default;
  virtual bool Match(const TAbcRec& rec) const = 0;

  // The grid row last shown in the view mode this filter serves.
  int32_t RememberedRow = -1;
};

// The key and rhythm filter of one file. An empty set lets every value through.
class TAbcFilter : public TFilter {
 public:
  bool Match(const TAbcRec& rec) const override;

  std::bitset<256> KeySet;
  std::bitset<256> RhythmSet;
  bool Active = false;
};

// The view-mode filters.
class TAbcFtlSelect : public TFilter {
 public:
  bool Match(const TAbcRec& rec) const override { return rec.IsMarked(); }
};
class TAbcFtlUnSelect : public TFilter {
 public:
  bool Match(const TAbcRec& rec) const override { return !rec.IsMarked(); }
};
class TAbcFtlNew : public TFilter {
 public:
  bool Match(const TAbcRec& rec) const override { return rec.IsAddedThisRun(); }
};
class TAbcFtlRch : public TFilter {
 public:
  bool Match(const TAbcRec& rec) const override { return rec.GetSearchScore() != 0; }
};

// Holds (without owning) every record of a file, in the file's sort order, and the
// records that pass the installed filters. With no filter installed, rows are
// the records of All and View is empty: a record leaves both lists before it is
// freed, so neither ever holds a freed record.
class TFilterList {
 public:
  int32_t Count() const;
  int32_t AllCount() const { return static_cast<int32_t>(All.size()); }
  TAbcRec* Items(int32_t row) const;
  TAbcRec* AllItems(int32_t index) const;
  // The row showing a record; -1 when no row does (null included).
  int32_t RowOf(const TAbcRec* rec) const;

  // Appends a record and re-applies the installed filters; returns its index in All.
  int32_t Add(TAbcRec* rec);
  // Appends many records and re-applies the filters once: the same lists as
  // adding them one by one.
  void AddAll(const std::vector<TAbcRec*>& recs);
  // Removes the record shown at a row from both lists (the record is not freed).
  // Returns 0, or -1 for a row outside the rows.
  int32_t Delete(int32_t row);
  // Removes a record from both lists, wherever it is.
  void Remove(const TAbcRec* rec);
  // Removes from both lists every record in the set (compared as pointers; the
  // records are never read).
  void RemoveAll(const std::unordered_set<const TAbcRec*>& doomed);
  int32_t Reset();
  // Installs the filters and rebuilds the view (emptied when neither is given).
  int32_t Apply(const TFilter* primary, const TFilter* secondary);
  // Rebuilds the view with the filters already installed.
  void Reapply() { Apply(Primary, Secondary); }
  bool Filtered() const { return Primary != nullptr || Secondary != nullptr; }

  std::vector<TAbcRec*> View;
  std::vector<TAbcRec*> All;
  const TFilter* Primary = nullptr;
  const TFilter* Secondary = nullptr;
};

}  // namespace rq
