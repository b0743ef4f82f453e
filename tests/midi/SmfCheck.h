// An independent reading of a Standard MIDI File: chunk lengths, delta times and
// data bytes, as a strict reader would check them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace rq::test {

struct SmfTrack {
  std::vector<uint32_t> deltas;
  std::vector<std::vector<unsigned char>> events;  // each event's bytes after its delta
};

// Reads the tracks of the file into out; returns the first fault, or "" when it is sound.
inline std::string ReadSmf(const std::vector<unsigned char>& b, std::vector<SmfTrack>& out) {
  size_t pos = 0;
  auto chunk = [&](const char* tag, uint32_t& length) {
    if (pos + 8 > b.size() || !std::equal(tag, tag + 4, b.begin() + static_cast<long>(pos))) return false;
    length = (uint32_t{b[pos + 4]} << 24) | (uint32_t{b[pos + 5]} << 16) | (uint32_t{b[pos + 6]} << 8) | b[pos + 7];
    pos += 8;
    return pos + length <= b.size();
  };
  uint32_t length = 0;
  if (!chunk("MThd", length) || length != 6) return "bad header chunk";
  const size_t trackCount = (b[pos + 2] << 8) | b[pos + 3];
  for (pos += 6; pos < b.size();) {
    if (!chunk("MTrk", length)) return "bad track chunk or length at " + std::to_string(pos);
    const size_t end = pos + length;
    SmfTrack track;
    bool ended = false;
    while (pos < end) {
      if (ended) return "events after the end of track";
      uint32_t delta = 0;
      int bytes = 0;
      do {
        if (pos >= end || ++bytes > 4) return "bad delta time";
        delta = (delta << 7) | (b[pos] & 0x7Fu);
      } while (b[pos++] & 0x80u);
      if (pos >= end) return "delta without event";
      const unsigned char status = b[pos];
      size_t size = 3;
      if (status == 0xFF) {
        if (pos + 3 > end) return "short meta event";
        size = 3 + b[pos + 2];
        ended = b[pos + 1] == 0x2F;
      } else if ((status & 0xE0) == 0xC0) {  // program change, channel pressure
        size = 2;
      } else if (status < 0x80 || status >= 0xF0) {
        return "unexpected status byte " + std::to_string(status);
      }
      if (pos + size > end) return "event runs past its track";
      for (size_t i = 1; status != 0xFF && i < size; ++i) {
        if (b[pos + i] > 0x7F) return "data byte above 127";
      }
      track.deltas.push_back(delta);
      track.events.emplace_back(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos + size));
      pos += size;
    }
    if (!ended) return "track without end-of-track event";
    out.push_back(std::move(track));
  }
  return out.size() == trackCount ? "" : "track count differs from the header";
}

}  // namespace rq::test
