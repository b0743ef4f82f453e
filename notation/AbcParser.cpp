// The ABC parser: a character-driven scanner with one handler per character code,
// then one pass over the finished list that links neighbours.
#include "AbcParser.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <type_traits>

#include "notation/AbcDef.h"
#include "notation/AbcRules.h"
#include "notation/MusicEnd.h"
#include "notation/TieBoard.h"
#include "platform/Numbers.h"

namespace rq {

// Elements of one parse live in reused memory blocks: parsing a large collection
// makes millions of small elements, and a bump allocator keeps that cheap.
class ElementArena {
 public:
  void* Allocate(size_t size, size_t align) {
    for (;;) {
      if (block_ < blocks_.size()) {
        size_t at = (offset_ + align - 1) & ~(align - 1);
        if (at + size <= kBlockSize) {
          offset_ = at + size;
          return blocks_[block_].get() + at;
        }
        ++block_;
        offset_ = 0;
        continue;
      }
      blocks_.push_back(std::make_unique<std::byte[]>(kBlockSize));
    }
  }
  void Reset() {
    block_ = 0;
    offset_ = 0;
  }

 private:
  static constexpr size_t kBlockSize = 64 * 1024;
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  size_t block_ = 0;
  size_t offset_ = 0;
};

namespace {

// Place of a note letter in "CDEFGABcdefgabz", from 1; the invisible rest "x" is a rest.
int NoteIndexOf(unsigned char letter) {
  static constexpr int kUpper[7] = {6, 7, 1, 2, 3, 4, 5};  // A..G
  if (letter == 'z' || letter == 'x') return 15;
  if (letter >= 'a') return kUpper[letter - 'a'] + 7;
  return kUpper[letter - 'A'];
}

}  // namespace

TAbcParser::TAbcParser() : arena_(std::make_unique<ElementArena>()) {}

TAbcParser::~TAbcParser() { DestroyElements(); }

void TAbcParser::DestroyElements() {
  // Only elements that own text need their destructor run; the arena takes the rest back.
  for (TAbc* e : owningText_) e->~TAbc();
  owningText_.clear();
  linked_.clear();
  tied_.clear();
  elements_.clear();
  arena_->Reset();
}

template <typename T, typename... Args>
T* TAbcParser::Append(Args&&... args) {
  void* mem = arena_->Allocate(sizeof(T), alignof(T));
  T* e = new (mem) T(std::forward<Args>(args)...);
  elements_.push_back(e);
  if constexpr (std::is_same_v<T, TAbcAccord> || std::is_same_v<T, TAbcKey_P_Def>) {
    owningText_.push_back(e);
  }
  if constexpr (std::is_same_v<T, TAbcStraight> || std::is_same_v<T, TAbcTuplet> ||
                std::is_same_v<T, TAbcGrace> || std::is_same_v<T, TAbcBarSection>) {
    linked_.push_back(elements_.size() - 1);
  }
  return e;
}

int TAbcParser::Pos(int col) const {
  // Wraps instead of overflowing on texts of millions of lines.
  return static_cast<int>(static_cast<uint32_t>(lineNo_) * 1000u + static_cast<uint32_t>(col));
}

int TAbcParser::Parse(const TLines& lines) {
  BeginParse();
  for (size_t i = 0; i < lines.size(); ++i) {
    nextLine_ = i + 1 < lines.size() ? std::string_view(lines[i + 1]) : std::string_view();
    ScanLine(lines[i]);
    ++lineNo_;
  }
  PostPass();
  return 0;
}

int TAbcParser::Parse(std::span<const std::string_view> lines) { return ParseOpening(lines, lines.size()); }

int TAbcParser::ParseOpening(std::span<const std::string_view> lines, size_t count, size_t maxElements) {
  count = std::min(count, lines.size());
  BeginParse();
  maxElements_ = maxElements;
  cut_ = ScanLines(lines, count);
  maxElements_ = 0;
  PostPass(cut_ || count < lines.size());
  // A chord's notes get its length only at its end: none of them is settled yet.
  if (cut_) settled_ = std::min(settled_, OpenBracketAtCut());
  return 0;
}

int TAbcParser::ParseBounded(const TLines& lines, size_t maxElements) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  ParseOpening(views, views.size(), maxElements);
  if (cut_) elements_.resize(settled_);
  return 0;
}

bool TAbcParser::ScanLines(std::span<const std::string_view> lines, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    nextLine_ = i + 1 < lines.size() ? lines[i + 1] : std::string_view();
    ScanLine(lines[i]);
    if (cut_ || (AtBound() && i + 1 < count)) return true;
    ++lineNo_;
  }
  return false;
}

