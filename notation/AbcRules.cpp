// Token rules of ABC text shared by the parser and the highlighter.
#include "AbcRules.h"

#include <algorithm>

#include "notation/AbcClass.h"
#include "notation/AbcDef.h"
#include "platform/Numbers.h"

namespace rq {
namespace {

// Largest numbers the program keeps: beyond them a meter or a note length is not
// valid, so later arithmetic on them can neither overflow nor divide by zero.
constexpr int kMaxMeterNum = 99;
constexpr int kMaxLenNum = 999;

// Bar tokens are at most five characters, none of them NUL, packed into one integer
// so that a token is classified by integer comparisons.
constexpr uint64_t PackToken(std::string_view t) {
  uint64_t v = 0;
  for (char c : t) v = (v << 8) | static_cast<unsigned char>(c);
  return v;
}
constexpr size_t kMaxBarToken = 5;

// The kind of an accepted bar token, 0 for any other.
int BarKind(uint64_t packed) {
  struct Token { uint64_t packed; int kind; };
  static constexpr Token kTokens[] = {
      {PackToken("|"), kAbcBarSingle},        {PackToken("||"), kAbcBarDouble},
      {PackToken("|]"), kAbcBarDouble},       {PackToken("[|"), kAbcBarDouble},
      {PackToken(":|"), kAbcBarRepeatEnd},    {PackToken(":||"), kAbcBarRepeatEnd},
      {PackToken(":|]"), kAbcBarRepeatEnd},   {PackToken("|:"), kAbcBarRepeatStart},
      {PackToken("||:"), kAbcBarRepeatStart}, {PackToken("[|:"), kAbcBarRepeatStart},
      {PackToken("::"), kAbcBarRepeatBoth},   {PackToken(":||:"), kAbcBarRepeatBoth},
      {PackToken(":|:"), kAbcBarRepeatBoth},  {PackToken("|1"), kAbcBarSection},
      {PackToken("|[1"), kAbcBarSection},     {PackToken("|2"), kAbcBarSection},
      {PackToken(":|2"), kAbcBarSection},
      {PackToken(":|[2"), kAbcBarSection},    {PackToken("[1"), kAbcBarSection},
      {PackToken("[2"), kAbcBarSection},
  };
  for (const Token& token : kTokens) {
    if (token.packed == packed) return token.kind;
  }
  return 0;
}

bool IsPowerOfTwoUpTo32(int64_t d, int64_t from) {
  for (int64_t p = from; p <= 32; p *= 2) {
    if (d == p) return true;
  }
  return false;
}

}  // namespace

size_t SkipToLineEnd(std::string_view line, size_t from) {
  while (!IsLineEnd(AbcAt(line, from)) && AbcAt(line, from) != '%') ++from;
  return from;
}

bool NextIsNoteAfterAccidentals(std::string_view line, size_t from) {
  while (IsAccidentalChar(AbcAt(line, from))) ++from;
  return IsPitchLetter(AbcAt(line, from));
}

namespace {

bool IsDecorationNameChar(unsigned char c) {
  return c > ' ' && c != '|' && c != '"' && c != '[' && c != ']' && c != ':' && c != '%' && c != '\\';
}

// Notes as a plus chord holds them: note letters (at least one) with accidentals,
// octave marks, lengths and roll or staccato signs, each sign before a note.
bool IsChordText(std::string_view text) {
  bool note = false;
  bool signPending = false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsPitchLetter(c) || c == 'z' || c == 'x') {
      note = true;
      signPending = false;
    } else if (c == '.' || c == '~') {
      signPending = true;
    } else if (!IsAccidentalChar(c) && !IsAbcDigit(c) && c != '/' && c != '\'' && c != ',') {
      return false;
    }
  }
  return note && !signPending;
}

}  // namespace

size_t DecorationEnd(std::string_view line, size_t at) {
  const unsigned char sign = AbcAt(line, at);
  if (sign != '!' && sign != '+') return at;
  size_t close = at + 1;
  for (; AbcAt(line, close) != sign; ++close) {
    if (!IsDecorationNameChar(AbcAt(line, close))) return at;
  }
  if (close == at + 1) return at;
  if (sign == '+' && IsChordText(line.substr(at + 1, close - at - 1))) return at;
  return close + 1;
}

size_t ChordSymbolEnd(std::string_view line, size_t at) {
  if (AbcAt(line, at) != '"') return at;
  const size_t close = line.find('"', at + 1);
  if (close == std::string_view::npos || line.find('\0', at + 1) < close) return at;
  return close + 1;
}

size_t GraceGroupEnd(std::string_view line, size_t at) {
  if (AbcAt(line, at) != '{') return at;
  size_t close = at + 1;
  for (; AbcAt(line, close) != '}'; ++close) {
    if (!IsGraceChar(AbcAt(line, close))) return at;
  }
  return close + 1;
}

