#include "library/AbcSession.h"

#include <algorithm>

#include "library/AbcFileFormat.h"
#include "platform/IniFile.h"

namespace rq {

int32_t TSesRec::AddNext(TAbcRec* rec) {
  if (std::find(Followers.begin(), Followers.end(), rec) != Followers.end()) return -1;
  Followers.push_back(rec);
  return 0;
}

int32_t TSesRec::ReplaceRec(const TAbcRec* old, TAbcRec* rec) {
  int32_t changed = 0;
  // The edited tune may lead the session: the master must not keep a freed record.
  if (Master == old) {
    Master = rec;
    changed = 1;
  }
  for (TAbcRec*& f : Followers) {
    if (f == old) {
      f = rec;
      changed = 1;
    }
  }
  return changed;
}

std::string TSesRec::ToLine() const {
  std::string line(kSessionLinePrefix);
  line += std::to_string(Master->Seq);
  for (const TAbcRec* f : Followers) {
    line += ',';
    line += std::to_string(f->Seq);
  }
  return line;
}

TSesRec* TLstSession::Session(int32_t i) const {
  if (i < 0 || static_cast<size_t>(i) >= sessions_.size()) return nullptr;
  return sessions_[static_cast<size_t>(i)].get();
}

void TLstSession::SetCurrent(int32_t index) {
  CurrentSession = (index >= 0 && index < Count()) ? index : -1;
}

bool TLstSession::HasMaster(const TAbcRec* rec) const {
  return std::any_of(sessions_.begin(), sessions_.end(),
                     [rec](const auto& s) { return s->Master == rec; });
}

int32_t TLstSession::AddSession(std::unique_ptr<TSesRec> session) {
  if (HasMaster(session->Master)) return -1;
  sessions_.push_back(std::move(session));
  return 0;
}

int32_t TLstSession::ReplaceRec(const TAbcRec* old, TAbcRec* rec) {
  int32_t changed = 0;
  for (auto& s : sessions_) changed += s->ReplaceRec(old, rec);
  return changed;
}

void TLstSession::RemoveRec(const TAbcRec* rec) {
  for (auto& s : sessions_) std::erase(s->Followers, rec);
  for (size_t i = sessions_.size(); i-- > 0;) {
    if (sessions_[i]->Master != rec) continue;
    sessions_.erase(sessions_.begin() + static_cast<std::ptrdiff_t>(i));
    // Keep the selection on the same session, or on none when it was this one.
    const auto index = static_cast<int32_t>(i);
    if (CurrentSession == index) CurrentSession = -1;
    else if (CurrentSession > index) --CurrentSession;
  }
}

void TLstSession::LoadFromLines(const TLines& lines, const FindBySeqFn& findBySeq) {
  const auto block = FindSetBlock(lines);
  if (!block) return;
  for (size_t i = block->open + 1; i < block->close; ++i) {
    const std::string_view line = lines[i];
    if (!line.starts_with(kSessionLinePrefix)) continue;
    const auto pieces = SplitCommas(line.substr(kSessionLinePrefix.size()));
    const int32_t masterPlace = IniStrToIntDef(pieces.front(), -1);
    if (masterPlace < 0) continue;
    TAbcRec* master = findBySeq(masterPlace);
    if (!master) continue;
    auto session = std::make_unique<TSesRec>(master);
    for (size_t p = 1; p < pieces.size(); ++p) {
      if (pieces[p].empty()) continue;
      const int32_t place = IniStrToIntDef(pieces[p], -1);
      if (place == -1) continue;
      if (TAbcRec* rec = findBySeq(place)) session->AddNext(rec);
    }
    AddSession(std::move(session));
  }
}

}  // namespace rq
