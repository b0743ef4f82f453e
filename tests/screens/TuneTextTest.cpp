// Pasted text as a file's lines.
#include <gtest/gtest.h>

#include "screens/TuneText.h"

namespace rq {
namespace {

const std::string kEacuteUtf8 = "\xC3\xA9";
const std::string kLstrokeUtf8 = "\xC5\x81";  // Ł: no Windows-1252 byte

// Pasted text: any line break, nothing before the first tune, each tune in the
// file's encoding unless Windows-1252 cannot hold it.
TEST(TuneText, PastedTunes) {
  const QString text = QString::fromUtf8("% a note\r\nX:1\r\nT:Caf\xC3\xA9\rX:2\nT:\xC5\x81\xC3\xA9\n");
  EXPECT_EQ(PastedTunes(text, TextEncoding::Cp1252),
            (TLines{"X:1", "T:Caf\xE9", "X:2", "T:" + kLstrokeUtf8 + kEacuteUtf8}));
  EXPECT_EQ(PastedTunes(text, TextEncoding::Utf8),
            (TLines{"X:1", "T:Caf" + kEacuteUtf8, "X:2", "T:" + kLstrokeUtf8 + kEacuteUtf8}));
  EXPECT_TRUE(PastedTunes("T:no tune\nK:D", TextEncoding::Utf8).empty());
}

}  // namespace
}  // namespace rq
