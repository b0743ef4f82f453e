// Notes, rests and grace notes: length to glyph, and where the pieces land.
#include <climits>
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

// Head glyphs by class, stem, membership; rests by class alone.
TEST(SimpleNote, GlyphChoice) {
  struct Case {
    int pitch, kind, num, den, stemDir;  // stemDir 9: as created
    std::string glyph;
  };
  const Case cases[] = {
      {5, kSymbolAlone, 1, 1, 9, "e"},        {9, kSymbolAlone, 1, 1, 9, "E"},
      {7, kSymbolAlone, 2, 1, 9, "q"},        {8, kSymbolAlone, 2, 1, 9, "Q"},
      {4, kSymbolAlone, 1, 2, 9, "x"},        {4, kSymbolAlone, 1, 4, 9, "r"},
      {4, kSymbolAlone, 1, 8, 9, G(0x91)},    {10, kSymbolAlone, 1, 8, 9, G(0x90)},
      {4, kSymbolAlone, 4, 1, 9, "h"},        {12, kSymbolAlone, 6, 1, 9, "H"},
      {4, kSymbolAlone, 8, 1, 9, "w"},        {12, kSymbolAlone, 100, 1, 9, "w"},
      {4, kSymbolInGroup, 1, 2, 9, G(0xF6)},  {12, kSymbolInGroup, 8, 1, 9, G(0xF6)},
      {4, kSymbolInChord, 1, 1, 9, "q"},      {10, kSymbolInChord, 1, 4, 9, "Q"},
      {4, kSymbolInChord, 4, 1, 9, "h"},      {4, kSymbolAlone, 2, 1, 0, "Q"},
      {kRestPitch, kSymbolAlone, 1, 8, 9, G(0x92)}, {kRestPitch, kSymbolAlone, 1, 4, 9, G(0xA8)},
      {kRestPitch, kSymbolAlone, 1, 2, 9, G(0xC5)}, {kRestPitch, kSymbolInGroup, 1, 1, 9, G(0xE4)},
      {kRestPitch, kSymbolInChord, 2, 1, 9, "g"},   {kRestPitch, kSymbolAlone, 4, 1, 9, G(0xEE)},
      {kRestPitch, kSymbolAlone, 8, 1, 9, G(0xEE)},
  };
  for (const Case& c : cases) {
    TSimpleNote note(c.pitch, 0, c.kind, c.den, c.num, kAccNone);
    if (c.stemDir != 9) note.SetStemDir(c.stemDir);
    EXPECT_EQ(note.GetHeadGlyph(), c.glyph) << "pitch " << c.pitch << " kind " << c.kind << " " << c.num << "/" << c.den;
    TGraceNote grace(c.pitch, 0, c.kind, c.den, c.num, kAccNone);
    EXPECT_EQ(grace.GetHeadGlyph(), ";");
  }
}

TEST(SimpleNote, AccidentalGlyphs) {
  struct Case {
    int acc;
    std::string plain, grace;
  };
  for (const Case& c : {Case{kAccSharp, "#", "I"}, {kAccFlat, "b", "i"}, {kAccNatural, "n", "I"},
                        {kAccDoubleSharp, G(0xDC), ""}, {kAccDoubleFlat, G(0xBA), ""},
                        {kAccNone, "", ""}, {7, "", ""}, {-5, "", ""}}) {
    EXPECT_EQ(TSimpleNote(5, 0, 0, 1, 1, c.acc).GetAccGlyph(), c.plain) << c.acc;
    EXPECT_EQ(TGraceNote(5, 0, 0, 1, 1, c.acc).GetAccGlyph(), c.grace) << c.acc;
  }
}

// A sharp dotted-dotted quarter: accidental, then the head one pixel on, then each dot
// one pixel after what went before and a pixel higher; the measure matches the draw.
TEST(SimpleNote, AccidentalHeadAndDots) {
  RecordedStaff s;
  TSimpleNote note(5, 0, kSymbolAlone, 2, 7, kAccSharp);  // 7/2 = double-dotted quarter
  ASSERT_EQ(note.DurIndex, 18);
  const int measured = note.Measure(s.ctx, 0);
  note.Draw(s.ctx, s.rect, 30);
  const int y = s.GlyphTop(s.ctx.StaffY(5));
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].text, "#");
  EXPECT_EQ(std::pair(texts[0].x1, texts[0].y1), std::pair(130, y));
  EXPECT_EQ(note.HeadX, 30 + 13);
  EXPECT_EQ(texts[1].text, "q");
  EXPECT_EQ(std::pair(texts[1].x1, texts[1].y1), std::pair(143, y));
  EXPECT_EQ(std::pair(texts[2].x1, texts[2].y1), std::pair(130 + 13 + 20 + 1, y - 1));
  EXPECT_EQ(std::pair(texts[3].x1, texts[3].y1), std::pair(130 + 13 + 20 + 7 + 1, y - 1));
  EXPECT_EQ(note.Width, 13 + 20 + 2 * 7);
  EXPECT_EQ(measured, note.Width);
  EXPECT_TRUE(s.Lines().empty());
}

