// Reading back what the recording device wrote, and the notes it left sounding.
#pragma once

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PlayerDoubles.h"

namespace rq::test {

// Every message in the file, in order: "ms status data1 data2" per line.
inline std::vector<Sent> ReadRecording(const std::string& path) {
  std::vector<Sent> messages;
  std::ifstream in(path);
  Sent m{};
  while (in >> m.ms >> m.status >> m.data1 >> m.data2) messages.push_back(m);
  return messages;
}

// Notes switched on and not switched off afterwards (a note-off or a note-on of
// velocity 0), by channel and pitch.
inline int HangingNotes(const std::vector<Sent>& messages) {
  std::map<int, bool> sounding;
  for (const Sent& m : messages) {
    const int kind = m.status & 0xF0;
    const int key = (m.status & 0x0F) * 128 + m.data1;
    if (kind == 0x90 && m.data2 > 0) sounding[key] = true;
    if (kind == 0x80 || (kind == 0x90 && m.data2 == 0)) sounding[key] = false;
  }
  int hanging = 0;
  for (const auto& entry : sounding) hanging += entry.second ? 1 : 0;
  return hanging;
}

}  // namespace rq::test
