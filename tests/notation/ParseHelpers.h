// Parsing ABC text written inline in tests.
#pragma once

#include <string>
#include <vector>

#include "notation/AbcParser.h"

namespace rq::test {

// Parses text whose lines are separated by "\n".
inline void ParseText(TAbcParser& parser, const std::string& text) { parser.Parse(SplitLines(text)); }

// The kinds of the elements, without blanks and ends of lines unless `all`.
inline std::vector<int> Kinds(const TAbcParser& parser, bool all = false) {
  std::vector<int> out;
  for (const TAbc* e : parser.Elements()) {
    if (all || (e->Kind != kAbcSpace && e->Kind != kAbcEOL)) out.push_back(e->Kind);
  }
  return out;
}

inline std::vector<const TAbcNote*> Notes(const TAbcParser& parser) {
  std::vector<const TAbcNote*> out;
  for (const TAbc* e : parser.Elements()) {
    if (e->Kind == kAbcNote) out.push_back(static_cast<const TAbcNote*>(e));
  }
  return out;
}

template <typename T>
const T* First(const TAbcParser& parser, int kind) {
  for (const TAbc* e : parser.Elements()) {
    if (e->Kind == kind) return static_cast<const T*>(e);
  }
  return nullptr;
}

inline std::string DumpAll(const TAbcParser& parser) {
  std::string out;
  for (const TAbc* e : parser.Elements()) {
    out += std::to_string(e->Start) + " " + std::to_string(e->End) + " " + e->Dump() + "\n";
  }
  return out;
}

// One element with everything the post-pass may set on it.
inline std::string DumpLinked(const TAbc* e) {
  std::string out = std::to_string(e->Start) + " " + std::to_string(e->Kind) + " " + e->Dump();
  if (e->Kind == kAbcNote) out += " GC=" + std::to_string(static_cast<const TAbcNote*>(e)->GraceCount);
  return out;
}

// For every opening of the lines (0 to all of them), the settled elements must be
// the whole parse's first elements. Describes the first that is not; empty when all are.
inline std::string OpeningMismatch(TAbcParser& parser, const TLines& lines) {
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  parser.Parse(views);
  std::vector<std::string> whole;
  for (const TAbc* e : parser.Elements()) whole.push_back(DumpLinked(e));
  for (size_t n = 0; n <= lines.size(); ++n) {
    parser.ParseOpening(views, n);
    const size_t settled = parser.SettledCount();
    if (n == lines.size() && settled != whole.size()) return "the whole text is not all settled";
    if (settled > whole.size()) return "opening of " + std::to_string(n) + " lines settles more than there is";
    for (size_t i = 0; i < settled; ++i) {
      const std::string mine = DumpLinked(parser.Elements()[i]);
      if (mine != whole[i]) {
        return "opening of " + std::to_string(n) + " lines, element " + std::to_string(i) + ": " + mine +
               " instead of " + whole[i];
      }
    }
  }
  return {};
}

// As OpeningMismatch, for parses of the whole text bounded at every element count:
// the elements settled are those of the whole parse, and a bound that did not cut
// the text settles all of it.
inline std::string BoundMismatch(TAbcParser& parser, const TLines& lines) {
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  parser.Parse(views);
  std::vector<std::string> whole;
  for (const TAbc* e : parser.Elements()) whole.push_back(DumpLinked(e));
  for (size_t bound = 1; bound <= whole.size() + 1; ++bound) {
    parser.ParseOpening(views, views.size(), bound);
    const size_t settled = parser.SettledCount();
    const std::string at = "bound " + std::to_string(bound);
    if (!parser.Cut() && settled != whole.size()) return at + ": not cut, yet not all settled";
    if (settled > whole.size()) return at + " settles more than there is";
    for (size_t i = 0; i < settled; ++i) {
      const std::string mine = DumpLinked(parser.Elements()[i]);
      if (mine != whole[i]) return at + ", element " + std::to_string(i) + ": " + mine + " instead of " + whole[i];
    }
  }
  return {};
}

// A tune body after a minimal header.
inline std::string Body(const std::string& body) { return "X:1\nT:t\nK:C\n" + body; }

}  // namespace rq::test
