// The ABC-to-MIDI converter.
#include "midi/AbcToMidi.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "midi/MidiSettings.h"
#include "platform/Numbers.h"

namespace rq {
namespace {

constexpr MidiTick kWholeNote = 1920;

// Semitones above C of the letters C D E F G A B.
constexpr std::array<int, 7> kLetterSemitones = {0, 2, 4, 5, 7, 9, 11};
// Letters (C = 0) in the order a key signature sharpens or flattens them.
constexpr std::array<int, 7> kSharpOrder = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
constexpr std::array<int, 7> kFlatOrder = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F

// -1, 0 or +1 per key (row sharps + 7) and letter (C = 0): the standard key signatures.
constexpr auto kKeySignature = [] {
  std::array<std::array<signed char, 7>, 15> table{};
  for (int sharps = -7; sharps <= 7; ++sharps) {
    const auto& order = sharps >= 0 ? kSharpOrder : kFlatOrder;
    const int count = sharps >= 0 ? sharps : -sharps;
    for (int i = 0; i < count; ++i) {
      table[static_cast<size_t>(sharps + 7)][static_cast<size_t>(order[static_cast<size_t>(i)])] =
          static_cast<signed char>(sharps > 0 ? 1 : -1);
    }
  }
  return table;
}();

// The time q that p notes of a tuplet take (p notes in the time of q).
int TupletTime(int p, bool compoundMeter) {
  switch (p) {
    case 2: case 4: case 8: return 3;
    case 3: case 6: return 2;
    case 5: case 7: case 9: return compoundMeter ? 3 : 2;
    default: return 0;
  }
}

// Note lengths divide by powers of two: a shift spares a slow 64-bit division.
MidiTick DivideByLength(MidiTick ticks, MidiTick den) {
  if (ticks >= 0 && (den & (den - 1)) == 0) return ticks >> std::countr_zero(static_cast<uint64_t>(den));
  return ticks / den;
}

// Whether pos falls on a multiple of beat; positions in a bar fit 32 bits, where the
// division is much cheaper.
bool OnBeat(MidiTick pos, MidiTick beat) {
  if (beat <= 0) return false;
  if (pos >= 0 && pos <= UINT32_MAX && beat <= UINT32_MAX) {
    return static_cast<uint32_t>(pos) % static_cast<uint32_t>(beat) == 0;
  }
  return pos % beat == 0;
}

int Setting(const std::atomic<int>& value, int lo, int hi) {
  return ClampTo(value.load(std::memory_order_relaxed), lo, hi);
}

// A divisor from the settings file: 0 or less falls back to its default.
int Divisor(const std::atomic<int>& value, int fallback) {
  const int v = value.load(std::memory_order_relaxed);
  return v >= 1 ? v : fallback;
}

}  // namespace

int TAbcMidi::Convert(std::span<const TAbc* const> elements, TMidiContainer* container) {
  Reset(container);
  for (const TAbc* e : elements) {
    if (e) ConvertElement(*e);
  }
  FinishTune();
  return 0;
}

int32_t TAbcMidi::ComputeCode(std::span<const TAbc* const> elements) {
  Reset(nullptr);
  codeElementsRead_ = elements.size();
  codeFinal_ = false;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i]) ConvertElement(*elements[i]);
    // Samples only fill empty slots, only the first bar line can discard them, and
    // only the first key counts.
    if (sampler_.Full() && pickupTicks_ >= 0 && firstKeySeen_) {
      codeElementsRead_ = i + 1;
      codeFinal_ = true;
      break;
    }
  }
  codeText_ = sampler_.CodeText(headerKey_);
  codeValue_ = TuneCodeValue(codeText_);
  return codeValue_;
}