size_t TAbcParser::OpenBracketAtCut() const {
  for (size_t j = elements_.size(); j-- > 0;) {
    if (elements_[j]->Kind == kAbcBracketClose || elements_[j]->Kind == kAbcEOL) break;
    if (elements_[j]->Kind == kAbcBracketOpen) return j;
  }
  return elements_.size();
}

void TAbcParser::BeginParse() {
  mode_ = 0;
  cut_ = false;
  pendingAccidental_ = 0;
  pendingDecoration_ = 0;
  inGrace_ = false;
  repeatEndsLine_ = false;
  lineNo_ = 1;
  title_.clear();
  composer_.clear();
  rhythm_.clear();
  meterNum_ = 4;
  meterDen_ = 4;
  // Nothing of an earlier parse may leak into this one: the same tune always
  // gives the same elements, whatever was parsed before it.
  broken_.Reset();
  fieldLetter_ = 0;
  keySeen_ = false;
  DestroyElements();
}

void TAbcParser::ScanLine(std::string_view line) {
  col_ = 1;
  inBracket_ = false;
  inPlus_ = false;
  line_ = line;
  if (mode_ == 2 && EndsMusic(line)) mode_ = 3;
  // The text after the music is read as no music, up to the next tune's header.
  if (mode_ == 3 && !OpensTuneHeader(line)) {
    OnEndOfLine();
    return;
  }
  for (unsigned char c = Cur(); c != 0; c = Cur()) {
    if (AtBound()) {
      cut_ = true;
      return;
    }
    tokenStart_ = col_;
    Dispatch(c);
  }
  OnEndOfLine();
}

// In the header, a T:, C: or R: value starts at its first non-blank character,
// whatever handler that character would otherwise go to.
bool TAbcParser::StartsHeaderText(unsigned char c) const {
  return mode_ != 2 && col_ != 1 && StartsHeaderTextValue(fieldLetter_, c);
}

void TAbcParser::Dispatch(unsigned char c) {
  if (StartsHeaderText(c)) {
    HeaderRoutine();
    return;
  }
  const AbcChar id = AbcCharOf(c);
  if (mode_ != 2) {
    // In the header, music characters start or continue a field value; a bar
    // character ends the line's reading.
    if (GoesToHeaderRoutine(id)) {
      HeaderRoutine();
      return;
    }
    if (id == AbcChar::Bar) {
      SkipToLineEnd();
      return;
    }
  }
  switch (id) {
    case AbcChar::EndOfLine: OnEndOfLine(); break;
    case AbcChar::SkipOne: OnSkipOne(); break;
    case AbcChar::LineBreak: OnLineBreak(); break;
    case AbcChar::ChordSymbol: OnChordSymbol(); break;
    case AbcChar::Comment: OnComment(); break;
    case AbcChar::Tuplet: OnTuplet(); break;
    case AbcChar::Plus: OnPlus(); break;
    case AbcChar::Decoration: OnDecoration(); break;
    case AbcChar::Letter: OnLetter(); break;
    case AbcChar::Bar: ReadBar(); break;
    case AbcChar::Broken: OnBroken(); break;
    case AbcChar::Accidental: OnAccidental(); break;
    case AbcChar::BracketOpen: OnBracketOpen(); break;
    case AbcChar::Continuation: OnContinuation(); break;
    case AbcChar::BracketClose: OnBracketClose(); break;
    case AbcChar::GraceOpen: OnGraceOpen(); break;
    case AbcChar::GraceClose: OnGraceClose(); break;
    case AbcChar::Default: OnDefault(); break;
  }
}

// ---- Handlers that act alike in header and body ----

void TAbcParser::OnEndOfLine() {
  broken_.AtLineEnd();
  repeatEndsLine_ = false;
  for (size_t i = elements_.size(); i-- > 0;) {
    const int kind = elements_[i]->Kind;
    if (kind == kAbcSpace || kind == kAbcBackSlash) continue;
    repeatEndsLine_ = kind == kAbcBarRepeatEnd;
    break;
  }
  inBracket_ = false;
  inPlus_ = false;
  fieldLetter_ = 0;
  if (keySeen_) {
    mode_ = 2;
    keySeen_ = false;
  }
  Append<TAbcEOL>();
}

void TAbcParser::OnSkipOne() { ++col_; }

void TAbcParser::OnLineBreak() {
  Append<TAbcEOL>();
  ++col_;
  if (Cur() == '\n') ++col_;
}

void TAbcParser::OnComment() {
  while (Cur() != 0) ++col_;
}

void TAbcParser::OnContinuation() {
  ++col_;
  int c = col_;
  while (At(c) == ' ') ++c;
  if (At(c) == 0) Append<TAbcBackSlash>(Pos(tokenStart_), Pos(tokenStart_));
}

