// Chords, beam groups, grace groups and tuplets drawn on the recording canvas: a
// 60-pixel font in a 100-pixel row at (100, 1000); line space 6, bare heads and
// note glyphs 20 wide, stems 18 long, y(c) = 1047.
#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
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

// Lines of a drawing as {x1, y1, x2, y2}: the vertical ones (stems, connectors) or
// the others (beams).
Segs LinesOf(const RecordedStaff& s, bool vertical) {
  Segs out;
  for (const auto& seg : SegsOf(s.Lines())) {
    if ((seg[0] == seg[2]) == vertical) out.push_back(seg);
  }
  return out;
}
Segs Verticals(const RecordedStaff& s) { return LinesOf(s, true); }

// Measures the group with the given gap, draws it alone at 0 and returns the beams.
Segs DrawGroup(RecordedStaff& s, TGroupNote& group, int spacing = 10) {
  group.Measure(s.ctx, spacing);
  s.canvas.Clear();
  group.Draw(s.ctx, s.rect, 0);
  return LinesOf(s, false);
}

std::unique_ptr<TSimpleNote> Long(int pitch, int num, int acc = kAccNone) {
  return std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, 1, num, acc);
}

// A stand-alone chord: bare heads in one column after the accidentals' columns, a note a
// second from an unmoved neighbour across the stem (right of an up-stem, left of a
// down-stem), one stem through the heads ending in the stem-and-flags glyph of the
// chord's length at the head nearest the flag. Widths: "q", "h", heads and stem glyphs
// 20 (an up-stem 17 in), "#" 12.
TEST(Chord, HeadsStemAndSeconds) {
  const std::string head = "\xF6", halfHead = "\xF7";
  struct Case {
    const char* what;
    std::vector<std::tuple<int, int, int>> notes;  // pitch, length in eighths, accidental
    std::vector<std::tuple<std::string, int, int>> texts;  // glyph, x from the chord, staff step
    int stemX, stemFrom, stemTo;  // the stem line, from the step at its start to the step at its end; x -1: none
    int width;
  };
  const Case cases[] = {
      {"eighths with a sharp, stem up", {{1, 1, kAccSharp}, {3, 1, kAccNone}},
       {{"#", 0, 1}, {head, 13, 1}, {head, 13, 3}, {"\xA3", 13, 3}}, 30, 1, 3, 33},
      {"a second with the stem up: the upper note right of the stem", {{5, 1, 0}, {6, 1, 0}, {8, 1, 0}},
       {{head, 0, 5}, {head, 17, 6}, {head, 0, 8}, {"\xA3", 0, 8}}, 17, 5, 8, 37},
      {"a second with the stem down: the lower note left of the stem", {{11, 1, 0}, {12, 1, 0}, {13, 1, 0}},
       {{head, 17, 11}, {head, 0, 12}, {head, 17, 13}, {"\xB3", 17, 11}}, 17, 13, 11, 37},
      {"three seconds up: every other note moves", {{4, 2, 0}, {5, 2, 0}, {6, 2, 0}, {7, 2, 0}},
       {{head, 0, 4}, {head, 17, 5}, {head, 0, 6}, {head, 17, 7}, {"\xA4", 0, 7}}, 17, 4, 7, 37},
      {"halves: open heads, a plain stem", {{8, 4, 0}, {10, 4, 0}},
       {{halfHead, 0, 8}, {halfHead, 0, 10}, {"\xB5", 0, 8}}, 0, 10, 8, 20},
      {"wholes: no stem", {{8, 8, 0}, {9, 8, 0}}, {{"w", 0, 8}, {"w", 17, 9}}, -1, 0, 0, 37},
      {"sixteenths: two flags", {{9, 0, 0}, {4, 0, 0}}, {{head, 0, 9}, {head, 0, 4}, {"\xA2", 0, 9}}, 17, 4, 9, 20},
      // Accidentals less than a sixth apart stand in columns, the upper one nearest the
      // heads; a sixth apart they share one, each right-aligned in it.
      {"accidentals a third apart: two columns", {{1, 1, kAccSharp}, {3, 1, kAccSharp}, {5, 1, kAccNone}},
       {{"#", 0, 1}, {head, 26, 1}, {"#", 13, 3}, {head, 26, 3}, {head, 26, 5}, {"\xA3", 26, 5}}, 43, 1, 5, 46},
      {"accidentals a sixth apart: one column", {{1, 1, kAccSharp}, {7, 1, kAccFlat}},
       {{"#", 0, 1}, {head, 13, 1}, {"b", 2, 7}, {head, 13, 7}, {"\xA3", 13, 7}}, 30, 1, 7, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordedStaff s;
    TMultiNote chord;
    for (const auto& [pitch, eighths, acc] : c.notes) {
      chord.AddNote(eighths == 0 ? std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, 2, 1, acc) : Long(pitch, eighths, acc));
    }
    chord.Prepare();
    EXPECT_EQ(chord.Measure(s.ctx, 0), c.width);
    chord.Draw(s.ctx, s.rect, 0);
    std::vector<Txt> texts;
    for (const auto& [glyph, x, step] : c.texts) texts.push_back({glyph, 100 + x, s.GlyphTop(s.ctx.StaffY(step))});
    EXPECT_EQ(s.TextsAt(), texts);
    Segs stem;
    if (c.stemX >= 0) {
      const int x = 100 + c.stemX, y1 = 1000 + s.ctx.StaffY(c.stemFrom), y2 = 1000 + s.ctx.StaffY(c.stemTo);
      stem = {{x, std::max(y1, y2), x, std::min(y1, y2)}, {x, y1, x, y2}};
    }
    EXPECT_EQ(Verticals(s), stem);
  }
}

