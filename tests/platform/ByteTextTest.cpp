// Line splitting, line-end conventions and the Windows-1252 codec.
#include <gtest/gtest.h>

#include "platform/ByteText.h"
#include "platform/Cp1252.h"

namespace rq {
namespace {

// Every line-end convention splits the same, and a final line end adds no empty line.
TEST(SplitLines, AllConventionsAndMixtures) {
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (TLines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb"), (TLines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\rb\r"), (TLines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\n\nb\r\rc"), (TLines{"a", "", "b", "", "c"}));
  EXPECT_EQ(SplitLines(""), TLines{});
  EXPECT_EQ(SplitLines("\n"), TLines{""});
}

// A file is written back with the convention of its first line break (whole files
// with every byte value are read and saved back in the tune file's tests).
TEST(LineEnds, DetectAndJoin) {
  EXPECT_EQ(DetectLineEnd("a\r\nb\nc"), LineEnd::CrLf);
  EXPECT_EQ(DetectLineEnd("a\rb\r\n"), LineEnd::Cr);
  EXPECT_EQ(DetectLineEnd("a\nb\r\n"), LineEnd::Lf);
  EXPECT_EQ(DetectLineEnd("no break"), LineEnd::Lf);
  EXPECT_EQ(JoinLines({"a", "b"}, LineEnd::CrLf), "a\r\nb\r\n");
}

TEST(AsciiCase, OnlyLettersAToZChange) {
  EXPECT_EQ(ToLowerAscii("Slip Jig \xC9\xD3"), "slip jig \xC9\xD3");
  EXPECT_TRUE(EqualsIgnoreCaseAscii("Reel", "rEEL"));
  EXPECT_FALSE(EqualsIgnoreCaseAscii("\xC9", "\xE9"));
  EXPECT_EQ(TrimBlanks("  G maj \t"), "G maj");
}

// Titles are sorted and texts searched without lowered copies: the results must be
// the copies' ones, "_" (between "Z" and "a") and bytes above 0x7F included.
TEST(AsciiCase, CaseBlindCompareAndSearchAsLoweredCopies) {
  const std::string_view texts[] = {"", "a", "A", "ab", "aB", "Abc", "b", "_x", "Zx", "zx",
                                    "\xE9t\xE9", "\xC9t\xE9", "a\xFF", "a\x01", "reel ", "Reel", "The rEEl", "eel", "ABAB"};
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const auto a : texts) {
    for (const auto b : texts) {
      EXPECT_EQ(sign(CompareCaseBlind(a, b)), sign(ToLowerAscii(a).compare(ToLowerAscii(b))))
          << "\"" << a << "\" against \"" << b << "\"";
      // Text searches find a text as the lowered copies would.
      const std::string lowered = ToLowerAscii(b);
      EXPECT_EQ(ContainsCaseBlind(a, lowered), ToLowerAscii(a).find(lowered) != std::string::npos)
          << "\"" << b << "\" in \"" << a << "\"";
    }
  }
}

// All 256 bytes survive Windows-1252 -> UTF-8 -> Windows-1252.
TEST(Cp1252, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(Cp1252, KnownCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Cp1252ToUtf8("N\xB0"), "N\xC2\xB0");    // degree sign
  EXPECT_EQ(Cp1252ToUtf8("\x92"), "\xE2\x80\x99");  // right single quote
  EXPECT_EQ(UnicodeToCp1252(0x0152), 0x8C);
  EXPECT_EQ(UnicodeToCp1252(0x4E2D), -1);
  bool lossless = true;
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b", &lossless), "a?b");
  EXPECT_FALSE(lossless);
}

TEST(Utf8, ValidityRejectsBrokenSequences) {
  for (const char* good : {"plain", "\xC3\x89" "amonn"}) EXPECT_TRUE(IsValidUtf8(good)) << good;
  // Windows-1252 E acute, cut short, overlong, surrogate.
  for (const char* bad : {"\xC9" "amonn", "\xC3", "\xC0\xAF", "\xED\xA0\x80"}) EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

}  // namespace
}  // namespace rq