void TAbcParser::OnDefault() {
  if (mode_ == 2 && Cur() == '!') {
    // A decoration adds nothing to the music's elements; a lone "!" is dropped.
    const size_t end = DecorationEnd(line_, Index(col_));
    col_ = end == Index(col_) ? col_ + 1 : static_cast<int>(end) + 1;
    return;
  }
  if (mode_ == 2 && Cur() == '-') {
    MarkTie();
    ++col_;
    return;
  }
  if (mode_ == 2 && Cur() == ' ') {
    int count = 0;
    while (Cur() == ' ') {
      ++count;
      ++col_;
    }
    Append<TAbcSpace>(count);
    return;
  }
  ++col_;
}

void TAbcParser::OnLetter() {
  if (col_ == 1 && Cur() == 'X' && At(2) == ':') mode_ = 1;
  if (mode_ != 2) {
    HeaderRoutine();
  } else {
    BodyRoutine();
  }
}

void TAbcParser::SkipToLineEnd() { col_ = static_cast<int>(rq::SkipToLineEnd(line_, Index(col_))) + 1; }

// ---- Header ----

void TAbcParser::HeaderRoutine() {
  mode_ = 1;
  const unsigned char c = Cur();
  if (col_ == 1) {
    fieldLetter_ = 0;
    if (At(2) == ':') {
      keySeen_ = false;
      fieldLetter_ = c;
      if (c == 'K') keySeen_ = true;
      col_ += 2;
      valueStart_ = tokenStart_;
    } else {
      SkipToLineEnd();
    }
    return;
  }
  switch (fieldLetter_) {
    case 'X': ReadIndex(); break;
    case 'T': ReadTextField(title_); break;
    case 'C': ReadTextField(composer_); break;
    case 'R': ReadTextField(rhythm_); break;
    case 'K': ReadKey(); break;
    case 'M': ReadMeter(true); break;
    case 'L': ReadUnitLength(); break;
    case 'P': ReadPartDef(); break;
    case 'V': ReadVoice(); break;
    default:
      SkipToLineEnd();
      fieldLetter_ = 0;
      break;
  }
}

void TAbcParser::ReadTextField(std::string& target) {
  if (target.empty()) {
    const int from = col_;
    const int to = static_cast<int>(rq::SkipToLineEnd(line_, Index(from))) + 1;
    target.assign(Span(from, to));
  }
  SkipToLineEnd();
  fieldLetter_ = 0;
}

void TAbcParser::ReadIndex() {
  size_t used = 0;
  const auto value = ReadDigits(Span(col_, EndCol()),
                                std::numeric_limits<int32_t>::max(), &used);
  col_ += static_cast<int>(used);
  // Digits that do not fit count as no number.
  Append<TAbcKey_X>(Pos(valueStart_), Pos(col_ - 1), value ? static_cast<int>(*value) : 0);
  fieldLetter_ = 0;
}

bool TAbcParser::IsFieldTerminator(unsigned char c) const {
  return IsFieldValueEnd(c, inBracket_, inPlus_);
}

std::string_view TAbcParser::ReadFieldValue() {
  const int from = col_;
  ++col_;
  while (!IsFieldTerminator(Cur())) ++col_;
  return Span(from, col_);
}

void TAbcParser::ReadKey() {
  fieldLetter_ = 0;
  // An unknown key reads as C.
  const AbcKeyValue key = ReadKeyValue(line_, Index(col_), inBracket_, inPlus_);
  col_ = static_cast<int>(key.end) + 1;
  if (key.sharps && mode_ == 2) fieldLetter_ = 255;
  static const int kSharpsOfC = GetKeySharps("C");  // looked up once, not at every key
  Append<TAbcKey_K>(Pos(valueStart_), Pos(col_ - 1), key.sharps.value_or(kSharpsOfC));
}

void TAbcParser::ReadMeter(bool header) {
  fieldLetter_ = 0;
  // An invalid meter reads as 4/4.
  const AbcMeter meter = MeterOf(ReadFieldValue()).value_or(AbcMeter{});
  Append<TAbcKey_M>(Pos(valueStart_), Pos(col_ - 1), meter.num, meter.den, meter.symbol);
  if (header) {
    meterNum_ = meter.num;
    meterDen_ = meter.den;
  }
}

void TAbcParser::ReadUnitLength() {
  const std::optional<int> den = UnitLengthOf(ReadFieldValue());
  if (!den) return;
  if (mode_ == 2) fieldLetter_ = 255;
  Append<TAbcKey_L>(Pos(valueStart_), Pos(col_ - 1), *den);
}

void TAbcParser::ReadPartDef() {
  fieldLetter_ = 0;
  std::string text;
  bool good = true;
  while (!IsPartDefEnd(Cur())) {
    const unsigned char c = Cur();
    if (IsAbcDigit(c) || IsAbcUpper(c)) {
      text += static_cast<char>(c);
    } else {
      good = false;
    }
    ++col_;
  }
  if (good) Append<TAbcKey_P_Def>(Pos(valueStart_), Pos(col_ - 1), text);
}

