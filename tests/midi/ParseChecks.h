// What the parser fuzzer asserts about one input, shared with the test that runs
// the fuzzer's seeds, so that a seed checked once by the fuzzer stays checked.
#pragma once

#include <string>
#include <string_view>

namespace rq::test {

// Parses arbitrary bytes split into lines, scans them as the highlighter does,
// converts them to MIDI events, reads the tune code from an opening of them and
// writes a MIDI file. Describes the first broken promise; empty when all hold.
std::string CheckParsedInput(std::string_view data);

}  // namespace rq::test