void TAbcMidi::Reset(TMidiContainer* container) {
  container_ = container;
  if (container_) container_->Clear();
  events_.clear();
  graces_.clear();
  blocs_.clear();
  blocCount_ = 0;
  earliestStart_ = 0;
  endingMark_ = 0;
  endingEarliest_ = 0;
  endingTime_ = 0;
  repeatOpen_ = false;
  laterEnding_ = false;
  laterEndingBar_ = false;
  continued_ = false;
  sectionEndsAtLine_ = false;
  lastEnding_ = 1;
  barAccidentals_.fill(0);
  measureTicks_ = kWholeNote;
  unitTicks_ = 240;
  now_ = 0;
  barStart_ = 0;
  longestVoiceEnd_ = 0;
  unitGiven_ = false;
  chordState_ = 0;
  chordAdvance_ = 0;
  channel_ = 1;
  voices_.fill(VoiceState{});
  ties_.Clear();
  firstKeySeen_ = firstMeterSeen_ = false;
  headerKey_ = currentKey_ = 0;
  headerMeter_ = currentMeter_ = Meter{};
  sampler_.Reset();
  pickupTicks_ = -1;
  totalTicks_ = 0;
  codeValue_ = 0;

  settings_.graceOn = config_.GraceOn.load(std::memory_order_relaxed) != 0;
  settings_.graceSimple = Divisor(config_.GrcSimple, 6);
  settings_.graceMulti = Divisor(config_.GrcMulti, 3);
  settings_.accentPercent = Setting(config_.AccNote, 0, 100);
  settings_.weak = Setting(config_.LNote, 0, 127);
  settings_.medium = Setting(config_.MNote, 0, 127);
  settings_.strong = Setting(config_.HNote, 0, 127);
}

void TAbcMidi::ConvertElement(const TAbc& e) {
  if (sectionEndsAtLine_ && !PassesOverLineEnd(e)) {
    // A further ending first on the next line goes on with the endings of the
    // section; anything else starts a new section.
    sectionEndsAtLine_ = false;
    const bool nextEnding =
        e.Kind == kAbcBarSection && static_cast<const TAbcBarSection&>(e).Number > lastEnding_;
    if (!nextEnding) FlushBlocs();
  }
  if (e.Kind == kAbcNote) {
    const auto& note = static_cast<const TAbcNote&>(e);
    if (note.GraceCount != 0) {
      graces_.push_back(&note);
    } else {
      DoNote(note);
    }
    return;
  }
  switch (e.Kind) {
    case kAbcBarSection:
      DoEnding(static_cast<const TAbcBarSection&>(e));
      break;
    case kAbcBracketOpen:
      chordState_ = 1;
      chordAdvance_ = 0;
      break;
    case kAbcBracketClose:
      // An inline field in brackets has no first note and so advances nothing.
      if (chordState_ == 2) ties_.EndGroup();
      chordState_ = 0;
      now_ += chordAdvance_;
      chordAdvance_ = 0;
      break;
    case kAbcBarSingle:
    case kAbcBarDouble:
    case kAbcBarRepeatEnd:
    case kAbcBarRepeatStart:
    case kAbcBarRepeatBoth:
      DoBar(static_cast<const TAbcBar&>(e));
      break;
    case kAbcBackSlash: continued_ = true; break;
    case kAbcEOL:
      // A later ending ends with its line (a continuation joins lines).
      if (laterEnding_ && !continued_) sectionEndsAtLine_ = true;
      continued_ = false;
      break;
    case kAbcFieldK: OnKey(static_cast<const TAbcKey_K&>(e)); break;
    case kAbcFieldL: OnUnitLength(static_cast<const TAbcKey_L&>(e)); break;
    case kAbcFieldM: OnMeter(static_cast<const TAbcKey_M&>(e)); break;
    case kAbcFieldV: OnVoice(static_cast<const TAbcKey_V&>(e)); break;
    default: break;
  }
}

// ---- Fields ----

void TAbcMidi::OnKey(const TAbcKey_K& key) {
  currentKey_ = ClampTo(key.Sharps, -7, 7);
  if (!firstKeySeen_) {
    headerKey_ = currentKey_;
    firstKeySeen_ = true;
  }
}

void TAbcMidi::OnUnitLength(const TAbcKey_L& unit) {
  unitGiven_ = true;
  const MidiTick num = std::max(unit.Num, 1);
  const MidiTick den = unit.Den >= 1 ? unit.Den : 8;
  unitTicks_ = kWholeNote * num / den;
}

void TAbcMidi::OnMeter(const TAbcKey_M& meter) {
  currentMeter_ = Meter{meter.Num, meter.Den};
  if (!firstMeterSeen_) {
    headerMeter_ = currentMeter_;
    firstMeterSeen_ = true;
    sampler_.SetCompound(meter.Den == 8 || (meter.Num == 3 && meter.Den == 4));
  }
  SetMeter(currentMeter_);
}

