#include "library/AbcSet.h"

#include <algorithm>

#include "library/AbcFileFormat.h"
#include "library/AbcSession.h"
#include "platform/IniFile.h"

namespace rq {
namespace {

template <typename T>
bool InRange(const std::vector<T>& v, int32_t i) {
  return i >= 0 && static_cast<size_t>(i) < v.size();
}

template <typename T>
void MoveItem(std::vector<T>& v, int32_t from, int32_t to) {
  if (!InRange(v, from) || !InRange(v, to) || from == to) return;
  T item = std::move(v[static_cast<size_t>(from)]);
  v.erase(v.begin() + from);
  v.insert(v.begin() + to, std::move(item));
}

}  // namespace

TSetAbc::TSetAbc(std::string name) { SetName(std::move(name)); }

void TSetAbc::SetName(std::string name) {
  for (char& c : name) {
    if (c == ',') c = ';';
    else if (c == '\r' || c == '\n') c = ' ';
  }
  name_ = std::move(name);
}

int32_t TSetAbc::AddTune(TAbcRec* rec, int32_t repeat) {
  entries_.push_back({rec, repeat});
  return 0;
}

int32_t TSetAbc::InsertTune(int32_t index, TAbcRec* rec, int32_t repeat) {
  if (index < 0) return -1;
  const size_t at = std::min(static_cast<size_t>(index), entries_.size());
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), {rec, repeat});
  return 0;
}

int32_t TSetAbc::MoveTune(int32_t from, int32_t to) {
  MoveItem(entries_, from, to);
  return 0;
}

int32_t TSetAbc::DeleteTune(int32_t index) {
  if (!InRange(entries_, index)) return -1;
  entries_.erase(entries_.begin() + index);
  return 0;
}

int32_t TSetAbc::ReplaceRec(const TAbcRec* old, TAbcRec* rec) {
  int32_t found = 0;
  for (auto& e : entries_) {
    if (e.tune == old) {
      e.tune = rec;
      found = 1;
    }
  }
  return found;
}

int32_t TSetAbc::RemoveRec(const TAbcRec* rec) {
  std::erase_if(entries_, [rec](const TSetEntry& e) { return e.tune == rec; });
  return 0;
}

void TSetAbc::SetRepeat(int32_t index, int32_t repeat) {
  if (InRange(entries_, index)) entries_[static_cast<size_t>(index)].repeat = repeat;
}

std::string TSetAbc::ToLine() const {
  std::string line(kSetLinePrefix);
  line += name_;
  for (const auto& e : entries_) {
    line += ',';
    line += std::to_string(e.tune->Seq);
    if (e.repeat > 1) {
      line += ':';
      line += std::to_string(e.repeat);
    }
  }
  return line;
}

TSetAbc* TLstSet::Set(int32_t s) const {
  return InRange(sets_, s) ? sets_[static_cast<size_t>(s)].get() : nullptr;
}

int32_t TLstSet::AddSet(std::unique_ptr<TSetAbc> set) {
  sets_.push_back(std::move(set));
  return 0;
}

int32_t TLstSet::DeleteSet(int32_t s) {
  if (!InRange(sets_, s)) return -1;
  sets_.erase(sets_.begin() + s);
  return 0;
}

int32_t TLstSet::MoveSet(int32_t from, int32_t to) {
  MoveItem(sets_, from, to);
  return 0;
}

int32_t TLstSet::AddTune(int32_t s, TAbcRec* rec) {
  if (TSetAbc* set = Set(s)) set->AddTune(rec, 1);
  return 0;
}

int32_t TLstSet::InsertTune(int32_t s, int32_t e, TAbcRec* rec) {
  if (TSetAbc* set = Set(s)) set->InsertTune(e, rec, 1);
  return 0;
}

int32_t TLstSet::MoveTune(int32_t s, int32_t from, int32_t to) {
  if (TSetAbc* set = Set(s)) set->MoveTune(from, to);
  return 0;
}

int32_t TLstSet::DeleteTune(int32_t s, int32_t e) {
  TSetAbc* set = Set(s);
  return set ? set->DeleteTune(e) : -1;
}

