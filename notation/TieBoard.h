// Tied notes waiting for the note or chord that continues them: one place per letter
// and octave, so that a chord of many tied notes is matched note by note in one step.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "notation/AbcClass.h"

namespace rq {

// T is what a reader keeps of a tied note. What the note or chord under way ties is
// held apart until it is complete; then it waits for the next one, and what the
// last one held and nothing continued is dropped.
template <typename T>
class TieBoard {
 public:
  // What the last note or chord tied at this note's letter and octave, taken off the board.
  std::optional<T> Take(const TAbcNote& note) {
    const int slot = Slot(note);
    if (slot < 0 || !waiting_[static_cast<size_t>(slot)]) return std::nullopt;
    std::optional<T> held;
    held.swap(waiting_[static_cast<size_t>(slot)]);
    return held;
  }
  // A note of the note or chord under way ties on.
  void Hold(const TAbcNote& note, T value) {
    const int slot = Slot(note);
    if (slot < 0) return;
    auto& place = next_[static_cast<size_t>(slot)];
    if (!place) nextUsed_.push_back(slot);
    place = value;
  }
  // The note or chord under way is complete.
  void EndGroup() {
    for (const int slot : waitingUsed_) waiting_[static_cast<size_t>(slot)].reset();
    waitingUsed_.clear();
    for (const int slot : nextUsed_) {
      waiting_[static_cast<size_t>(slot)].swap(next_[static_cast<size_t>(slot)]);
      waitingUsed_.push_back(slot);
    }
    nextUsed_.clear();
  }
  void Clear() {
    EndGroup();
    EndGroup();
  }
  // Calls f with each value still tying on: waiting, or of the note or chord under way.
  template <typename F>
  void ForEachHeld(F f) const {
    for (const int slot : waitingUsed_) {
      if (const auto& held = waiting_[static_cast<size_t>(slot)]) f(*held);
    }
    for (const int slot : nextUsed_) {
      if (const auto& held = next_[static_cast<size_t>(slot)]) f(*held);
    }
  }

 private:
  static constexpr int kOctaves = 5;  // -2..2
  static int Slot(const TAbcNote& note) {
    if (note.NoteIndex < 1 || note.NoteIndex > 14 || note.Octave < -2 || note.Octave > 2) return -1;
    return (note.NoteIndex - 1) * kOctaves + note.Octave + 2;
  }
  std::array<std::optional<T>, 14 * kOctaves> waiting_{}, next_{};
  std::vector<int> waitingUsed_, nextUsed_;
};

}  // namespace rq