size_t SkipMarks(std::string_view line, size_t from, bool blanks) {
  for (;;) {
    const unsigned char c = AbcAt(line, from);
    const unsigned char next = AbcAt(line, from + 1);
    if ((c == ' ' && blanks) || IsAccidentalChar(c) || c == '.' || c == '~' || c == '[' || c == ')' ||
        (c == '(' && !IsTupletDigit(next)) || (IsMarkLetter(c) && next != ':')) {
      ++from;
      continue;
    }
    size_t end = from;
    if (c == '"') end = ChordSymbolEnd(line, from);
    if (c == '!' || c == '+') end = DecorationEnd(line, from);
    if (c == '{') end = GraceGroupEnd(line, from);
    if (end == from) return from;
    from = end;
  }
}

bool FindsChordCloser(std::string_view line, size_t from, unsigned char closer) {
  for (size_t i = from; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == closer) return true;
    if (c == 0) return false;
    if (closer == ']' && c == '[') return false;
    if (closer == '+' && (c == '[' || c == ']')) return false;
    if (c == '|' && (i == 0 || line[i - 1] != 'C')) return false;
  }
  return false;
}

std::optional<AbcMeter> MeterOf(std::string_view value) {
  if (value == "C") return AbcMeter{4, 4, 1};
  if (value == "C|") return AbcMeter{4, 4, 2};
  const size_t slash = value.find('/');
  if (slash == std::string_view::npos || slash < 1) return std::nullopt;
  const int n = StrToIntDef(value.substr(0, slash), 0);
  const int d = StrToIntDef(value.substr(slash + 1), 0);
  if (n < 2 || n > kMaxMeterNum || !IsPowerOfTwoUpTo32(d, 2)) return std::nullopt;
  return AbcMeter{n, d, 0};
}

AbcKeyValue ReadKeyValue(std::string_view line, size_t at, bool inBracket, bool inPlus) {
  const auto valueEnd = [&](size_t from) {
    while (!IsFieldValueEnd(AbcAt(line, from), inBracket, inPlus)) ++from;
    return from;
  };
  const size_t end = valueEnd(at + 1);
  const std::string_view word = line.substr(std::min(at, line.size()), end - at);
  AbcKeyValue key{end, KeyWordSharps(word)};
  if (IsValueBlank(AbcAt(line, end)) && IsTonic(word)) {
    size_t modeAt = end;
    while (IsValueBlank(AbcAt(line, modeAt))) ++modeAt;
    const size_t modeEnd = valueEnd(modeAt);
    if (const auto mode = ModeOfWord(line.substr(std::min(modeAt, line.size()), modeEnd - modeAt))) {
      key.end = modeEnd;
      key.sharps = ModalKeySharps(word, *mode);
    }
  }
  return key;
}

std::optional<int> UnitLengthOf(std::string_view value) {
  for (size_t i = 1; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c != '/' && (c < '1' || c > '8')) return std::nullopt;
  }
  const size_t slash = value.find('/');
  if (slash == std::string_view::npos || slash < 1) return std::nullopt;
  if (StrToIntDef(value.substr(0, slash), 0) != 1) return std::nullopt;
  const int den = StrToIntDef(value.substr(slash + 1), 0);
  if (!IsPowerOfTwoUpTo32(den, 4)) return std::nullopt;
  return den;
}

std::optional<AbcLength> detail::NoteLengthOfText(std::string_view text) {
  int slashes = 0;
  int64_t before = 0, after = 0;
  bool hasBefore = false, hasAfter = false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/') {
      ++slashes;
    } else if (slashes == 0) {
      before = std::min<int64_t>(before * 10 + (c - '0'), kMaxLenNum + 1);
      hasBefore = true;
    } else {
      after = std::min<int64_t>(after * 10 + (c - '0'), kMaxLenNum + 1);
      hasAfter = true;
    }
  }
  const int64_t num = hasBefore ? before : 1;
  if (slashes == 0) return before <= kMaxLenNum ? std::optional(AbcLength{static_cast<int>(before), 1}) : std::nullopt;
  if (!hasAfter) {
    // A number (or none) and slashes only: each slash halves ("//" a quarter, "3/" three halves).
    if (slashes > 5 || num > kMaxLenNum) return std::nullopt;  // beyond a thirty-second, or too long
    return AbcLength{static_cast<int>(num), 1 << slashes};
  }
  // Other texts that end in a slash ("3/2/") are half a unit.
  if (text.back() == '/') return AbcLength{1, 2};
  if (slashes > 1 || num > kMaxLenNum || !IsPowerOfTwoUpTo32(after, 1)) return std::nullopt;
  return AbcLength{static_cast<int>(num), static_cast<int>(after)};
}

std::optional<int> BarRestCount(std::string_view digits) {
  if (digits.empty()) return 1;
  int64_t count = 0;
  for (const char c : digits) count = std::min<int64_t>(count * 10 + (c - '0'), kMaxLenNum + 1);
  if (count < 1 || count > kMaxLenNum) return std::nullopt;
  return static_cast<int>(count);
}

