// The settings values the MIDI layer reads.
#pragma once

#include <array>
#include <atomic>

namespace rq {

// Live settings of the converter and the player, handed to each of them by its
// owner. The application's settings file fills them at start and the options dialog
// and player panel change them; the timer thread reads some of them while playing,
// hence the atomics. Every value is clamped where it is used, since a hand-edited
// settings file can hold anything.
struct MidiSettings {
  std::atomic<int> MidiPort{0};
  std::atomic<int> MidiPitch{0};     // -63..63
  std::atomic<int> MidiSpeed{100};   // 0..200
  std::atomic<int> MidiVolume{100};  // percent, 0..100
  std::atomic<int> MidiOctave{0};
  std::array<std::atomic<int>, 16> MidiPatch{};  // program per channel, 0..127
  std::atomic<int> SyntDelay{0};

  // Converter.
  std::atomic<int> GraceOn{1};
  std::atomic<int> LNote{64};
  std::atomic<int> MNote{92};
  std::atomic<int> HNote{127};
  std::atomic<int> AccNote{80};
  std::atomic<int> GrcSimple{6};
  std::atomic<int> GrcMulti{3};

  // Set from the result of opening the output device.
  std::atomic<bool> MidiReady{false};
};

// Quarter notes per minute for a speed setting of 0..200 (clamped): 0 gives 60,
// 100 gives 200 and 200 gives 340.
int TempoForSpeed(int speed);

}  // namespace rq
