// Token rules of ABC text shared by the parser and the editor's highlighter, so
// that what the highlighter colours as an error is what the parser drops or replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace rq {

// The handler a character goes to; one entry per character code.
enum class AbcChar : uint8_t {
  Default,
  EndOfLine,
  SkipOne,  // LF
  LineBreak,  // CR
  ChordSymbol,
  Comment,
  Tuplet,
  Plus,
  Decoration,
  Letter,  // letters, digits and "/"
  Bar,
  Broken,
  Accidental,
  BracketOpen,
  Continuation,
  BracketClose,
  GraceOpen,
  GraceClose,
};

namespace detail {
struct AbcCharTable {
  AbcChar of[256];
  constexpr AbcCharTable() : of() {
    for (auto& c : of) c = AbcChar::Default;
    of[0] = AbcChar::EndOfLine;
    of['\n'] = AbcChar::SkipOne;
    of['\r'] = AbcChar::LineBreak;
    of['"'] = AbcChar::ChordSymbol;
    of['%'] = AbcChar::Comment;
    of['('] = AbcChar::Tuplet;
    of['+'] = AbcChar::Plus;
    of['.'] = AbcChar::Decoration;
    of['~'] = AbcChar::Decoration;
    of['/'] = AbcChar::Letter;
    for (int c = '0'; c <= '9'; ++c) of[c] = AbcChar::Letter;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = AbcChar::Letter;
    for (int c = 'a'; c <= 'z'; ++c) of[c] = AbcChar::Letter;
    of[':'] = AbcChar::Bar;
    of['|'] = AbcChar::Bar;
    of['<'] = AbcChar::Broken;
    of['>'] = AbcChar::Broken;
    of['='] = AbcChar::Accidental;
    of['^'] = AbcChar::Accidental;
    of['_'] = AbcChar::Accidental;
    of['['] = AbcChar::BracketOpen;
    of['\\'] = AbcChar::Continuation;
    of[']'] = AbcChar::BracketClose;
    of['{'] = AbcChar::GraceOpen;
    of['}'] = AbcChar::GraceClose;
  }
};
inline constexpr AbcCharTable kAbcCharTable;
}  // namespace detail

constexpr AbcChar AbcCharOf(unsigned char c) { return detail::kAbcCharTable.of[c]; }

// In the header, music characters start or continue a field value (a bar
// character instead ends the line's reading).
constexpr bool GoesToHeaderRoutine(AbcChar id) {
  switch (id) {
    case AbcChar::ChordSymbol: case AbcChar::Tuplet: case AbcChar::Plus: case AbcChar::Decoration:
    case AbcChar::Broken: case AbcChar::Accidental: case AbcChar::BracketOpen:
    case AbcChar::BracketClose: case AbcChar::GraceOpen: case AbcChar::GraceClose:
      return true;
    default:
      return false;
  }
}

// The character at a 0-based index; 0 (the line's end) past the last one.
constexpr unsigned char AbcAt(std::string_view line, size_t i) {
  return i < line.size() ? static_cast<unsigned char>(line[i]) : 0;
}

constexpr bool IsAbcDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsAbcUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
// A to G or a to g: what an accidental, a decoration or a broken-rhythm sign needs next.
constexpr bool IsPitchLetter(unsigned char c) { return (c >= 'A' && c <= 'G') || (c >= 'a' && c <= 'g'); }
constexpr bool IsAccidentalChar(unsigned char c) { return c == '_' || c == '^' || c == '='; }
constexpr bool IsLineEnd(unsigned char c) { return c == 0 || c == '\n' || c == '\r'; }

