// The built-in synthesizer over the FluidSynth library.
#include "BuiltinSynth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace rq {
namespace {

// The library reports failures through its log; we keep the last error for the
// reason shown to the user instead of letting it reach the terminal.
class SynthLog {
 public:
  static SynthLog& Instance() {
    static SynthLog log;
    return log;
  }
  // The errors logged since the last call, joined by "; ".
  std::string Take() {
    std::lock_guard lock(mutex_);
    std::string text;
    text.swap(errors_);
    return text;
  }

 private:
  SynthLog() {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN}) fluid_set_log_function(level, &SynthLog::Keep, this);
    for (int level : {FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
  }
  static void Keep(int, const char* message, void* data) {
    auto* self = static_cast<SynthLog*>(data);
    std::lock_guard lock(self->mutex_);
    if (!self->errors_.empty()) self->errors_ += "; ";
    self->errors_ += message;
  }

  std::mutex mutex_;
  std::string errors_;
};

std::string SettingText(fluid_settings_t* settings, const char* name) {
  char* value = nullptr;
  if (fluid_settings_dupstr(settings, name, &value) != FLUID_OK || !value) return {};
  std::string text = value;
  fluid_free(value);
  return text;
}

std::vector<std::string> AudioDrivers(fluid_settings_t* settings) {
  std::vector<std::string> names;
  fluid_settings_foreach_option(settings, "audio.driver", &names, [](void* data, const char*, const char* option) {
    static_cast<std::vector<std::string>*>(data)->push_back(option);
  });
  return names;
}

}  // namespace

std::unique_ptr<BuiltinSynth> BuiltinSynth::Create(int& result, std::string& reason) {
  SynthLog& log = SynthLog::Instance();
  log.Take();
  std::unique_ptr<BuiltinSynth> synth(new BuiltinSynth);
  synth->settings_ = new_fluid_settings();
  if (!synth->settings_) {
    result = kMidiOutError;
    reason = "the synthesizer cannot start: " + log.Take();
    return nullptr;
  }
  // Load only the instruments in use: the General MIDI soundfont is large.
  fluid_settings_setint(synth->settings_, "synth.dynamic-sample-loading", 1);
  fluid_settings_setnum(synth->settings_, "synth.gain", 0.5);
  synth->synth_ = new_fluid_synth(synth->settings_);
  if (!synth->synth_) {
    result = kMidiOutError;
    reason = "the synthesizer cannot start: " + log.Take();
    return nullptr;
  }
  const std::string soundfont = SettingText(synth->settings_, "synth.default-soundfont");
  if (soundfont.empty() || fluid_synth_sfload(synth->synth_, soundfont.c_str(), 1) == FLUID_FAILED) {
    result = kMidiOutNoSoundfont;
    reason = "cannot load the soundfont \"" + soundfont + "\"";
    if (const std::string why = log.Take(); !why.empty()) reason += ": " + why;
    return nullptr;
  }
  result = kMidiOutOk;
  return synth;
}

BuiltinSynth::~BuiltinSynth() { Close(); }

int BuiltinSynth::StartAudio(std::string& reason) {
  if (audio_) return kMidiOutOk;
  SynthLog& log = SynthLog::Instance();
  log.Take();
  const std::vector<std::string> available = AudioDrivers(settings_);
  std::string failures;
  for (const char* driver : {"pulseaudio", "pipewire", "alsa"}) {
    if (std::find(available.begin(), available.end(), driver) == available.end()) continue;
    fluid_settings_setstr(settings_, "audio.driver", driver);
    audio_ = new_fluid_audio_driver(settings_, synth_);
    if (audio_) return kMidiOutOk;
    const std::string why = log.Take();
    failures += (failures.empty() ? "" : "; ") + std::string(driver) + ": " + (why.empty() ? "unavailable" : why);
  }
  reason = "no sound output" + (failures.empty() ? std::string() : ": " + failures);
  return kMidiOutNoAudio;
}

void BuiltinSynth::Render(float* left, float* right, int frames) {
  fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
}

int BuiltinSynth::SampleRate() const {
  double rate = 44100;
  fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
  return static_cast<int>(rate);
}

int BuiltinSynth::SendShort(uint32_t message) {
  if (!synth_) return kMidiOutNotOpen;
  const int status = message & 0xFF;
  const int channel = status & 0x0F;
  const int data1 = (message >> 8) & 0x7F;
  const int data2 = (message >> 16) & 0x7F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth_, channel, data1);  // fails harmlessly for a silent note
      return kMidiOutOk;
    case 0x90:
      if (data2 == 0) {
        fluid_synth_noteoff(synth_, channel, data1);
        return kMidiOutOk;
      }
      return fluid_synth_noteon(synth_, channel, data1, data2) == FLUID_OK ? kMidiOutOk : kMidiOutError;
    case 0xA0:
      fluid_synth_key_pressure(synth_, channel, data1, data2);
      return kMidiOutOk;
    case 0xB0:
      fluid_synth_cc(synth_, channel, data1, data2);
      return kMidiOutOk;
    case 0xC0:
      return fluid_synth_program_change(synth_, channel, data1) == FLUID_OK ? kMidiOutOk : kMidiOutError;
    case 0xD0:
      fluid_synth_channel_pressure(synth_, channel, data1);
      return kMidiOutOk;
    case 0xE0:
      fluid_synth_pitch_bend(synth_, channel, data1 | data2 << 7);
      return kMidiOutOk;
    default:
      return kMidiOutBadMessage;
  }
}

void BuiltinSynth::Reset() {
  if (synth_) fluid_synth_all_notes_off(synth_, -1);
}

int BuiltinSynth::Close() {
  if (audio_) delete_fluid_audio_driver(audio_);
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
  audio_ = nullptr;
  synth_ = nullptr;
  settings_ = nullptr;
  return kMidiOutOk;
}

}  // namespace rq