std::string TLstSet::GetName(int32_t s) const {
  const TSetAbc* set = Set(s);
  return set ? set->Name() : std::string();
}

void TLstSet::Rename(int32_t s, std::string name) {
  if (TSetAbc* set = Set(s)) set->SetName(std::move(name));
}

TAbcRec* TLstSet::GetTune(int32_t s, int32_t e) const {
  const TSetAbc* set = Set(s);
  if (!set || !InRange(set->Entries(), e)) return nullptr;
  return set->Entries()[static_cast<size_t>(e)].tune;
}

int32_t TLstSet::TuneCount(int32_t s) const {
  const TSetAbc* set = Set(s);
  return set ? set->Count() : 0;
}

int32_t TLstSet::GetRepeat(int32_t s, int32_t e) const {
  const TSetAbc* set = Set(s);
  if (!set || !InRange(set->Entries(), e)) return 0;
  return set->Entries()[static_cast<size_t>(e)].repeat;
}

int32_t TLstSet::ChangeRepeat(int32_t s, int32_t e, int32_t delta) {
  TSetAbc* set = Set(s);
  if (!set || !InRange(set->Entries(), e)) return 0;
  const int64_t repeat = int64_t{set->Entries()[static_cast<size_t>(e)].repeat} + delta;
  if (repeat >= 1 && repeat <= 9) set->SetRepeat(e, static_cast<int32_t>(repeat));
  return 0;
}

int32_t TLstSet::ReplaceRec(const TAbcRec* old, TAbcRec* rec) {
  int32_t changed = 0;
  for (auto& set : sets_) changed += set->ReplaceRec(old, rec);
  return changed;
}

int32_t TLstSet::RemoveRec(const TAbcRec* rec) {
  for (auto& set : sets_) set->RemoveRec(rec);
  return 0;
}

void TLstSet::LoadFromLines(const TLines& lines, const FindBySeqFn& findBySeq) {
  const auto block = FindSetBlock(lines);
  if (!block) return;
  const size_t before = sets_.size();
  for (size_t i = block->open + 1; i < block->close; ++i) {
    const std::string_view line = lines[i];
    if (!line.starts_with(kSetLinePrefix)) continue;
    const std::string_view rest = line.substr(kSetLinePrefix.size());
    const size_t comma = rest.find(',');
    auto set = std::make_unique<TSetAbc>(std::string(rest.substr(0, comma)));
    if (comma != std::string_view::npos) {
      for (std::string_view piece : SplitCommas(rest.substr(comma + 1))) {
        if (piece.empty()) continue;
        int32_t place = 0;
        int32_t repeat = 1;
        if (const size_t colon = piece.find(':'); colon != std::string_view::npos) {
          place = IniStrToIntDef(piece.substr(0, colon), -1);
          repeat = IniStrToIntDef(piece.substr(colon + 1), 0);
        } else {
          place = IniStrToIntDef(piece, -1);
        }
        if (place == -1) continue;
        if (TAbcRec* rec = findBySeq(place)) set->AddTune(rec, repeat);
      }
    }
    sets_.push_back(std::move(set));
  }
  // Only a file that held sets selects its first one.
  if (sets_.size() > before) CurrentSet = 0;
}

int32_t TLstSet::SaveToLines(TLines& lines, const TLstSession& sessions) const {
  TLines content;
  for (const auto& set : sets_) content.push_back(set->ToLine());
  for (int32_t i = 0; i < sessions.Count(); ++i) content.push_back(sessions.Session(i)->ToLine());

  const auto block = FindSetBlock(lines);
  if (block) {
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(block->open + 1);
    const auto last = lines.begin() + static_cast<std::ptrdiff_t>(block->close);
    const int32_t removed = static_cast<int32_t>(last - first);
    const auto at = lines.erase(first, last);
    lines.insert(at, content.begin(), content.end());
    return static_cast<int32_t>(content.size()) - removed;
  }
  if (content.empty()) return 0;
  content.insert(content.begin(), std::string(kSetBlockOpen));
  content.emplace_back(kSetBlockClose);
  lines.insert(lines.begin(), content.begin(), content.end());
  return static_cast<int32_t>(content.size());
}

}  // namespace rq
