// abctool highlight: the editor's colouring of each line as tokens, and the range
// (1 header, 2 body, 3 the text after the music) carried out of the line.
#include <cstdio>

#include "AbcTool.h"
#include "notation/AbcLineScanner.h"

namespace rq::tool {
namespace {

int RunHighlight(const Args& args) {
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune"}, "highlight FILE [--tune N]", tunes)) return rc;
  std::vector<AbcToken> tokens;
  for (const auto& tune : tunes) {
    std::printf("== X:%d\n", tune.number);
    // The editor shows one tune; its first line starts in the header.
    int state = kRangeHeader;
    for (size_t i = 0; i < tune.lines.size(); ++i) {
      ScanAbcLine(tune.lines[i], state, tokens);
      std::printf("%zu range %d:", i + 1, RangeOfState(state));
      for (const AbcToken& t : tokens) std::printf(" %d+%d=%d", t.start, t.length, t.kind);
      std::printf("\n");
    }
  }
  return 0;
}

const RegisterCommand kHighlight({"highlight", "FILE [--tune N]", RunHighlight});

}  // namespace
}  // namespace rq::tool
