// Output through the ALSA sequencer: the writable ports and a connection to one.
#pragma once

#include <string>
#include <vector>

#include "platform/MidiDevices.h"

namespace rq {

struct AlsaPortAddress {
  int client = 0;
  int port = 0;
  std::string name;
};

// The ports that accept our messages, ordered by client and port; the system client
// and this process's own clients are left out. Empty when the sequencer cannot be opened.
std::vector<AlsaPortAddress> ListAlsaOutputPorts(const std::string& sequencer);

// Connects a port of our own to the given port.
MidiOutOpened OpenAlsaOutput(const std::string& sequencer, const AlsaPortAddress& port);

}  // namespace rq