AbcBarToken ScanBarToken(std::string_view line, size_t at) {
  // The token's characters; two tokens around the taken blank fit, and one more
  // character is enough to know it is too long.
  constexpr size_t kMaxScan = 2 * kMaxBarToken + 1;
  char token[kMaxScan + 1];
  size_t length = 0;
  token[length++] = static_cast<char>(AbcAt(line, at));
  size_t i = at;
  size_t blankIndex = 0;   // where the blank was taken in the line
  size_t beforeBlank = 0;  // token characters before it; 0 when none was taken
  size_t lastIndex = at;  // of the token's last character in the line
  bool atLineEnd = false;
  // An ending digit written right after a bar line's last character (not after the
  // blank, nor after another digit).
  const auto endingDigitAt = [&line](size_t index) {
    const unsigned char before = AbcAt(line, index - 1);
    return IsEndingNumber(AbcAt(line, index)) && (before == '|' || before == ':' || before == ']');
  };
  for (;;) {
    ++i;
    if (AbcAt(line, i) == ' ' && beforeBlank == 0) {
      blankIndex = i;
      beforeBlank = length;
      ++i;
    }
    const unsigned char c = AbcAt(line, i);
    if (c == 0) {
      atLineEnd = true;
      break;
    }
    // The digits 3 to 6 belong to no longer token: one ends the token, and the
    // blank after it goes with it as after "|2".
    const bool laterEnding = c >= '3' && endingDigitAt(i);
    if (!laterEnding && c != '1' && c != '2' && c != ':' && c != '[' && c != ']' && c != '|') break;
    if (length <= kMaxScan) token[length] = static_cast<char>(c);
    ++length;
    lastIndex = i;
    if (laterEnding) {
      ++i;
      if (AbcAt(line, i) == ' ' && beforeBlank == 0) ++i;
      break;
    }
  }
  // An invisible bar "[|]" joined to a bar token reads as that token.
  const auto kindOf = [&token](size_t from, size_t n) {
    if (n > kMaxBarToken + 3) return 0;
    const int kind = n <= kMaxBarToken ? BarKind(PackToken(std::string_view(token + from, n))) : 0;
    if (kind != 0 || n <= 3 || std::string_view(token + from, 3) != "[|]") return kind;
    return BarKind(PackToken(std::string_view(token + from + 3, n - 3)));
  };
  AbcBarToken bar;
  // A closing bar, a blank and a repeat start are two tokens ("|| |:", ":| |:"), and
  // so are a closing bar, a blank and an ending that do not form one token (":| |2";
  // ":| [2" is the single token ":|[2"). The first token ends with the blank.
  if (beforeBlank > 0 && length > beforeBlank && length <= kMaxScan) {
    const int first = kindOf(0, beforeBlank);
    const int second = kindOf(beforeBlank, length - beforeBlank);
    if ((first == kAbcBarDouble || first == kAbcBarRepeatEnd) &&
        (second == kAbcBarRepeatStart || (second == kAbcBarSection && kindOf(0, length) == 0))) {
      bar.kind = first;
      bar.end = blankIndex + 1;
      return bar;
    }
  }
  bar.kind = kindOf(0, length);
  // A bar directly followed by a numbered ending ("|[2", "||[2"): the "[" and its
  // digit are read again as the ending, at the line's end too.
  if (bar.kind == 0 && length > 2 && length <= kMaxScan && token[length - 2] == '[' &&
      IsAbcDigit(static_cast<unsigned char>(token[length - 1])) && AbcAt(line, lastIndex - 1) == '[' &&
      kindOf(0, length - 2)) {
    length -= 2;
    bar.kind = kindOf(0, length);
    i = lastIndex - 1;
  } else if (bar.kind == 0 && length > 1 && length <= kMaxScan && endingDigitAt(lastIndex) &&
             IsPlainBar(kindOf(0, length - 1))) {
    // A bar directly followed by an ending digit ("||2", ":|3"): the bar and the ending.
    bar.ending = token[length - 1] - '0';
    bar.kind = kindOf(0, length - 1);
  } else if (bar.kind == 0 && !atLineEnd) {
    // A bar directly followed by an inline field: the "[" is read again as a bracket.
    if (length > 1 && length <= kMaxScan && token[length - 1] == '[' && kindOf(0, length - 1)) {
      --i;
      --length;
      bar.kind = kindOf(0, length);
    }
  } else if (bar.kind == 0) {
    // A run that is no bar token reads as a single bar at the line's end.
    token[0] = '|';
    length = 1;
    bar.kind = kAbcBarSingle;
  }
  bar.end = i;
  if (bar.kind == kAbcBarSection) {
    const auto last = static_cast<unsigned char>(token[length - 1]);
    bar.number = IsAbcDigit(last) ? last - '0' : 1;
  }
  return bar;
}

AbcAfterSign WhatFollowsSign(std::string_view line, size_t from) {
  from = SkipMarks(line, from, true);
  const unsigned char c = AbcAt(line, from);
  if (IsPitchLetter(c)) return AbcAfterSign::kNote;
  const bool lineEnd = IsLineEnd(c) || c == '%' || (c == '\\' && ContinuationEndsLine(line, from));
  return lineEnd ? AbcAfterSign::kLineEnd : AbcAfterSign::kNothing;
}

}  // namespace rq