// A chord on the middle line has no stem direction and draws stem down; joining a
// beam it takes bare heads and a connector from its top to its bottom head, on the
// stem's side of the column even when a second moves a head across.
TEST(Chord, MiddleLineAndConnector) {
  RecordedStaff s;
  TMultiNote middle;
  middle.AddNote(Note(7));
  middle.AddNote(Note(7, 1, kAccNatural));
  middle.Prepare();
  EXPECT_EQ(middle.StemDir, 0);

  TMultiNote beamed;
  beamed.AddNote(Note(8));
  beamed.AddNote(Note(12));
  beamed.Kind = kSymbolInGroup;
  beamed.Prepare();
  beamed.SetStemDir(1);
  beamed.Draw(s.ctx, s.rect, 0);
  EXPECT_EQ(beamed.Notes[1]->GetHeadGlyph(), std::string(1, static_cast<char>(0xF6)));
  EXPECT_EQ(SegsOf(s.Lines()), (Segs{{100, 1047, 100, 1035}, {100, 1035, 100, 1047}}));

  s.canvas.Clear();
  TMultiNote second;
  second.AddNote(Note(5));
  second.AddNote(Note(6));
  second.Kind = kSymbolInGroup;
  second.Prepare();
  second.SetStemDir(-1);
  second.Draw(s.ctx, s.rect, 10);
  EXPECT_EQ(s.TextsAt()[1].x, 110 + 17);
  EXPECT_EQ(Verticals(s), (Segs{{127, 1056, 127, 1053}, {127, 1053, 127, 1056}}));
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
      {"falling eighths: the rising run's beam mirrored", 2,
       {{11, 1}, {10, 1}, {9, 1}, {8, 1}}, 1, {{100, 1056, 190, 1065}, {100, 1055, 190, 1064}},
       {{100, 1055, 100, 1038}, {130, 1058, 130, 1041}, {160, 1061, 160, 1044}, {190, 1064, 190, 1047}}},
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

// A grace group of two notes or more draws full-size bare heads at the grace size
// (font 37 of 60: heads 12 wide) a grace gap apart (a quarter line space, here 1),
// their stems up to two beams above the highest head, and reports its width negated.
// A lone grace note keeps the small glyph with its own stem and flag.
TEST(GraceGroup, BeamedSmallHeadsAndNegativeWidth) {
  RecordedStaff s;
  TGroupGrace grace;
  for (int pitch : {9, 10, 11}) grace.AddChild(std::make_unique<TGraceNote>(pitch, 0, 0, 1, 1, kAccNone));
  EXPECT_EQ(grace.Measure(s.ctx, 25), -(38 + 3));  // and half a line space after it
  EXPECT_EQ(grace.GetWidth(), 38);
  EXPECT_EQ(grace.NoteCount(), 1);
  grace.Draw(s.ctx, s.rect, 0);
  std::vector<int> xs;
  for (const CanvasCall& c : s.Texts()) {
    xs.push_back(c.x1);
    EXPECT_EQ(c.text, "\xF6");
    EXPECT_EQ(c.font.height, 37);
  }
  EXPECT_EQ(xs, (std::vector<int>{100, 113, 126}));
  EXPECT_EQ(s.canvas.Font().height, 60);
  const int beamTop = s.rect.Top + s.ctx.StaffY(11) - s.ctx.LineSpace * 5 / 2;
  const auto stems = s.Lines();
  ASSERT_EQ(stems.size(), 3u);
  for (const CanvasCall& stem : stems) EXPECT_EQ(std::min(stem.y1, stem.y2), beamTop);
  const auto beams = s.canvas.Calls(CanvasOp::Fill);
  ASSERT_EQ(beams.size(), 2u);
  for (const CanvasCall& beam : beams) {
    EXPECT_EQ(beam.x1, stems.front().x1);
    EXPECT_EQ(beam.x2, stems.back().x1 + 1);
    EXPECT_GE(beam.y1, beamTop);
  }

  RecordedStaff alone;
  TGroupGrace single;
  single.AddChild(std::make_unique<TGraceNote>(9, 0, 0, 1, 1, kAccSharp));
  EXPECT_EQ(single.Measure(alone.ctx, 25), -(alone.canvas.TextWidth("I") + 1 + alone.canvas.TextWidth(";") + 3));
  single.Draw(alone.ctx, alone.rect, 0);
  std::vector<std::string> glyphs;
  for (const CanvasCall& c : alone.Texts()) glyphs.push_back(c.text);
  EXPECT_EQ(glyphs, (std::vector<std::string>{"I", ";"}));
  EXPECT_TRUE(alone.Lines().empty());
}

// An acciaccatura's stroke rises across the first note's stem, above its head and
// short of the next note; a plain grace group draws no line but its stems.
TEST(GraceGroup, AcciaccaturaSlash) {
  for (const bool slashed : {false, true}) {
    RecordedStaff s;
    TGroupGrace grace;
    grace.Slashed = slashed;
    grace.AddChild(std::make_unique<TGraceNote>(9, 0, 0, 1, 1, kAccNone));
    grace.AddChild(std::make_unique<TGraceNote>(11, 0, 0, 1, 1, kAccNone));
    grace.Measure(s.ctx, 0);
    grace.Draw(s.ctx, s.rect, 0);
    std::vector<CanvasCall> lines;  // the stems are upright: the stroke is not
    for (const CanvasCall& line : s.Lines()) {
      if (line.x1 != line.x2) lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), slashed ? 1u : 0u);
    if (!slashed) continue;
    int stemX = INT_MAX;
    for (const CanvasCall& line : s.Lines()) {
      if (line.x1 == line.x2) stemX = std::min(stemX, line.x1);
    }
    const int headY = s.rect.Top + s.ctx.StaffY(9);
    const int nextX = s.Texts()[1].x1;
    EXPECT_LT(lines[0].x1, stemX);
    EXPECT_GT(lines[0].x2, stemX);
    EXPECT_LT(lines[0].x2, nextX);
    EXPECT_LT(lines[0].y1, headY);
    EXPECT_LT(lines[0].y2, lines[0].y1);
  }
}

