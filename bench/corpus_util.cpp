// Corpus loading for benchmarks.
#include "corpus_util.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rq::bench {

std::vector<TLines> LoadCorpusTunes(size_t count) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(RQ_CORPUS_DIR)) {
    if (entry.path().extension() == ".abc") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<TLines> tunes;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    for (auto& line : SplitLines(ss.str())) {
      const bool start = (line.size() >= 2 && line[0] == 'X' && line[1] == ':') ||
                         (line.size() >= 3 && line[1] == 'X' && line[2] == ':');
      if (start) tunes.emplace_back();
      if (!tunes.empty()) tunes.back().push_back(std::move(line));
    }
  }
  if (tunes.empty()) return tunes;
  std::vector<TLines> out;
  out.reserve(count);
  for (size_t i = 0; out.size() < count; ++i) out.push_back(tunes[i % tunes.size()]);
  return out;
}

size_t TotalBytes(const std::vector<TLines>& tunes) {
  size_t n = 0;
  for (const auto& t : tunes) {
    for (const auto& l : t) n += l.size() + 1;
  }
  return n;
}

}  // namespace rq::bench