// Each voice plays on its own channel. Its first V: starts it at tick 0 in the
// header's key; a later one goes on where the voice stopped, in the key it had.
// Every V: takes the header's meter.
void TAbcMidi::OnVoice(const TAbcKey_V& voice) {
  voices_[static_cast<size_t>(channel_)] = VoiceState{true, now_, barStart_, currentKey_};
  longestVoiceEnd_ = std::max(longestVoiceEnd_, now_);
  channel_ = ClampTo(voice.Number, 1, 16);
  const VoiceState& next = voices_[static_cast<size_t>(channel_)];
  if (next.started) {
    now_ = next.now;
    barStart_ = next.barStart;
    currentKey_ = next.key;
  } else {
    now_ = 0;
    currentKey_ = headerKey_;
  }
  currentMeter_ = headerMeter_;
}

// The bar length is always the meter's own; the unit length becomes the meter's
// default unless the tune gave an L: before (ABC keeps an explicit unit length
// when the meter changes).
void TAbcMidi::SetMeter(Meter meter) {
  const bool valid = meter.num >= 1 && meter.den >= 1;
  const MidiTick measure = valid ? MidiTick{meter.num} * kWholeNote / meter.den : 0;
  measureTicks_ = measure >= 1 ? measure : kWholeNote;
  // 3/4 and longer default to eighth notes, shorter meters (2/4) to sixteenths.
  const MidiTick defaultUnit = !valid || 4 * meter.num >= 3 * meter.den ? 240 : 120;
  if (!unitGiven_) unitTicks_ = defaultUnit;
  if (container_) events_.push_back(std::make_unique<TTimeSignature>(now_, kTagConverter, meter.num, meter.den));
}

// ---- Notes ----

void TAbcMidi::DoNote(const TAbcNote& note) {
  const int velocity = NoteVelocity();
  const MidiTick full = NoteLength(note);
  if (!ContinueTie(note, full)) {
    const MidiTick graceTicks = graces_.empty() || !settings_.graceOn ? 0 : PlayGraces(full, velocity);
    // The element's decoration is copied: the parser's elements are shared and only read.
    int decoration = note.Decoration;
    if (note.NoteIndex >= 1 && note.NoteIndex <= 14) {
      const int pitch = NotePitch(note);
      sampler_.SampleNote(pitch, now_ - std::max<MidiTick>(pickupTicks_, 0), full);
      if (!graces_.empty() && decoration == 1) decoration = 0;  // a roll after grace notes plays plain
      const size_t blocsBefore = blocs_.size();
      AddNoteBlocs(note, decoration, pitch, full - graceTicks, graceTicks, velocity);
      if ((note.Tie & kTieStart) != 0) {
        const size_t bloc = blocs_.size() > blocsBefore ? blocs_.size() - 1 : SIZE_MAX;
        ties_.Hold(note, OpenTie{pitch, bloc});
      }
    } else if (note.IsRest()) {
      AddNoteBlocs(note, -1, 0, full - graceTicks, graceTicks, 0);
    }
    graces_.clear();
  }

  if (chordState_ == 0) {
    // The bars a "Z" rest fills are bars of their own: the bar it stands in starts after them.
    if (note.Bars > 0) barStart_ += full;
    now_ += full;
    ties_.EndGroup();
  } else if (chordState_ == 1) {
    // The notes of a chord start together; the chord lasts as long as its first note.
    chordAdvance_ = full;
    chordState_ = 2;
  }
}

// A note that continues a tie makes no sound of its own: the tied note's last bloc
// sounds on to this note's end, at the tied note's pitch (its accidental holds across
// a bar line). The tune code samples it as the note it prolongs.
bool TAbcMidi::ContinueTie(const TAbcNote& note, MidiTick full) {
  if ((note.Tie & kTieEnd) == 0) return false;
  const std::optional<OpenTie> held = ties_.Take(note);
  if (!held) return false;
  if (note.Accidental != 0) NotePitch(note);  // a written accidental still holds for the bar
  sampler_.SampleNote(held->pitch, now_ - std::max<MidiTick>(pickupTicks_, 0), full);
  if (held->bloc < blocs_.size()) {
    TNoteBloc& bloc = blocs_[held->bloc];
    bloc.Duration = std::max(bloc.Start + bloc.Duration, now_ + full) - bloc.Start;
  }
  if ((note.Tie & kTieStart) != 0) ties_.Hold(note, *held);
  graces_.clear();
  return true;
}

