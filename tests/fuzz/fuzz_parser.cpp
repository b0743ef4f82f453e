// Fuzzes the parser with arbitrary bytes split into lines.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "notation/AbcParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static rq::TAbcParser parser;
  const rq::TLines lines = rq::SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
  parser.Parse(lines);
  for (const rq::TAbc* e : parser.Elements()) {
    if (e->Kind < 0) __builtin_trap();
  }
  return 0;
}
