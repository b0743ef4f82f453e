// The timer-paced MIDI player.
#include "ZymMidi.h"

#include <algorithm>
#include <cmath>

#include "midi/MidiSettings.h"

namespace rq {
namespace {

constexpr int kUsPerMinute = 60'000'000;

bool IsChannel(int channel) { return channel >= 0 && channel < 16; }

}  // namespace

TZymMidiPlayer::TZymMidiPlayer(int port, MidiSettings& settings)
    : TZymMidiPlayer(port, settings, MachineMidiPorts(), SystemClock(), SystemTimers()) {}

TZymMidiPlayer::TZymMidiPlayer(int port, MidiSettings& settings, IMidiOutPorts& ports,
                               const IMillisecondClock& clock, ITimerService& timers)
    : config_(settings), clock_(clock), timers_(timers), output_(ports) {
  SetSpeed(config_.MidiSpeed);
  for (int channel = 0; channel < 16; ++channel) {
    patches_[channel] = std::clamp(config_.MidiPatch[channel].load(), 0, 127);
  }
  // Whoever reopens the output (the options dialog on a device change), the new
  // device gets the instruments and the pitch the user chose.
  output_.SetOnOpen([this] { SendChannelSetup(); });
  if (output_.SetDevice(port) == 0) config_.MidiReady = output_.Open();
}

TZymMidiPlayer::~TZymMidiPlayer() { Stop(false); }

void TZymMidiPlayer::Start() {
  std::unique_ptr<IPeriodicTimer> finished;
  {
    std::lock_guard lock(busy_);
    if (playing_) return;
    finished = std::move(timer_);
  }
  finished.reset();  // the timer of a tune that ended by itself
  std::lock_guard lock(busy_);
  if (playing_) return;
  container_.SetOctave(config_.MidiOctave);
  SeekLocked(0);
  clockMs_ = clock_.NowMs();
  lastElapsed_ = 0;
  paused_ = false;
  playing_ = true;
  // Holding the lock, the first tick waits until the timer is recorded.
  timer_ = timers_.StartPeriodic(kTimerPeriodMs, [this] { OnTimer(); });
  if (!timer_) playing_ = false;
}

void TZymMidiPlayer::Stop(bool notify) {
  std::unique_ptr<IPeriodicTimer> timer;
  {
    std::lock_guard lock(busy_);
    playing_ = false;
    paused_ = false;
    timer = std::move(timer_);
  }
  // Ends the timer thread before the notes are reset, so no tick sends after them.
  // Not under the lock: a stop handler running on that thread may need the player.
  timer.reset();
  std::function<void()> handler;
  {
    std::lock_guard lock(busy_);
    AllNotesOffLocked();
    if (notify) handler = onStop_;
  }
  if (handler) handler();
}

void TZymMidiPlayer::Pause(bool on) {
  std::lock_guard lock(busy_);
  if (!playing_) return;
  if (on) {
    AllNotesOffLocked();
    paused_ = true;
  } else if (paused_) {
    clockMs_ = clock_.NowMs() - lastElapsed_;
    paused_ = false;
  }
}

void TZymMidiPlayer::Seek(MidiTick tick) {
  std::lock_guard lock(busy_);
  // A jump would skip the note-offs of the notes sounding now.
  if (playing_ && !paused_) AllNotesOffLocked();
  SeekLocked(tick);
}

void TZymMidiPlayer::SeekLocked(MidiTick tick) {
  position_ = static_cast<double>(tick);
  positionTicks_ = tick;
  container_.Seek(tick);
}

void TZymMidiPlayer::SetSpeed(int speed) {
  speed = std::clamp(speed, 0, 200);
  config_.MidiSpeed = speed;
  SetTempo(TempoForSpeed(speed));
}

void TZymMidiPlayer::SetTempo(int qpm) {
  qpm = std::clamp(qpm, 1, kUsPerMinute);
  if (qpm == tempo_) return;
  const int usPerQuarter = kUsPerMinute / qpm;
  usPerTick_ = static_cast<double>(usPerQuarter) / kDivision;
  tempo_ = kUsPerMinute / usPerQuarter;
}

void TZymMidiPlayer::SetPitch(int p) {
  p = std::clamp(p, -63, 63);
  config_.MidiPitch = p;
  for (int channel = 0; channel < 16; ++channel) SendPitchBend(channel, p);
}

// The bend is centred at pitch 0 (8192, no bend) and moves in steps of 128.
void TZymMidiPlayer::SendPitchBend(int channel, int p) { output_.PutShort(0xE0 + channel, 0, 64 + p); }

void TZymMidiPlayer::SetVolume(int percent) { config_.MidiVolume = std::clamp(percent, 0, 100); }

void TZymMidiPlayer::SetPatch(int channel, int program) {
  if (!IsChannel(channel)) return;
  program = std::clamp(program, 0, 127);
  patches_[channel] = program;
  output_.PutShort(0xC0 + channel, program, 0);
}

void TZymMidiPlayer::NoteOn(int channel, int note, int velocity) {
  if (!IsChannel(channel)) return;
  output_.PutShort(0x90 + channel, std::clamp(note, 0, 127), std::clamp(velocity, 0, 127));
}

void TZymMidiPlayer::NoteOff(int channel, int note) {
  if (!IsChannel(channel)) return;
  output_.PutShort(0x80 + channel, std::clamp(note, 0, 127), 0);
}

void TZymMidiPlayer::SetLoop(MidiTick start, MidiTick end) {
  std::lock_guard lock(busy_);
  if (start == end) start = end = -1;
  loopStart_ = start;
  loopEnd_ = end;
}

void TZymMidiPlayer::AllNotesOff() {
  std::lock_guard lock(busy_);
  AllNotesOffLocked();
}

// Sends a note-off for each note marked as sounding; the marks stay, and the notes'
// own note-offs clear them when they come due.
void TZymMidiPlayer::AllNotesOffLocked() {
  for (int channel = 0; channel < 16; ++channel) {
    const auto& notes = container_.SoundingNotes(channel + 1);
    if (notes.none()) continue;
    for (int note = 0; note < 128; ++note) {
      if (notes.test(note)) output_.PutShort(0x80 + channel, note, 0);
    }
  }
}

void TZymMidiPlayer::SendChannelSetup() {
  const int p = std::clamp(config_.MidiPitch.load(), -63, 63);
  for (int channel = 0; channel < 16; ++channel) {
    output_.PutShort(0xC0 + channel, patches_[channel], 0);
    SendPitchBend(channel, p);
  }
}

void TZymMidiPlayer::OnTimer() {
  std::unique_lock lock(busy_, std::try_to_lock);
  if (lock.owns_lock()) TickLocked(clock_.NowMs() - clockMs_, lock);
}

void TZymMidiPlayer::Tick(int64_t elapsedMs) {
  std::unique_lock lock(busy_, std::try_to_lock);
  if (lock.owns_lock()) TickLocked(elapsedMs, lock);
}

void TZymMidiPlayer::TickLocked(int64_t elapsedMs, std::unique_lock<std::mutex>& lock) {
  if (!playing_ || paused_) return;
  // The first tick after a start or a resume advances nothing.
  if (elapsedMs < lastElapsed_) lastElapsed_ = elapsedMs;
  position_ += static_cast<double>((elapsedMs - lastElapsed_) * 1000) / usPerTick_;
  MidiTick position = static_cast<MidiTick>(std::nearbyint(position_));
  const bool atLoopEnd = loopOn_ && loopEnd_ >= 0 && position > loopEnd_;
  if (atLoopEnd) position = loopEnd_;
  positionTicks_ = position;
  const bool left = container_.PlayUntil(position, config_.MidiVolume.load(std::memory_order_relaxed), output_);
  lastElapsed_ = elapsedMs;
  if (left && !atLoopEnd) return;

  if (loopOn_) {
    AllNotesOffLocked();
    SeekLocked(std::max<MidiTick>(loopStart_, 0));
    return;
  }
  // End of the tune. This runs on the timer thread, which cannot wait for itself to
  // end: it only asks its timer to stop, and the next Start or Stop collects it.
  playing_ = false;
  if (timer_) timer_->RequestStop();
  AllNotesOffLocked();
  const std::function<void()> handler = onStop_;
  lock.unlock();
  if (handler) handler();
}

void TZymMidiPlayer::SetOnStop(std::function<void()> handler) {
  std::lock_guard lock(busy_);
  onStop_ = std::move(handler);
}

void TZymMidiPlayer::GetMeter(int& num, int& den) {
  std::lock_guard lock(busy_);
  container_.GetMeter(num, den);
}

void TZymMidiPlayer::RefillContainer(const std::function<void(TMidiContainer&)>& fill) {
  std::lock_guard lock(busy_);
  // Refilling forgets which notes sound, so they are switched off while still known.
  AllNotesOffLocked();
  fill(container_);
  container_.Seek(positionTicks_);
}

}  // namespace rq
