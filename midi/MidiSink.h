// Where played events go: the output device, or a recorder in tests.
#pragma once

namespace rq {

class TMIDI_Event;

class IMidiEventSink {
 public:
  virtual ~IMidiEventSink() = default;
  // Sends one event as a short message, a note's velocity scaled to `volume` percent.
  virtual void PutEvent(const TMIDI_Event& event, int volume) = 0;
};

}  // namespace rq
