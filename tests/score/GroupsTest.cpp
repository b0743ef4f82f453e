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

constexpr int kEighth = 1;  // num over den 1
std::unique_ptr<TSimpleNote> Note(int pitch, int num = kEighth, int den = 1, int acc = kAccNone) {
  return std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, den, num, acc);
}

// A beam group of the given pitches and lengths (in eighths, over den), spaced 10 apart.
template <typename Group = TGroupNote>
std::unique_ptr<Group> Beamed(std::unique_ptr<Group> group, const std::vector<std::pair<int, int>>& notes) {
  for (auto [pitch, den] : notes) group->AddChild(Note(pitch, 1, den));
  return group;
}

// Lines that are not vertical: the beams.
std::vector<CanvasCall> BeamLines(const RecordedStaff& s) {
  std::vector<CanvasCall> beams;
  for (const CanvasCall& c : s.Lines()) {
    if (c.x1 != c.x2) beams.push_back(c);
  }
  return beams;
}

struct Seg {
  int x1, y1, x2, y2;
  bool operator==(const Seg&) const = default;
};
std::vector<Seg> Segs(const std::vector<CanvasCall>& calls) {
  std::vector<Seg> segs;
  for (const CanvasCall& c : calls) segs.push_back({c.x1, c.y1, c.x2, c.y2});
  return segs;
}

void DrawGroup(RecordedStaff& s, TGroupNote& group, int spacing = 10) {
  group.Measure(s.ctx, spacing);
  s.canvas.Clear();
  group.Draw(s.ctx, s.rect, 0);
}

// The heads of a chord share one column after the first accidental; only the note
// that has an accidental shows it; a stand-alone chord of eighths shows quarter glyphs.
TEST(Chord, HeadsShareAColumn) {
  RecordedStaff s;
  TMultiNote chord;
  chord.AddNote(Note(1, 1, 1, kAccSharp));
  chord.AddNote(Note(3));
  chord.Prepare();
  chord.Draw(s.ctx, s.rect, 0);
  std::vector<std::string> texts;
  for (const CanvasCall& c : s.Texts()) {
    texts.push_back(c.text);
    if (c.text == "q") EXPECT_EQ(c.x1, 100 + 13);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"#", "q", "q"}));
  EXPECT_EQ(chord.GetHeadX(), 13);
  EXPECT_EQ(chord.Top, 1);
  EXPECT_EQ(chord.Bottom, 0);
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
  middle.AddNote(Note(7, 1, 1, kAccNatural));
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
  EXPECT_EQ(Segs(s.Lines()), (std::vector<Seg>{{100, 1047, 100, 1035}, {100, 1035, 100, 1047}}));
}

// Rising eighths c d e f: one beam from the first stem to the last, along the notes.
TEST(BeamGroup, SlopedAndFlat) {
  RecordedStaff s;
  s.ctx.BeamThickness = 2;
  auto rising = Beamed(std::make_unique<TGroupNote>(), {{8, 1}, {9, 1}, {10, 1}, {11, 1}});
  DrawGroup(s, *rising);
  EXPECT_EQ(rising->StemDir, 1);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{100, 1065, 190, 1056}, {100, 1064, 190, 1055}}));
  // Stems run from each head to the beam.
  const auto lines = s.Lines();
  EXPECT_EQ(Segs({lines.begin() + 2, lines.end()}),
            (std::vector<Seg>{{100, 1064, 100, 1047}, {130, 1061, 130, 1044}, {160, 1058, 160, 1041}, {190, 1055, 190, 1038}}));

  // c and a leap a sixth: the beam lies flat at the lower note plus the stem (after
  // the a's ledger line).
  auto leap = Beamed(std::make_unique<TGroupNote>(), {{8, 1}, {13, 1}});
  DrawGroup(s, *leap);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{124, 1032, 153, 1032}, {100, 1065, 130, 1065}, {100, 1064, 130, 1064}}));

  // Stems up: the beam lies above, inset by the stem offset, and grows downward.
  auto low = Beamed(std::make_unique<TGroupNote>(), {{3, 1}, {3, 1}});
  DrawGroup(s, *low);
  EXPECT_EQ(low->StemDir, -1);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{117, 1044, 147, 1044}, {117, 1045, 147, 1045}}));
}

// Second beams: stubs for lone sixteenths, a full segment between neighbours, and
// none on to an eighth.
TEST(BeamGroup, SecondaryBeamsAndStubs) {
  RecordedStaff s;  // beam thickness 1: secondary beams lie 1 pixel nearer the heads
  auto lone = Beamed(std::make_unique<TGroupNote>(), {{8, 2}, {8, 1}, {8, 2}});
  DrawGroup(s, *lone);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{100, 1065, 160, 1065}, {100, 1064, 115, 1064}, {145, 1064, 160, 1064}}));

  auto pair = Beamed(std::make_unique<TGroupNote>(), {{8, 2}, {8, 2}, {8, 1}});
  DrawGroup(s, *pair);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{100, 1065, 160, 1065}, {100, 1064, 130, 1064}}));

  // A thirty-second after a sixteenth, then an eighth: the second beam stops at the
  // thirty-second, whose third beam is a stub.
  auto deeper = Beamed(std::make_unique<TGroupNote>(), {{8, 2}, {8, 4}, {8, 1}});
  DrawGroup(s, *deeper);
  EXPECT_EQ(Segs(BeamLines(s)), (std::vector<Seg>{{100, 1065, 160, 1065}, {100, 1064, 130, 1064}, {130, 1063, 145, 1063}}));
}

// Ends that share an x (the row squeezed the group together) give a flat beam, with
// every line inside the row, never a vertical slope.
TEST(BeamGroup, EndsAtOneXLieFlat) {
  for (const int pitch : {8, 2}) {
    RecordedStaff s;
    auto group = Beamed(std::make_unique<TGroupNote>(), {{pitch, 1}, {pitch + 2, 1}});
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
  auto three = Beamed(std::make_unique<TGrpTuplet>(3), {{8, 1}, {8, 1}, {8, 1}});
  DrawGroup(s, *three);
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 4U);
  const CanvasCall& number = texts.back();
  EXPECT_EQ(number.text, "3");
  EXPECT_EQ(number.font, (CanvasFont{kNumberFace, 10, true}));
  EXPECT_EQ(number.x1, 130 - 10 / 3 / 2);
  EXPECT_EQ(number.y1, 1047 + 18 + 1);
  EXPECT_EQ(s.canvas.Font(), (CanvasFont{kMusicFace, 60, false}));

  auto one = Beamed(std::make_unique<TGrpTuplet>(3), {{8, 1}});
  DrawGroup(s, *one);
  for (const CanvasCall& c : s.Texts()) EXPECT_NE(c.text, "3");
  EXPECT_EQ(TGrpTuplet(3).Measure(s.ctx, 10), 0);
}

}  // namespace
}  // namespace rq::test
