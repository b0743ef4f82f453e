// Corpus tunes for benchmarks.
#pragma once

#include <vector>

#include "Corpus.h"

namespace rq::bench {

// Every tune of the bundled collections, repeated until `count` tunes.
inline std::vector<TLines> LoadCorpusTunes(size_t count) { return corpus::Tunes(count); }

// Total bytes of the tunes' lines, line ends counted once.
inline size_t TotalBytes(const std::vector<TLines>& tunes) {
  size_t n = 0;
  for (const auto& t : tunes) {
    for (const auto& l : t) n += l.size() + 1;
  }
  return n;
}

}  // namespace rq::bench
