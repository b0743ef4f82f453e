// Hand-stepped clock and timer, output devices that keep what they are sent, and
// waiting on other threads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "MidiTestHelpers.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"

namespace rq::test {

struct ManualClock : IMillisecondClock {
  int64_t NowMs() const override { return now; }
  std::atomic<int64_t> now{1'000'000};
};

// A timer that fires only when the test says so, on the test's thread.
struct ManualTimers : ITimerService {
  struct Timer : IPeriodicTimer {
    explicit Timer(ManualTimers& owner) : owner(owner) { owner.live = this; }
    ~Timer() override {
      if (owner.live == this) owner.live = nullptr;
    }
    void RequestStop() override { stopRequested = true; }
    ManualTimers& owner;
    bool stopRequested = false;
  };

  std::unique_ptr<IPeriodicTimer> StartPeriodic(int periodMs, std::function<void()> tick) override {
    if (refuse) return nullptr;
    period = periodMs;
    tick_ = std::move(tick);
    return std::make_unique<Timer>(*this);
  }
  // A timer exists and was not asked to stop.
  bool Running() const { return live && !live->stopRequested; }
  void Fire() {
    if (Running()) tick_();
  }

  bool refuse = false;
  int period = 0;
  Timer* live = nullptr;  // the timer not yet destroyed, stopped or not
  std::function<void()> tick_;
};

// A message as a device received it, timed from the device's open.
struct Sent {
  int64_t ms;
  int status, data1, data2;
  bool operator==(const Sent&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Sent& m) {
  return out << "{" << m.ms << " ms: " << m.status << " " << m.data1 << " " << m.data2 << "}";
}

// Two devices that keep what they are sent; opening and closing can be made to fail.
// The output sends under its own lock, so the timer thread may send too.
struct MemoryPorts : IMidiOutPorts {
  struct Device : IMidiOutDevice {
    explicit Device(MemoryPorts& ports) : ports(ports), openMs(ports.clock.NowMs()) {}
    int SendShort(uint32_t m) override {
      ports.sent.push_back({ports.clock.NowMs() - openMs, int(m & 0xFF), int(m >> 8 & 0xFF), int(m >> 16 & 0xFF)});
      return kMidiOutOk;
    }
    void Reset() override { ++ports.resets; }
    int Close() override { return ports.failClose ? kMidiOutPortFailed : kMidiOutOk; }
    MemoryPorts& ports;
    const int64_t openMs;
  };

  explicit MemoryPorts(const IMillisecondClock& clock) : clock(clock) {}
  int Count() override { return 2; }
  std::optional<std::string> Name(int id) override {
    if (id < -1 || id >= 2) return std::nullopt;
    return id == 1 ? "Second" : "First";
  }
  MidiOutOpened Open(int id) override {
    ++opens;
    if (failOpen) return {nullptr, kMidiOutNoAudio, "no sound output: pulseaudio: Connection refused"};
    if (!Name(id)) return {nullptr, kMidiOutBadDevice, ""};
    return {std::make_unique<Device>(*this), kMidiOutOk, ""};
  }
  // The note-ons and note-offs sent, in order.
  std::vector<Sent> Notes() const {
    std::vector<Sent> notes;
    for (const Sent& m : sent) {
      if ((m.status & 0xE0) == 0x80) notes.push_back(m);
    }
    return notes;
  }

  const IMillisecondClock& clock;
  bool failOpen = false, failClose = false;
  int opens = 0, resets = 0;
  std::vector<Sent> sent;
};

// Waits up to a generous limit for a condition another thread makes true.
template <typename Condition>
bool WaitFor(Condition condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace rq::test
