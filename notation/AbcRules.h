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
  constexpr void Set(unsigned char c, AbcChar id) { of[c] = id; }
  constexpr AbcCharTable() : of() {
    for (auto& c : of) c = AbcChar::Default;
    of[0] = AbcChar::EndOfLine;
    Set('\n', AbcChar::SkipOne);
    Set('\r', AbcChar::LineBreak);
    Set('"', AbcChar::ChordSymbol);
    Set('%', AbcChar::Comment);
    Set('(', AbcChar::Tuplet);
    Set('+', AbcChar::Plus);
    Set('.', AbcChar::Decoration);
    Set('~', AbcChar::Decoration);
    Set('/', AbcChar::Letter);
    for (int c = '0'; c <= '9'; ++c) of[c] = AbcChar::Letter;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = AbcChar::Letter;
    for (int c = 'a'; c <= 'z'; ++c) of[c] = AbcChar::Letter;
    Set(':', AbcChar::Bar);
    Set('|', AbcChar::Bar);
    Set('<', AbcChar::Broken);
    Set('>', AbcChar::Broken);
    Set('=', AbcChar::Accidental);
    Set('^', AbcChar::Accidental);
    Set('_', AbcChar::Accidental);
    Set('[', AbcChar::BracketOpen);
    Set('\\', AbcChar::Continuation);
    Set(']', AbcChar::BracketClose);
    Set('{', AbcChar::GraceOpen);
    Set('}', AbcChar::GraceClose);
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
// What a grace group may hold between its braces: notes with their accidentals,
// octave marks and lengths (a "/" first makes it an acciaccatura).
constexpr bool IsGraceChar(unsigned char c) {
  return IsPitchLetter(c) || IsAccidentalChar(c) || c == '\'' || c == ',' || c == '/' || IsAbcDigit(c);
}
// The one-letter decorations and bowings, and the spacer "y": marks that stand before
// a note without being one, unless a colon makes the letter a field.
constexpr bool IsMarkLetter(unsigned char c) {
  return (c >= 'H' && c <= 'W') || (c >= 'h' && c <= 'w') || c == 'y';
}
// Letters that start a field in the body (in column 1, or inside brackets or a plus chord).
constexpr bool IsBodyFieldLetter(unsigned char c) {
  return c == 'K' || c == 'L' || c == 'M' || c == 'P' || c == 'Q' || c == 'T' || c == 'V' || c == 'W' ||
         c == 'w';
}
constexpr bool IsTupletDigit(unsigned char c) {
  return c == '2' || c == '3' || c == '4' || c == '5' || c == '6' || c == '8' || c == '9';
}

// A blank or a tab: either ends a field's value.
constexpr bool IsValueBlank(unsigned char c) { return c == ' ' || c == '\t'; }
// Where a K:, M:, L: or body P: value ends. The line's end ends every value,
// inside brackets and plus chords too.
constexpr bool IsFieldValueEnd(unsigned char c, bool inBracket, bool inPlus) {
  if (c == 0 || IsValueBlank(c)) return true;
  if (inPlus) return c == '+';
  if (inBracket) return c == ']';
  return c == '%';
}
// A V: value ends at the line's end, a blank, "%" or "]", whatever the brackets.
constexpr bool IsVoiceValueEnd(unsigned char c) { return c == 0 || IsValueBlank(c) || c == '%' || c == ']'; }
// A header P: value ends at the line's end, a blank or "%".
constexpr bool IsPartDefEnd(unsigned char c) { return c == 0 || IsValueBlank(c) || c == '%'; }

// Index one past the first character from `from` on that ends a skipped span:
// the line's end (NUL, LF, CR) or "%".
size_t SkipToLineEnd(std::string_view line, size_t from);

// After a run of accidentals from `from`, a note letter follows.
bool NextIsNoteAfterAccidentals(std::string_view line, size_t from);

// A decoration written as a name between two "!" (or, in the older spelling, two "+")
// on one line: from its opening sign at `at`, the index one past its closing sign, or
// `at` when none starts there. A name holds no blank, bar, quote, bracket, colon or
// "%"; a "+" group whose content is note material ("+CEG+") is a plus chord instead.
size_t DecorationEnd(std::string_view line, size_t at);
// A chord symbol or annotation from its opening quote at `at`: the index one past the
// closing quote, or `at` when the line ends first.
size_t ChordSymbolEnd(std::string_view line, size_t at);
// A grace group from its "{" at `at`, closed on its line: the index one past its "}",
// or `at` when it is no grace group or not closed.
size_t GraceGroupEnd(std::string_view line, size_t at);
// Past what may stand between a mark and its note, or between a broken-rhythm sign
// and the note it pairs: mark letters, decorations, chord symbols, grace groups,
// roll and staccato signs, accidentals, slurs and a chord's "[". Blanks too when `blanks`.
size_t SkipMarks(std::string_view line, size_t from, bool blanks);

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

// A K: value read from `at`, its first character whatever it is, up to the value's
// end (IsFieldValueEnd); when that word is a tonic followed by blanks and a mode word
// ("A Mixolydian", "E minor", "F# aeolian"), the mode word belongs to the value too.
struct AbcKeyValue {
  size_t end = 0;             // index one past the value's last character
  std::optional<int> sharps;  // nullopt for a key the program does not know
};
AbcKeyValue ReadKeyValue(std::string_view line, size_t at, bool inBracket, bool inPlus);

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
// nullopt when it is not a length the program reads. Each slash after the number
// halves it ("/" 1/2, "//" 1/4, "3/" 3/2, "3//" 3/4); "3/4" is three quarters.
// Most notes have none or one digit.
inline std::optional<AbcLength> NoteLengthOf(std::string_view text) {
  if (text.empty()) return AbcLength{};
  if (text.size() == 1 && IsAbcDigit(static_cast<unsigned char>(text[0]))) return AbcLength{text[0] - '0', 1};
  return detail::NoteLengthOfText(text);
}

// Whether a "Z" rest starts at `at`: a "Z:" opening its line is a field, read as
// no music.
inline bool StartsBarRest(std::string_view line, size_t at) {
  return at < line.size() && line[at] == 'Z' && !(at == 0 && line.size() > 1 && line[1] == ':');
}
// The count of whole bars after a "Z" rest (its run of digits; empty for one bar),
// or nullopt when it is not a count the program reads: 0, or beyond 999.
std::optional<int> BarRestCount(std::string_view digits);

// A bar-line token read from its first character: at most one blank taken, then
// the characters 1 2 : [ ] | until any other, or an ending digit 3 to 6 that ends it.
// A bar directly followed by an ending digit ("||2", ":|3", "| |1") is the bar and
// the ending: `kind` is the bar's, `ending` the digit's number, and the digit is the
// token's last character.
struct AbcBarToken {
  size_t end = 0;   // index one past the token (a trailing "[" given back is not in it)
  int kind = 0;     // the bar kind (31 to 36), or 0 when the token is dropped
  int number = 1;   // of a numbered ending
  int ending = 0;   // the number of the ending written right after the bar; 0 none
};
AbcBarToken ScanBarToken(std::string_view line, size_t at);

// A "-" ties the note or chord that ends right before it, a slur's ")" allowed
// between: the index one past that note or chord, for a "-" at `dash`.
constexpr size_t TiedEnd(std::string_view line, size_t dash) {
  while (dash > 0 && AbcAt(line, dash - 1) == ')') --dash;
  return dash;
}

// After a line that ends on a closing repeat (":|", then only blanks, a continuation
// or a comment), a digit 1 to 6 first on the next line numbers the ending that
// repeat leads to, as ":|2" does on one line.
constexpr bool IsEndingNumber(unsigned char c) { return c >= '1' && c <= '6'; }
constexpr bool FirstOnLine(std::string_view line, size_t at) { return line.find_first_not_of(' ') == at; }
// A continuation "\" at `at` that only blanks follow ends its line.
constexpr bool ContinuationEndsLine(std::string_view line, size_t at) {
  do {
    ++at;
  } while (AbcAt(line, at) == ' ');
  return AbcAt(line, at) == 0;
}

// Broken rhythm. What follows a note: a sign ("<" or ">") after blanks, the
// closing ")" of a slur or "]" of a chord, chord symbols and decorations; or the
// line's end (after those, a continuation or a comment), where a sign may still
// start the next line.
enum class AbcAfterNote : uint8_t { kNothing, kSign, kLineEnd };
// Read after every note, so kept inline: most notes are followed by another note.
inline AbcAfterNote WhatFollowsNote(std::string_view line, size_t from) {
  for (;; ++from) {
    switch (const unsigned char c = AbcAt(line, from)) {
      case ' ': case ')': case ']': continue;
      case '<': case '>': return AbcAfterNote::kSign;
      case 0: case '\n': case '\r': case '%': return AbcAfterNote::kLineEnd;
      case '\\': return ContinuationEndsLine(line, from) ? AbcAfterNote::kLineEnd : AbcAfterNote::kNothing;
      case '"': case '!': case '+': {
        const size_t end = c == '"' ? ChordSymbolEnd(line, from) : DecorationEnd(line, from);
        if (end == from) return AbcAfterNote::kNothing;
        from = end - 1;
        continue;
      }
      default: return AbcAfterNote::kNothing;
    }
  }
}

// What follows a sign: a note (behind blanks and marks, see SkipMarks; a rest or a
// tuplet drops the sign), or the line's end, where the first note of the next line
// may take the pair's second place.
enum class AbcAfterSign : uint8_t { kNothing, kNote, kLineEnd };
AbcAfterSign WhatFollowsSign(std::string_view line, size_t from);

constexpr int NextBrokenState(int state, bool followed) {
  if (followed && state == 2) state = 0;
  if (state == 1) state = 2;
  if (followed && state == 0) state = 1;
  return state;
}

// Whether a sign pairs the notes around it. A note followed by a sign moves the
// state 0 -> 1, the next note 1 -> 2 (so the note after a pair does not start
// another one at once); a bar line resets it. A note that ends its line leaves a
// carry for the next line: a sign first on that line (after blanks) pairs it.
class BrokenRhythmState {
 public:
  void AfterNote(AbcAfterNote next) {
    carry_ = next == AbcAfterNote::kLineEnd && state_ != 1 ? 2 : 0;  // a sign would have moved it to 1
    state_ = NextBrokenState(state_, next == AbcAfterNote::kSign);
  }
  // The carry reaches the next line only.
  void AtLineEnd() {
    if (carry_ > 0) --carry_;
  }
  void AtBar() {
    state_ = 0;
    carry_ = 0;
  }
  // Whether a sign (with a note after it) is taken; `firstOnLine` when only blanks precede it.
  bool TakeSign(bool firstOnLine) {
    if (state_ == 1) return true;
    if (!firstOnLine || carry_ != 1) return false;
    state_ = 1;
    carry_ = 0;
    return true;
  }
  // The carry into the next line, and taking it over at a line's start (the
  // editor's scanner reads one line at a time); `signTaken` when the line before
  // ended on a sign that the first note of this line completes.
  bool CarriesToNextLine() const { return carry_ == 2; }
  void StartLineWithCarry(bool carry, bool signTaken) {
    state_ = signTaken ? 1 : 0;
    carry_ = carry ? 1 : 0;
  }
  void Reset() { AtBar(); }

 private:
  int state_ = 0;
  int carry_ = 0;  // 2 after a note that ends its line, 1 on the next line
};

}  // namespace rq
