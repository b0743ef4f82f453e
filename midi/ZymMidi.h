// The MIDI player: plays its event container through its output, paced by a 10 ms timer.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "midi/MidiEvents.h"
#include "midi/MidiOutput.h"
#include "platform/MidiDevices.h"
#include "platform/MmTimer.h"

namespace rq {

struct MidiSettings;

// Plays the events of its container in real time at a tempo derived from the speed
// setting, with pause, seek, an optional loop, a pitch bend, a volume percentage and
// one instrument per channel. Channels here are 0-based (0..15).
//
// Threads: the window thread calls everything; the timer thread runs the ticks. One
// mutex guards the container, the position and the loop: a tick only tries it and is
// skipped while the window thread holds it (pause, stop, seek, loop changes, refilling
// the container). The flags, the position shown to the user and the tempo are atomics.
class TZymMidiPlayer {
 public:
  static constexpr int kDivision = 480;  // ticks per quarter note
  static constexpr int kTimerPeriodMs = 10;

  // Opens output port `port` of the machine. The player reads `settings`, which must
  // outlive it, and writes back into them the speed, pitch and volume it is given and,
  // in MidiReady, whether the port opened.
  TZymMidiPlayer(int port, MidiSettings& settings);
  // The same on other ports, clock and timers (tests step time by hand).
  TZymMidiPlayer(int port, MidiSettings& settings, IMidiOutPorts& ports, const IMillisecondClock& clock,
                 ITimerService& timers);
  // Stops without notice and closes the output; never throws.
  ~TZymMidiPlayer();
  TZymMidiPlayer(const TZymMidiPlayer&) = delete;
  TZymMidiPlayer& operator=(const TZymMidiPlayer&) = delete;

  // Plays from tick 0. Does nothing while playing; when no timer can be started the
  // player is left stopped.
  void Start();
  // Stops playing and switches the sounding notes off; notify calls the stop handler.
  // Called from the window thread it waits for the timer thread to end first.
  void Stop(bool notify = false);
  // Pauses in place (switching the sounding notes off) or resumes from there.
  void Pause(bool on);
  // Moves the play position to tick; notes sounding while playing are switched off.
  void Seek(MidiTick tick);

  // Speed 0..200 sets the tempo (7 × speed + 300) / 5 quarter notes per minute.
  void SetSpeed(int speed);
  void SetTempo(int qpm);
  // Bends every channel by p (−63..63) steps of 1/64 of the bend range.
  void SetPitch(int p);
  // Percent 0..100, applied to the velocity of every note sent afterwards.
  void SetVolume(int percent);
  void SetPatch(int channel, int program);
  void NoteOn(int channel, int note, int velocity);
  void NoteOff(int channel, int note);
  // Loop bounds in ticks; equal bounds clear the loop (−1, −1).
  void SetLoop(MidiTick start, MidiTick end);
  void SetLoopOn(bool on) { loopOn_ = on; }
  void AllNotesOff();

  // Advances the play position to `elapsedMs` after the start and sends what is due;
  // skipped while the window thread holds the player. At the end of the tune without
  // a loop the player stops itself and calls the stop handler on the calling thread.
  void Tick(int64_t elapsedMs);

  // Called when the tune ends by itself (on the timer thread) or by Stop(true). A
  // handler that touches the window must hand over to the window thread.
  void SetOnStop(std::function<void()> handler);

  // The events; read them while stopped. Change them only through RefillContainer.
  const TMidiContainer& Container() const { return container_; }
  // Runs fill on the container while the timer cannot read it (the converter clears
  // and refills it). Sounding notes are switched off first; if playing, playback goes
  // on from the same position in the new events. fill must not call the player.
  void RefillContainer(const std::function<void(TMidiContainer&)>& fill);
  TMidiOutput& Output() { return output_; }
  // The meter last set by the tune's meter events, safe to read while playing.
  void GetMeter(int& num, int& den);

  bool Playing() const { return playing_; }
  bool Paused() const { return paused_; }
  bool LoopOn() const { return loopOn_; }
  MidiTick PositionTicks() const { return positionTicks_; }
  int Tempo() const { return tempo_; }

 private:
  void OnTimer();
  void TickLocked(int64_t elapsedMs, std::unique_lock<std::mutex>& lock);
  void SeekLocked(MidiTick tick);
  void AllNotesOffLocked();
  void SendChannelSetup();
  void SendPitchBend(int channel, int p);

  MidiSettings& config_;
  const IMillisecondClock& clock_;
  ITimerService& timers_;
  TMidiOutput output_;
  TMidiContainer container_;

  std::mutex busy_;  // guards everything below up to the atomics
  std::unique_ptr<IPeriodicTimer> timer_;
  std::function<void()> onStop_;
  int64_t clockMs_ = 0;  // clock time of the start, shifted on resume
  int64_t lastElapsed_ = 0;
  double position_ = 0;
  MidiTick loopStart_ = -1;
  MidiTick loopEnd_ = -1;

  std::atomic<bool> playing_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> loopOn_{false};
  std::atomic<MidiTick> positionTicks_{0};
  std::atomic<int> tempo_{0};
  std::atomic<double> usPerTick_{0};
  std::array<std::atomic<int>, 16> patches_{};
};

}  // namespace rq
