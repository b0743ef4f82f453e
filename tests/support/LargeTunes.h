// Tunes of one kind grown large: the inputs on which the tools must stay in
// proportion to their size (tests of bad input, the growth benchmark).
#pragma once

#include <cstdint>
#include <string>

namespace rq::test {

// A tune whose body is one line of at least `bytes` bytes of notes.
std::string TuneWithLongLine(int64_t bytes);
// A tune of `bars` bars, eight to a line.
std::string TuneOfBars(int64_t bars);
// A tune of `voices` voices of two bars each.
std::string TuneWithVoices(int64_t voices);
// A tune whose lines open `depth` chord brackets, slurs, grace braces and quotes
// before one note and close them after it.
std::string TuneWithNestedBrackets(int64_t depth);

}  // namespace rq::test
