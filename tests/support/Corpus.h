// The bundled tune collections, for tests and benchmarks.
#pragma once

#include <string>
#include <vector>

#include "platform/ByteText.h"

namespace rq::corpus {

// The folder of the collections (set by the build), and whether it is there: a
// checkout away from the shared collections runs without them.
std::string Dir();
bool Available();

// Every ".abc" file under Dir(), sorted by path.
std::vector<std::string> Files();

// The tunes of a text: each from a line whose "X:" stands in column 1 or 2 to the next.
std::vector<TLines> SplitTunes(const TLines& lines);

// Every tune of every file, in file order; repeated until `count` tunes when count > 0.
std::vector<TLines> Tunes(size_t count = 0);

// Bytes of the tunes' lines, each line end counted as one byte.
size_t TotalBytes(const std::vector<TLines>& tunes);

}  // namespace rq::corpus

// Skips the calling test where the collections are not there.
#define RQ_SKIP_WITHOUT_CORPUS()          \
  if (!::rq::corpus::Available())         \
  GTEST_SKIP() << "no tune collections at " << ::rq::corpus::Dir()