// A lone partial beam points on by default, and back to the dotted partner when the
// note says so: dotted sixteenths and thirty-seconds, F>AF>A.
TEST(BeamGroup, PartialBeamsPointToTheirPartners) {
  for (const int stub : {0, -1}) {
    RecordedStaff s;
    s.ctx.BeamThickness = 1;
    TGroupNote group;
    for (int i = 0; i < 4; ++i) {
      const bool dotted = i % 2 == 0;
      auto note = std::make_unique<TSimpleNote>(8, 0, kSymbolAlone, 4, dotted ? 3 : 1, kAccNone);
      if (!dotted) note->StubDir = stub;
      group.AddChild(std::move(note));
    }
    // Stems at 100, 137, 167 and 204; the third beam lies 2 nearer the heads.
    Segs third;
    for (const auto& seg : DrawGroup(s, group)) {
      if (seg[1] == 1063) third.push_back(seg);
    }
    const Segs firstStub = stub < 0 ? Segs{{119, 1063, 137, 1063}} : Segs{{137, 1063, 152, 1063}};
    Segs expected = firstStub;
    expected.push_back({186, 1063, 204, 1063});
    EXPECT_EQ(third, expected) << stub;
  }
}

// A tuplet whose members one beam holds shows its number on the beam's side: 1 pixel
// under a beam below the notes, centred between the first and last stems, in the bold
// number face; grace notes before the beam change nothing but the place. A tuplet of
// one note shows no number; an empty one takes no room.
TEST(Tuplet, NumberOnTheBeam) {
  for (const bool grace : {false, true}) {
    RecordedStaff s;
    TGrpTuplet three(3);
    if (grace) {
      auto g = std::make_unique<TGroupGrace>();
      g->AddChild(std::make_unique<TGraceNote>(9, 0, 0, 1, 1, kAccNone));
      three.Add(std::move(g));
    }
    three.Add(Beamed({{8, 1}, {8, 1}, {8, 1}}));
    EXPECT_EQ(three.NoteCount(), 3);
    // A grace note 20 wide and half a line space after it, but no gap.
    const int shift = grace ? 20 + 3 : 0;
    EXPECT_EQ(three.Measure(s.ctx, 10), shift + 80);
    s.canvas.Clear();
    three.Draw(s.ctx, s.rect, 0);
    EXPECT_EQ(s.TextsAt().back(), (Txt{"3", 130 + shift - 10 / 3 / 2, 1047 + 18 + 1})) << grace;
    EXPECT_EQ(s.Texts().back().font, (CanvasFont{kNumberFace, 10, true}));
    EXPECT_EQ(s.canvas.Font(), (CanvasFont{kMusicFace, 60, false}));
  }
  RecordedStaff s;
  TGrpTuplet one(3);
  one.Add(Note(8));
  one.Measure(s.ctx, 10);
  one.Draw(s.ctx, s.rect, 0);
  for (const CanvasCall& c : s.Texts()) EXPECT_NE(c.text, "3");
  EXPECT_EQ(TGrpTuplet(3).Measure(s.ctx, 10), 0);
}

