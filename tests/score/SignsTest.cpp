// Bar lines, endings, key and time signatures and the clef, read from the recording canvas.
#include <memory>
#include <string>
#include <tuple>

#include "ScoreTestHelpers.h"
#include "score/Signs.h"

namespace rq::test {
namespace {

// Widths in the helper: "l" and "[" 2, "]" 15. Positions are relative to the bar's
// left edge; an unknown kind takes no room and draws nothing.
TEST(SymbBarre, EveryKindAtTwoThicknesses) {
  struct Case {
    int kind, lt, width;
    std::vector<int> thin;
    std::vector<std::pair<int, int>> thick;
    std::vector<int> dots;
  };
  const Case cases[] = {
      {kBarThin, 1, 2, {1}, {}, {}},                           {kBarThin, 4, 2, {-1}, {}, {}},
      {kBarThinThick, 1, 12, {3}, {{6, 12}}, {}},              {kBarThinThick, 4, 12, {-6}, {{6, 12}}, {}},
      {kBarRepeatEnd, 1, 15, {7}, {{10, 15}}, {1}},            {kBarRepeatEnd, 4, 15, {-2}, {{10, 15}}, {-26}},
      {kBarRepeatStart, 1, 15, {7}, {{0, 5}}, {10}},           {kBarRepeatStart, 4, 15, {13}, {{0, 5}}, {25}},
      {kBarRepeatBoth, 1, 30, {9, 20}, {{12, 18}}, {4, 23}},   {kBarRepeatBoth, 4, 30, {0, 26}, {{12, 18}}, {-20, 38}},
      {kBarThinThin, 1, 8, {0, 7}, {}, {}},                    {kBarThinThin, 4, 8, {0, 4}, {}, {}},
      {36, 1, 0, {}, {}, {}},
  };
  for (const Case& c : cases) {
    RecordedStaff s(c.lt);
    TSymbBarre bar(c.kind);
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " lt " << c.lt);
    EXPECT_EQ(bar.Measure(s.ctx, 5), c.width);
    bar.Draw(s.ctx, s.rect, 40);
    const int xa = s.rect.Left + 40;
    const int yT = s.rect.Top + s.ctx.StaffMid - 12, yB = yT + 24;
    Segs thin, thick;
    std::vector<Txt> dots;
    for (const int x : c.thin) {
      for (int k = 0; k < c.lt; ++k) thin.push_back({xa + x + k, yB, xa + x + k, yT});
    }
    for (const auto& [x1, x2] : c.thick) thick.push_back({xa + x1, yT, xa + x2, yB});
    for (const int x : c.dots) {
      // The two middle spaces.
      for (const int dy : {-3, 3}) dots.push_back({".", xa + x, s.GlyphTop(s.ctx.StaffMid + dy)});
    }
    EXPECT_EQ(SegsOf(s.Lines()), thin);
    EXPECT_EQ(SegsOf(s.Fills()), thick);
    for (const CanvasCall& fill : s.Fills()) EXPECT_EQ(fill.color, kBlack);
    EXPECT_EQ(s.TextsAt(), dots);
    // The brush is left white for whatever paints next.
    EXPECT_EQ(s.canvas.Calls(CanvasOp::BrushColor).back().color, kWhite);
  }
}

// Ending numbers in the bold serif face above the top line, a bracket hooking down
// left of the number, and the music font restored afterwards. Alone the bracket is two
// digits long; in a row it reaches where the row says, but never past the row's end.
TEST(BarreSection, NumberAndBracket) {
  struct Case {
    int number, kind, width, hookX;  // hookX relative to the bar's left edge
    int bracketEnd, rowRight;        // as the row sets them, relative to the row
    int right;                       // the bracket's right end, relative to the bar
  };
  // Number height 12 measures a digit 4 wide: centred at W div 2 - 2, the hook half
  // a digit further left for endings after the first, a third of one for the first.
  for (const Case c : {Case{1, kBarThin, 2, -2, -1, -1, -2 + 8}, Case{2, kBarRepeatEnd, 15, 3, -1, -1, 3 + 8},
                       Case{1, kBarThin, 2, -2, 300, 700, 300}, Case{2, kBarRepeatEnd, 15, 3, 300, 250, 250},
                       Case{1, kBarThin, 2, -2, 0, 4, 4}}) {
    RecordedStaff s;
    TBarreSection section(c.number);
    EXPECT_EQ(section.BarKind, c.kind);
    section.BracketEnd = c.bracketEnd;
    section.RowRight = c.rowRight;
    section.Draw(s.ctx, s.rect, 0);
    SCOPED_TRACE(testing::Message() << c.number << " to " << c.bracketEnd << " within " << c.rowRight);
    const int xa = s.rect.Left;
    const int yT = s.rect.Top + s.ctx.StaffMid - 12;
    const auto fonts = s.canvas.Calls(CanvasOp::Font);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].font, (CanvasFont{kNumberFace, 12, true}));
    EXPECT_EQ(fonts[1].font, (CanvasFont{kMusicFace, 60, false}));

    EXPECT_EQ(s.TextsAt().back(), (Txt{std::to_string(c.number), xa + c.width / 2 - 2, yT - 12}));

    const Segs lines = SegsOf(s.Lines());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Segs(lines.end() - 2, lines.end()),
              (Segs{{xa + c.hookX, yT - 2, xa + c.hookX, yT - 12}, {xa + c.hookX, yT - 12, xa + c.right, yT - 12}}));
  }
}

