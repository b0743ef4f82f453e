// The speed setting's tempo.
#include "MidiSettings.h"

namespace rq {

int TempoForSpeed(int speed) {
  speed = speed < 0 ? 0 : (speed > 200 ? 200 : speed);
  return (7 * speed + 300) / 5;
}

}  // namespace rq
