// The editor alone: what it is given comes back as the same bytes.
#include <gtest/gtest.h>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "screens/EditEcr.h"

namespace rq {
namespace {

// Every corpus tune, a Windows-1252 tune with tabs, C1 bytes and no-break spaces,
// and a UTF-8 tune are given back by the editor byte for byte.
TEST(EditEcr, GivesTunesBackByteForByte) {
  TAbcParser parser;
  TEditEcr editor(parser);
  editor.OnCreate(nullptr, nullptr);
  std::vector<TLines> tunes = corpus::Tunes();
  tunes.push_back({"X:1", "T:Caf\xE9\t\x81\x8D\xA0", "K:D", "", "  "});
  tunes.push_back({"X:2", "T:Caf\xC3\xA9 \xC5\x81\xC3\xB3\x64\xC5\xBA", "K:D"});
  for (const TLines& tune : tunes) {
    editor.ShowTune(tune, 0, false);
    editor.StartEdit(kEditCurrentTune, TextEncoding::Utf8);
    ASSERT_EQ(editor.Lines(), tune) << tune.front();
  }
}

}  // namespace
}  // namespace rq
