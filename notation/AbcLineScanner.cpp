// The editor's line scanner. It reads a line the way the parser does, with the
// same dispatch and token rules, but instead of making elements it tells the kind
// of every stretch of text, so that what the parser drops or replaces shows as an error.
#include "notation/AbcLineScanner.h"

#include <algorithm>
#include <limits>

#include "notation/AbcClass.h"
#include "notation/AbcDef.h"
#include "notation/AbcRules.h"
#include "notation/MusicEnd.h"

namespace rq {

namespace {
// Positions are ints; no editor line comes near this.
constexpr size_t kMaxLine = std::numeric_limits<int>::max() / 2;

bool IsLowerAscii(unsigned char c) { return c >= 'a' && c <= 'z'; }
}  // namespace

unsigned char AbcLineScanner::At(int i) const { return AbcAt(line_, static_cast<size_t>(i)); }

std::string_view AbcLineScanner::GetToken() const {
  return line_.substr(static_cast<size_t>(tokenPos_), static_cast<size_t>(run_ - tokenPos_));
}

void AbcLineScanner::SetLine(std::string_view line, int lineNumber) {
  line_ = line.substr(0, std::min(line.find('\0'), kMaxLine));
  if (range_ == kRangeBody && EndsMusic(line_)) range_ = kRangeText;
  lineNumber_ = lineNumber;
  run_ = 0;
  inBracket_ = false;
  inPlus_ = false;
  broken_.StartLineWithCarry(carry_, signCarry_);
  carry_ = false;
  signCarry_ = false;
  lineEndSign_ = false;
  endingMayStart_ = repeatEnd_;
  repeatEnd_ = false;
  tieAnchor_ = -1;
  // Normally cleared at the end of the line before; a line left unfinished must
  // not colour the next one.
  fieldLetter_ = 0;
  keySeen_ = false;
  Next();
}

void AbcLineScanner::Next() {
  tokenPos_ = run_;
  barKind_ = 0;
  Dispatch();
  // Blanks, a continuation and a comment leave what the line ends on as it was.
  const bool passedOver = tokenId_ == kTokEol || tokenId_ == kTokComment ||
                          (tokenId_ == kTokText && GetToken() == " ") || (tokenId_ == kTokSymbol && GetToken() == "\\");
  if (!passedOver) repeatEnd_ = range_ == kRangeBody && barKind_ == kAbcBarRepeatEnd;
}

// Every token but the end of line holds at least one character, so a line's scan
// always ends.
void AbcLineScanner::SpanTo(int end, int kind) {
  run_ = std::max(end, tokenPos_ + 1);
  tokenId_ = kind;
}

void AbcLineScanner::RestOfLine(int kind) {
  SpanTo(static_cast<int>(SkipToLineEnd(line_, static_cast<size_t>(run_))), kind);
}

// In the header, a T:, C: or R: value starts at its first non-blank character,
// whatever handler that character would otherwise go to (as the parser reads it).
bool AbcLineScanner::StartsHeaderText(unsigned char c) const {
  return range_ != kRangeBody && run_ != 0 && StartsHeaderTextValue(fieldLetter_, c);
}

void AbcLineScanner::Dispatch() {
  const unsigned char c = Cur();
  const AbcChar id = AbcCharOf(c);
  // After the music only line ends and comments read as they do elsewhere.
  if (range_ == kRangeText && SkipToLineEnd(line_, static_cast<size_t>(run_)) != static_cast<size_t>(run_)) {
    OnText();
    return;
  }
  if (StartsHeaderText(c)) {
    HeaderRoutine();
    return;
  }
  if (range_ != kRangeBody) {
    if (GoesToHeaderRoutine(id)) {
      HeaderRoutine();
      return;
    }
    if (id == AbcChar::Bar) {
      RestOfLine(kTokText);
      return;
    }
  }
  switch (id) {
    case AbcChar::EndOfLine: OnEndOfLine(); break;
    case AbcChar::SkipOne: SpanTo(run_ + 1, kTokLineBreak); break;
    case AbcChar::LineBreak: SpanTo(At(run_ + 1) == '\n' ? run_ + 2 : run_ + 1, kTokLineBreak); break;
    case AbcChar::ChordSymbol: OnChordSymbol(); break;
    case AbcChar::Comment: SpanTo(static_cast<int>(line_.size()), kTokComment); break;
    case AbcChar::Tuplet: OnTuplet(); break;
    case AbcChar::Plus: OnPlus(); break;
    case AbcChar::Decoration: OnDecoration(); break;
    case AbcChar::Letter: OnLetter(); break;
    case AbcChar::Bar: OnBar(); break;
    case AbcChar::Broken: OnBroken(); break;
    case AbcChar::Accidental: OnAccidental(); break;
    case AbcChar::BracketOpen: OnBracketOpen(); break;
    case AbcChar::Continuation: OnContinuation(); break;
    case AbcChar::BracketClose: OnBracketClose(); break;
    case AbcChar::GraceOpen: OnGraceOpen(); break;
    case AbcChar::GraceClose:
      fieldLetter_ = 0;
      SpanTo(run_ + 1, kTokSymbol);
      break;
    case AbcChar::Default: OnDefault(); break;
  }
}

// After the music, a line is plain text up to a comment; an "X:" opening it starts
// the next tune's header.
void AbcLineScanner::OnText() {
  if (run_ == 0 && OpensTuneHeader(line_)) {
    OnLetter();
  } else {
    RestOfLine(kTokText);
  }
}

// In the body a decoration "!name!" is one token and a "-" right after a note or
// chord is a tie; other characters stand alone.
void AbcLineScanner::OnDefault() {
  const size_t end = Cur() == '!' && range_ == kRangeBody ? DecorationEnd(line_, static_cast<size_t>(run_)) : 0;
  if (end > static_cast<size_t>(run_)) {
    SpanTo(static_cast<int>(end), kTokNoteSymbol);
    return;
  }
  const bool tie = range_ == kRangeBody && Cur() == '-' &&
                   static_cast<int>(TiedEnd(line_, static_cast<size_t>(run_))) == tieAnchor_;
  SpanTo(run_ + 1, tie ? kTokSlur : kTokText);
}

void AbcLineScanner::OnEndOfLine() {
  tokenId_ = kTokEol;
  carry_ = range_ == kRangeBody && broken_.CarriesToNextLine();
  signCarry_ = range_ == kRangeBody && lineEndSign_;
  inBracket_ = false;
  inPlus_ = false;
  fieldLetter_ = 0;
  if (keySeen_) {
    range_ = kRangeBody;
    keySeen_ = false;
  }
}

void AbcLineScanner::OnContinuation() {
  int i = run_ + 1;
  while (At(i) == ' ') ++i;
  SpanTo(run_ + 1, At(i) == 0 ? kTokSymbol : kTokError);
}

void AbcLineScanner::OnLetter() {
  if (run_ == 0 && Cur() == 'X' && At(1) == ':') range_ = kRangeHeader;
  if (range_ != kRangeBody) {
    HeaderRoutine();
  } else {
    BodyRoutine();
  }
}

// ---- Header ----

void AbcLineScanner::HeaderRoutine() {
  range_ = kRangeHeader;
  const unsigned char c = Cur();
  if (run_ == 0) {
    fieldLetter_ = 0;
    if (At(1) != ':') {
      RestOfLine(kTokText);
      return;
    }
    fieldLetter_ = c;
    keySeen_ = c == 'K';
    SpanTo(2, kTokField);
    return;
  }
  switch (fieldLetter_) {
    case 'X': case 'T': case 'R':
      RestOfLine(kTokMainValue);
      fieldLetter_ = 0;
      break;
    case 'K': ReadKey(); break;
    case 'M': ReadMeter(); break;
    case 'L': ReadUnitLength(); break;
    case 'P': ReadPartDef(); break;
    case 'V': ReadVoice(); break;
    case 0: RestOfLine(kTokText); break;
    default:
      RestOfLine(kTokValue);
      fieldLetter_ = 0;
      break;
  }
}

// The value of K:, M:, L:: its first character whatever it is, then up to the terminator.
int AbcLineScanner::ReadFieldValueEnd() const {
  int i = run_ + 1;
  while (!IsFieldValueEnd(At(i), inBracket_, inPlus_)) ++i;
  return i;
}

void AbcLineScanner::ReadKey() {
  const AbcKeyValue key = ReadKeyValue(line_, static_cast<size_t>(run_), inBracket_, inPlus_);
  fieldLetter_ = 0;
  if (key.sharps && range_ == kRangeBody) fieldLetter_ = 255;
  SpanTo(static_cast<int>(key.end), key.sharps ? kTokMainValue : kTokError);
}

void AbcLineScanner::ReadMeter() {
  const int end = ReadFieldValueEnd();
  fieldLetter_ = 0;
  const std::string_view value = line_.substr(static_cast<size_t>(run_), static_cast<size_t>(end - run_));
  bool good = MeterOf(value).has_value();
  for (size_t i = 1; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c != '/' && c != 'C' && c != '|' && (c < '1' || c > '9')) good = false;
  }
  // A body M: leaves the rest of its line to be read as music, as the parser does.
  SpanTo(end, good ? kTokMainValue : kTokError);
}

