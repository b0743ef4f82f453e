// The fuzzer's checks of one input: element kinds, the highlighter's tokens, the
// opening's settled elements and code against the whole tune's, event order and bytes.
#include "ParseChecks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/AbcToMidi.h"
#include "midi/MidiFile.h"
#include "midi/MidiSettings.h"
#include "notation/AbcLineScanner.h"
#include "notation/AbcParser.h"

namespace rq::test {
namespace {

// The opening parsed from the first lines (as many as the input's first byte picks)
// settles only elements that the whole parse has too, and a tune code it calls final
// is the whole tune's.
std::string CheckOpening(std::string_view data, const TLines& lines, const TAbcParser& whole,
                         int32_t wholeCode, const MidiSettings& settings) {
  static TAbcParser opening;
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  const size_t count = lines.empty() ? 0 : static_cast<unsigned char>(data[0]) % (lines.size() + 1);
  opening.ParseOpening(views, count);
  const std::string of = "opening of " + std::to_string(count) + " lines";
  if (opening.SettledCount() > whole.ElementCount()) return of + " settles more elements than there are";
  for (size_t i = 0; i < opening.SettledCount(); ++i) {
    const TAbc* mine = opening.Elements()[i];
    const TAbc* theirs = whole.Elements()[i];
    if (mine->Kind != theirs->Kind || mine->Start != theirs->Start || mine->Dump() != theirs->Dump()) {
      return of + ", settled element " + std::to_string(i) + ": " + mine->Dump() + " instead of " + theirs->Dump();
    }
  }
  static TAbcMidi fromOpening(settings);
  const int32_t code = fromOpening.ComputeCode(opening.Elements());
  if (fromOpening.CodeFinal() && fromOpening.CodeElementsRead() <= opening.SettledCount() && code != wholeCode) {
    return of + " calls its code final, but it is not the whole tune's";
  }
  return {};
}

}  // namespace

std::string CheckParsedInput(std::string_view data) {
  static TAbcParser parser;
  static const MidiSettings settings;
  static TAbcMidi converter(settings);
  static TMidiContainer container;
  const TLines lines = SplitLines(data);
  parser.Parse(lines);
  for (const TAbc* e : parser.Elements()) {
    if (e->Kind < 0) return "an element of a negative kind";
  }
  // The highlighter's tokens cover each line exactly.
  int range = kRangeHeader;
  std::vector<AbcToken> tokens;
  for (const std::string& line : lines) {
    ScanAbcLine(line, range, tokens);
    int end = 0;
    for (const AbcToken& t : tokens) end = t.start == end && t.length > 0 ? end + t.length : -1;
    if (end != static_cast<int>(std::min(line.find('\0'), line.size()))) return "tokens do not cover: " + line;
  }

  converter.Convert(parser.Elements(), &container);
  // The code alone, read only as far as it can change, is the same code.
  static TAbcMidi codeOnly(settings);
  if (codeOnly.ComputeCode(parser.Elements()) != converter.CodeValue()) return "the code alone differs";
  if (std::string broken = CheckOpening(data, lines, parser, converter.CodeValue(), settings); !broken.empty()) {
    return broken;
  }
  MidiTick previous = 0;
  for (size_t i = 0; i < container.EventCount(); ++i) {
    const TMIDI_Event& e = *container.GetEvent(static_cast<std::ptrdiff_t>(i));
    if (e.Time() < previous || e.Data1() > 127 || e.Data2(100) > 127) return "event " + std::to_string(i) + " out of order or range";
    previous = e.Time();
  }
  container.SetTempo(200);
  container.SetMeter(parser.MeterNum(), 2);
  TMIDI_Out_Stream writer(settings);
  writer.WriteContainer(container);
  if (writer.Bytes().size() < 14) return "a MIDI file shorter than its header";
  return {};
}

}  // namespace rq::test
