// Loading the bundled tune collections.
#include "Corpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rq::corpus {

std::string Dir() { return RQ_CORPUS_DIR; }

bool Available() {
  std::error_code error;
  return std::filesystem::is_directory(Dir(), error);
}

std::vector<std::string> Files() {
  std::vector<std::string> files;
  if (!Available()) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir())) {
    if (entry.path().extension() == ".abc") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<TLines> SplitTunes(const TLines& lines) {
  std::vector<TLines> tunes;
  for (const auto& line : lines) {
    const bool start = (line.size() >= 2 && line[0] == 'X' && line[1] == ':') ||
                       (line.size() >= 3 && line[1] == 'X' && line[2] == ':');
    if (start) tunes.emplace_back();
    if (!tunes.empty()) tunes.back().push_back(line);
  }
  return tunes;
}

std::vector<TLines> Tunes(size_t count) {
  std::vector<TLines> tunes;
  for (const auto& f : Files()) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    for (auto& t : SplitTunes(SplitLines(ss.str()))) tunes.push_back(std::move(t));
  }
  if (count == 0 || tunes.empty()) return tunes;
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

}  // namespace rq::corpus
