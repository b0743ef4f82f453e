// MIDI events and the time-sorted event container.
#include "midi/MidiEvents.h"

#include <algorithm>
#include <iterator>

#include "midi/MidiSink.h"
#include "platform/Numbers.h"

namespace rq {
namespace {

unsigned char DataByte(int value) { return static_cast<unsigned char>(ClampTo(value, 0, 127)); }

unsigned char ChannelNumber(int channel) { return static_cast<unsigned char>(ClampTo(channel, 1, 16)); }

}  // namespace

TMIDI_Event::TMIDI_Event(MidiTick time, int tag, int data2, int data1, unsigned char eventType, int channel,
                         MidiTick endTime)
    : time_(time),
      endTime_(endTime),
      tag_(tag),
      channel_(ChannelNumber(channel)),
      eventType_(eventType),
      data1_(DataByte(data1)),
      data2_(DataByte(data2)) {}

unsigned char TMIDI_Event::Status() const { return static_cast<unsigned char>(channel_ - 1 + eventType_); }

std::string TMIDI_Event::StatusText() const { return std::to_string(Status()); }
std::string TMIDI_Event::Data1Text() const { return std::to_string(data1_); }
std::string TMIDI_Event::Data2Text() const { return std::to_string(data2_); }

unsigned char TMIDI_Event::Data2(int) const { return data2_; }

size_t TMIDI_Event::WriteTo(std::vector<unsigned char>&, int) const { return 0; }

unsigned char TNote_On::Data2(int volume) const {
  return DataByte(StoredData2() * ClampTo(volume, 0, 100) / 100);
}

size_t TNote_On::WriteTo(std::vector<unsigned char>& out, int volume) const {
  out.push_back(Status());
  out.push_back(Data1());
  out.push_back(Data2(volume));
  return 3;
}

size_t TPatch::WriteTo(std::vector<unsigned char>& out, int) const {
  out.push_back(Status());
  out.push_back(Data1());
  return 2;
}

namespace {
bool EarlierEvent(const std::unique_ptr<TMIDI_Event>& a, const std::unique_ptr<TMIDI_Event>& b) {
  return a->Time() < b->Time();
}
}  // namespace

void TMidiContainer::AddEvent(std::unique_ptr<TMIDI_Event> event) {
  if (!event) return;
  const MidiTick t = event->Time();
  channelUsed_[static_cast<size_t>(event->Channel() - 1)] = true;
  // Most events come in time order: those go to the end without a search.
  if (events_.empty() || events_.back()->Time() <= t) {
    events_.push_back(std::move(event));
    return;
  }
  const auto at = std::upper_bound(events_.begin(), events_.end(), t,
                                   [](MidiTick time, const auto& e) { return time < e->Time(); });
  events_.insert(at, std::move(event));
}

void TMidiContainer::AddEvents(std::vector<std::unique_ptr<TMIDI_Event>>& events) {
  std::erase(events, nullptr);
  for (const auto& e : events) channelUsed_[static_cast<size_t>(e->Channel() - 1)] = true;
  const auto old = static_cast<std::ptrdiff_t>(events_.size());
  events_.reserve(events_.size() + events.size());
  if (std::is_sorted(events.begin(), events.end(), EarlierEvent)) {
    std::move(events.begin(), events.end(), std::back_inserter(events_));
  } else {
    // Sorting (time, place) pairs keeps equal times in the order they were added
    // and reads no event while sorting; the events then move into that order.
    std::vector<std::pair<MidiTick, size_t>> order(events.size());
    for (size_t i = 0; i < events.size(); ++i) order[i] = {events[i]->Time(), i};
    std::sort(order.begin(), order.end());
    for (const auto& [time, i] : order) events_.push_back(std::move(events[i]));
  }
  events.clear();
  // After the events already here: each new one after every old one of the same time.
  if (old > 0) std::inplace_merge(events_.begin(), events_.begin() + old, events_.end(), EarlierEvent);
}

const TMIDI_Event* TMidiContainer::GetEvent(std::ptrdiff_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= events_.size()) return nullptr;
  return events_[static_cast<size_t>(index)].get();
}

void TMidiContainer::Clear() {
  for (auto& notes : sounding_) notes.reset();
  playCursor_ = 0;
  events_.clear();
  channelUsed_.fill(false);
}

void TMidiContainer::SetMeter(int num, int den) {
  meterNum_ = static_cast<unsigned char>(ClampTo(num, 0, 255));
  meterDen_ = static_cast<unsigned char>(ClampTo(den, 0, 255));
}

void TMidiContainer::GetMeter(int& num, int& den) const {
  num = meterNum_;
  den = meterDen_;
}

void TMidiContainer::SetTempo(int qpm) { tempo_ = ClampTo(qpm, 0, 65535); }

int TMidiContainer::UsedChannelCount() const {
  return static_cast<int>(std::count(channelUsed_.begin(), channelUsed_.end(), true));
}

bool TMidiContainer::ChannelUsed(int channel) const {
  return channel >= 1 && channel <= 16 && channelUsed_[static_cast<size_t>(channel - 1)];
}

void TMidiContainer::Seek(MidiTick tick) {
  const auto it = std::lower_bound(events_.begin(), events_.end(), tick,
                                   [](const auto& e, MidiTick t) { return e->Time() < t; });
  playCursor_ = static_cast<size_t>(it - events_.begin());
}

bool TMidiContainer::PlayUntil(MidiTick tick, int volume, IMidiEventSink& output) {
  const bool hadEvents = playCursor_ < events_.size();
  while (playCursor_ < events_.size() && events_[playCursor_]->Time() < tick) {
    const TMIDI_Event& e = *events_[playCursor_];
    const unsigned kind = e.Status() & 0xF0u;
    auto& notes = sounding_[e.Status() & 0x0Fu];
    if (kind == 0x80 || (kind == kMidiNoteOn && e.Data2(volume) == 0)) {
      notes.reset(e.Data1());
    } else if (kind == kMidiNoteOn) {
      notes.set(e.Data1());
    }
    if (e.EventType() == kMidiTimeSignature) {
      SetMeter(e.Data1(), e.StoredData2());
    } else {
      output.PutEvent(e, volume);
    }
    ++playCursor_;
  }
  return hadEvents;
}

const std::bitset<128>& TMidiContainer::SoundingNotes(int channel) const {
  return sounding_[static_cast<size_t>(ClampTo(channel, 1, 16) - 1)];
}

}  // namespace rq
