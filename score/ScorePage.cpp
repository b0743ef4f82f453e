// Builder rules: notes shorter than a quarter are held until the next one decides
// whether they start a beam run; blanks, bars, rests, long notes and ends of line
// end the run. Chords collect their notes until their end; a tuplet takes the next p
// notes, rests or chords (beamed among themselves as in a row, with any grace notes
// before them); grace notes gather between the braces.
#include "score/ScorePage.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "score/MultiNote.h"
#include "score/NoteGroups.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq {
namespace {

constexpr int kEighthUnit = 8;
constexpr int kQuarterIndex = 16;  // the first duration index that stands alone
constexpr int kOctaveSteps = 7;

int ClampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// Whether a bar draws the closing repeat sign that every ending but the first opens with.
bool DrawsRepeatEnd(int barKind) { return barKind == kBarRepeatEnd || barKind == kBarRepeatBoth; }

}  // namespace

TScorePage::TScorePage() = default;
TScorePage::~TScorePage() = default;

int TScorePage::BuildInto(std::span<const TAbc* const> elements, ScoreRows& list) {
  list.clear();
  Held.reset();
  Chord.reset();
  TupletLeft = 0;
  BeamCount = 0;
  Continued = false;
  Key = 0;
  keySeen_ = false;
  Tuplet.reset();
  Beam = nullptr;
  Grace = nullptr;
  graceMode_ = false;
  chordMode_ = false;
  unitDen_ = kEighthUnit;
  unitGiven_ = false;
  meterNum_ = 0;
  meterDen_ = 0;
  afterBrokenSign_ = false;
  ties_.Clear();
  chordHeads_.clear();
  lastBar_ = nullptr;
  noteSinceBar_ = true;
  keyBefore_ = 0;

  list.push_back(std::make_unique<TScoreLine>());
  Row = list.back().get();
  for (const TAbc* element : elements) {
    if (element != nullptr) OnElement(*element, list);
  }
  // A tune that ends without an end of line, or whose last line ends with a
  // continuation, still shows its last note or chord.
  EndTuplet();
  Chord.reset();
  return 0;
}

void TScorePage::OnElement(const TAbc& e, ScoreRows& list) {
  switch (e.Kind) {
    case kAbcNote: OnNote(static_cast<const TAbcNote&>(e)); break;
    case kAbcBackSlash: Continued = true; break;
    case kAbcBracketOpen:
      Chord.reset();
      chordHeads_.clear();
      chordMode_ = true;
      graceMode_ = false;
      break;
    case kAbcBracketClose:
      OnChordEnd();
      Chord.reset();
      chordMode_ = false;
      break;
    case kAbcTuplet: OnTuplet(static_cast<const TAbcTuplet&>(e)); break;
    case kAbcGraceStart: OnGraceStart(static_cast<const TAbcGrace&>(e)); break;
    case kAbcGraceEnd: graceMode_ = false; break;
    case kAbcBarSingle:
    case kAbcBarDouble:
    case kAbcBarRepeatEnd:
    case kAbcBarRepeatStart:
    case kAbcBarRepeatBoth: {
      EnsureClefKey(*Row);
      EndTuplet();
      const bool thin = e.Kind == kAbcBarDouble && static_cast<const TAbcBar&>(e).DoubleThin;
      auto bar = std::make_unique<TSymbBarre>(thin ? kBarThinThin : e.Kind);
      lastBar_ = bar.get();
      noteSinceBar_ = false;
      Append(std::move(bar));
      break;
    }
    case kAbcBarSection:
      EnsureClefKey(*Row);
      EndTuplet();
      OnSection(static_cast<const TAbcBarSection&>(e));
      break;
    case kAbcSpace: {
      // A blank between a tuplet sign and its first note does not end the tuplet.
      if (Tuplet != nullptr && TupletLeft > 0 && TupletLeft == Tuplet->Count) break;
      // Blanks end beams and tuplets; after a continuation they leave the row going on.
      const bool continued = Continued;
      EndTuplet();
      Continued = continued;
      break;
    }
    case kAbcBrokenLess:
    case kAbcBrokenGreater: afterBrokenSign_ = true; break;
    case kAbcEOL: OnEndOfLine(list); break;
    case kAbcFieldK: OnKey(static_cast<const TAbcKey_K&>(e)); break;
    case kAbcFieldL: {
      const auto& unit = static_cast<const TAbcKey_L&>(e);
      if (unit.Den >= 1) {
        unitDen_ = unit.Den;
        unitGiven_ = true;
      }
      break;
    }
    case kAbcFieldM: OnMeter(static_cast<const TAbcKey_M&>(e)); break;
    default: break;
  }
}

