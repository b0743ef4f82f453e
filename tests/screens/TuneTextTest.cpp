// Tune bytes to editor text and back, and pasted text to a file's lines.
#include <gtest/gtest.h>

#include "screens/TuneText.h"

namespace rq {
namespace {

const std::string kEacuteUtf8 = "\xC3\xA9";
const std::string kLstrokeUtf8 = "\xC5\x81";  // Ł: no Windows-1252 byte

// Each encoding round-trips its own bytes; Windows-1252 gives way to UTF-8 for a
// text it cannot hold, never to "?".
TEST(TuneText, EncodingsRoundTrip) {
  const struct {
    TLines bytes;
    std::optional<TextEncoding> own;
  } cases[] = {
      {{"X:1", "T:Caf\xE9 \x80\xA0\x81"}, TextEncoding::Cp1252},
      {{"X:1", "T:Caf" + kEacuteUtf8}, TextEncoding::Utf8},
      {{"X:1", "T:plain"}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesEncoding(c.bytes), c.own);
    TextEncoding encoding = c.own.value_or(TextEncoding::Cp1252);
    EXPECT_EQ(EncodeLines(DecodeTune(c.bytes).split('\n'), encoding), c.bytes);
  }
  TextEncoding encoding = TextEncoding::Cp1252;
  EXPECT_EQ(EncodeLines({"T:" + QString::fromStdString(kLstrokeUtf8), QString::fromUtf8("C:Jos\xC3\xA9")}, encoding),
            (TLines{"T:" + kLstrokeUtf8, "C:Jos" + kEacuteUtf8}));
  EXPECT_EQ(encoding, TextEncoding::Utf8);
  EXPECT_EQ(FileEncoding(TLines{"% ascii only"}), TextEncoding::Cp1252);
}

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
