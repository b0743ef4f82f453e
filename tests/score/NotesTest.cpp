// Notes, rests and grace notes: length to glyph, and where the pieces land.
#include <climits>
#include <cstdlib>
#include <string>

#include "ScoreTestHelpers.h"
#include "score/SimpleNote.h"

namespace rq::test {
namespace {

std::string G(unsigned char code) { return std::string(1, static_cast<char>(code)); }

// Lengths are in eighth notes; longer than any entry gives 27, and no length or
// denominator, however wild, leaves the table.
TEST(DurationIndex, LengthsToIndexes) {
  struct Case {
    int num, den, index;
  };
  for (const Case c : {Case{1, 1, 12}, {2, 1, 16}, {3, 1, 17}, {1, 2, 8}, {3, 2, 13}, {5, 1, 21},
                       {1, 128, 0}, {1, 8, 0}, {7, 4, 14}, {14, 1, 26}, {15, 1, 27},
                       {INT_MAX, 1, 27}, {INT_MAX, 2, 27}, {1, INT_MAX, 0}, {-3, 1, 0}, {INT_MIN, 1, 0},
                       {1, 0, 12}, {2, -4, 16}}) {
    EXPECT_EQ(DurationIndex(c.num, c.den), c.index) << c.num << "/" << c.den;
  }
}

// Head glyphs follow the stem (down from step 8 up) and beyond a whole note stay
// whole; group members show bare heads, chord members bare heads of their length (the
// chord draws the stem); rests go by length alone, the sixty-fourth rest never a
// note's glyph, the whole rest its own. A grace note always shows the small head, and
// small accidentals but no doubles.
TEST(SimpleNote, Glyphs) {
  struct Case {
    int pitch, kind, num, den;
    std::string glyph;
  };
  const Case cases[] = {
      {7, kSymbolAlone, 2, 1, "q"},          {8, kSymbolAlone, 2, 1, "Q"},           {5, kSymbolAlone, 1, 1, "e"},
      {4, kSymbolAlone, 1, 2, "x"},          {12, kSymbolAlone, 6, 1, "H"},          {4, kSymbolAlone, 8, 1, "w"},
      {4, kSymbolAlone, 1, 8, G(0x91)},      {10, kSymbolAlone, 1, 8, G(0x90)},      {12, kSymbolAlone, 100, 1, "w"},
      {4, kSymbolInGroup, 1, 2, G(0xF6)},    {12, kSymbolInGroup, 8, 1, G(0xF6)},    {4, kSymbolInChord, 1, 1, G(0xF6)},
      {10, kSymbolInChord, 1, 4, G(0xF6)},   {4, kSymbolInChord, 2, 1, G(0xF6)},     {4, kSymbolInChord, 4, 1, G(0xF7)},
      {4, kSymbolInChord, 12, 1, "w"},       {kRestPitch, kSymbolAlone, 1, 8, G(0x92)}, {kRestPitch, kSymbolAlone, 1, 2, G(0xC5)},
      {kRestPitch, kSymbolInGroup, 1, 1, G(0xE4)}, {kRestPitch, kSymbolInChord, 2, 1, "g"}, {kRestPitch, kSymbolAlone, 4, 1, G(0xEE)},
      {kRestPitch, kSymbolAlone, 8, 1, G(0xEF)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TSimpleNote(c.pitch, 0, c.kind, c.den, c.num, kAccNone).GetHeadGlyph(), c.glyph)
        << "pitch " << c.pitch << " kind " << c.kind << " " << c.num << "/" << c.den;
    EXPECT_EQ(TGraceNote(c.pitch, 0, c.kind, c.den, c.num, kAccNone).GetHeadGlyph(), ";");
  }
  const std::string plain[] = {G(0xBA), "b", "", "#", G(0xDC), "n"}, grace[] = {"", "i", "", "I", "", "N"};
  for (int acc = kAccDoubleFlat; acc <= kAccNatural; ++acc) {
    EXPECT_EQ(TSimpleNote(5, 0, 0, 1, 1, acc).GetAccGlyph(), plain[acc + 2]) << acc;
    EXPECT_EQ(TGraceNote(5, 0, 0, 1, 1, acc).GetAccGlyph(), grace[acc + 2]) << acc;
  }
  for (const int acc : {7, -5}) EXPECT_EQ(TSimpleNote(5, 0, 0, 1, 1, acc).GetAccGlyph() + TGraceNote(5, 0, 0, 1, 1, acc).GetAccGlyph(), "");
}

// A sharp double-dotted quarter: accidental, then the head one pixel on, then each dot
// one pixel after what went before and a pixel higher; the measure matches the draw.
TEST(SimpleNote, AccidentalHeadAndDots) {
  RecordedStaff s;
  TSimpleNote note(5, 0, kSymbolAlone, 2, 7, kAccSharp);  // 7/2 = double-dotted quarter
  ASSERT_EQ(note.DurIndex, 18);
  const int measured = note.Measure(s.ctx, 0);
  note.Draw(s.ctx, s.rect, 30);
  const int y = s.GlyphTop(s.ctx.StaffY(5));
  EXPECT_EQ(s.TextsAt(), (std::vector<Txt>{{"#", 130, y}, {"q", 143, y}, {".", 164, y - 1}, {".", 171, y - 1}}));
  EXPECT_EQ(note.Width, 13 + 20 + 2 * 7);
  EXPECT_EQ(measured, note.Width);
  EXPECT_TRUE(s.Lines().empty());
}

// A breve (sixteen eighths): the whole head between two pairs of upright lines, a
// line space and a half high, each pair 4 wide (three line widths and a quarter line
// space); the measure matches the draw.
TEST(SimpleNote, BreveBetweenSideLines) {
  RecordedStaff s;
  TSimpleNote breve(5, 0, kSymbolAlone, 1, 16, kAccNone);
  ASSERT_TRUE(breve.Breve);
  const int measured = breve.Measure(s.ctx, 0);
  breve.Draw(s.ctx, s.rect, 30);
  const int y = s.GlyphTop(s.ctx.StaffY(5));
  const int w = s.canvas.TextWidth("w");
  EXPECT_EQ(s.TextsAt(), (std::vector<Txt>{{"w", 134, y}}));
  std::vector<int> xs;
  for (const CanvasCall& line : s.Lines()) {
    xs.push_back(line.x1);
    EXPECT_EQ(std::abs(line.y2 - line.y1), 2 * (s.ctx.LineSpace * 3 / 4));
  }
  EXPECT_EQ(xs, (std::vector<int>{130, 132, 134 + w + 1, 134 + w + 3}));
  EXPECT_EQ(measured, w + 8);
  EXPECT_FALSE(TSimpleNote(kRestPitch, 0, kSymbolAlone, 1, 16, kAccNone).Breve);
}

// A chord member shows a bare head, but its one dot still follows its length.
TEST(SimpleNote, ChordMemberKeepsItsDots) {
  RecordedStaff s;
  TSimpleNote member(10, 0, kSymbolInChord, 2, 3, kAccNone);  // dotted eighth
  s.canvas.SetCharWidth(static_cast<char>(0xF6), 19);
  member.Draw(s.ctx, s.rect, 0);
  const int y = s.GlyphTop(s.ctx.StaffY(10));
  EXPECT_EQ(s.TextsAt(), (std::vector<Txt>{{G(0xF6), 100, y}, {".", 120, y - 1}}));
}

// Rests hang or sit at a line: the half rest sits on the middle line, the whole rest
// hangs from the fourth, and so does a rest that fills its bar, without its dots. No
// roll and no ledger lines.
TEST(SimpleNote, RestsAtTheirLines) {
  struct Case {
    const char* what;
    int num;  // eighths
    bool wholeBar;
    std::string glyph;
    int line;  // staff step the glyph is drawn at
    int dots;
  };
  const Case cases[] = {
      {"quarter", 2, false, "g", 7, 0},         {"half", 4, false, G(0xEE), 7, 0},
      {"dotted half", 6, false, G(0xEE), 7, 1}, {"whole", 8, false, G(0xEF), 9, 0},
      {"a bar of 6/8", 6, true, G(0xEF), 9, 0}, {"a bar of 2/4", 4, true, G(0xEF), 9, 0},
  };
  for (const Case& c : cases) {
    RecordedStaff s;
    TSimpleNote rest(kRestPitch, kDecoRoll, 0, 1, c.num, kAccNone);
    rest.WholeBar = c.wholeBar;
    const int measured = rest.Measure(s.ctx, 0);
    rest.Draw(s.ctx, s.rect, 40);
    const auto texts = s.TextsAt();
    ASSERT_EQ(texts.size(), static_cast<size_t>(1 + c.dots)) << c.what;
    EXPECT_EQ(texts[0], (Txt{c.glyph, 140, s.GlyphTop(s.ctx.StaffY(c.line))})) << c.what;
    EXPECT_EQ(measured, rest.Width) << c.what;
    EXPECT_TRUE(s.Lines().empty());
  }
}

// An invisible rest is as wide as the rest it stands for and draws nothing.
TEST(SimpleNote, InvisibleRestKeepsItsPlace) {
  RecordedStaff s;
  TSimpleNote shown(kRestPitch, 0, 0, 1, 2, kAccNone);
  TSimpleNote hidden(kRestPitch, 0, 0, 1, 2, kAccNone);
  hidden.Invisible = true;
  EXPECT_EQ(hidden.Measure(s.ctx, 0), shown.Measure(s.ctx, 0));
  hidden.Draw(s.ctx, s.rect, 40);
  EXPECT_TRUE(s.canvas.Calls(CanvasOp::Text).empty());
  EXPECT_TRUE(s.Lines().empty());
  EXPECT_EQ(hidden.X, 40);
}

// Ledger lines: one per line beyond the staff, reaching 30 % of a head width out.
TEST(SimpleNote, LedgerLines) {
  struct Case {
    int pitch;
    std::vector<int> ys;  // relative to the middle line
  };
  for (const Case& c : {Case{12, {}}, {13, {-18}}, {14, {-18}}, {15, {-18, -24}}, {3, {}}, {2, {}},
                        {1, {18}}, {0, {18}}, {-1, {18, 24}}, {kRestPitch, {}}}) {
    RecordedStaff s(2);
    TSimpleNote note(c.pitch, 0, 0, 1, 2, kAccNone);
    note.Draw(s.ctx, s.rect, 50);
    Segs expected;
    for (const int dy : c.ys) {
      const int y = s.rect.Top + s.ctx.StaffMid + dy;
      expected.insert(expected.end(), {{144, y, 173, y}, {144, y + 1, 173, y + 1}});  // 150 - 6 to 150 + 20 + 6 - 3
    }
    EXPECT_EQ(SegsOf(s.Lines()), expected) << c.pitch;
  }
}

// The roll sits a space above the staff, or above a high note; staccato opposite the
// stem; other decorations draw nothing.
TEST(SimpleNote, RollAndStaccato) {
  constexpr int kAboveStaff = 99;  // the roll's fixed place, one space above the staff
  struct Case {
    int pitch, deco, stemDir;
    std::string sign;
    int dy;  // the sign's cell top minus the note's
  };
  for (const Case& c : {Case{4, kDecoRoll, -1, "~", kAboveStaff}, {9, kDecoRoll, 1, "~", kAboveStaff},
                        {12, kDecoRoll, 1, "~", -6}, {6, kDecoRoll, -1, "~", -15 - 12}, {9, kDecoStaccato, 1, ".", -6},
                        {5, kDecoStaccato, -1, ".", 6}, {5, 3, -1, "", 0}}) {
    RecordedStaff s;
    TSimpleNote note(c.pitch, c.deco, 0, 1, 2, kAccNone);
    ASSERT_EQ(note.StemDir, c.stemDir);
    note.Draw(s.ctx, s.rect, 10);
    const auto texts = s.TextsAt();
    ASSERT_FALSE(texts.empty());
    std::vector<Txt> expected{texts[0]};
    const int y = c.dy == kAboveStaff ? s.ctx.StaffMid - 18 : s.ctx.StaffY(c.pitch) + c.dy;
    if (!c.sign.empty()) expected.push_back({c.sign, 100 + note.HeadX, s.GlyphTop(y)});
    EXPECT_EQ(texts, expected) << c.pitch;
  }
}

}  // namespace
}  // namespace rq::test