void TScorePage::OnSection(const TAbcBarSection& ending) {
  const int number = ending.Number;
  auto section = std::make_unique<TBarreSection>(number);
  if (lastBar_ != nullptr && !Row->Symbols.empty() && Row->Symbols.back().get() == lastBar_) {
    // A bar just before the ending (`| [1`, `:| [2`) is the ending's own bar: one line,
    // the written one unless it is a plain bar where a repeat is implied. A later
    // ending keeps its repeat sign after a bar that draws none (`||[2`).
    const int written = lastBar_->BarKind;
    if (written != kBarThin && (number == 1 || DrawsRepeatEnd(written))) section->BarKind = written;
    Row->Symbols.pop_back();
  } else if (lastBar_ != nullptr && (number == 1 || DrawsRepeatEnd(lastBar_->BarKind))) {
    // The bar ends the row before (`a2:|` then `[2` on the next line): drawn there
    // only, the ending opens with its number and bracket. After a bar without a
    // repeat sign (`B2|` then `[2`) a later ending still draws its own.
    section->BarKind = kBarNone;
  } else if (noteSinceBar_ && !ending.OwnBar) {
    // Written with no bar before it (`E2 [1 F2`): the ending starts within the bar,
    // which it does not split.
    section->BarKind = kBarNone;
  }
  noteSinceBar_ = false;
  lastBar_ = section.get();
  Append(std::move(section));
}

void TScorePage::OnEndOfLine(ScoreRows& list) {
  // Header lines make no rows; a continued line keeps its row and its beam run.
  if (!Row->HasClef || Continued) return;
  EnsureClefKey(*Row);
  EndTuplet();
  list.push_back(std::make_unique<TScoreLine>());
  Row = list.back().get();
}

void TScorePage::OnKey(const TAbcKey_K& key) {
  if (!keySeen_) {
    keySeen_ = true;
    Key = key.Sharps;
    return;
  }
  EndTuplet();
  const int previous = Key;
  Key = key.Sharps;
  if (Row->HasClef) {
    lastBar_ = nullptr;
    Append(std::make_unique<TSymKey>(Key, previous));
  } else if (previous != Key) {
    // Between rows: the next row opens with the naturals and the new key.
    keyBefore_ = previous;
  }
}

void TScorePage::OnMeter(const TAbcKey_M& meter) {
  // Without an L: field each meter sets the unit: a sixteenth below 3/4. An L:
  // field keeps its unit whatever meter follows, as in the converter.
  if (!unitGiven_) {
    const bool valid = meter.Num >= 1 && meter.Den >= 1;
    unitDen_ = valid && int64_t{4} * meter.Num < int64_t{3} * meter.Den ? 16 : kEighthUnit;
  }
  meterNum_ = meter.Num;
  meterDen_ = meter.Den;
  lastBar_ = nullptr;
  // A meter that follows another with nothing between (the header's, overridden in
  // the body before the first note) replaces it: only the one in force is drawn.
  if (Tuplet == nullptr && !Row->Symbols.empty()) {
    if (auto* last = dynamic_cast<TSymMeter*>(Row->Symbols.back().get())) {
      last->Num = meter.Num;
      last->Den = meter.Den;
      last->Symbol = meter.Symbol;
      return;
    }
  }
  Append(std::make_unique<TSymMeter>(meter.Num, meter.Den, meter.Symbol));
}