// Members that no one beam holds (notes too long to beam, a rest) lie under a bracket:
// from the first member's left edge to the last one's right edge, hooked down at both
// ends, a line space above the staff or the highest ink, the number in a gap at its
// middle.
TEST(Tuplet, BracketOverLooseMembers) {
  struct Case {
    const char* what;
    std::vector<int> pitches;  // quarter notes; a rest for kRestPitch
    int y;                     // the bracket's line
  };
  // The top line is at 1038; a stem-down g' (step 12) has its head's top at 1029; a
  // stem-up g (step 5) its stem's end at 1056 - 20.
  const Case cases[] = {{"within the staff", {8, 9, 8}, 1032},
                        {"over a high note", {8, 12, 8}, 1023},
                        {"over a stem up", {5, kRestPitch, 5}, 1030}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordedStaff s;
    TGrpTuplet three(3);
    for (const int pitch : c.pitches) three.Add(Long(pitch, 2));
    three.Measure(s.ctx, 10);
    s.canvas.Clear();
    three.Draw(s.ctx, s.rect, 0);
    // Members at 0, 30, 60, 20 wide: from 100 to 180, the middle at 140; "3" 3 wide
    // with 2 pixels either side; hooks 3 long.
    const int y = c.y;
    EXPECT_EQ(SegsOf(s.Lines()), (Segs{{100, y, 137, y}, {144, y, 180, y}, {100, y + 3, 100, y}, {179, y + 3, 179, y}}));
    EXPECT_EQ(s.TextsAt().back(), (Txt{"3", 139, y - 5}));
  }
}

}  // namespace
}  // namespace rq::test