void AbcLineScanner::ReadUnitLength() {
  const int end = ReadFieldValueEnd();
  const bool good = UnitLengthOf(line_.substr(static_cast<size_t>(run_), static_cast<size_t>(end - run_))).has_value();
  if (good && range_ == kRangeBody) fieldLetter_ = 255;
  SpanTo(end, good ? kTokMainValue : kTokError);
}

void AbcLineScanner::ReadPartDef() {
  fieldLetter_ = 0;
  bool good = true;
  int i = run_;
  for (unsigned char c = At(i); !IsPartDefEnd(c); c = At(++i)) {
    if (!IsAbcDigit(c) && !IsAbcUpper(c)) good = false;
  }
  SpanTo(i, good ? kTokMainValue : kTokError);
}

void AbcLineScanner::ReadPartMark() {
  bool good = IsAbcUpper(Cur());
  int end = run_ + 1;
  if (!IsFieldValueEnd(At(end), inBracket_, inPlus_)) {
    ++end;
    good = false;
  }
  fieldLetter_ = 255;
  SpanTo(end, good ? kTokMainValue : kTokError);
}

void AbcLineScanner::ReadVoice() {
  const unsigned char digit = Cur();
  bool good = digit >= '1' && digit <= '9';
  int end = run_ + 1;
  if (!IsVoiceValueEnd(At(end))) {
    ++end;
    good = false;
  }
  fieldLetter_ = good ? 255 : 0;
  SpanTo(end, good ? kTokMainValue : kTokError);
}

