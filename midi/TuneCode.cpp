// Tune code sampling and its text and value.
#include "midi/TuneCode.h"

#include <cstdlib>

#include "platform/Numbers.h"

namespace rq {
namespace {

// Slot times in ticks from the end of the pickup: every quarter of two 4/4 bars, or
// the first and third eighth of each dotted-quarter beat of two 6/8 bars.
constexpr std::array<MidiTick, 8> kSimpleSlots = {0, 480, 960, 1440, 1920, 2400, 2880, 3360};
constexpr std::array<MidiTick, 8> kCompoundSlots = {0, 480, 720, 1200, 1440, 1920, 2160, 2640};

// Pitch class of the major key with n sharps (index n + 7); a minor or modal key has
// the tonic of its relative major.
constexpr std::array<int, 15> kTonic = {11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1};

}  // namespace

void TuneCodeSampler::Reset() {
  Discard();
  compound_ = false;
}

void TuneCodeSampler::Discard() {
  samples_.fill(0);
  count_ = 0;
}

void TuneCodeSampler::SampleNote(int pitch, MidiTick start, MidiTick length) {
  const auto& slots = compound_ ? kCompoundSlots : kSimpleSlots;
  if (count_ >= 8) return;
  const MidiTick end = start + length;
  const MidiTick slot = slots[static_cast<size_t>(count_)];
  if (!(slot == start || (start < slot && slot < end))) return;
  samples_[static_cast<size_t>(count_++)] = pitch;
  while (count_ < 8 && end > slots[static_cast<size_t>(count_)]) samples_[static_cast<size_t>(count_++)] = pitch;
}

std::string TuneCodeSampler::CodeText(int sharps) const {
  static constexpr char kHex[] = "0123456789AB";
  const int tonic = kTonic[static_cast<size_t>(ClampTo(sharps, -7, 7) + 7)];
  std::string text(8, '0');
  for (size_t i = 0; i < 8; ++i) {
    if (samples_[i] >= 1) text[i] = kHex[std::abs(samples_[i] - 60 - tonic) % 12];
  }
  return text;
}

int32_t TuneCodeValue(const std::string& codeText) {
  uint32_t value = 0;
  for (const char c : codeText) {
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return 0;
    }
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return codeText.empty() || codeText.size() > 8 ? 0 : static_cast<int32_t>(value);
}

}  // namespace rq
