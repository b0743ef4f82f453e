// Hand-stepped clock and timer, and reading back what a recorder device wrote.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/MmTimer.h"

namespace rq::test {

class ManualClock : public IMillisecondClock {
 public:
  int64_t NowMs() const override { return now_; }
  void Advance(int64_t ms) { now_ += ms; }

 private:
  std::atomic<int64_t> now_{1'000'000};
};

// A timer that fires only when the test says so, on the test's thread.
class ManualTimers : public ITimerService {
 public:
  std::unique_ptr<IPeriodicTimer> StartPeriodic(int periodMs, std::function<void()> tick) override {
    if (refuse) return nullptr;
    period = periodMs;
    ++starts;
    auto timer = std::make_unique<Timer>(*this);
    live_ = timer.get();
    tick_ = std::move(tick);
    return timer;
  }

  // Runs one tick when a timer is running and was not asked to stop.
  void Fire() {
    if (!Running()) return;
    auto tick = tick_;
    tick();
  }
  // A timer exists (not yet destroyed) and was not asked to stop.
  bool Running() const { return live_ && !live_->stopRequested; }
  // A timer object still exists, stopped or not.
  bool Exists() const { return live_ != nullptr; }

  bool refuse = false;
  int starts = 0;
  int period = 0;

 private:
  struct Timer : IPeriodicTimer {
    explicit Timer(ManualTimers& owner) : owner(owner) {}
    ~Timer() override {
      if (owner.live_ == this) owner.live_ = nullptr;
    }
    void RequestStop() override { stopRequested = true; }
    ManualTimers& owner;
    bool stopRequested = false;
  };

  Timer* live_ = nullptr;
  std::function<void()> tick_;
};

// One line of a recorder's file.
struct Sent {
  int64_t ms;
  int status, data1, data2;
  bool operator==(const Sent&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Sent& m) {
  return out << "{" << m.ms << " ms: " << m.status << " " << m.data1 << " " << m.data2 << "}";
}

inline std::vector<Sent> ReadRecording(const std::string& path) {
  std::vector<Sent> messages;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Sent m{};
    if (fields >> m.ms >> m.status >> m.data1 >> m.data2) messages.push_back(m);
  }
  return messages;
}

// Only note-ons and note-offs, in order.
inline std::vector<Sent> NotesOf(const std::vector<Sent>& messages) {
  std::vector<Sent> notes;
  for (const Sent& m : messages) {
    if ((m.status & 0xF0) == 0x80 || (m.status & 0xF0) == 0x90) notes.push_back(m);
  }
  return notes;
}

// A file name of the test's own in the temporary folder.
inline std::string TempFile(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("rq_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return ::testing::TempDir() + name + "_" + std::to_string(getpid()) + suffix;
}

}  // namespace rq::test