// ---- Body ----

void AbcLineScanner::BodyRoutine() {
  range_ = kRangeBody;
  const unsigned char c = Cur();
  if (IsBodyFieldLetter(c) && fieldLetter_ == 0) {
    // Body fields stand in column 1 or inside brackets or a plus chord; elsewhere
    // the letter may be a decoration before a note.
    if ((run_ != 0 && !inBracket_ && !inPlus_) || At(run_ + 1) != ':') {
      SpanTo(run_ + 1, MarksANote() ? kTokSymbol : kTokError);
    } else {
      fieldLetter_ = c;
      SpanTo(run_ + 2, kTokField);
    }
    return;
  }
  switch (fieldLetter_) {
    case 'K': ReadKey(); return;
    case 'L': ReadUnitLength(); return;
    case 'M': ReadMeter(); return;
    case 'P': ReadPartMark(); return;
    case 'V': ReadVoice(); return;
    case 'Q': case 'T': case 'W': case 'w': SkipFieldRest(kTokText); return;
    // Text after a valid value of K:, L:, P: or V: is skipped by the parser.
    case 255: SkipFieldRest(kTokError); return;
    case 0: break;
    default: SpanTo(run_ + 1, kTokError); return;
  }
  if (c == 'E' && At(run_ + 1) == ':' && (IsAbcDigit(At(run_ + 2)) || At(run_ + 2) == '.')) {
    int i = run_ + 2;
    while (IsAbcDigit(At(i)) || At(i) == '.') ++i;
    SpanTo(i, kTokField);
  } else if (IsPitchLetter(c) || c == 'z' || c == 'x') {
    ReadNote();
  } else if (StartsBarRest(line_, static_cast<size_t>(run_))) {
    ReadBarRest();
  } else if (IsEndingNumber(c) && endingMayStart_ && FirstOnLine(line_, static_cast<size_t>(run_))) {
    broken_.AtBar();
    SpanTo(run_ + 1, kTokBar);
  } else {
    SpanTo(run_ + 1, MarksANote() ? kTokSymbol : kTokError);
  }
}