void TAbcParser::ReadPartMark() {
  const unsigned char letter = Cur();
  const int letterCol = col_;
  bool good = IsAbcUpper(letter);
  ++col_;
  if (!IsFieldTerminator(Cur())) {
    ++col_;
    good = false;
  }
  if (good) Append<TAbcKey_P_Mark>(Pos(valueStart_), Pos(letterCol), static_cast<char>(letter));
  fieldLetter_ = 255;
}

void TAbcParser::ReadVoice() {
  const unsigned char digit = Cur();
  const int digitCol = col_;
  bool good = digit >= '1' && digit <= '9';
  ++col_;
  const unsigned char next = Cur();
  if (!IsVoiceValueEnd(next)) {
    ++col_;
    good = false;
  }
  fieldLetter_ = 0;
  if (good) {
    fieldLetter_ = 255;
    Append<TAbcKey_V>(Pos(valueStart_), Pos(digitCol), digit - '0');
  }
}

// ---- Body ----

void TAbcParser::BodyRoutine() {
  const unsigned char c = Cur();
  if (IsBodyFieldLetter(c) && fieldLetter_ == 0) {
    if (col_ != 1 && !inBracket_ && !inPlus_) {
      ++col_;
    } else if (At(col_ + 1) == ':') {
      fieldLetter_ = c;
      col_ += 2;
      valueStart_ = tokenStart_;
    } else {
      ++col_;
    }
    return;
  }
  switch (fieldLetter_) {
    case 'K': ReadKey(); return;
    case 'L': ReadUnitLength(); return;
    case 'M': ReadMeter(false); return;
    case 'P': ReadPartMark(); return;
    case 'V': ReadVoice(); return;
    case 'Q':
    case 'T':
    case 'W':
    case 'w':
    case 255: SkipFieldRest(); return;
    case 0: break;
    default: ++col_; return;
  }
  if (c == 'E' && At(col_ + 1) == ':' && (IsAbcDigit(At(col_ + 2)) || At(col_ + 2) == '.')) {
    col_ += 2;
    while (IsAbcDigit(Cur()) || Cur() == '.') ++col_;
    return;
  }
  if (IsPitchLetter(c) || c == 'z' || c == 'x') {
    ReadNote();
  } else if (StartsBarRest(line_, Index(col_))) {
    ReadBarRest();
  } else if (IsEndingNumber(c) && repeatEndsLine_ && FirstOnLine(line_, Index(col_))) {
    ReadLineStartEnding();
  } else {
    ++col_;
  }
}

// The ending's bar line is the closing repeat at the end of the line before; the
// post-pass joins them as it joins ":|" and "2" written together.
void TAbcParser::ReadLineStartEnding() {
  broken_.AtBar();
  pendingAccidental_ = 0;
  pendingDecoration_ = 0;
  Append<TAbcBarSection>(Pos(col_), Pos(col_), Cur() - '0');
  ++col_;
}

// A "-" right after a note ties that note, right after a chord every note of it;
// the post-pass keeps the ties that the next note or chord continues.
void TAbcParser::MarkTie() {
  if (elements_.empty()) return;
  const size_t last = elements_.size() - 1;
  if (elements_[last]->End != Pos(static_cast<int>(TiedEnd(line_, Index(col_))))) return;
  if (elements_[last]->Kind == kAbcNote) {
    MarkTied(last);
  } else if (elements_[last]->Kind == kAbcBracketClose) {
    for (size_t j = last; j-- > 0 && elements_[j]->Kind != kAbcBracketOpen;) {
      if (elements_[j]->Kind == kAbcNote) MarkTied(j);
    }
  }
}

void TAbcParser::MarkTied(size_t i) {
  if (!static_cast<const TAbcNote*>(elements_[i])->IsRest()) tied_.push_back(i);
}

void TAbcParser::SkipFieldRest() {
  if (inBracket_) {
    while (Cur() != 0 && Cur() != ']') ++col_;
  } else if (inPlus_) {
    while (Cur() != 0 && Cur() != '+') ++col_;
  } else {
    SkipToLineEnd();
  }
  fieldLetter_ = 0;
}

