// Sessions: a master tune and the tunes that follow it, read from the file's set block.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/AbcSet.h"

namespace rq {

class TSesRec {
 public:
  explicit TSesRec(TAbcRec* master) : Master(master) {}

  // Returns -1 when the record already follows (nothing added).
  int32_t AddNext(TAbcRec* rec);
  // Replaces the record among the followers and as the master; returns 1 when
  // anything changed.
  int32_t ReplaceRec(const TAbcRec* old, TAbcRec* rec);

  // "%%DMSS%" + master place + ("," + place) per follower.
  std::string ToLine() const;

  TAbcRec* Master;
  std::vector<TAbcRec*> Followers;
};

class TLstSession {
 public:
  int32_t Count() const { return static_cast<int32_t>(sessions_.size()); }
  TSesRec* Session(int32_t i) const;

  void SetCurrent(int32_t index);
  bool HasMaster(const TAbcRec* rec) const;
  // Returns -1, and does not take the session, when its master already leads one.
  int32_t AddSession(std::unique_ptr<TSesRec> session);
  int32_t ReplaceRec(const TAbcRec* old, TAbcRec* rec);
  // A deleted tune leaves every follower list; a session it leads is dropped.
  void RemoveRec(const TAbcRec* rec);

  void LoadFromLines(const TLines& lines, const FindBySeqFn& findBySeq);

  int32_t CurrentSession = -1;

 private:
  std::vector<std::unique_ptr<TSesRec>> sessions_;
};

}  // namespace rq