// A one-letter decoration before a note (behind other marks), a bowing or the
// spacer: the parser passes over all of them.
bool AbcLineScanner::MarksANote() const {
  const unsigned char c = Cur();
  if (c == 'u' || c == 'v' || c == 'y') return true;
  return IsMarkLetter(c) && IsPitchLetter(At(static_cast<int>(SkipMarks(line_, static_cast<size_t>(run_ + 1), false))));
}

// The rest of a field: inside brackets up to the "]", inside a plus chord up to the
// "+", else to the line's end. When nothing is left (a "+" right here), the field
// ends and the character is read afresh.
void AbcLineScanner::SkipFieldRest(int kind) {
  int end = run_;
  if (inBracket_) {
    while (At(end) != 0 && At(end) != ']') ++end;
  } else if (inPlus_) {
    while (At(end) != 0 && At(end) != '+') ++end;
  } else {
    end = static_cast<int>(SkipToLineEnd(line_, static_cast<size_t>(run_)));
  }
  fieldLetter_ = 0;
  if (end == run_) {
    Dispatch();
  } else {
    SpanTo(end, kind);
  }
}

void AbcLineScanner::ReadNote() {
  const unsigned char letter = Cur();
  bool good = true;
  int i = run_ + 1;
  unsigned char first = 0;
  int marks = 0;
  for (unsigned char m = At(i); m == '\'' || m == ','; m = At(++i)) {
    if (m == ',' ? IsLowerAscii(letter) : IsAbcUpper(letter)) good = false;
    if (marks == 0) {
      first = m;
    } else if (m != first || marks >= 2) {
      good = false;
    }
    ++marks;
  }
  const int lengthFrom = i;
  while (At(i) == '/' || IsAbcDigit(At(i))) ++i;
  if (!NoteLengthOf(line_.substr(static_cast<size_t>(lengthFrom), static_cast<size_t>(i - lengthFrom)))) good = false;
  SpanTo(i, good ? kTokNote : kTokError);
  if (IsPitchLetter(letter)) tieAnchor_ = i;  // a rest ties nothing
  broken_.AfterNote(WhatFollowsNote(line_, static_cast<size_t>(i)));
}

// "Z" and its count of bars; a count the parser does not read (0, over 999) still
// rests one bar there.
void AbcLineScanner::ReadBarRest() {
  int i = run_ + 1;
  while (IsAbcDigit(At(i))) ++i;
  const std::string_view count = line_.substr(static_cast<size_t>(run_ + 1), static_cast<size_t>(i - run_ - 1));
  const bool good = BarRestCount(count).has_value();
  SpanTo(i, good ? kTokNote : kTokError);
  broken_.AfterNote(WhatFollowsNote(line_, static_cast<size_t>(i)));
}

void AbcLineScanner::OnAccidental() {
  fieldLetter_ = 0;
  const unsigned char c = Cur();
  const int allowed = c == '=' ? 0 : 1;
  int same = 0;
  bool good = true;
  int i = run_ + 1;
  for (; IsAccidentalChar(At(i)); ++i) {
    if (At(i) == c && same < allowed) {
      ++same;
    } else {
      good = false;
    }
  }
  if (!IsPitchLetter(At(i))) good = false;
  SpanTo(i, good ? kTokNoteSymbol : kTokError);
}

void AbcLineScanner::OnDecoration() {
  fieldLetter_ = 0;
  SpanTo(run_ + 1, NextIsNoteAfterAccidentals(line_, static_cast<size_t>(run_ + 1)) ? kTokNoteSymbol : kTokError);
}

void AbcLineScanner::OnBroken() {
  fieldLetter_ = 0;
  const unsigned char c = Cur();
  bool second = false;
  bool good = true;
  int i = run_ + 1;
  for (; At(i) == '<' || At(i) == '>'; ++i) {
    if (At(i) == c && !second) {
      second = true;
    } else {
      good = false;
    }
  }
  // As in the parser: a sign first on its line may pair the note that ended the line before.
  const bool firstOnLine = FirstOnLine(line_, static_cast<size_t>(tokenPos_));
  // A sign that ends its line waits for the first note of the next line.
  const AbcAfterSign after = WhatFollowsSign(line_, static_cast<size_t>(i));
  if (after == AbcAfterSign::kNothing || !broken_.TakeSign(firstOnLine)) {
    good = false;
  } else if (after == AbcAfterSign::kLineEnd) {
    lineEndSign_ = true;
  }
  SpanTo(i, good ? kTokStraight : kTokError);
}

