// The built-in synthesizer: a General MIDI software synthesizer inside the process.
#pragma once

#include <memory>
#include <string>

#include <fluidsynth/types.h>

#include "platform/MidiDevices.h"

namespace rq {

// Plays through the system's default General MIDI soundfont. Made without sound
// output; StartAudio connects it to the desktop's sound, and Render produces samples
// without any audio device (what tests use).
class BuiltinSynth : public IMidiOutDevice {
 public:
  // Loads the soundfont named by the synthesizer's own default setting.
  // Returns nullptr and sets result and reason on failure.
  static std::unique_ptr<BuiltinSynth> Create(int& result, std::string& reason);
  ~BuiltinSynth() override;
  BuiltinSynth(const BuiltinSynth&) = delete;
  BuiltinSynth& operator=(const BuiltinSynth&) = delete;

  // Starts sound output through PulseAudio, else PipeWire, else ALSA.
  // Returns a MidiOutResult; the reason names what each driver reported.
  int StartAudio(std::string& reason);

  // Renders frames of stereo samples into left and right.
  void Render(float* left, float* right, int frames);
  int SampleRate() const;

  int SendShort(uint32_t message) override;
  void Reset() override;
  int Close() override;

 private:
  BuiltinSynth() = default;

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_audio_driver_t* audio_ = nullptr;
};

}  // namespace rq
