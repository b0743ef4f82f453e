// abctool events, midi and code: what the converter makes of a tune.
#include <cstdio>

#include "AbcTool.h"
#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"
#include "platform/Numbers.h"
#include "notation/AbcParser.h"

namespace rq::tool {
namespace {

// Parses the one tune named by --tune (or the file's first tune).
bool ParseSelectedTune(const Args& args, const char* usage, TAbcParser& parser) {
  std::vector<ToolTune> tunes;
  if (LoadTunes(args, {"--tune", "-o"}, usage, tunes) != 0) return false;
  parser.Parse(tunes.front().lines);
  return true;
}

int RunEvents(const Args& args) {
  TAbcParser parser;
  if (!ParseSelectedTune(args, "events FILE --tune N", parser)) return 1;
  const MidiSettings settings;
  TAbcMidi converter(settings);
  TMidiContainer container;
  converter.Convert(parser.Elements(), &container);
  for (size_t i = 0; i < container.EventCount(); ++i) {
    const TMIDI_Event& e = *container.GetEvent(static_cast<std::ptrdiff_t>(i));
    std::printf("%lld %d %d %d %d\n", static_cast<long long>(e.Time()), e.Channel(), e.Status(), e.Data1(),
                e.Data2(settings.MidiVolume));
  }
  std::printf("Pickup: %lld\nTotal: %lld\nMeasure: %lld\nCode: %s %d\n",
              static_cast<long long>(converter.PickupTicks()), static_cast<long long>(converter.TotalTicks()),
              static_cast<long long>(converter.MeasureTicks()), converter.CodeText().c_str(),
              converter.CodeValue());
  return 0;
}

int RunMidi(const Args& args) {
  const auto out = OptionValue(args, "-o");
  if (!out) {
    std::fprintf(stderr, "usage: abctool midi FILE --tune N -o OUT.mid\n");
    return 2;
  }
  TAbcParser parser;
  if (!ParseSelectedTune(args, "midi FILE --tune N -o OUT.mid", parser)) return 1;
  const MidiSettings settings;
  TAbcMidi converter(settings);
  TMidiContainer container;
  converter.Convert(parser.Elements(), &container);
  container.SetTempo(TempoForSpeed(settings.MidiSpeed));
  container.SetMeter(parser.MeterNum(), MeterDenominatorExponent(parser.MeterDen()));
  TMIDI_Out_Stream writer(settings);
  writer.WriteContainer(container);
  const FileWriteResult result = writer.SaveToFile(*out);
  if (!result) {
    std::fprintf(stderr, "abctool: %s\n", result.error.c_str());
    return 1;
  }
  return 0;
}

int RunCode(const Args& args) {
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune"}, "code FILE", tunes)) return rc;
  TAbcParser parser;
  const MidiSettings settings;
  TAbcMidi converter(settings);
  for (const auto& tune : tunes) {
    parser.Parse(tune.lines);
    converter.Convert(parser.Elements());
    std::printf("%d %s %s\n", tune.number, converter.CodeText().c_str(), parser.Title().c_str());
  }
  return 0;
}

const RegisterCommand kEvents({"events", "FILE --tune N", RunEvents});
const RegisterCommand kMidi({"midi", "FILE --tune N -o OUT.mid", RunMidi});
const RegisterCommand kCode({"code", "FILE", RunCode});

}  // namespace
}  // namespace rq::tool
