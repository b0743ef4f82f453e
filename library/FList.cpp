#include "library/FList.h"

#include <algorithm>

namespace rq {

bool TAbcFilter::Match(const TAbcRec& rec) const {
  if (!Active) return false;
  if (KeySet.any() && !KeySet.test(rec.GetKeyIndex())) return false;
  return RhythmSet.none() || RhythmSet.test(rec.GetRhythmIndex());
}

int32_t TFilterList::Count() const {
  return static_cast<int32_t>(Filtered() ? View.size() : All.size());
}

TAbcRec* TFilterList::Items(int32_t row) const {
  const auto& rows = Filtered() ? View : All;
  if (row < 0 || static_cast<size_t>(row) >= rows.size()) return nullptr;
  return rows[static_cast<size_t>(row)];
}

int32_t TFilterList::RowOf(const TAbcRec* rec) const {
  const auto& rows = Filtered() ? View : All;
  const auto it = std::find(rows.begin(), rows.end(), rec);
  return rec && it != rows.end() ? static_cast<int32_t>(it - rows.begin()) : -1;
}

TAbcRec* TFilterList::AllItems(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= All.size()) return nullptr;
  return All[static_cast<size_t>(index)];
}

int32_t TFilterList::Add(TAbcRec* rec) {
  All.push_back(rec);
  Reapply();
  return AllCount() - 1;
}

void TFilterList::AddAll(const std::vector<TAbcRec*>& recs) {
  All.insert(All.end(), recs.begin(), recs.end());
  Reapply();
}

int32_t TFilterList::Delete(int32_t row) {
  const TAbcRec* rec = Items(row);
  if (!rec) return -1;
  Remove(rec);
  return 0;
}

void TFilterList::Remove(const TAbcRec* rec) {
  std::erase(All, rec);
  std::erase(View, rec);
}

void TFilterList::RemoveAll(const std::unordered_set<const TAbcRec*>& doomed) {
  const auto isDoomed = [&doomed](const TAbcRec* rec) { return doomed.contains(rec); };
  std::erase_if(All, isDoomed);
  std::erase_if(View, isDoomed);
}

int32_t TFilterList::Reset() {
  Primary = nullptr;
  Secondary = nullptr;
  View.clear();
  All.clear();
  return 0;
}

int32_t TFilterList::Apply(const TFilter* primary, const TFilter* secondary) {
  Primary = primary;
  Secondary = secondary;
  View.clear();
  if (!primary && !secondary) return 0;
  for (TAbcRec* rec : All) {
    const bool pass = primary ? (primary->Match(*rec) && (!secondary || secondary->Match(*rec)))
                              : secondary->Match(*rec);
    if (pass) View.push_back(rec);
  }
  return 0;
}

}  // namespace rq
