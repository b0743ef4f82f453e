// The tune code: eight hex digits, the notes at fixed beats of a tune's opening,
// each as its distance in semitones from the key's tonic.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "midi/MidiEvents.h"

namespace rq {

class TuneCodeSampler {
 public:
  // Empties the slots and goes back to the simple slot table.
  void Reset();
  // Compound picks the slot table of 6/8-like meters.
  void SetCompound(bool compound) { compound_ = compound; }
  // Forgets the samples taken so far (the tune turned out to start with a pickup).
  void Discard();

  // A main note with its start and full length, start counted from the end of the
  // pickup. Fills the next slot if the note starts on it or sounds across it, and
  // every further slot the note still covers. Slots are filled strictly in order.
  void SampleNote(int pitch, MidiTick start, MidiTick length);

  // All eight slots hold a note: later notes change nothing.
  bool Full() const { return count_ >= 8; }

  // The code of the samples for a key of `sharps` (-7..7); empty slots give "0".
  std::string CodeText(int sharps) const;

 private:
  std::array<int, 8> samples_{};
  int count_ = 0;
  bool compound_ = false;
};

// "B0000000" and upwards are negative: the eight digits are the value's 32 bits.
int32_t TuneCodeValue(const std::string& codeText);

}  // namespace rq
