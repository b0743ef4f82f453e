// The recording output device.
#include "MidiRecorder.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace rq {

std::unique_ptr<MidiRecorder> MidiRecorder::Open(const std::string& path, const IMillisecondClock& clock,
                                                 bool append, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), append ? "a" : "w");
  if (!file) {
    reason = "cannot write " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<MidiRecorder>(new MidiRecorder(file, clock));
}

MidiRecorder::MidiRecorder(std::FILE* file, const IMillisecondClock& clock)
    : file_(file), clock_(clock), openedMs_(clock.NowMs()) {}

MidiRecorder::~MidiRecorder() { Close(); }

int MidiRecorder::SendShort(uint32_t message) {
  std::lock_guard lock(mutex_);
  if (!file_) return kMidiOutNotOpen;
  const int64_t ms = clock_.NowMs() - openedMs_;
  const int written = std::fprintf(file_, "%" PRId64 " %u %u %u\n", ms, message & 0xFFu, (message >> 8) & 0xFFu,
                                   (message >> 16) & 0xFFu);
  if (written < 0 || std::fflush(file_) != 0) return kMidiOutFileFailed;
  return kMidiOutOk;
}

int MidiRecorder::Close() {
  std::lock_guard lock(mutex_);
  if (!file_) return kMidiOutOk;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  return closed == 0 ? kMidiOutOk : kMidiOutFileFailed;
}

}  // namespace rq
