// An independent reading of a Standard MIDI File: chunk lengths, delta times and
// data bytes, as a strict reader would check them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rq::test {

struct SmfTrack {
  std::vector<std::vector<unsigned char>> events;  // each event's bytes after its delta
  std::vector<uint32_t> deltas;
};

struct SmfFile {
  int format = 0;
  int trackCount = 0;
  int division = 0;
  std::vector<SmfTrack> tracks;
};

// Reads the file; returns a description of the first fault, or "" when it is sound.
inline std::string ReadSmf(const std::vector<unsigned char>& b, SmfFile& out) {
  size_t pos = 0;
  auto need = [&](size_t n) { return pos + n <= b.size(); };
  auto u32 = [&]() {
    const uint32_t v = (uint32_t{b[pos]} << 24) | (uint32_t{b[pos + 1]} << 16) | (uint32_t{b[pos + 2]} << 8) | b[pos + 3];
    pos += 4;
    return v;
  };
  auto u16 = [&]() {
    const int v = (b[pos] << 8) | b[pos + 1];
    pos += 2;
    return v;
  };
  auto tag = [&](const char* t) {
    if (!need(4) || std::string(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos) + 4) != t) return false;
    pos += 4;
    return true;
  };
  if (!tag("MThd") || !need(10) || u32() != 6) return "bad header chunk";
  out.format = u16();
  out.trackCount = u16();
  out.division = u16();
  while (pos < b.size()) {
    if (!tag("MTrk") || !need(4)) return "bad track chunk at " + std::to_string(pos);
    const uint32_t length = u32();
    if (!need(length)) return "track length runs past the file";
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
      size_t size = 0;
      if (status == 0xFF) {
        if (pos + 3 > end) return "short meta event";
        size = 3 + b[pos + 2];
        ended = b[pos + 1] == 0x2F;
      } else if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) {
        size = 2;
      } else if (status >= 0x80 && status < 0xF0) {
        size = 3;
      } else {
        return "unexpected status byte " + std::to_string(status);
      }
      if (pos + size > end) return "event runs past its track";
      if (status != 0xFF) {
        for (size_t i = 1; i < size; ++i) {
          if (b[pos + i] > 0x7F) return "data byte above 127";
        }
      }
      track.deltas.push_back(delta);
      track.events.emplace_back(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos + size));
      pos += size;
    }
    if (!ended) return "track without end-of-track event";
    out.tracks.push_back(std::move(track));
  }
  if (static_cast<int>(out.tracks.size()) != out.trackCount) return "track count differs from the header";
  return "";
}

}  // namespace rq::test
