// Row justification: the common gap, the leftover pixels handed out along the row,
// and the gap kept when a layout does not apply. Then every corpus tune built and
// painted with the real music font.
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "ScoreTestHelpers.h"
#include "notation/AbcParser.h"
#include "Corpus.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"

namespace rq::test {
namespace {

// A symbol of a fixed width (measured with no gap) standing for `notes` gap-taking
// notes; negative widths stand for grace groups. Remembers where it was drawn.
struct Block : TSimpleSymbol {
  Block(int width, int notes) : base(width), notes(notes) {}
  void Draw(TDrawCtxt&, const RowRect&, int x) override { drawnAt = x; }
  int Measure(TDrawCtxt&, int spacing) override { return Width = base < 0 ? base : base + (notes - 1) * spacing; }
  int NoteCount() const override { return notes; }
  int base, notes, drawnAt = -1;
};

// A row of clef and key of 20 pixels each, which put the first block at 60, then
// blocks of (width, notes).
struct BlockRow {
  TScoreLine row;
  std::vector<Block*> blocks;
  explicit BlockRow(const std::vector<std::pair<int, int>>& widths) {
    row.HasClef = 1;
    for (int i = 0; i < 2; ++i) row.Symbols.push_back(std::make_unique<Block>(20, 1));
    for (const auto& [width, notes] : widths) {
      auto block = std::make_unique<Block>(width, notes);
      blocks.push_back(block.get());
      row.Symbols.push_back(std::move(block));
    }
  }
  std::vector<int> DrawnAt() const {
    std::vector<int> xs;
    for (const Block* b : blocks) xs.push_back(b->drawnAt);
    return xs;
  }
};

// 400 pixels of 8 notes in 700: gaps of 240 div 7 = 34 and 2 pixels over, handed out
// as the accumulator of remainder / gaps passes 1.0 (reaching it is not enough).
TEST(ScoreRow, LeftoverPixels) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> blocks;
    std::vector<int> drawnAt;
  };
  const Case cases[] = {
      {"eight notes: the fifth symbol and the last take a pixel", std::vector<std::pair<int, int>>(8, {50, 1}),
       {60, 144, 228, 312, 397, 481, 565, 650}},
      {"a group of six and two notes: the step is 2/3, the second and the last move", {{300, 6}, {50, 1}, {50, 1}},
       {60, 565, 650}},
  };
  for (const Case& c : cases) {
    RecordedStaff s;
    BlockRow r(c.blocks);
    r.row.Draw(s.ctx, s.rect, 100, 700);
    EXPECT_EQ(std::vector({r.row.StartX, r.row.Spacing, r.row.Remainder}), std::vector({60, 34, 2})) << c.what;
    EXPECT_EQ(r.DrawnAt(), c.drawnAt) << c.what;
    EXPECT_EQ(s.ctx.StaffMid, 50);
  }
}

// Too few gap-taking notes, or symbols wider than the row, keep the last gap; a row
// that fits again is justified again.
TEST(ScoreRow, KeepsTheGapWhenLayoutDoesNotApply) {
  RecordedStaff s;
  BlockRow graceAndNote({{-30, 1}, {50, 1}});
  graceAndNote.row.Draw(s.ctx, s.rect, 100, 700);
  EXPECT_EQ(graceAndNote.row.Spacing, 10);
  EXPECT_EQ(graceAndNote.DrawnAt(), (std::vector<int>{60, 90}));  // no gap after the grace group

  BlockRow r(std::vector<std::pair<int, int>>(8, {50, 1}));
  r.row.Layout(s.ctx, 100, 900);
  EXPECT_EQ(r.row.Spacing, (900 - 460) / 7);
  r.row.Layout(s.ctx, 100, 700);
  EXPECT_EQ(r.row.Spacing, 34);
  r.row.Layout(s.ctx, 100, 400);
  EXPECT_EQ(std::pair(r.row.Spacing, r.row.Remainder), std::pair(34, 2));
}

// Every tune of the corpus builds into rows that each start with a clef and key (but
// the trailing empty one), and paints at two sizes without a fault.
TEST(ScoreCorpus, EveryTuneBuildsAndPaints) {
  ASSERT_TRUE(RegisterMusicFont());
  const auto tunes = corpus::Tunes();
  ASSERT_GT(tunes.size(), 100U);
  TAbcParser parser;
  TScorePage page;
  QImage image(680, 120, QImage::Format_RGB32);
  size_t rows = 0;
  for (const TLines& tune : tunes) {
    parser.Parse(tune);
    page.Build(parser.Elements());
    ASSERT_FALSE(page.Rows.empty());
    for (size_t i = 0; i + 1 < page.Rows.size(); ++i) EXPECT_TRUE(page.Rows[i]->HasClef) << tune.front();
    QPainter painter(&image);
    for (const int font : {60, 113}) {
      PainterCanvas canvas(painter, {kMusicFace, font, false});
      TDrawCtxt ctx;
      ctx.Canvas = &canvas;
      ctx.BeamThickness = font < 69 ? 2 : 4;
      ctx.SetNumberHeights();
      for (auto& row : page.Rows) PaintScoreRow(ctx, row.get(), {0, 0, 680, 120}, 120, 680);
    }
    rows += page.Rows.size();
  }
  EXPECT_GT(rows, tunes.size() * 3);
}

}  // namespace
}  // namespace rq::test
