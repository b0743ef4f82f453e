// The millisecond clock and the periodic timer that pace the MIDI player.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace rq {

// A monotonic time in milliseconds. The player takes its timing from this clock,
// never from counting timer callbacks, so late callbacks do not slow a tune down.
class IMillisecondClock {
 public:
  virtual ~IMillisecondClock() = default;
  virtual int64_t NowMs() const = 0;
};

// A periodic timer that is running. Destroying it stops it and waits until its
// callback has returned, except on the timer's own thread, where waiting for itself
// would never end: there the thread is left to finish on its own.
class IPeriodicTimer {
 public:
  virtual ~IPeriodicTimer() = default;
  // Asks the timer to make no further calls, without waiting. Safe from the callback.
  virtual void RequestStop() = 0;
};

class ITimerService {
 public:
  virtual ~ITimerService() = default;
  // Calls tick every periodMs until the returned timer is stopped or destroyed.
  // Returns nullptr when no timer can be started.
  virtual std::unique_ptr<IPeriodicTimer> StartPeriodic(int periodMs, std::function<void()> tick) = 0;
};

// The steady clock of the machine.
IMillisecondClock& SystemClock();

// Timers that each run on a thread of their own, woken on the steady clock.
ITimerService& SystemTimers();

}  // namespace rq
