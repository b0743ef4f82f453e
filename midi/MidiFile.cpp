// Standard MIDI File writer.
#include "midi/MidiFile.h"

#include <algorithm>
#include <string_view>

#include "midi/MidiSettings.h"
#include "platform/Numbers.h"

namespace rq {
namespace {

constexpr int kTicksPerQuarter = 480;

uint32_t MicrosecondsPerQuarter(int qpm) {
  if (qpm <= 0) return 500000;
  return static_cast<uint32_t>(ClampTo(60000000 / qpm, 1, 0xFFFFFF));
}

}  // namespace

void TMIDI_Out_Stream::Put16(uint32_t v) {
  PutByte(static_cast<unsigned char>(v >> 8));
  PutByte(static_cast<unsigned char>(v));
}

void TMIDI_Out_Stream::Put24(uint32_t v) {
  PutByte(static_cast<unsigned char>(v >> 16));
  Put16(v & 0xFFFF);
}

void TMIDI_Out_Stream::Put32(uint32_t v) {
  Put16(v >> 16);
  Put16(v & 0xFFFF);
}

void TMIDI_Out_Stream::PutText(const char* text) {
  for (const char* p = text; *p; ++p) PutByte(static_cast<unsigned char>(*p));
}

void TMIDI_Out_Stream::PutDelta(MidiTick delta) {
  const auto v = static_cast<uint32_t>(ClampTo<MidiTick>(delta, 0, kMaxMidiDelta));
  for (int shift = 21; shift > 0; shift -= 7) {
    if (v >> shift) PutByte(static_cast<unsigned char>(0x80 | ((v >> shift) & 0x7F)));
  }
  PutByte(static_cast<unsigned char>(v & 0x7F));
}

void TMIDI_Out_Stream::BeginTrack() {
  PutText("MTrk");
  lengthPos_ = bytes_.size();
  Put32(0);
}

void TMIDI_Out_Stream::EndTrack() {
  PutByte(0x00);
  PutByte(0xFF);
  PutByte(0x2F);
  PutByte(0x00);
  const auto length = static_cast<uint32_t>(bytes_.size() - lengthPos_ - 4);
  for (int i = 0; i < 4; ++i) bytes_[lengthPos_ + static_cast<size_t>(i)] = static_cast<unsigned char>(length >> (24 - 8 * i));
}

void TMIDI_Out_Stream::WriteConductorTrack(const TMidiContainer& container) {
  BeginTrack();
  // Time signature: numerator, denominator exponent, 24 clocks per click, 8 32nds per quarter.
  for (unsigned char b : {0x00, 0xFF, 0x58, 0x04}) PutByte(b);
  PutByte(static_cast<unsigned char>(container.MeterNum()));
  PutByte(static_cast<unsigned char>(container.MeterDen()));
  PutByte(24);
  PutByte(8);
  for (unsigned char b : {0x00, 0xFF, 0x51, 0x03}) PutByte(b);
  Put24(MicrosecondsPerQuarter(container.GetTempo()));
  EndTrack();
}

void TMIDI_Out_Stream::WriteChannelTrack(const TMidiContainer& container, int channel, int volume) {
  BeginTrack();
  PutByte(0x00);
  const int program = config_.MidiPatch[static_cast<size_t>(channel - 1)].load(std::memory_order_relaxed);
  TPatch(0, kTagConverter, program, channel).WriteTo(bytes_, volume);

  MidiTick previous = 0;
  for (size_t i = 0; i < container.EventCount(); ++i) {
    const TMIDI_Event& e = *container.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.Channel() != channel || e.EventType() == kMidiTimeSignature) continue;
    // A gap too long for a four-byte quantity is shortened; later times stay relative.
    PutDelta(e.Time() - previous);
    previous = std::max(previous, e.Time());
    e.WriteTo(bytes_, volume);
  }
  EndTrack();
}

void TMIDI_Out_Stream::WriteContainer(const TMidiContainer& container) {
  bytes_.clear();
  bytes_.reserve(64 + container.EventCount() * 5);
  PutText("MThd");
  Put32(6);
  Put16(1);
  Put16(static_cast<uint32_t>(container.UsedChannelCount() + 1));
  Put16(kTicksPerQuarter);
  WriteConductorTrack(container);
  const int volume = config_.MidiVolume.load(std::memory_order_relaxed);
  for (int channel = 1; channel <= 16; ++channel) {
    if (container.ChannelUsed(channel)) WriteChannelTrack(container, channel, volume);
  }
}

int MeterDenominatorExponent(int den) {
  int exponent = 0;
  for (; den > 1; den /= 2) ++exponent;
  return exponent;
}

FileWriteResult TMIDI_Out_Stream::SaveToFile(const std::string& path) const {
  return WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
}

}  // namespace rq
