// The steady millisecond clock and periodic timers on threads of their own.
#include "MmTimer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace rq {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

class SteadyMillisecondClock : public IMillisecondClock {
 public:
  int64_t NowMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

// The stop request lives apart from the timer object, so a thread that outlives its
// timer (destroyed from its own callback) still has something valid to look at.
struct StopSignal {
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;

  void Raise() {
    {
      std::lock_guard lock(mutex);
      stop = true;
    }
    wake.notify_all();
  }
  // Sleeps until `until` or a stop request; true when asked to stop.
  bool WaitUntil(SteadyTime until) {
    std::unique_lock lock(mutex);
    return wake.wait_until(lock, until, [this] { return stop; });
  }
};

void RunPeriodic(const std::shared_ptr<StopSignal>& signal, std::chrono::milliseconds period,
                 const std::function<void()>& tick) {
  auto next = std::chrono::steady_clock::now() + period;
  while (!signal->WaitUntil(next)) {
    tick();
    next += period;
    // After a long stall start a fresh grid instead of firing a burst of ticks.
    const auto now = std::chrono::steady_clock::now();
    if (next < now) next = now + period;
  }
}

class ThreadPeriodicTimer : public IPeriodicTimer {
 public:
  ThreadPeriodicTimer(int periodMs, std::function<void()> tick)
      : signal_(std::make_shared<StopSignal>()),
        thread_(RunPeriodic, signal_, std::chrono::milliseconds(periodMs), std::move(tick)) {}

  ~ThreadPeriodicTimer() override {
    signal_->Raise();
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else {
      thread_.join();
    }
  }

  void RequestStop() override { signal_->Raise(); }

 private:
  std::shared_ptr<StopSignal> signal_;
  std::thread thread_;
};

class ThreadTimerService : public ITimerService {
 public:
  std::unique_ptr<IPeriodicTimer> StartPeriodic(int periodMs, std::function<void()> tick) override {
    if (periodMs <= 0 || !tick) return nullptr;
    try {
      return std::make_unique<ThreadPeriodicTimer>(periodMs, std::move(tick));
    } catch (const std::system_error&) {
      return nullptr;  // the system refused another thread
    }
  }
};

}  // namespace

IMillisecondClock& SystemClock() {
  static SteadyMillisecondClock clock;
  return clock;
}

ITimerService& SystemTimers() {
  static ThreadTimerService timers;
  return timers;
}

}  // namespace rq