MidiTick TAbcMidi::NoteLength(const TAbcNote& note) const {
  if (note.Bars > 0) return measureTicks_ * note.Bars;
  const MidiTick num = std::max(note.LenNum, 0);
  const MidiTick den = note.LenDen >= 1 ? note.LenDen : 1;
  const int p = note.Tuplet;
  const bool compound = currentMeter_.num > 3 && currentMeter_.num % 3 == 0;
  const int q = TupletTime(p, compound);
  MidiTick len = q != 0 ? unitTicks_ * num * q / (den * p) : DivideByLength(unitTicks_ * num, den);
  // Broken rhythm: the first division truncates before the multiplication.
  switch (note.Straight) {
    case -3: len /= 8; break;
    case -2: len /= 4; break;
    case -1: len /= 2; break;
    case 1: len = len / 2 * 3; break;
    case 2: len = len / 4 * 7; break;
    case 3: len = len / 8 * 15; break;
    default: break;
  }
  return len;
}

// Grace notes take their time from the start of the main note; returns that time.
MidiTick TAbcMidi::PlayGraces(MidiTick len, int velocity) {
  const auto n = static_cast<MidiTick>(graces_.size());
  const MidiTick each = n == 1 ? len / settings_.graceSimple : len / settings_.graceMulti / n;
  const int graceVelocity = settings_.accentPercent * velocity / 100;
  for (MidiTick i = 0; i < n; ++i) {
    const int pitch = NotePitch(*graces_[static_cast<size_t>(i)]);
    AddBloc(now_ + i * each, each, graceVelocity, pitch);
  }
  return n * each;
}

void TAbcMidi::AddNoteBlocs(const TAbcNote& note, int decoration, int pitch, MidiTick len, MidiTick graceTicks,
                            int velocity) {
  const int accent = settings_.accentPercent * velocity / 100;
  switch (decoration) {
    case -1:
      AddBloc(now_, len, 0, 0);
      break;
    case 0:
      AddBloc(now_ + graceTicks, len, velocity, pitch);
      break;
    case 1:
      if (note.LenNum != 3) {
        const MidiTick q = len / 4;
        AddBloc(now_, q, accent, pitch);
        AddBloc(now_ + q, q, accent, pitch);
        AddBloc(now_ + len / 2, len / 2, velocity, pitch);
      } else {
        // A long roll: two short grace-like notes, then the note in two thirds.
        const MidiTick q = len / 6;
        const MidiTick t = len / 3;
        AddBloc(now_, q, accent, pitch);
        AddBloc(now_ + q, q, accent, pitch);
        AddBloc(now_ + t, t, velocity, pitch);
        AddBloc(now_ + 2 * t, t, velocity, pitch);
      }
      break;
    case 2:
      AddBloc(now_ + graceTicks, len / 2, velocity, pitch);  // staccato sounds half its length
      break;
    default:
      break;
  }
}

int TAbcMidi::NotePitch(const TAbcNote& note) {
  int letter = note.NoteIndex;
  int octave = note.Octave;
  if (letter > 7) {
    letter -= 7;
    ++octave;
  }
  letter = ClampTo(letter, 1, 7) - 1;
  const int pitch = 60 + 12 * octave + kLetterSemitones[static_cast<size_t>(letter)];
  int& barAccidental = barAccidentals_[static_cast<size_t>(letter)];
  int accidental = note.Accidental;
  // An accidental holds for the letter in every octave until the bar ends.
  if (accidental == 0 && barAccidental != 0) accidental = barAccidental;
  const int key = kKeySignature[static_cast<size_t>(currentKey_ + 7)][static_cast<size_t>(letter)];
  if (accidental == 0) return pitch + key;
  switch (accidental) {
    case 1: barAccidental = 1; return key == 1 ? pitch + 1 : pitch + key + 1;
    case -1: barAccidental = -1; return key == -1 ? pitch - 1 : pitch + key - 1;
    case 3: barAccidental = 3; return pitch;
    case 2: barAccidental = 2; return pitch + 2;
    case -2: barAccidental = -2; return pitch - 2;
    default: return pitch + key;
  }
}

