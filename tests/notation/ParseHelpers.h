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

// A tune body after a minimal header.
inline std::string Body(const std::string& body) { return "X:1\nT:t\nK:C\n" + body; }

}  // namespace rq::test
