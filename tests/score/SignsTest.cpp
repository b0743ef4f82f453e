// Bar lines, endings, key and time signatures and the clef, read from the recording canvas.
#include <string>

#include "ScoreTestHelpers.h"
#include "score/Signs.h"

namespace rq::test {
namespace {

// Widths in the helper: "l" and "[" 2, "]" 15, so the kinds measure 2, 12, 15, 15, 30.
// Positions are relative to the bar's left edge.
struct BarCase {
  int kind, lt;
  std::vector<int> thin;
  std::vector<std::pair<int, int>> thick;
  std::vector<int> dots;
};

TEST(SymbBarre, EveryKindAtTwoThicknesses) {
  const BarCase cases[] = {
      {kBarThin, 1, {1}, {}, {}},
      {kBarThinThick, 1, {3}, {{6, 12}}, {}},
      {kBarRepeatEnd, 1, {7}, {{10, 15}}, {1}},
      {kBarRepeatStart, 1, {7}, {{0, 5}}, {10}},
      {kBarRepeatBoth, 1, {9, 20}, {{12, 18}}, {4, 23}},
      {kBarThin, 4, {-1}, {}, {}},
      {kBarThinThick, 4, {-6}, {{6, 12}}, {}},
      {kBarRepeatEnd, 4, {-2}, {{10, 15}}, {-26}},
      {kBarRepeatStart, 4, {13}, {{0, 5}}, {25}},
      {kBarRepeatBoth, 4, {0, 26}, {{12, 18}}, {-20, 38}},
  };
  for (const BarCase& c : cases) {
    RecordedStaff s(c.lt);
    TSymbBarre bar(c.kind);
    bar.Draw(s.ctx, s.rect, 40);
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " lt " << c.lt);
    const int xa = s.rect.Left + 40;
    const int yT = s.rect.Top + s.ctx.StaffMid - 12;
    const int yB = s.rect.Top + s.ctx.StaffMid + 12;

    const auto lines = s.Lines();
    ASSERT_EQ(lines.size(), c.thin.size() * c.lt);
    for (size_t i = 0; i < lines.size(); ++i) {
      const int x = xa + c.thin[i / c.lt] + static_cast<int>(i % c.lt);
      EXPECT_EQ(std::vector({lines[i].x1, lines[i].y1, lines[i].x2, lines[i].y2}), std::vector({x, yB, x, yT}));
    }
    const auto fills = s.Fills();
    ASSERT_EQ(fills.size(), c.thick.size());
    for (size_t i = 0; i < fills.size(); ++i) {
      EXPECT_EQ(std::vector({fills[i].x1, fills[i].y1, fills[i].x2, fills[i].y2}),
                std::vector({xa + c.thick[i].first, yT, xa + c.thick[i].second, yB}));
      EXPECT_EQ(fills[i].color, kBlack);
    }
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), c.dots.size() * 2);
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].text, ".");
      EXPECT_EQ(texts[i].x1, xa + c.dots[i / 2]);
      // The two middle spaces.
      EXPECT_EQ(texts[i].y1, s.GlyphTop(s.ctx.StaffMid + (i % 2 == 0 ? -3 : 3)));
    }
    // The brush is left white for whatever paints next.
    EXPECT_EQ(s.canvas.Calls(CanvasOp::BrushColor).back().color, kWhite);
  }
}

TEST(SymbBarre, UnknownKindDrawsNothing) {
  RecordedStaff s;
  TSymbBarre bar(36);
  EXPECT_EQ(bar.Measure(s.ctx, 5), 0);
  bar.Draw(s.ctx, s.rect, 0);
  EXPECT_TRUE(s.Lines().empty());
  EXPECT_TRUE(s.Fills().empty());
  EXPECT_TRUE(s.Texts().empty());
}