void TAbcParser::ReadNote() {
  const unsigned char letter = Cur();
  const int letterCol = col_;
  ++col_;

  unsigned char mark = 0;
  int marks = 0;
  while (Cur() == '\'' || Cur() == ',') {
    if (marks == 0) {
      mark = Cur();
      marks = 1;
    } else if (Cur() == mark && marks < 2) {
      ++marks;
    }
    ++col_;
  }
  const int octave = mark == ',' ? -marks : marks;

  // Length: digits and slashes; one the program does not read is 1/1.
  const int lengthFrom = col_;
  while (Cur() == '/' || IsAbcDigit(Cur())) ++col_;
  const AbcLength length = NoteLengthOf(Span(lengthFrom, col_)).value_or(AbcLength{});

  const int noteIndex = NoteIndexOf(letter);
  if (noteIndex == 15) pendingDecoration_ = -1;
  auto* note = Append<TAbcNote>(Pos(letterCol), Pos(col_ - 1), noteIndex, pendingAccidental_, octave,
                                pendingDecoration_, length.num, length.den);
  note->Invisible = letter == 'x';
  pendingAccidental_ = 0;
  pendingDecoration_ = 0;

  broken_.AfterNote(WhatFollowsNote(line_, Index(col_)));
}

// "Z" rests a whole bar of the meter in force, "Zn" n bars; the converter and the
// score measure the bars, so the note's length is only the count.
void TAbcParser::ReadBarRest() {
  const int letterCol = col_;
  ++col_;
  const int countFrom = col_;
  while (IsAbcDigit(Cur())) ++col_;
  const int bars = BarRestCount(Span(countFrom, col_)).value_or(1);
  pendingDecoration_ = -1;
  auto* rest = Append<TAbcNote>(Pos(letterCol), Pos(col_ - 1), NoteIndexOf('z'), 0, 0,
                                pendingDecoration_, bars, 1);
  rest->Bars = bars;
  pendingAccidental_ = 0;
  pendingDecoration_ = 0;

  broken_.AfterNote(WhatFollowsNote(line_, Index(col_)));
}

void TAbcParser::OnAccidental() {
  fieldLetter_ = 0;
  pendingAccidental_ = 0;
  const unsigned char c = Cur();
  ++col_;
  const int allowed = c == '=' ? 0 : 1;
  int same = 0;
  bool mixed = false;
  while (IsAccidentalChar(Cur())) {
    if (Cur() == c && same < allowed) {
      ++same;
    } else {
      mixed = true;
    }
    ++col_;
  }
  if (!IsPitchLetter(Cur())) return;
  const bool doubled = same == 1 || mixed;
  if (c == '^') {
    pendingAccidental_ = doubled ? 2 : 1;
  } else if (c == '_') {
    pendingAccidental_ = doubled ? -2 : -1;
  } else {
    pendingAccidental_ = 3;
  }
}

void TAbcParser::OnDecoration() {
  fieldLetter_ = 0;
  pendingDecoration_ = 0;
  const unsigned char c = Cur();
  ++col_;
  if (NextIsNoteAfterAccidentals(line_, Index(col_))) pendingDecoration_ = c == '~' ? 1 : 2;
}

void TAbcParser::OnBroken() {
  fieldLetter_ = 0;
  const unsigned char c = Cur();
  ++col_;
  bool second = false;
  bool bad = false;
  while (Cur() == '<' || Cur() == '>') {
    if (Cur() == c && !second) {
      second = true;
    } else {
      bad = true;
    }
    ++col_;
  }
  // A sign that ends its line pairs its note with the first note of the next line.
  const AbcAfterSign after = WhatFollowsSign(line_, Index(col_));
  if (after == AbcAfterSign::kNothing) return;
  if (after == AbcAfterSign::kLineEnd && WhatFollowsSign(nextLine_, 0) != AbcAfterSign::kNote) return;
  // A sign that starts its line may pair the note that ended the line before.
  const bool firstOnLine = FirstOnLine(line_, Index(tokenStart_));
  if (!broken_.TakeSign(firstOnLine)) return;
  Append<TAbcStraight>(Pos(tokenStart_), Pos(col_ - 1), c == '<' ? kAbcBrokenLess : kAbcBrokenGreater,
                       (second || bad) ? 2 : 1);
}

void TAbcParser::ReadBar() {
  fieldLetter_ = 0;
  broken_.AtBar();
  pendingAccidental_ = 0;
  pendingDecoration_ = 0;
  const int first = col_;
  const AbcBarToken bar = ScanBarToken(line_, Index(col_));
  col_ = static_cast<int>(bar.end) + 1;
  inBracket_ = false;
  inPlus_ = false;
  if (bar.kind == 0) return;
  if (bar.kind == kAbcBarSection) {
    Append<TAbcBarSection>(Pos(first), Pos(col_ - 1), bar.number)->OwnBar = true;
    return;
  }
  // The ending digit after a bar ("||2") is the token's last character but for a blank.
  const int barEnd = bar.ending != 0 ? static_cast<int>(Span(first, col_).find_last_not_of(' ')) + first : col_;
  auto* element = Append<TAbcBar>(Pos(first), Pos(barEnd - 1), bar.kind);
  // The blank a bar token may take does not change what it draws: "||" is two thin
  // lines whatever follows it.
  std::string token(Span(first, barEnd));
  std::erase(token, ' ');
  element->DoubleThin = token == "||";
  if (bar.ending != 0) Append<TAbcBarSection>(Pos(barEnd), Pos(barEnd), bar.ending);
}

