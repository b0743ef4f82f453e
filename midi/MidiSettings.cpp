// The process-wide MIDI settings.
#include "MidiSettings.h"

namespace rq {

int TempoForSpeed(int speed) {
  speed = speed < 0 ? 0 : (speed > 200 ? 200 : speed);
  return (7 * speed + 300) / 5;
}

MidiSettings& MidiConfig() {
  static MidiSettings settings;
  return settings;
}

}  // namespace rq
