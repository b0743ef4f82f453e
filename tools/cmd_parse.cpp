// abctool parse: the parser's results and one line per element.
#include <cstdio>

#include "AbcTool.h"
#include "notation/AbcParser.h"

namespace rq::tool {
namespace {

int RunParse(const Args& args) {
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune"}, "parse FILE [--tune N]", tunes)) return rc;
  TAbcParser parser;
  for (const auto& tune : tunes) {
    parser.Parse(tune.lines);
    std::printf("== X:%d\n", tune.number);
    std::printf("Title: %s\nComposer: %s\nRhythm: %s\nMeter: %d/%d\n", parser.Title().c_str(),
                parser.Composer().c_str(), parser.Rhythm().c_str(), parser.MeterNum(), parser.MeterDen());
    for (const TAbc* e : parser.Elements()) {
      std::printf("%d %d %s\n", e->Start, e->End, e->Dump().c_str());
    }
  }
  return 0;
}

const RegisterCommand kParse({"parse", "FILE [--tune N]", RunParse});

}  // namespace
}  // namespace rq::tool
