// The process-wide MIDI settings.
#include "MidiSettings.h"

namespace rq {

MidiSettings& MidiConfig() {
  static MidiSettings settings;
  return settings;
}

}  // namespace rq