// Strong beats loud, other beats medium, notes between beats soft.
int TAbcMidi::NoteVelocity() const {
  const MidiTick pos = now_ - barStart_;
  const MidiTick m = measureTicks_;
  if (pos == 0) return settings_.strong;
  switch (currentMeter_.num) {
    case 2:
      if (pos == m / 2) return settings_.strong;
      if (currentMeter_.den == 4 && pos == m / 4) return settings_.medium;
      return settings_.weak;
    case 3:
    case 9:
      return OnBeat(pos, m / 3) ? settings_.medium : settings_.weak;
    case 4:
    case 6:
    case 12:
      if (pos == m / 2) return settings_.strong;
      return OnBeat(pos, m / 4) ? settings_.medium : settings_.weak;
    case 8:
      return OnBeat(pos, m / 4) ? settings_.medium : settings_.weak;
    default:
      return settings_.weak;
  }
}

// ---- Bars, repeats and endings ----

void TAbcMidi::DoBar(const TAbcBar& bar) {
  if (bar.Skip == 1) return;  // the numbered ending that follows does the work
  barAccidentals_.fill(0);
  EndBar(bar.Kind);
  if (laterEnding_) {
    // A second (or later) ending runs over plain bar lines to the next other bar
    // line or the end of its line, which close its section: a repeat sign there
    // repeats nothing more, and what follows starts a new section.
    if (bar.Kind == kAbcBarSingle) {
      if (!laterEndingBar_) {
        laterEndingBar_ = true;
        laterEndingBarBlocs_ = blocCount_;
        laterEndingBarTime_ = now_;
      }
      return;
    }
    FlushBlocs();
    repeatOpen_ = bar.Kind == kAbcBarRepeatStart || bar.Kind == kAbcBarRepeatBoth;
    return;
  }
  switch (bar.Kind) {
    case kAbcBarDouble:
      // A double bar closes a section opened by a start-repeat sign.
      if (repeatOpen_ && endingMark_ == 0) now_ = ReplayBlocs(now_, blocCount_, earliestStart_, now_);
      FlushBlocs();
      break;
    case kAbcBarRepeatEnd:
      now_ = ReplaySection();
      FlushBlocs();
      break;
    case kAbcBarRepeatStart:
      FlushBlocs();
      repeatOpen_ = true;
      break;
    case kAbcBarRepeatBoth:
      now_ = ReplaySection();
      FlushBlocs();
      repeatOpen_ = true;
      break;
    default:
      break;
  }
}

// "|1" marks what the first time plays before its ending; "|2" (or any later
// ending) replays the section up to that mark. Each later ending number replays
// once, so a section is never copied more often than it has endings.
void TAbcMidi::DoEnding(const TAbcBarSection& ending) {
  EndBar(ending.Kind);
  if (ending.Number == 1) {
    // A first ending after a later one starts a new section: right there when no
    // bar line came between, else at the later ending's first bar line.
    if (laterEnding_ && laterEndingBar_) {
      FlushBlocs(laterEndingBarBlocs_);
      earliestStart_ = laterEndingBarTime_;
    } else if (laterEnding_) {
      FlushBlocs();
    }
    endingMark_ = blocCount_;
    endingEarliest_ = earliestStart_;
    endingTime_ = now_;
  } else {
    if (ending.Number > lastEnding_) {
      now_ = ReplayBlocs(now_, endingMark_, endingEarliest_, endingTime_);
      barStart_ = now_;
      lastEnding_ = ending.Number;
    }
    laterEnding_ = true;
    laterEndingBar_ = false;
  }
}

void TAbcMidi::EndBar(int kind) {
  barAccidentals_.fill(0);
  if (barStart_ == 0) {
    barStart_ = now_;
  } else {
    if (now_ > barStart_ + measureTicks_ && (now_ - barStart_) % measureTicks_ != 0) {
      now_ = barStart_ + measureTicks_;  // an overfull bar is cut to its length
    } else if (now_ < barStart_ && now_ > measureTicks_ && kind != kAbcBarSingle) {
      now_ = barStart_;  // a later voice catching up with the first
    }
    barStart_ = now_;
  }
  // The first bar line after some music tells whether the tune starts with a pickup.
  if (pickupTicks_ < 0 && barStart_ > 0) {
    if (barStart_ < measureTicks_) {
      pickupTicks_ = barStart_;
      sampler_.Discard();
    } else {
      pickupTicks_ = 0;
    }
  }
}