// A chord member shows at least a quarter glyph, but its dots follow its length.
TEST(SimpleNote, ChordMemberKeepsItsDots) {
  RecordedStaff s;
  TSimpleNote note(10, 0, kSymbolInChord, 2, 3, kAccNone);  // dotted eighth
  note.Draw(s.ctx, s.rect, 0);
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "Q");
  EXPECT_EQ(texts[1].text, ".");
}

// Every rest stands on the middle line; half and whole rests look the same.
TEST(SimpleNote, RestsOnTheMiddleLine) {
  RecordedStaff s;
  TSimpleNote half(kRestPitch, kDecoRoll, 0, 1, 4, kAccNone);
  TSimpleNote whole(kRestPitch, kDecoRoll, 0, 1, 8, kAccNone);
  EXPECT_EQ(half.StemDir, 1);
  half.Draw(s.ctx, s.rect, 40);
  whole.Draw(s.ctx, s.rect, 40);
  const auto texts = s.Texts();
  // No roll and no ledger lines on a rest.
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, texts[1].text);
  EXPECT_EQ(std::pair(texts[0].x1, texts[0].y1), std::pair(texts[1].x1, texts[1].y1));
  EXPECT_EQ(texts[0].y1, s.GlyphTop(s.ctx.StaffMid));
  EXPECT_TRUE(s.Lines().empty());
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
    const auto lines = s.Lines();
    SCOPED_TRACE(c.pitch);
    ASSERT_EQ(lines.size(), c.ys.size() * 2);
    for (size_t i = 0; i < c.ys.size(); ++i) {
      const int y = s.rect.Top + s.ctx.StaffMid + c.ys[i];
      EXPECT_EQ(lines[2 * i].y1, y);
      EXPECT_EQ(lines[2 * i + 1].y1, y + 1);
      EXPECT_EQ(lines[2 * i].x1, 100 + 50 - 6);
      EXPECT_EQ(lines[2 * i].x2, 100 + 50 + 20 + 6 - 3);
    }
  }
}

// The roll sits a space above the staff, or above a high note; staccato opposite the stem.
TEST(SimpleNote, RollAndStaccato) {
  struct Case {
    int pitch, deco, stemDir, dy;  // dy: sign's cell top minus the note's cell top
  };
  // dy 0 for a roll: the fixed place one space above the staff.
  for (const Case& c : {Case{4, kDecoRoll, -1, 0}, {9, kDecoRoll, 1, 0}, {12, kDecoRoll, 1, -6},
                        {6, kDecoRoll, -1, -15 - 12}, {9, kDecoStaccato, 1, -6}, {5, kDecoStaccato, -1, 6},
                        {5, 3, -1, 0}}) {
    RecordedStaff s;
    TSimpleNote note(c.pitch, c.deco, 0, 1, 2, kAccNone);
    ASSERT_EQ(note.StemDir, c.stemDir);
    note.Draw(s.ctx, s.rect, 10);
    const auto texts = s.Texts();
    SCOPED_TRACE(c.pitch);
    if (c.deco != kDecoRoll && c.deco != kDecoStaccato) {
      EXPECT_EQ(texts.size(), 1u);
      continue;
    }
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, c.deco == kDecoRoll ? "~" : ".");
    EXPECT_EQ(texts[1].x1, 100 + note.HeadX);
    const int noteTop = s.GlyphTop(s.ctx.StaffY(c.pitch));
    const int aboveStaff = s.GlyphTop(s.ctx.StaffMid - 18);
    const bool fixedRoll = c.deco == kDecoRoll && c.dy == 0;
    EXPECT_EQ(texts[1].y1, fixedRoll ? aboveStaff : noteTop + c.dy);
  }
}

}  // namespace
}  // namespace rq::test
