// Fuzzes the parser and the highlighter's line scanner with arbitrary bytes split
// into lines, then converts what was parsed to MIDI events and a MIDI file; the
// checks are those the seeds' test runs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ParseChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!rq::test::CheckParsedInput(std::string_view(reinterpret_cast<const char*>(data), size)).empty()) {
    __builtin_trap();
  }
  return 0;
}
