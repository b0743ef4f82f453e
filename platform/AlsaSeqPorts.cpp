// Listing and writing to ALSA sequencer ports.
#include "AlsaSeqPorts.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <mutex>

namespace rq {
namespace {

// The library prints every failure, such as a machine without a sequencer, to the
// terminal; a missing sequencer is normal here and is reported through results.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

snd_seq_t* OpenSequencer(const std::string& sequencer, int& error) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsaErrors); });
  snd_seq_t* seq = nullptr;
  error = snd_seq_open(&seq, sequencer.c_str(), SND_SEQ_OPEN_OUTPUT, 0);
  return error < 0 ? nullptr : seq;
}

bool AcceptsWrites(const snd_seq_port_info_t* info) {
  const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
  const unsigned caps = snd_seq_port_info_get_capability(info);
  return (caps & wanted) == wanted && !(caps & SND_SEQ_PORT_CAP_NO_EXPORT);
}

bool IsOurs(snd_seq_t* seq, const snd_seq_client_info_t* client) {
  const int id = snd_seq_client_info_get_client(client);
  return id == SND_SEQ_CLIENT_SYSTEM || id == snd_seq_client_id(seq) ||
         snd_seq_client_info_get_pid(client) == getpid();
}

class AlsaOutput : public IMidiOutDevice {
 public:
  AlsaOutput(snd_seq_t* seq, int ownPort) : seq_(seq), ownPort_(ownPort) {}
  ~AlsaOutput() override { Close(); }

  int SendShort(uint32_t message) override {
    std::lock_guard lock(mutex_);
    if (!seq_) return kMidiOutNotOpen;
    snd_seq_event_t ev;
    if (!Encode(message, ev)) return kMidiOutBadMessage;
    return Output(ev);
  }

  void Reset() override {
    std::lock_guard lock(mutex_);
    if (!seq_) return;
    for (int channel = 0; channel < 16; ++channel) {
      for (unsigned controller : {64u, 123u}) {  // sustain off, all notes off
        snd_seq_event_t ev;
        snd_seq_ev_clear(&ev);
        snd_seq_ev_set_controller(&ev, channel, controller, 0);
        Output(ev);
      }
    }
  }

  int Close() override {
    std::lock_guard lock(mutex_);
    if (!seq_) return kMidiOutOk;
    const int error = snd_seq_close(seq_);
    seq_ = nullptr;
    return error < 0 ? kMidiOutPortFailed : kMidiOutOk;
  }

 private:
  static bool Encode(uint32_t message, snd_seq_event_t& ev) {
    snd_seq_ev_clear(&ev);
    const int status = message & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
      case 0x80: snd_seq_ev_set_noteoff(&ev, channel, data1, data2); return true;
      case 0x90: snd_seq_ev_set_noteon(&ev, channel, data1, data2); return true;
      case 0xA0: snd_seq_ev_set_keypress(&ev, channel, data1, data2); return true;
      case 0xB0: snd_seq_ev_set_controller(&ev, channel, data1, data2); return true;
      case 0xC0: snd_seq_ev_set_pgmchange(&ev, channel, data1); return true;
      case 0xD0: snd_seq_ev_set_chanpress(&ev, channel, data1); return true;
      case 0xE0: snd_seq_ev_set_pitchbend(&ev, channel, (data1 | data2 << 7) - 8192); return true;
      default: return false;
    }
  }

  int Output(snd_seq_event_t& ev) {
    snd_seq_ev_set_source(&ev, ownPort_);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    return snd_seq_event_output_direct(seq_, &ev) < 0 ? kMidiOutPortFailed : kMidiOutOk;
  }

  std::mutex mutex_;
  snd_seq_t* seq_;
  int ownPort_;
};

}  // namespace

std::vector<AlsaPortAddress> ListAlsaOutputPorts(const std::string& sequencer) {
  int error = 0;
  snd_seq_t* seq = OpenSequencer(sequencer, error);
  if (!seq) return {};
  std::vector<AlsaPortAddress> ports;
  snd_seq_client_info_t* client;
  snd_seq_port_info_t* port;
  snd_seq_client_info_alloca(&client);
  snd_seq_port_info_alloca(&port);
  snd_seq_client_info_set_client(client, -1);
  while (snd_seq_query_next_client(seq, client) >= 0) {
    if (IsOurs(seq, client)) continue;
    snd_seq_port_info_set_client(port, snd_seq_client_info_get_client(client));
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(seq, port) >= 0) {
      if (!AcceptsWrites(port)) continue;
      ports.push_back({snd_seq_port_info_get_client(port), snd_seq_port_info_get_port(port),
                       snd_seq_port_info_get_name(port)});
    }
  }
  snd_seq_close(seq);
  std::sort(ports.begin(), ports.end(), [](const AlsaPortAddress& a, const AlsaPortAddress& b) {
    return a.client != b.client ? a.client < b.client : a.port < b.port;
  });
  return ports;
}

MidiOutOpened OpenAlsaOutput(const std::string& sequencer, const AlsaPortAddress& port) {
  MidiOutOpened opened;
  int error = 0;
  snd_seq_t* seq = OpenSequencer(sequencer, error);
  if (!seq) {
    opened.result = kMidiOutNoSequencer;
    opened.reason = std::string("the ALSA sequencer cannot be opened: ") + snd_strerror(error);
    return opened;
  }
  snd_seq_set_client_name(seq, "Reelquill");
  const int own = snd_seq_create_simple_port(seq, "Reelquill output", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                             SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  if (own < 0 || (error = snd_seq_connect_to(seq, own, port.client, port.port)) < 0) {
    opened.result = kMidiOutPortFailed;
    opened.reason = "cannot connect to " + port.name + ": " + snd_strerror(own < 0 ? own : error);
    snd_seq_close(seq);
    return opened;
  }
  opened.device = std::make_unique<AlsaOutput>(seq, own);
  return opened;
}

}  // namespace rq
