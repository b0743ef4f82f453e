// Records of a pretend file, found by place as the file object finds them.
#pragma once

#include <memory>
#include <vector>

#include "library/AbcRecord.h"
#include "library/AbcSet.h"

namespace rq::test {

struct Tunes {
  explicit Tunes(int count) {
    for (int i = 1; i <= count; ++i) {
      TScanResult scan;
      scan.seq = i;
      scan.startLine = 10 * i;
      scan.titleLine = 10 * i + 1;
      scan.lastLine = 10 * i + 9;
      recs.push_back(std::make_unique<TAbcRec>(scan));
    }
  }
  TAbcRec* operator[](int seq) const { return recs[static_cast<size_t>(seq - 1)].get(); }
  FindBySeqFn Finder() const {
    return [this](int32_t seq) -> TAbcRec* {
      for (const auto& r : recs) {
        if (r->Seq == seq) return r.get();
      }
      return nullptr;
    };
  }
  // What the file does when it deletes a tune: later tunes move up one place.
  void Delete(int seq) {
    for (auto& r : recs) {
      if (r->Seq > seq) --r->Seq;
    }
  }
  std::vector<std::unique_ptr<TAbcRec>> recs;
};

}  // namespace rq::test