void TAbcParser::OnBracketOpen() {
  if (fieldLetter_ != 0) {
    BodyRoutine();
    return;
  }
  const unsigned char next = At(col_ + 1);
  if (next == '|') {
    ReadBar();
    return;
  }
  if (IsEndingNumber(next)) {
    inBracket_ = false;
    Append<TAbcBarSection>(Pos(col_), Pos(col_ + 1), next - '0');
    col_ += 2;
    return;
  }
  ++col_;
  if (FindsChordCloser(line_, Index(col_), ']')) {
    inBracket_ = true;
    Append<TAbcChordSym>(Pos(tokenStart_), Pos(tokenStart_), kAbcBracketOpen);
  }
}

void TAbcParser::OnBracketClose() {
  fieldLetter_ = 0;
  ++col_;
  if (inBracket_) {
    // A length after the bracket is the chord's: it multiplies each note's own
    // ([CEG]2 is a chord of quarters in L:1/8).
    const int lengthFrom = col_;
    while (Cur() == '/' || IsAbcDigit(Cur())) ++col_;
    if (col_ > lengthFrom) ScaleChord(NoteLengthOf(Span(lengthFrom, col_)).value_or(AbcLength{}));
    Append<TAbcChordSym>(Pos(tokenStart_), Pos(std::max(tokenStart_, col_ - 1)), kAbcBracketClose);  // with its length
  }
  inBracket_ = false;
}

void TAbcParser::ScaleChord(AbcLength length) {
  for (size_t k = elements_.size(); k-- > 0 && elements_[k]->Kind != kAbcBracketOpen;) {
    if (elements_[k]->Kind != kAbcNote) continue;
    auto* note = static_cast<TAbcNote*>(elements_[k]);
    int64_t num = int64_t{note->LenNum} * length.num;
    int64_t den = int64_t{std::max(note->LenDen, 1)} * std::max(length.den, 1);
    const int64_t common = std::gcd(num, den);
    if (common > 1) {
      num /= common;
      den /= common;
    }
    note->LenNum = static_cast<int>(std::clamp<int64_t>(num, 0, std::numeric_limits<int>::max()));
    note->LenDen = static_cast<int>(std::clamp<int64_t>(den, 1, std::numeric_limits<int>::max()));
  }
}

void TAbcParser::OnPlus() {
  if (fieldLetter_ != 0) {
    BodyRoutine();
    return;
  }
  if (inPlus_) {
    inPlus_ = false;
    Append<TAbcChordSym>(Pos(tokenStart_), Pos(std::max(tokenStart_, col_ - 1)), kAbcBracketClose);  // with its length
    ++col_;
    return;
  }
  // The older spelling of a decoration, "+trill+", adds nothing either.
  if (const size_t end = DecorationEnd(line_, Index(col_)); end != Index(col_)) {
    col_ = static_cast<int>(end) + 1;
    return;
  }
  ++col_;
  if (FindsChordCloser(line_, Index(col_), '+')) {
    inPlus_ = true;
    Append<TAbcChordSym>(Pos(tokenStart_), Pos(tokenStart_), kAbcBracketOpen);
  }
}

void TAbcParser::OnChordSymbol() {
  fieldLetter_ = 0;
  int q = col_ + 1;
  while (At(q) != 0 && At(q) != '"') ++q;
  if (At(q) != '"') {
    ++col_;
    return;
  }
  Append<TAbcAccord>(Pos(col_), Pos(q),
                     Span(col_ + 1, q));
  col_ = q + 1;
}

void TAbcParser::OnTuplet() {
  fieldLetter_ = 0;
  ++col_;
  const unsigned char c = Cur();
  if (IsTupletDigit(c)) {
    inBracket_ = false;
    inPlus_ = false;
    Append<TAbcTuplet>(Pos(tokenStart_), Pos(tokenStart_), c - '0');
    ++col_;
  }
}

void TAbcParser::OnGraceOpen() {
  fieldLetter_ = 0;
  inGrace_ = false;
  ++col_;
  int c = col_;
  for (; At(c) != 0 && At(c) != '}'; ++c) {
    if (!IsGraceChar(At(c))) return;
  }
  inGrace_ = true;
  Append<TAbcGrace>(Pos(tokenStart_), Pos(tokenStart_), 1)->Acciaccatura = Cur() == '/';
}

void TAbcParser::OnGraceClose() {
  fieldLetter_ = 0;
  ++col_;
  if (inGrace_) Append<TAbcGrace>(Pos(tokenStart_), Pos(tokenStart_), 0);
  inGrace_ = false;
}

// ---- Post-pass ----

