// Where played events go: the output device, or a recorder in tests.
#pragma once

namespace rq {

class TMIDI_Event;

class IMidiEventSink {
 public:
  virtual ~IMidiEventSink() = default;
  // Sends one event as a short message (a note's velocity already volume-scaled).
  virtual void PutEvent(const TMIDI_Event& event) = 0;
};

}  // namespace rq