void TScorePage::EighthLength(const TAbcNote& note, int& num, int& den) const {
  int64_t n = note.LenNum;
  int64_t d = std::max(note.LenDen, 1);
  switch (note.Straight) {
    case -3: d *= 8; break;
    case -2: d *= 4; break;
    case -1: d *= 2; break;
    case 1: n *= 3; d *= 2; break;
    case 2: n *= 7; d *= 4; break;
    case 3: n *= 15; d *= 8; break;
    default: break;
  }
  if (unitDen_ != kEighthUnit) {
    if (unitDen_ < kEighthUnit && kEighthUnit % unitDen_ == 0) {
      n *= kEighthUnit / unitDen_;
    } else if (unitDen_ > kEighthUnit && unitDen_ % kEighthUnit == 0) {
      d *= unitDen_ / kEighthUnit;
    } else {
      n *= kEighthUnit;
      d *= unitDen_;
    }
  }
  num = ClampInt(n);
  den = ClampInt(d);
}

void TScorePage::BarLength(int& num, int& den) const {
  const bool valid = meterNum_ >= 1 && meterDen_ >= 1;
  num = ClampInt(int64_t{kEighthUnit} * (valid ? meterNum_ : 4));
  den = valid ? meterDen_ : 4;
}

bool TScorePage::FillsBar(int num, int den) const {
  if (meterNum_ < 1 || meterDen_ < 1) return false;
  // num/den eighths against meterNum/meterDen wholes.
  return int64_t{num} * meterDen_ == int64_t{kEighthUnit} * meterNum_ * den;
}

void TScorePage::OnTuplet(const TAbcTuplet& tuplet) {
  EnsureClefKey(*Row);
  EndTuplet();
  lastBar_ = nullptr;
  noteSinceBar_ = true;
  TupletLeft = tuplet.P;
  Tuplet = std::make_unique<TGrpTuplet>(tuplet.P);
}

void TScorePage::OnGraceStart(const TAbcGrace& start) {
  EnsureClefKey(*Row);
  lastBar_ = nullptr;
  noteSinceBar_ = true;
  FlushHeld();
  graceMode_ = true;
  chordMode_ = false;
  auto grace = std::make_unique<TGroupGrace>();
  grace->Slashed = start.Acciaccatura;
  Grace = grace.get();
  Append(std::move(grace));
}

void TScorePage::OnNote(const TAbcNote& note) {
  EnsureClefKey(*Row);
  lastBar_ = nullptr;
  noteSinceBar_ = true;
  int pitch = ClampInt(int64_t{note.NoteIndex} + int64_t{kOctaveSteps} * note.Octave);
  const bool rest = note.IsRest() || note.NoteIndex >= 15;
  if (rest) pitch = kRestPitch;
  int num = 1;
  int den = 1;
  if (note.Bars > 0) {
    BarLength(num, den);
  } else {
    EighthLength(note, num, den);
  }
  if (graceMode_ && Grace != nullptr) {
    Grace->AddChild(std::make_unique<TGraceNote>(pitch, 0, kSymbolAlone, 1, 1, note.Accidental));
    return;
  }
  // A note shortened by broken rhythm points its partial beams to its dotted partner:
  // back after the sign, on when the sign follows it.
  const int stubDir = note.Straight < 0 ? (afterBrokenSign_ ? -1 : 1) : 0;
  afterBrokenSign_ = false;

  if (chordMode_) {
    // The beam run goes on at the chord's end, once its length is known.
    if (!Chord) Chord = std::make_unique<TMultiNote>();
    if (Chord->Notes.empty()) Chord->StubDir = stubDir;
    auto head = std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, den, num, note.Accidental);
    chordHeads_.emplace_back(&note, head.get());
    Chord->AddNote(std::move(head));
    return;
  }
  auto current = std::make_unique<TSimpleNote>(pitch, note.Decoration, kSymbolAlone, den, num, note.Accidental);
  current->StubDir = stubDir;
  TieHead(note, current.get());
  if (rest) {
    current->WholeBar = note.Bars > 0 || FillsBar(num, den);
    current->Bars = note.Bars;
    current->Invisible = note.Invisible;
    FlushHeld();
    Append(std::move(current));
  } else if (current->DurIndex >= kQuarterIndex) {
    FlushHeld();
    Append(std::move(current));
  } else {
    JoinBeamRun(std::move(current));
  }
  ties_.EndGroup();
  CountTupletMember();
}