void TAbcMidi::AddBloc(MidiTick start, MidiTick duration, int velocity, int pitch) {
  if (blocCount_ == 0 || start < earliestStart_) earliestStart_ = start;
  ++blocCount_;
  if (container_) blocs_.push_back(TNoteBloc{start, duration, channel_, pitch, velocity});
}

// The copies continue where the section ends, not where its last note stops: a
// staccato or a short chord note at the end must not pull the rest of the tune early.
// A later voice's repeat sign can come before the buffered section even started;
// the copy never moves back in time, so nothing lands before tick 0.
MidiTick TAbcMidi::ReplayBlocs(MidiTick now, size_t count, MidiTick earliest, MidiTick sectionEnd) {
  if (count == 0) return now;
  const MidiTick shift = std::max<MidiTick>(now - earliest, 0);
  if (container_) {
    for (size_t i = 0; i < count; ++i) {
      TNoteBloc copy = blocs_[i];
      copy.Start += shift;
      blocs_.push_back(copy);
    }
  }
  blocCount_ += count;
  earliestStart_ = std::min(earliestStart_, earliest + shift);
  barStart_ += shift;
  return sectionEnd + shift;
}

// A closing repeat plays the section again; a first ending it closes, with no
// numbered ending after it, is left out of the second time.
MidiTick TAbcMidi::ReplaySection() {
  if (endingMark_ != 0) return ReplayBlocs(now_, endingMark_, endingEarliest_, endingTime_);
  return ReplayBlocs(now_, blocCount_, earliestStart_, now_);
}

// What stands between a line's end and the next line's music: blanks, line ends, a
// continuation, and a bar line the ending after it stands for.
bool TAbcMidi::PassesOverLineEnd(const TAbc& e) {
  if (e.Kind == kAbcSpace || e.Kind == kAbcEOL || e.Kind == kAbcBackSlash) return true;
  return IsPlainBar(e.Kind) && static_cast<const TAbcBar&>(e).Skip == 1;
}

void TAbcMidi::FlushBlocs() { FlushBlocs(blocCount_); }

void TAbcMidi::FlushBlocs(size_t count) {
  count = std::min(count, blocCount_);
  if (container_) {
    const auto end = blocs_.begin() + static_cast<std::ptrdiff_t>(count);
    for (auto bloc = blocs_.begin(); bloc != end; ++bloc) {
      if (bloc->Pitch != 0) EmitNote(*bloc);
    }
    blocs_.erase(blocs_.begin(), end);
  }
  barAccidentals_.fill(0);
  blocCount_ -= count;
  // A tie across a flush is not held: its note was already written.
  ties_.Clear();
  endingMark_ = 0;
  repeatOpen_ = false;
  laterEnding_ = false;
  laterEndingBar_ = false;
  sectionEndsAtLine_ = false;
  lastEnding_ = 1;
}

void TAbcMidi::EmitNote(const TNoteBloc& bloc) {
  const MidiTick end = bloc.Start + bloc.Duration;
  events_.push_back(
      std::make_unique<TNote_On>(bloc.Start, kTagConverter, bloc.Velocity, bloc.Pitch, bloc.Channel, end));
  events_.push_back(std::make_unique<TNote_On>(end, kTagConverter, 0, bloc.Pitch, bloc.Channel, end));
}

void TAbcMidi::FinishTune() {
  // The last bar is completed to a full measure.
  if (now_ - barStart_ < measureTicks_ && now_ != barStart_) now_ = barStart_ + measureTicks_;
  totalTicks_ = std::max(now_, longestVoiceEnd_);
  FlushBlocs();
  // The events come roughly in time order; the container sorts them once.
  if (container_) container_->AddEvents(events_);
  codeText_ = sampler_.CodeText(headerKey_);
  codeValue_ = TuneCodeValue(codeText_);
}

}  // namespace rq
