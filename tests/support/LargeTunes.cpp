#include "LargeTunes.h"

namespace rq::test {
namespace {

constexpr const char* kHeader = "X:1\nT:Grown\nM:4/4\nL:1/8\nK:D\n";
constexpr std::string_view kBar = "DEFG ABcd|";

}  // namespace

std::string TuneWithLongLine(int64_t bytes) {
  std::string text = kHeader;
  text.reserve(static_cast<size_t>(bytes) + kBar.size() + 1);
  while (static_cast<int64_t>(text.size()) < bytes) text += kBar;
  return text + "\n";
}

std::string TuneOfBars(int64_t bars) {
  std::string text = kHeader;
  for (int64_t b = 0; b < bars; ++b) {
    text += kBar;
    if (b % 8 == 7) text += "\n";
  }
  return text + "\n";
}

std::string TuneWithVoices(int64_t voices) {
  std::string text = kHeader;
  for (int64_t v = 1; v <= voices; ++v) text += "V:" + std::to_string(v) + "\nDEFG ABcd|GABc d2d2|\n";
  return text;
}

std::string TuneWithNestedBrackets(int64_t depth) {
  std::string text = kHeader;
  const auto n = static_cast<size_t>(depth);
  for (const char* pair : {"[]", "()", "{}", "\"\""}) text += std::string(n, pair[0]) + "a" + std::string(n, pair[1]) + "\n";
  return text;
}

}  // namespace rq::test