void TScorePage::TieHead(const TAbcNote& note, TSimpleNote* head) {
  if ((note.Tie & kTieEnd) != 0) {
    if (const std::optional<TieStart> tie = ties_.Take(note)) {
      if (tie->row == Row) {
        Row->Ties.push_back({tie->head, head});
      } else {
        // Across a row's end: half an arc on each row.
        tie->row->Ties.push_back({tie->head, nullptr});
        Row->Ties.push_back({nullptr, head});
      }
    }
  }
  if ((note.Tie & kTieStart) != 0) ties_.Hold(note, {head, Row});
}

void TScorePage::OnChordEnd() {
  if (!Chord) return;
  if (Chord->Notes.empty()) {
    Chord.reset();
    EnsureClefKey(*Row);
    FlushHeld();
    return;
  }
  for (const auto& [note, head] : chordHeads_) TieHead(*note, head);
  chordHeads_.clear();
  ties_.EndGroup();
  if (!Chord->AllBeamable()) {
    Chord->Kind = kSymbolInChord;
    Chord->Prepare();
    FlushHeld();
    Append(std::move(Chord));
  } else {
    JoinBeamRun(std::move(Chord));
  }
  CountTupletMember();
}

void TScorePage::CountTupletMember() {
  if (!Tuplet) return;
  TupletLeft -= 1;
  if (TupletLeft <= 0) EndTuplet();
}

void TScorePage::JoinBeamRun(std::unique_ptr<TGenNote> symbol) {
  if (BeamCount < 1) {
    Held = std::move(symbol);
    BeamCount = 1;
    return;
  }
  if (BeamCount == 1) OpenBeam();
  symbol->Kind = kSymbolInGroup;
  symbol->Prepare();
  Beam->AddChild(std::move(symbol));
  BeamCount += 1;
}

void TScorePage::FlushHeld() {
  if (Held) {
    Held->Prepare();
    Append(std::move(Held));
  }
  BeamCount = 0;
  Continued = false;
}

void TScorePage::EndTuplet() {
  FlushHeld();
  TupletLeft = 0;
  if (!Tuplet) return;
  std::unique_ptr<TGrpTuplet> tuplet = std::move(Tuplet);
  if (tuplet->NoteCount() > 0) {
    Append(std::move(tuplet));
    return;
  }
  // No member came: the group is dropped, any grace notes in it stay in the row.
  for (auto& member : tuplet->Members) Append(std::move(member));
}

void TScorePage::EnsureClefKey(TScoreLine& row) {
  if (row.HasClef) return;
  row.Symbols.insert(row.Symbols.begin(), std::make_unique<TSymKey>(Key, keyBefore_));
  keyBefore_ = 0;
  row.Symbols.insert(row.Symbols.begin(), std::make_unique<TSymCSol>());
  row.HasClef = 1;
  Continued = false;
}

void TScorePage::OpenBeam() {
  auto beam = std::make_unique<TGroupNote>(0);
  Beam = beam.get();
  Append(std::move(beam));
  Held->Kind = kSymbolInGroup;
  Held->Prepare();
  Beam->AddChild(std::move(Held));
  BeamCount = 2;
}

void TScorePage::Append(std::unique_ptr<TScoreSymbol> symbol) {
  if (Tuplet) {
    Tuplet->Add(std::move(symbol));
  } else {
    Row->Symbols.push_back(std::move(symbol));
  }
}

}  // namespace rq
