// Chords, beam groups, grace groups and tuplets drawn on the recording canvas: a
// 60-pixel font in a 100-pixel row at (100, 1000); line space 6, bare heads and
// note glyphs 20 wide, stems 18 long, y(c) = 1047.
#include <memory>
#include <string>
#include <vector>

#include "ScoreTestHelpers.h"
#include "score/MultiNote.h"
#include "score/NoteGroups.h"
#include "score/SimpleNote.h"

namespace rq::test {
namespace {

std::unique_ptr<TSimpleNote> Note(int pitch, int den = 1, int acc = kAccNone) {
  return std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, den, 1, acc);
}

// A group of the given pitches, each one eighth over den.
template <typename Group = TGroupNote, typename... Args>
std::unique_ptr<Group> Beamed(const std::vector<std::pair<int, int>>& notes, Args... args) {
  auto group = std::make_unique<Group>(args...);
  for (const auto& [pitch, den] : notes) group->AddChild(Note(pitch, den));
  return group;
}

// Measures the group with the given gap, draws it alone at 0 and returns the lines
// that are not vertical: the beams.
Segs DrawGroup(RecordedStaff& s, TGroupNote& group, int spacing = 10) {
  group.Measure(s.ctx, spacing);
  s.canvas.Clear();
  group.Draw(s.ctx, s.rect, 0);
  Segs beams;
  for (const auto& seg : SegsOf(s.Lines())) {
    if (seg[0] != seg[2]) beams.push_back(seg);
  }
  return beams;
}

struct PlainGroup : TGroupSymbol {
  using TGroupSymbol::TGroupSymbol;
  void Draw(TDrawCtxt&, const RowRect&, int) override {}
};

// A group's width is its members' plus the gaps between them; an empty one takes none.
TEST(GroupSymbol, MembersAndGaps) {
  RecordedStaff s;
  PlainGroup empty(3);
  EXPECT_EQ(empty.Measure(s.ctx, 7), 0);
  EXPECT_EQ(empty.GetWidth(), 0);
  PlainGroup group(3);
  group.AddChild(std::make_unique<TSimpleNote>(5, 0, kSymbolAlone, 1, 1, kAccNone));
  group.AddChild(std::make_unique<TSimpleNote>(6, 0, kSymbolAlone, 2, 3, kAccSharp));
  EXPECT_EQ(group.Children[0]->Kind, kSymbolInGroup);
  EXPECT_EQ(group.GetWidth(), -1 - 1 + 3);  // unmeasured notes are -1 wide
  EXPECT_EQ(group.Measure(s.ctx, 5), 20 + (13 + 20 + 7) + 5);
  EXPECT_EQ(group.Spacing, 5);
}

// The heads of a chord share one column after the first accidental; only the note
// that has an accidental shows it; a stand-alone chord of eighths shows quarter glyphs.
TEST(Chord, HeadsShareAColumn) {
  RecordedStaff s;
  TMultiNote chord;
  chord.AddNote(Note(1, 1, kAccSharp));
  chord.AddNote(Note(3));
  chord.Prepare();
  chord.Draw(s.ctx, s.rect, 0);
  const int y1 = s.GlyphTop(s.ctx.StaffY(1)), y3 = s.GlyphTop(s.ctx.StaffY(3));
  EXPECT_EQ(s.TextsAt(), (std::vector<Txt>{{"#", 100, y1}, {"q", 113, y1}, {"q", 113, y3}}));
  EXPECT_EQ(chord.GetHeadX(), 13);
  EXPECT_EQ(chord.GetPitch(), 1);  // farthest from the middle line
  EXPECT_EQ(chord.Measure(s.ctx, 0), 33);
  EXPECT_EQ(chord.GetWidth(), 0);
}

// A chord on the middle line has no stem direction and draws stem down; joining a
// beam it takes bare heads and a connector from its top to its bottom head.
TEST(Chord, MiddleLineAndConnector) {
  RecordedStaff s;
  TMultiNote middle;
  middle.AddNote(Note(7));
  middle.AddNote(Note(7, 1, kAccNatural));
  middle.Prepare();
  EXPECT_EQ(middle.StemDir, 0);
  EXPECT_EQ(middle.Notes[0]->GetHeadGlyph(), "Q");

  TMultiNote beamed;
  beamed.AddNote(Note(8));
  beamed.AddNote(Note(12));
  beamed.Kind = kSymbolInGroup;
  beamed.Prepare();
  beamed.SetStemDir(1);
  EXPECT_EQ(beamed.Main, 0);  // the bottom note is nearest a beam below
  beamed.Draw(s.ctx, s.rect, 0);
  EXPECT_EQ(beamed.Notes[1]->GetHeadGlyph(), std::string(1, static_cast<char>(0xF6)));
  EXPECT_EQ(SegsOf(s.Lines()), (Segs{{100, 1047, 100, 1035}, {100, 1035, 100, 1047}}));
}

// Beams and stems; the pitches given as (pitch, den) with eighth notes over den.
TEST(BeamGroup, BeamsAndStubs) {
  struct Case {
    const char* what;
    int beamThickness;
    std::vector<std::pair<int, int>> notes;
    int stemDir;
    Segs beams, stems = {};  // stems: from each head to the beam; left unchecked when empty
  };
  const Case cases[] = {
      {"rising eighths: one beam from the first stem to the last, along the notes", 2,
       {{8, 1}, {9, 1}, {10, 1}, {11, 1}}, 1, {{100, 1065, 190, 1056}, {100, 1064, 190, 1055}},
       {{100, 1064, 100, 1047}, {130, 1061, 130, 1044}, {160, 1058, 160, 1041}, {190, 1055, 190, 1038}}},
      {"a leap of a sixth: flat at the lower note plus the stem (after the a's ledger line)", 2,
       {{8, 1}, {13, 1}}, 1, {{124, 1032, 153, 1032}, {100, 1065, 130, 1065}, {100, 1064, 130, 1064}}},
      {"stems up: the beam lies above, inset by the stem offset, and grows downward", 2,
       {{3, 1}, {3, 1}}, -1, {{117, 1044, 147, 1044}, {117, 1045, 147, 1045}}},
      // Beam thickness 1: second beams lie 1 pixel nearer the heads.
      {"stubs for lone sixteenths", 1, {{8, 2}, {8, 1}, {8, 2}}, 1,
       {{100, 1065, 160, 1065}, {100, 1064, 115, 1064}, {145, 1064, 160, 1064}}},
      {"a full second beam between neighbours, none on to an eighth", 1, {{8, 2}, {8, 2}, {8, 1}}, 1,
       {{100, 1065, 160, 1065}, {100, 1064, 130, 1064}}},
      {"the second beam stops at a thirty-second, whose third beam is a stub", 1, {{8, 2}, {8, 4}, {8, 1}}, 1,
       {{100, 1065, 160, 1065}, {100, 1064, 130, 1064}, {130, 1063, 145, 1063}}},
  };
  for (const Case& c : cases) {
    RecordedStaff s;
    s.ctx.BeamThickness = c.beamThickness;
    auto group = Beamed(c.notes);
    EXPECT_EQ(DrawGroup(s, *group), c.beams) << c.what;
    EXPECT_EQ(group->StemDir, c.stemDir) << c.what;
    const Segs lines = SegsOf(s.Lines());
    if (!c.stems.empty()) {
      EXPECT_EQ(Segs(lines.begin() + 2, lines.end()), c.stems) << c.what;
    }
  }
}

// Ends that share an x (the row squeezed the group together) give a flat beam, with
// every line inside the row, never a vertical slope.
TEST(BeamGroup, EndsAtOneXLieFlat) {
  for (const int pitch : {8, 2}) {
    RecordedStaff s;
    auto group = Beamed({{pitch, 1}, {pitch + 2, 1}});
    DrawGroup(s, *group, -20);
    EXPECT_EQ(group->BeamX0, group->BeamX1);
    EXPECT_EQ(group->BeamY0, group->BeamY1) << pitch;
    for (const CanvasCall& c : s.Lines()) {
      EXPECT_TRUE(c.y1 >= 1000 && c.y1 <= 1100 && c.y2 >= 1000 && c.y2 <= 1100) << c.y1 << " " << c.y2;
    }
  }
}

// A grace group packs its notes 1 pixel apart and reports that width negated.
TEST(GraceGroup, NegativeWidth) {
  RecordedStaff s;
  TGroupGrace grace;
  for (int pitch : {9, 10, 11}) grace.AddChild(std::make_unique<TGraceNote>(pitch, 0, 0, 1, 1, kAccNone));
  EXPECT_EQ(grace.Measure(s.ctx, 25), -62);
  EXPECT_EQ(grace.GetWidth(), 62);
  EXPECT_EQ(grace.NoteCount(), 1);
  grace.Draw(s.ctx, s.rect, 0);
  std::vector<int> xs;
  for (const CanvasCall& c : s.Texts()) xs.push_back(c.x1);
  EXPECT_EQ(xs, (std::vector<int>{100, 121, 142}));
}

// The number of three eighths with stems down: 1 pixel under the beam, centred
// between the first and last stems, in the bold number face; a tuplet of one note
// has no beam and no number.
TEST(Tuplet, NumberUnderTheBeam) {
  RecordedStaff s;
  auto three = Beamed<TGrpTuplet>({{8, 1}, {8, 1}, {8, 1}}, 3);
  DrawGroup(s, *three);
  ASSERT_EQ(s.Texts().size(), 4U);
  EXPECT_EQ(s.TextsAt().back(), (Txt{"3", 130 - 10 / 3 / 2, 1047 + 18 + 1}));
  EXPECT_EQ(s.Texts().back().font, (CanvasFont{kNumberFace, 10, true}));
  EXPECT_EQ(s.canvas.Font(), (CanvasFont{kMusicFace, 60, false}));

  auto one = Beamed<TGrpTuplet>({{8, 1}}, 3);
  EXPECT_EQ(DrawGroup(s, *one), Segs{});
  for (const CanvasCall& c : s.Texts()) EXPECT_NE(c.text, "3");
  EXPECT_EQ(TGrpTuplet(3).Measure(s.ctx, 10), 0);
}

}  // namespace
}  // namespace rq::test