void TAbcParser::PostPass(bool opening) {
  // Only these elements link to their neighbours; they are visited in list order,
  // grace groups first: broken rhythm and tuplets pass over grace notes.
  // A link that reads past its own element must keep settled_ (what ParseOpening
  // promises) true: a group cut off by the opening's end is not settled, nor is
  // what a link from beyond the opening may reach back to (ReachFromBeyond).
  size_t settled = elements_.size();
  for (const size_t i : linked_) {
    if (elements_[i]->Kind == kAbcGraceStart && !LinkGrace(i)) settled = std::min(settled, i);
  }
  // Notes of a grace group left open may be grace notes in the whole tune: a tuplet
  // that counted them is not settled either.
  const size_t graceSettled = settled;
  for (const size_t i : linked_) {
    switch (elements_[i]->Kind) {
      case kAbcBrokenLess:
      case kAbcBrokenGreater: LinkBroken(i); break;
      case kAbcTuplet:
        if (LinkTuplet(i) >= graceSettled) settled = std::min(settled, i);
        break;
      case kAbcBarSection: LinkEnding(i); break;
      default: break;
    }
  }
  // A note still tying on at the end may be tied by a note after the opening.
  const size_t tyingOn = LinkTies();
  settled_ = opening ? std::min({settled, ReachFromBeyond(settled), tyingOn}) : elements_.size();
}

size_t TAbcParser::ReachFromBeyond(size_t settled) const {
  // An ending after the opening walks back to the last note, grace end, switched-off
  // tuplet, ending or bar line, and may mark that bar line (and a closing repeat
  // before it, which the last note's reach below covers).
  size_t ending = 0;
  for (size_t j = elements_.size(); j-- > 0;) {
    const int k = elements_[j]->Kind;
    if (k == kAbcNote || k == kAbcGraceEnd || k == kAbcTupletOff || k == kAbcBarSection || IsPlainBar(k)) {
      ending = j;
      break;
    }
  }
  // A broken-rhythm sign after the opening marks the last main note or chord before
  // it (as a tie continued after the opening would). Notes of a group not settled may
  // still turn out to be grace notes and be passed over, so the walk starts below them.
  size_t broken = 0;
  for (size_t j = std::min(settled, elements_.size()); j-- > 0;) {
    if (IsMainNote(j)) {
      broken = j;
      break;
    }
    if (elements_[j]->Kind == kAbcBracketClose) {
      size_t open = j;
      while (open > 0 && elements_[open]->Kind != kAbcBracketOpen) --open;
      broken = open;
      break;
    }
  }
  return std::min(ending, broken);
}

bool TAbcParser::IsMainNote(size_t i) const {
  return elements_[i]->Kind == kAbcNote && static_cast<const TAbcNote*>(elements_[i])->GraceCount == 0;
}

// The note on each side of a sign gets the shift (grace notes are passed over); a
// chord on either side (the sign right after its "]" or right before its "[") gets
// it on every note, since a chord lasts as long as its first note.
void TAbcParser::LinkBroken(size_t i) {
  const auto* sign = static_cast<TAbcStraight*>(elements_[i]);
  const int n = sign->Count;
  const bool less = sign->Kind == kAbcBrokenLess;
  const auto mark = [this](size_t j, int shift) { static_cast<TAbcNote*>(elements_[j])->Straight = shift; };
  for (size_t j = i; j-- > 0;) {
    const int kind = elements_[j]->Kind;
    if (IsMainNote(j)) {
      mark(j, less ? -n : n);
      break;
    }
    if (kind == kAbcBracketClose) {
      for (size_t k = j; k-- > 0 && elements_[k]->Kind != kAbcBracketOpen;) {
        if (elements_[k]->Kind == kAbcNote) mark(k, less ? -n : n);
      }
      break;
    }
  }
  for (size_t j = i + 1; j < elements_.size(); ++j) {
    const int kind = elements_[j]->Kind;
    if (IsMainNote(j)) {
      mark(j, less ? n : -n);
      break;
    }
    if (kind == kAbcBracketOpen) {
      for (size_t k = j + 1; k < elements_.size() && elements_[k]->Kind != kAbcBracketClose; ++k) {
        if (elements_[k]->Kind == kAbcNote) mark(k, less ? n : -n);
      }
      break;
    }
  }
}