void AbcLineScanner::OnBar() {
  fieldLetter_ = 0;
  broken_.AtBar();
  const AbcBarToken bar = ScanBarToken(line_, static_cast<size_t>(run_));
  inBracket_ = false;
  inPlus_ = false;
  barKind_ = bar.kind;
  SpanTo(static_cast<int>(bar.end), bar.kind != 0 ? kTokBar : kTokError);
}

void AbcLineScanner::OnBracketOpen() {
  if (fieldLetter_ != 0) {
    BodyRoutine();
    return;
  }
  const unsigned char next = At(run_ + 1);
  if (next == '|') {
    OnBar();
  } else if (IsEndingNumber(next)) {
    inBracket_ = false;
    SpanTo(run_ + 2, kTokBar);
  } else if (FindsChordCloser(line_, static_cast<size_t>(run_ + 1), ']')) {
    inBracket_ = true;
    SpanTo(run_ + 1, kTokNoteSymbol);
  } else {
    SpanTo(run_ + 1, kTokError);
  }
}

void AbcLineScanner::OnBracketClose() {
  fieldLetter_ = 0;
  if (!inBracket_) {
    SpanTo(run_ + 1, kTokError);
    return;
  }
  // As in the parser, a length after the bracket is the chord's.
  int i = run_ + 1;
  while (At(i) == '/' || IsAbcDigit(At(i))) ++i;
  const bool good = i == run_ + 1 || NoteLengthOf(line_.substr(static_cast<size_t>(run_ + 1), static_cast<size_t>(i - run_ - 1)));
  SpanTo(i, good ? kTokNoteSymbol : kTokError);
  tieAnchor_ = run_;
  inBracket_ = false;
}

void AbcLineScanner::OnPlus() {
  if (fieldLetter_ != 0) {
    BodyRoutine();
    return;
  }
  if (inPlus_) {
    inPlus_ = false;
    SpanTo(run_ + 1, kTokNoteSymbol);
    tieAnchor_ = run_;
  } else if (const size_t end = DecorationEnd(line_, static_cast<size_t>(run_)); end > static_cast<size_t>(run_)) {
    SpanTo(static_cast<int>(end), kTokNoteSymbol);  // "+trill+", a decoration
  } else if (FindsChordCloser(line_, static_cast<size_t>(run_ + 1), '+')) {
    inPlus_ = true;
    SpanTo(run_ + 1, kTokNoteSymbol);
  } else {
    SpanTo(run_ + 1, kTokError);
  }
}

void AbcLineScanner::OnChordSymbol() {
  fieldLetter_ = 0;
  int q = run_ + 1;
  while (At(q) != 0 && At(q) != '"') ++q;
  if (At(q) == '"') {
    SpanTo(q + 1, kTokChord);
  } else {
    SpanTo(run_ + 1, kTokError);
  }
}

void AbcLineScanner::OnTuplet() {
  fieldLetter_ = 0;
  if (IsTupletDigit(At(run_ + 1))) {
    inBracket_ = false;
    inPlus_ = false;
    SpanTo(run_ + 2, kTokTuplet);
  } else {
    SpanTo(run_ + 1, kTokSlur);
  }
}

void AbcLineScanner::OnGraceOpen() {
  fieldLetter_ = 0;
  bool good = true;
  int i = run_ + 1;
  for (; At(i) != 0 && At(i) != '}'; ++i) {
    if (!IsGraceChar(At(i))) good = false;
  }
  if (At(i) == '}') ++i;
  SpanTo(i, good ? kTokGrace : kTokError);
}

void ScanAbcLine(std::string_view line, int& state, std::vector<AbcToken>& tokens) {
  tokens.clear();
  AbcLineScanner scanner;
  scanner.SetState(state);
  for (scanner.SetLine(line); !scanner.GetEol(); scanner.Next()) {
    tokens.push_back({scanner.GetTokenPos(), scanner.GetTokenLength(), scanner.GetTokenKind()});
  }
  state = scanner.GetState();
}

}  // namespace rq
