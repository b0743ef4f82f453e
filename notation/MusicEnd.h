// Where a tune's music ends. Players write words after a tune (where they learned
// it, a note on a bar), set off by an empty line: the first line of nothing but
// blanks and tabs after the header's K: line ends the music. What follows up to the
// next tune stays part of the tune's text but is read as no music by the parser,
// the converter, the tune code and the editor's colours alike.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace rq {

// A line (up to its first NUL, as the parser reads it) of nothing but blanks and
// tabs: in a tune's body it ends the music.
constexpr bool EndsMusic(std::string_view line) {
  for (const char c : line) {
    if (c == '\0') break;
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

// A line that opens a new tune's header in the parser's reading ("X:" at column 1):
// what follows the end of the music is text up to such a line.
constexpr bool OpensTuneHeader(std::string_view line) { return line.starts_with("X:"); }

// The number of lines of one tune's text that its music may use: up to, not
// including, the line that ends its music; all of them when none does.
size_t MusicLineCount(std::span<const std::string> lines);

}  // namespace rq