// A tuplet takes the next p notes. A broken-rhythm sign between them does not end
// it (the rhythm then applies inside the tuplet), nor do chord symbols and grace
// groups, nor blanks before its first note; a blank among its notes switches it off.
size_t TAbcParser::LinkTuplet(size_t i) {
  auto* tuplet = static_cast<TAbcTuplet*>(elements_[i]);
  int remaining = tuplet->P;
  for (size_t j = i + 1; j < elements_.size(); ++j) {
    TAbc* e = elements_[j];
    if (IsMainNote(j)) {
      if (remaining == 0) return j;
      static_cast<TAbcNote*>(e)->Tuplet = tuplet->P;
      --remaining;
    } else if (e->Kind == kAbcNote || e->Kind == kAbcBackSlash || e->Kind == kAbcBrokenLess ||
               e->Kind == kAbcBrokenGreater || e->Kind == kAbcChordSymbol || e->Kind == kAbcGraceStart ||
               e->Kind == kAbcGraceEnd) {
      continue;
    } else if (e->Kind == kAbcSpace && remaining == tuplet->P) {
      continue;
    } else {
      if (e->Kind == kAbcSpace && remaining > 0) tuplet->Kind = kAbcTupletOff;
      return j;
    }
  }
  return elements_.size();
}

bool TAbcParser::LinkGrace(size_t i) {
  int count = 0;
  for (size_t j = i + 1; j < elements_.size(); ++j) {
    TAbc* e = elements_[j];
    if (e->Kind == kAbcNote) {
      ++count;
    } else if (e->Kind == kAbcBackSlash) {
      continue;
    } else if (e->Kind == kAbcGraceEnd) {
      for (size_t k = i + 1; k < j; ++k) {
        if (elements_[k]->Kind == kAbcNote) static_cast<TAbcNote*>(elements_[k])->GraceCount = count;
      }
      return true;
    } else {
      elements_[i]->Error = kAbcErrGraceBroken;
      return true;
    }
  }
  return false;
}

size_t TAbcParser::BarBefore(size_t i) const {
  for (size_t j = i; j-- > 0;) {
    const int k = elements_[j]->Kind;
    // A continuation joins the lines: a bar before it still stands before the ending.
    // An ending before this one has already marked what this walk would reach.
    if (k == kAbcNote || k == kAbcGraceEnd || k == kAbcTupletOff || k == kAbcBarSection) break;
    if (IsPlainBar(k)) return j;
  }
  return elements_.size();
}

bool TAbcParser::OpensLine(size_t i) const {
  while (i > 0 && elements_[i - 1]->Kind == kAbcSpace) --i;
  return i > 0 && elements_[i - 1]->Kind == kAbcEOL;
}

void TAbcParser::LinkEnding(size_t i) {
  const size_t bar = BarBefore(i);
  if (bar == elements_.size()) return;
  static_cast<TAbcBar*>(elements_[bar])->Skip = 1;
  // A bar that opens the line after a closing repeat ("|[2" first on a line) adds no
  // repeat of its own: a later ending there belongs to that repeat, as "[2" alone does.
  if (static_cast<const TAbcBarSection*>(elements_[i])->Number < 2 || !OpensLine(bar)) return;
  const size_t repeat = BarBefore(bar);
  if (repeat < elements_.size() &&
      (elements_[repeat]->Kind == kAbcBarRepeatEnd || elements_[repeat]->Kind == kAbcBarRepeatBoth)) {
    static_cast<TAbcBar*>(elements_[repeat])->Skip = 1;
  }
}

// A tie holds into the next note or chord, across blanks, bar lines, line ends, chord
// symbols and fields; the note there of the same letter and octave, written without
// an accidental or with the same one, continues it. A rest, another pitch, a grace
// group or another voice first: the "-" ties nothing.
size_t TAbcParser::LinkTies() {
  if (tied_.empty()) return elements_.size();
  std::vector<bool> marked(elements_.size());
  for (const size_t i : tied_) marked[i] = true;
  TieBoard<size_t> board;
  bool inChord = false;
  bool chordHasNotes = false;
  for (size_t j = 0; j < elements_.size(); ++j) {
    switch (elements_[j]->Kind) {
      case kAbcNote: {
        auto* note = static_cast<TAbcNote*>(elements_[j]);
        if (note->GraceCount != 0) break;
        if (const auto tied = board.Take(*note); tied && !note->IsRest()) {
          auto* from = static_cast<TAbcNote*>(elements_[*tied]);
          if (note->Accidental == 0 || note->Accidental == from->Accidental) {
            from->Tie |= kTieStart;
            note->Tie |= kTieEnd;
          }
        }
        if (marked[j]) board.Hold(*note, j);
        chordHasNotes = true;
        if (!inChord) board.EndGroup();
        break;
      }
      case kAbcBracketOpen:
        inChord = true;
        chordHasNotes = false;
        break;
      case kAbcBracketClose:
        // An inline field's brackets hold no note and end nothing.
        if (inChord && chordHasNotes) board.EndGroup();
        inChord = false;
        break;
      case kAbcGraceStart:
      case kAbcFieldV:
      case kAbcFieldPMark:
      case kAbcFieldX: board.Clear(); break;
      default: break;
    }
  }
  size_t first = elements_.size();
  board.ForEachHeld([&first](size_t held) { first = std::min(first, held); });
  return first;
}

}  // namespace rq
