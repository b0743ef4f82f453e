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
class Block : public TScoreSymbol {
 public:
  Block(int width, int notes = 1) : base_(width), notes_(notes) {}
  void Draw(TDrawCtxt&, const RowRect&, int x) override { drawnAt = x; }
  int Measure(TDrawCtxt&, int spacing) override {
    Width = base_ < 0 ? base_ : base_ + (notes_ - 1) * spacing;
    return Width;
  }
  int GetWidth() const override { return Width; }
  int NoteCount() const override { return notes_; }
  int drawnAt = -1;

 private:
  int base_;
  int notes_;
};

// Clef and key of 20 pixels each put the first symbol at 60.
std::unique_ptr<TScoreLine> RowOf(const std::vector<std::pair<int, int>>& blocks, std::vector<Block*>& out) {
  auto row = std::make_unique<TScoreLine>();
  row->HasClef = 1;
  row->Symbols.push_back(std::make_unique<Block>(20));
  row->Symbols.push_back(std::make_unique<Block>(20));
  for (auto [width, notes] : blocks) {
    auto block = std::make_unique<Block>(width, notes);
    out.push_back(block.get());
    row->Symbols.push_back(std::move(block));
  }
  return row;
}

std::vector<int> DrawnAt(const std::vector<Block*>& blocks) {
  std::vector<int> xs;
  for (const Block* b : blocks) xs.push_back(b->drawnAt);
  return xs;
}

// 400 pixels of 8 notes in 700: gaps of 240 div 7 = 34 and 2 pixels over, handed to
// the fifth symbol (the accumulator reaches 1.0 at the fourth, not above) and the last.
TEST(ScoreRow, EightSingleNotes) {
  RecordedStaff s;
  std::vector<Block*> blocks;
  auto row = RowOf(std::vector<std::pair<int, int>>(8, {50, 1}), blocks);
  row->Draw(s.ctx, s.rect, 100, 700);
  EXPECT_EQ(row->StartX, 60);
  EXPECT_EQ(row->Spacing, 34);
  EXPECT_EQ(row->Remainder, 2);
  EXPECT_EQ(DrawnAt(blocks), (std::vector<int>{60, 144, 228, 312, 397, 481, 565, 650}));
  EXPECT_EQ(blocks.back()->drawnAt + 50, 700);
  EXPECT_EQ(s.ctx.StaffMid, 50);
}

// The same notes as a group of six and two singles: the step is 2/3, so the second
// symbol moves a pixel and the last takes the other.
TEST(ScoreRow, GroupAndTwoNotes) {
  RecordedStaff s;
  std::vector<Block*> blocks;
  auto row = RowOf({{300, 6}, {50, 1}, {50, 1}}, blocks);
  row->Draw(s.ctx, s.rect, 100, 700);
  EXPECT_EQ(row->Spacing, 34);
  EXPECT_EQ(DrawnAt(blocks), (std::vector<int>{60, 565, 650}));
}

// Too few gap-taking notes, or symbols wider than the row, keep the last gap; a row
// that fits again is justified again.
TEST(ScoreRow, KeepsTheGapWhenLayoutDoesNotApply) {
  RecordedStaff s;
  std::vector<Block*> blocks;
  auto graceAndNote = RowOf({{-30, 1}, {50, 1}}, blocks);
  graceAndNote->Draw(s.ctx, s.rect, 100, 700);
  EXPECT_EQ(graceAndNote->Spacing, 10);
  EXPECT_EQ(DrawnAt(blocks), (std::vector<int>{60, 90}));  // no gap after the grace group

  blocks.clear();
  auto row = RowOf(std::vector<std::pair<int, int>>(8, {50, 1}), blocks);
  row->Layout(s.ctx, 100, 900);
  EXPECT_EQ(row->Spacing, (900 - 460) / 7);
  row->Layout(s.ctx, 100, 700);
  EXPECT_EQ(row->Spacing, 34);
  row->Layout(s.ctx, 100, 400);
  EXPECT_EQ(row->Spacing, 34);
  EXPECT_EQ(row->Remainder, 2);
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
