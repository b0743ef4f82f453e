// Loads the corpus tunes for benchmarks.
#pragma once

#include <string>
#include <vector>

#include "platform/ByteText.h"

namespace rq::bench {

// Every tune of every corpus file (split at "X:" lines), repeated until `count` tunes.
std::vector<TLines> LoadCorpusTunes(size_t count);

// Total bytes of the tunes' lines.
size_t TotalBytes(const std::vector<TLines>& tunes);

}  // namespace rq::bench