// Ending numbers in the bold serif face above the top line, a bracket hooking down
// left of the number, and the music font restored afterwards.
TEST(BarreSection, NumberAndBracket) {
  struct Case {
    int number, kind, width, hookX;  // hookX relative to the bar's left edge
  };
  // Number height 12 measures a digit 4 wide: centred at W div 2 - 2, the hook half
  // a digit further left for endings after the first, a third of one for the first.
  for (const Case c : {Case{1, kBarThin, 2, -1 - 1}, Case{2, kBarRepeatEnd, 15, 5 - 2}}) {
    RecordedStaff s;
    TBarreSection section(c.number);
    EXPECT_EQ(section.BarKind, c.kind);
    section.Draw(s.ctx, s.rect, 0);
    SCOPED_TRACE(c.number);
    const int xa = s.rect.Left;
    const int yT = s.rect.Top + s.ctx.StaffMid - 12;
    const auto fonts = s.canvas.Calls(CanvasOp::Font);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].font, (CanvasFont{kNumberFace, 12, true}));
    EXPECT_EQ(fonts[1].font, (CanvasFont{kMusicFace, 60, false}));

    const auto texts = s.Texts();
    const auto& number = texts.back();
    EXPECT_EQ(number.text, std::to_string(c.number));
    EXPECT_EQ(number.font.family, kNumberFace);
    EXPECT_EQ(std::pair(number.x1, number.y1), std::pair(xa + c.width / 2 - 2, yT - 12));

    const auto lines = s.Lines();
    ASSERT_GE(lines.size(), 2u);
    const auto& hook = lines[lines.size() - 2];
    const auto& top = lines.back();
    EXPECT_EQ(std::vector({hook.x1, hook.y1, hook.x2, hook.y2}), std::vector({xa + c.hookX, yT - 2, xa + c.hookX, yT - 12}));
    EXPECT_EQ(std::vector({top.x1, top.y1, top.x2, top.y2}), std::vector({xa + c.hookX, yT - 12, xa + c.hookX + 8, yT - 12}));
  }
}

// Sharps alternate between the top line and the third space, flats between the
// middle line and the top space; at most seven are drawn.
TEST(SymKey, AccidentalsAlternate) {
  struct Case {
    int sharps;
    std::string glyph;
    std::vector<int> ys;  // staff y relative to the middle line
  };
  for (const Case& c : {Case{3, "#", {-12, -3, -12}}, Case{-4, "b", {0, -9, 0, -9}},
                        Case{9, "#", {-12, -3, -12, -3, -12, -3, -12}}, Case{0, "", {}},
                        Case{-100, "b", {0, -9, 0, -9, 0, -9, 0}}}) {
    RecordedStaff s;
    TSymKey key(c.sharps);
    const int measured = key.Measure(s.ctx, 0);
    key.Draw(s.ctx, s.rect, 20);
    SCOPED_TRACE(c.sharps);
    const int w = c.sharps > 0 ? 12 : 10;
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), c.ys.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].text, c.glyph);
      EXPECT_EQ(texts[i].x1, s.rect.Left + 20 + static_cast<int>(i) * w);
      EXPECT_EQ(texts[i].y1, s.GlyphTop(s.ctx.StaffMid + c.ys[i]));
    }
    EXPECT_EQ(measured, static_cast<int>(c.ys.size()) * w);
    EXPECT_EQ(key.Width, measured);
  }
}

// Numbers stack over the middle line in the music font; symbols sit on it. The
// width is one digit's whatever the numbers.
TEST(SymMeter, DigitsAndSymbols) {
  struct Case {
    int num, den, symbol;
    std::vector<std::pair<std::string, int>> texts;  // text, staff y relative to the middle line
    char widthGlyph;
  };
  for (const Case& c : {Case{12, 8, kMeterNumbers, {{"12", -6}, {"8", 6}}, '8'},
                        Case{4, 4, kMeterCommon, {{"c", 0}}, 'C'}, Case{2, 2, kMeterCut, {{"C", 0}}, 'C'},
                        Case{3, 4, 7, {{"C", 0}}, 'C'}}) {
    RecordedStaff s;
    s.canvas.SetCharWidth('8', 17);
    s.canvas.SetCharWidth('C', 23);
    TSymMeter meter(c.num, c.den, c.symbol);
    EXPECT_EQ(meter.Measure(s.ctx, 0), c.widthGlyph == '8' ? 17 : 23);
    meter.Draw(s.ctx, s.rect, 5);
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), c.texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].text, c.texts[i].first);
      EXPECT_EQ(texts[i].font.family, kMusicFace);
      EXPECT_EQ(std::pair(texts[i].x1, texts[i].y1), std::pair(s.rect.Left + 5, s.GlyphTop(s.ctx.StaffMid + c.texts[i].second)));
    }
  }
}

// The clef's glyph is centred on the bottom line (its G line one space above).
TEST(SymCSol, OnTheBottomLine) {
  RecordedStaff s;
  s.canvas.SetCharWidth('&', 25);
  TSymCSol clef;
  EXPECT_EQ(clef.Measure(s.ctx, 0), 25);
  clef.Draw(s.ctx, s.rect, 3);
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "&");
  EXPECT_EQ(std::pair(texts[0].x1, texts[0].y1), std::pair(s.rect.Left + 3, s.GlyphTop(s.ctx.ClefY)));
  EXPECT_EQ(clef.X, 3);
}

}  // namespace
}  // namespace rq::test