// A header T:, C: or R: value starts at its first non-blank character, whatever
// handler that character would otherwise go to.
constexpr bool StartsHeaderTextValue(int fieldLetter, unsigned char c) {
  return (fieldLetter == 'T' || fieldLetter == 'C' || fieldLetter == 'R') && c != ' ' && c != '\t' &&
         c != '%' && !IsLineEnd(c);
}
// What a grace group may hold between its braces.
constexpr bool IsGraceChar(unsigned char c) {
  return IsPitchLetter(c) || IsAccidentalChar(c) || c == '\'' || c == ',';
}
// Letters that start a field in the body (in column 1, or inside brackets or a plus chord).
constexpr bool IsBodyFieldLetter(unsigned char c) {
  return c == 'K' || c == 'L' || c == 'M' || c == 'P' || c == 'Q' || c == 'T' || c == 'V' || c == 'W' ||
         c == 'w';
}
constexpr bool IsTupletDigit(unsigned char c) {
  return c == '2' || c == '3' || c == '4' || c == '5' || c == '6' || c == '8' || c == '9';
}

// Where a K:, M:, L: or body P: value ends. The line's end ends every value,
// inside brackets and plus chords too.
constexpr bool IsFieldValueEnd(unsigned char c, bool inBracket, bool inPlus) {
  if (c == 0 || c == ' ') return true;
  if (inPlus) return c == '+';
  if (inBracket) return c == ']';
  return c == '%';
}
// A V: value ends at the line's end, a blank, "%" or "]", whatever the brackets.
constexpr bool IsVoiceValueEnd(unsigned char c) { return c == 0 || c == ' ' || c == '%' || c == ']'; }

// Index one past the first character from `from` on that ends a skipped span:
// the line's end (NUL, LF, CR) or "%".
size_t SkipToLineEnd(std::string_view line, size_t from);

// After a run of accidentals from `from`, a note letter follows.
bool NextIsNoteAfterAccidentals(std::string_view line, size_t from);

// The closing sign of a chord ("]" or "+") comes on the line before a new bracket,
// the line's end or a bar line (other than the one of a "C|" meter).
bool FindsChordCloser(std::string_view line, size_t from, unsigned char closer);

struct AbcMeter {
  int num = 4;
  int den = 4;
  int symbol = 0;  // 1 common time "C", 2 cut time "C|"
};
// A meter value: "C", "C|", or n/d with 2 <= n <= 99 and d a power of two from 2 to 32.
std::optional<AbcMeter> MeterOf(std::string_view value);

// An L: value: 1/4, 1/8, 1/16 or 1/32 written with "/" and digits 1 to 8 only; the denominator.
std::optional<int> UnitLengthOf(std::string_view value);

struct AbcLength {
  int num = 1;
  int den = 1;
};
namespace detail {
std::optional<AbcLength> NoteLengthOfText(std::string_view text);
}
// The length text after a note (its run of "/" and digits; empty for none), or
// nullopt when it is not a length the program reads. Most notes have none or one digit.
inline std::optional<AbcLength> NoteLengthOf(std::string_view text) {
  if (text.empty()) return AbcLength{};
  if (text.size() == 1 && IsAbcDigit(static_cast<unsigned char>(text[0]))) return AbcLength{text[0] - '0', 1};
  return detail::NoteLengthOfText(text);
}

// A bar-line token read from its first character: at most one blank taken, then
// the characters 1 2 : [ ] | until any other.
struct AbcBarToken {
  size_t end = 0;   // index one past the token (a trailing "[" given back is not in it)
  int kind = 0;     // the bar kind (31 to 36), or 0 when the token is dropped
  int number = 1;   // of a numbered ending
};
AbcBarToken ScanBarToken(std::string_view line, size_t at);

// Broken rhythm: a note is followed by a sign when the run of blanks, "<" and ">"
// after it holds one. The state moves 0 -> 1 on such a note, 1 -> 2 on the next note.
inline bool NoteFollowedByBrokenSign(std::string_view line, size_t from) {
  for (unsigned char c = AbcAt(line, from); c == ' ' || c == '<' || c == '>'; c = AbcAt(line, ++from)) {
    if (c != ' ') return true;
  }
  return false;
}
constexpr int NextBrokenState(int state, bool followed) {
  if (followed && state == 2) state = 0;
  if (state == 1) state = 2;
  if (followed && state == 0) state = 1;
  return state;
}

}  // namespace rq