// An ending without a bar: no bar line, the hook at its left edge and the number
// after it, all within its measured width, so the next symbol stands clear of them.
TEST(BarreSection, BareEndingKeepsRoomForItsNumber) {
  for (const int number : {1, 2}) {
    RecordedStaff s;
    TBarreSection section(number);
    section.BarKind = kBarNone;
    const int hookGap = number == 1 ? 4 / 3 : 4 / 2;  // of a digit 4 wide
    EXPECT_EQ(section.Measure(s.ctx, 0), hookGap + 4);
    s.canvas.Clear();
    section.Draw(s.ctx, s.rect, 50);
    const int xa = s.rect.Left + 50;
    const int yT = s.rect.Top + s.ctx.StaffMid - 12;
    EXPECT_EQ(s.TextsAt(), (std::vector<Txt>{{std::to_string(number), xa + hookGap, yT - 12}}));
    EXPECT_EQ(SegsOf(s.Lines()), (Segs{{xa, yT - 2, xa, yT - 12}, {xa, yT - 12, xa + 8, yT - 12}}));
    EXPECT_TRUE(s.Fills().empty());
  }
}

// Key signatures at the standard places: sharps F C G D A E B, flats B E A D G C F,
// each a glyph right of the last; at most seven. A change from another key draws
// naturals first, at the steps of the accidentals it drops.
TEST(SymKey, SharpsAndFlatsAtTheirSteps) {
  struct Case {
    int sharps;
    int previous;
    std::vector<std::pair<std::string, int>> glyphs;  // glyph and staff step
  };
  const auto signs = [](const std::string& glyph, const std::vector<int>& steps) {
    std::vector<std::pair<std::string, int>> out;
    for (const int step : steps) out.emplace_back(glyph, step);
    return out;
  };
  const auto joined = [](std::vector<std::pair<std::string, int>> a, const std::vector<std::pair<std::string, int>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  for (const Case& c : {Case{7, 0, signs("#", {11, 8, 12, 9, 6, 10, 7})}, Case{-7, 0, signs("b", {7, 10, 6, 9, 5, 8, 4})},
                        Case{3, 0, signs("#", {11, 8, 12})}, Case{-4, 0, signs("b", {7, 10, 6, 9})},
                        Case{9, 0, signs("#", {11, 8, 12, 9, 6, 10, 7})}, Case{0, 0, {}},
                        Case{-100, 0, signs("b", {7, 10, 6, 9, 5, 8, 4})},
                        Case{1, 3, joined(signs("n", {8, 12}), signs("#", {11}))}, Case{0, -2, signs("n", {7, 10})},
                        Case{2, -1, joined(signs("n", {7}), signs("#", {11, 8}))}, Case{3, 1, signs("#", {11, 8, 12})},
                        Case{-1, -3, joined(signs("n", {10, 6}), signs("b", {7}))}}) {
    RecordedStaff s;
    TSymKey key(c.sharps, c.previous);
    const int measured = key.Measure(s.ctx, 0);
    key.Draw(s.ctx, s.rect, 20);
    std::vector<Txt> expected;
    int x = 20;
    for (size_t i = 0; i < c.glyphs.size(); ++i) {
      const auto& [glyph, step] = c.glyphs[i];
      // Half a line space parts the naturals from the new signature.
      if (i > 0 && c.glyphs[i - 1].first == "n" && glyph != "n") x += s.ctx.LineSpace / 2;
      expected.push_back({glyph, s.rect.Left + x, s.GlyphTop(s.ctx.StaffY(step))});
      x += s.canvas.TextWidth(glyph);
    }
    EXPECT_EQ(s.TextsAt(), expected) << c.sharps << " after " << c.previous;
    EXPECT_EQ(measured, x - 20) << c.sharps << " after " << c.previous;
  }
}

// Meter numbers stack over the middle line in the music font, each centred on the
// wider; its symbols sit on it; the clef is centred on the bottom line (its G line one
// space above). "1" and "2" measure 20, "8" 17; a meter takes a line space (6) of room
// after its numbers.
TEST(Signs, MeterAndClefGlyphs) {
  struct Case {
    const char* what;
    std::unique_ptr<TSimpleSymbol> sign;
    std::vector<std::tuple<std::string, int, int>> texts;  // text, x from the sign, staff y from the middle line
    int width;
  };
  Case cases[] = {{"12/8", std::make_unique<TSymMeter>(12, 8, kMeterNumbers), {{"12", 0, -6}, {"8", 11, 6}}, 46},
                  {"3/2", std::make_unique<TSymMeter>(3, 2, kMeterNumbers), {{"3", 0, -6}, {"2", 0, 6}}, 26},
                  {"10/8", std::make_unique<TSymMeter>(10, 8, kMeterNumbers), {{"10", 0, -6}, {"8", 11, 6}}, 46},
                  {"6/16", std::make_unique<TSymMeter>(6, 16, kMeterNumbers), {{"6", 10, -6}, {"16", 0, 6}}, 46},
                  {"common", std::make_unique<TSymMeter>(4, 4, kMeterCommon), {{"c", 0, 0}}, 29},
                  {"cut", std::make_unique<TSymMeter>(2, 2, kMeterCut), {{"C", 0, 0}}, 29},
                  {"unknown symbol", std::make_unique<TSymMeter>(3, 4, 7), {{"C", 0, 0}}, 29},
                  {"clef", std::make_unique<TSymCSol>(), {{"&", 0, 12}}, 25}};  // 12: two spaces down
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordedStaff s;
    EXPECT_EQ(c.sign->Measure(s.ctx, 0), c.width);
    c.sign->Draw(s.ctx, s.rect, 5);
    std::vector<Txt> expected;
    for (const auto& [text, x, y] : c.texts) expected.push_back({text, s.rect.Left + 5 + x, s.GlyphTop(s.ctx.StaffMid + y)});
    EXPECT_EQ(s.TextsAt(), expected);
    for (const CanvasCall& t : s.Texts()) EXPECT_EQ(t.font.family, kMusicFace);
  }
}

}  // namespace
}  // namespace rq::test
