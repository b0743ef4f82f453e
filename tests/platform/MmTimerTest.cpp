// The periodic timer thread: it ticks, and it stops cleanly from either side.
#include "platform/MmTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "PlayerDoubles.h"

namespace rq::test {
namespace {

using namespace std::chrono_literals;

// It keeps ticking until destroyed, and not once after.
TEST(MmTimerTest, TicksUntilDestroyed) {
  std::atomic<int> ticks{0};
  auto timer = SystemTimers().StartPeriodic(10, [&] { ++ticks; });
  ASSERT_TRUE(timer);
  EXPECT_TRUE(WaitFor([&] { return ticks >= 3; }));
  timer.reset();
  const int afterStop = ticks;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ticks, afterStop);
}

// A stop asked from inside a tick ends the ticks without waiting for itself.
TEST(MmTimerTest, StopRequestedFromItsOwnTick) {
  std::atomic<int> ticks{0};
  std::unique_ptr<IPeriodicTimer> timer;
  std::mutex mutex;
  {
    std::lock_guard lock(mutex);
    timer = SystemTimers().StartPeriodic(5, [&] {
      ++ticks;
      std::lock_guard tickLock(mutex);
      timer->RequestStop();
    });
  }
  EXPECT_TRUE(WaitFor([&] { return ticks >= 1; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ticks, 1);
  std::lock_guard lock(mutex);
  timer.reset();
}

// Destroying the timer from its own tick does not hang; the thread finishes alone.
TEST(MmTimerTest, DestroyedFromItsOwnTick) {
  std::mutex mutex;
  std::condition_variable done;
  bool destroyed = false;
  std::unique_ptr<IPeriodicTimer> timer;
  std::unique_lock lock(mutex);
  timer = SystemTimers().StartPeriodic(5, [&] {
    std::lock_guard tickLock(mutex);
    if (!timer) return;
    timer.reset();
    destroyed = true;
    done.notify_all();
  });
  EXPECT_TRUE(done.wait_for(lock, 10s, [&] { return destroyed; }));
}

}  // namespace
}  // namespace rq::test
