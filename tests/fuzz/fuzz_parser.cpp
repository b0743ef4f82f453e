// Fuzzes the parser and the highlighter's line scanner with arbitrary bytes split
// into lines, then converts what was parsed to MIDI events and a MIDI file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"
#include "notation/AbcLineScanner.h"
#include "notation/AbcParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static rq::TAbcParser parser;
  static const rq::MidiSettings settings;
  static rq::TAbcMidi converter(settings);
  static rq::TMidiContainer container;
  const rq::TLines lines = rq::SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
  parser.Parse(lines);
  for (const rq::TAbc* e : parser.Elements()) {
    if (e->Kind < 0) __builtin_trap();
  }
  // The highlighter's tokens cover each line exactly.
  int range = rq::kRangeHeader;
  std::vector<rq::AbcToken> tokens;
  for (const std::string& line : lines) {
    rq::ScanAbcLine(line, range, tokens);
    int end = 0;
    for (const rq::AbcToken& t : tokens) end = t.start == end && t.length > 0 ? end + t.length : -1;
    if (end != static_cast<int>(std::min(line.find('\0'), line.size()))) __builtin_trap();
  }

  converter.Convert(parser.Elements(), &container);
  // The code alone, read only as far as it can change, is the same code.
  static rq::TAbcMidi codeOnly(settings);
  if (codeOnly.ComputeCode(parser.Elements()) != converter.CodeValue()) __builtin_trap();
  // A code read from an opening that settles it is the whole tune's code, and the
  // opening's settled elements are the whole parse's.
  {
    static rq::TAbcParser opening;
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const size_t count = lines.empty() ? 0 : data[0] % (lines.size() + 1);
    opening.ParseOpening(views, count);
    if (opening.SettledCount() > parser.ElementCount()) __builtin_trap();
    for (size_t i = 0; i < opening.SettledCount(); ++i) {
      const rq::TAbc* mine = opening.Elements()[i];
      const rq::TAbc* whole = parser.Elements()[i];
      if (mine->Kind != whole->Kind || mine->Start != whole->Start || mine->Dump() != whole->Dump()) __builtin_trap();
    }
    static rq::TAbcMidi fromOpening(settings);
    const int32_t code = fromOpening.ComputeCode(opening.Elements());
    if (fromOpening.CodeFinal() && fromOpening.CodeElementsRead() <= opening.SettledCount() &&
        code != converter.CodeValue()) {
      __builtin_trap();
    }
  }
  rq::MidiTick previous = 0;
  for (size_t i = 0; i < container.EventCount(); ++i) {
    const rq::TMIDI_Event& e = *container.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.Time() < previous || e.Data1() > 127 || e.Data2(100) > 127) __builtin_trap();
    previous = e.Time();
  }
  container.SetTempo(200);
  container.SetMeter(parser.MeterNum(), 2);
  rq::TMIDI_Out_Stream writer(settings);
  writer.WriteContainer(container);
  if (writer.Bytes().size() < 14) __builtin_trap();
  return 0;
}
