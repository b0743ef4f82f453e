// The ABC-to-MIDI converter: a parsed tune's elements into timed note events, its
// pickup, length and bar length, and its tune code.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "midi/MidiEvents.h"
#include "midi/TuneCode.h"
#include "notation/AbcClass.h"
#include "notation/TieBoard.h"

namespace rq {

struct MidiSettings;

// One note or rest waiting to be written; repeats are played by copying these.
struct TNoteBloc {
  MidiTick Start;
  MidiTick Duration;
  int Channel;
  int Pitch;     // 0 for a rest
  int Velocity;  // 0 for a rest
};

// Plays repeats and numbered endings, broken rhythm, tuplets, grace notes, rolls,
// staccato, chords, ties and interleaved voices, and gives every note a velocity by
// its place in the bar. Time is 1920 ticks per whole note. The elements are only read.
class TAbcMidi {
 public:
  // Reads the grace and velocity settings from `settings` at every conversion; they
  // must outlive the converter.
  explicit TAbcMidi(const MidiSettings& settings) : config_(settings) {}
  explicit TAbcMidi(const MidiSettings&& settings) = delete;

  // Converts into container (cleared first), or only computes the results when
  // container is null, as indexing does. Returns 0.
  int Convert(std::span<const TAbc* const> elements, TMidiContainer* container = nullptr);
  // Only the tune code, as indexing and the code searches need it: the same code as
  // Convert gives, but reading stops once it can no longer change (all eight slots
  // sampled, the pickup known, the key read). The other results are not valid after
  // it. Returns the code's value.
  int32_t ComputeCode(std::span<const TAbc* const> elements);
  // How many leading elements the last ComputeCode read before the code was final;
  // the whole list's size when it read to the end without the code being final.
  size_t CodeElementsRead() const { return codeElementsRead_; }
  bool CodeFinal() const { return codeFinal_; }

  // Length of the pickup; -1 when the tune has no bar line after some music.
  MidiTick PickupTicks() const { return pickupTicks_; }
  // End of the tune: the longest voice, its last bar completed.
  MidiTick TotalTicks() const { return totalTicks_; }
  MidiTick MeasureTicks() const { return measureTicks_; }
  const std::string& CodeText() const { return codeText_; }
  int32_t CodeValue() const { return codeValue_; }

 private:
  struct Meter {
    int num = 4;
    int den = 4;
  };
  // Where a voice stopped, for its next V: to go on from.
  struct VoiceState {
    bool started = false;
    MidiTick now = 0;
    MidiTick barStart = 0;
    int key = 0;
  };
  // A tied note still sounding: the next note or chord may continue it.
  struct OpenTie {
    int pitch;
    size_t bloc;  // its last bloc, with a container; SIZE_MAX when it made none
  };
  // The converter's settings, read and clamped once per conversion.
  struct Settings {
    bool graceOn = true;
    int graceSimple = 6;  // length divisor of a lone grace note
    int graceMulti = 3;   // length divisor of a grace group
    int accentPercent = 80;  // velocity of grace and ornament notes, percent
    int weak = 64, medium = 92, strong = 127;
  };

  void Reset(TMidiContainer* container);
  void ConvertElement(const TAbc& e);
  void OnKey(const TAbcKey_K& key);
  void OnUnitLength(const TAbcKey_L& unit);
  void OnMeter(const TAbcKey_M& meter);
  void OnVoice(const TAbcKey_V& voice);
  void SetMeter(Meter meter);
  void FinishTune();

  void DoNote(const TAbcNote& note);
  bool ContinueTie(const TAbcNote& note, MidiTick full);
  MidiTick NoteLength(const TAbcNote& note) const;
  MidiTick PlayGraces(MidiTick len, int velocity);
  void AddNoteBlocs(const TAbcNote& note, int decoration, int pitch, MidiTick len, MidiTick graceTicks,
                    int velocity);
  int NotePitch(const TAbcNote& note);
  int NoteVelocity() const;

  void DoBar(const TAbcBar& bar);
  void DoEnding(const TAbcBarSection& ending);
  MidiTick ReplaySection();
  static bool PassesOverLineEnd(const TAbc& e);
  void EndBar(int kind);
  void AddBloc(MidiTick start, MidiTick duration, int velocity, int pitch);
  // Plays the first `count` buffered blocs (whose earliest start is `earliest`) again
  // from `now`; returns where the copied section ends: `sectionEnd` moved by the
  // same shift.
  MidiTick ReplayBlocs(MidiTick now, size_t count, MidiTick earliest, MidiTick sectionEnd);
  // Writes out the buffered section and starts a new one; with `count`, only its
  // first `count` blocs, the others staying buffered as the new section's start.
  void FlushBlocs();
  void FlushBlocs(size_t count);
  void EmitNote(const TNoteBloc& bloc);

  const MidiSettings& config_;
  TMidiContainer* container_ = nullptr;
  // Events for the container, in the order they were made; added to it at the end.
  std::vector<std::unique_ptr<TMIDI_Event>> events_;
  std::vector<const TAbcNote*> graces_;
  // The section buffered since the last flush. Without a container only its count
  // and earliest start are kept: they are all that replaying it needs.
  std::vector<TNoteBloc> blocs_;
  size_t blocCount_ = 0;
  MidiTick earliestStart_ = 0;
  size_t endingMark_ = 0;        // blocs buffered when a first ending began; 0 none
  MidiTick endingEarliest_ = 0;  // earliest start among those
  MidiTick endingTime_ = 0;      // where that first ending began
  bool repeatOpen_ = false;    // a start-repeat sign opened the buffered section
  bool laterEnding_ = false;   // a second or later ending is playing; the line's end or a bar line but "|" closes it
  bool continued_ = false;     // the line ends with a continuation
  // A later ending ran to its line's end: a new section starts with the next line's
  // music, unless that opens with a further ending.
  bool sectionEndsAtLine_ = false;
  // The first "|" after a later ending: where a new section began, should a first ending follow.
  bool laterEndingBar_ = false;
  size_t laterEndingBarBlocs_ = 0;
  MidiTick laterEndingBarTime_ = 0;
  int lastEnding_ = 1;         // the highest ending number replayed in this section

  std::array<int, 7> barAccidentals_{};  // per letter C..B: 0, +-1, +-2, 3 natural
  MidiTick measureTicks_ = 1920;
  MidiTick unitTicks_ = 240;
  MidiTick now_ = 0;
  MidiTick barStart_ = 0;
  MidiTick longestVoiceEnd_ = 0;
  bool unitGiven_ = false;  // an L: field was read
  int chordState_ = 0;  // 0 outside, 1 after "[", 2 after its first note
  MidiTick chordAdvance_ = 0;
  int channel_ = 1;
  std::array<VoiceState, 17> voices_{};  // by channel 1..16
  TieBoard<OpenTie> ties_;

  bool firstKeySeen_ = false, firstMeterSeen_ = false;
  int headerKey_ = 0, currentKey_ = 0;
  Meter headerMeter_, currentMeter_;
  Settings settings_;

  TuneCodeSampler sampler_;
  MidiTick pickupTicks_ = -1;
  MidiTick totalTicks_ = 0;
  std::string codeText_ = "00000000";
  int32_t codeValue_ = 0;
  size_t codeElementsRead_ = 0;
  bool codeFinal_ = false;
};

}  // namespace rq
