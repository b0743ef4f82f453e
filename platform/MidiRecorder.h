// An output device that writes each message to a text file with its time.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"

namespace rq {

// Logs every message as one line "ms status data1 data2" in decimal, ms counted from
// the open on the given clock. Each line is flushed at once, so the file can be read
// while playing goes on.
class MidiRecorder : public IMidiOutDevice {
 public:
  // Opens path (truncating it, or appending to it); the reason is set on failure.
  static std::unique_ptr<MidiRecorder> Open(const std::string& path, const IMillisecondClock& clock,
                                            bool append, std::string& reason);
  ~MidiRecorder() override;

  int SendShort(uint32_t message) override;
  void Reset() override {}
  int Close() override;

 private:
  MidiRecorder(std::FILE* file, const IMillisecondClock& clock);

  std::mutex mutex_;
  std::FILE* file_;
  const IMillisecondClock& clock_;
  const int64_t openedMs_;
};

}  // namespace rq
