// Row justification: the common gap, the leftover pixels handed out along the row,
// the margin at its end, the gap kept when a layout does not apply, rows too wide
// drawn smaller, ending brackets. Then a too-wide row and every corpus tune painted
// with the real music font.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ScoreTestHelpers.h"
#include "notation/AbcParser.h"
#include "Corpus.h"
#include "score/MusicFont.h"
#include "platform/ByteText.h"
#include "score/NoteGroups.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

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

// A row of clef and key of 20 pixels each, which put the first block at 65 (the clef at
// 10, a line space of 6 after it and one and a half, 9, after the key), then blocks of
// (width, notes).
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

// 400 pixels of 8 notes in 700 (706 less the margin of a line space): gaps of 235 div
// 7 = 33 and 4 pixels over, handed out as the accumulator of remainder / gaps passes
// 1.0 (reaching it is not enough).
TEST(ScoreRow, LeftoverPixels) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> blocks;
    std::vector<int> drawnAt;
  };
  const Case cases[] = {
      {"eight notes: every second symbol and the last take a pixel", std::vector<std::pair<int, int>>(8, {50, 1}),
       {65, 148, 232, 315, 399, 482, 566, 650}},
      {"a group of six and two notes: the step is 4/3, the first and the last move", {{300, 6}, {50, 1}, {50, 1}},
       {66, 565, 650}},
  };
  for (const Case& c : cases) {
    RecordedStaff s;
    BlockRow r(c.blocks);
    r.row.Draw(s.ctx, s.rect, 100, 706);
    EXPECT_EQ(std::vector({r.row.StartX, r.row.Spacing, r.row.Remainder, r.row.RightEdge}),
              std::vector({65, 33, 4, 700})) << c.what;
    EXPECT_EQ(r.DrawnAt(), c.drawnAt) << c.what;
  }
}

// Too few gap-taking notes keep the last gap; grace groups and symbols of no width
// take no gap; a row laid out at another width is justified again.
TEST(ScoreRow, GapsThatDoNotCount) {
  RecordedStaff s;
  BlockRow graceAndNote({{-30, 1}, {50, 1}});
  graceAndNote.row.Draw(s.ctx, s.rect, 100, 706);
  EXPECT_EQ(graceAndNote.row.Spacing, 10);
  EXPECT_EQ(graceAndNote.DrawnAt(), (std::vector<int>{65, 95}));  // no gap after the grace group

  BlockRow empty({{50, 1}, {0, 1}, {50, 1}});
  empty.row.Draw(s.ctx, s.rect, 100, 706);
  EXPECT_EQ(empty.row.Spacing, 700 - 65 - 100);
  EXPECT_EQ(empty.DrawnAt(), (std::vector<int>{65, 650, 650}));

  BlockRow r(std::vector<std::pair<int, int>>(8, {50, 1}));
  r.row.Layout(s.ctx, 100, 906);
  EXPECT_EQ(r.row.Spacing, (900 - 465) / 7);
  r.row.Layout(s.ctx, 100, 706);
  EXPECT_EQ(r.row.Spacing, 33);
}

// The first row of a tune body, built and drawn on the recording staff.
struct BuiltRow {
  TAbcParser parser;
  TScorePage page;
  RecordedStaff s;
  explicit BuiltRow(const std::string& body) {
    parser.Parse(SplitLines("X:1\nK:C\n" + body + "\n"));
    page.Build(parser.Elements());
  }
  TScoreLine& Row() { return *page.Rows.front(); }
};

// A whole-bar rest alone in its bar stands in the middle between the bar lines (or
// the meter before it); a note's bar is spaced as usual.
TEST(ScoreRow, WholeBarRestStandsMidBar) {
  BuiltRow b("[M:4/4] z8|c8|z8|");
  b.Row().Draw(b.s.ctx, b.s.rect, 100, 706);
  const auto& symbols = b.Row().Symbols;
  ASSERT_EQ(symbols.size(), 9u);
  const auto x = [&](size_t i) { return static_cast<const TSimpleSymbol&>(*symbols[i]).X; };
  const auto end = [&](size_t i) { return x(i) + symbols[i]->Measure(b.s.ctx, b.Row().Spacing); };
  for (const size_t rest : {3u, 7u}) {
    const int middle = x(rest) + symbols[rest]->Measure(b.s.ctx, 0) / 2;
    EXPECT_NEAR(middle, (end(rest - 1) + x(rest + 1)) / 2, 1) << rest;
  }
  EXPECT_EQ(x(5), end(4) + b.Row().Spacing);
}

// A rest of several bars is a thick bar on the middle line between two uprights, in
// the middle of its bar, with its count above the staff in the digits of endings.
TEST(ScoreRow, MultiBarRestDrawsItsCountMidBar) {
  BuiltRow b("[M:4/4] c8|Z12|c8|");
  b.Row().Draw(b.s.ctx, b.s.rect, 100, 706);
  const auto& symbols = b.Row().Symbols;
  ASSERT_EQ(symbols.size(), 9u);
  const auto x = [&](size_t i) { return static_cast<const TSimpleSymbol&>(*symbols[i]).X; };
  const int width = symbols[5]->Measure(b.s.ctx, 0);
  const int barEnd = x(4) + symbols[4]->Measure(b.s.ctx, b.Row().Spacing);
  EXPECT_NEAR(x(5) + width / 2, (barEnd + x(6)) / 2, 1);
  const int left = b.s.rect.Left + x(5);
  const int mid = b.s.rect.Top + b.s.ctx.StaffMid;
  const int topLine = mid - 2 * b.s.ctx.LineSpace;

  const auto fills = b.s.Fills();
  const auto bar = std::find_if(fills.begin(), fills.end(), [&](const CanvasCall& f) { return f.x1 == left; });
  ASSERT_NE(bar, fills.end());
  EXPECT_EQ(bar->x2, left + width);
  EXPECT_LT(bar->y1, mid);
  EXPECT_GT(bar->y2, mid);
  EXPECT_GE(bar->y2 - bar->y1, b.s.ctx.LineSpace / 2);  // thick, not a staff line
  int uprights = 0;
  for (const CanvasCall& l : b.s.Lines()) {
    if (l.x1 == l.x2 && l.x1 >= left && l.x1 < left + width && std::min(l.y1, l.y2) < bar->y1 &&
        std::max(l.y1, l.y2) > bar->y2) {
      ++uprights;
    }
  }
  EXPECT_EQ(uprights, 2);

  const auto texts = b.s.Texts();
  const auto count = std::find_if(texts.begin(), texts.end(), [](const CanvasCall& t) { return t.text == "12"; });
  ASSERT_NE(count, texts.end());
  EXPECT_EQ(count->font.family, kNumberFace);
  EXPECT_EQ(count->font.height, b.s.ctx.NumberHeight);
  EXPECT_LE(count->y1 + count->font.height, topLine);
  b.s.canvas.SetFont(count->font);
  EXPECT_NEAR(count->x1 + b.s.canvas.TextWidth("12") / 2, left + width / 2, 1);
}

// A row too wide for its width is first spaced closer (down to half a line space),
// then drawn with a smaller music font, the largest at which it fits; the canvas font
// is put back. Twenty quarters of 20 (16 at font 50), a clef of 25 at 10 and a line
// space after it (no key in C).
TEST(ScoreRow, TooWideRowsDrawSmaller) {
  struct Case {
    int width, font, spacing, lastX;
  };
  for (const Case c : {Case{906, 60, (900 - 441) / 19, 900 - 20}, Case{520, 60, 3, 514 - 20}, Case{400, 50, 2, 395 - 16},
                       Case{906, 60, (900 - 441) / 19, 900 - 20}}) {
    SCOPED_TRACE(c.width);
    static BuiltRow b([] {
      std::string notes;
      for (int i = 0; i < 20; ++i) notes += "c2 ";
      return notes;
    }());
    b.s.canvas.Clear();
    b.Row().Draw(b.s.ctx, b.s.rect, 100, c.width);
    EXPECT_EQ(b.Row().FontHeight, c.font);
    EXPECT_EQ(b.Row().Spacing, c.spacing);
    const auto texts = b.s.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().x1, 100 + c.lastX);
    EXPECT_EQ(texts.back().font.height, c.font);
    EXPECT_EQ(b.s.canvas.Font().height, 60);
    EXPECT_EQ(b.s.ctx.LineSpace, c.font / 12 + 1);
  }
}

// An ending's bracket reaches the next bar of its row, or the row's end; an ending at
// the end of a row stays inside it.
TEST(ScoreRow, EndingBracketsReachTheNextBar) {
  BuiltRow b("c2|1d2e2|f2:|2g2a2");
  b.Row().Draw(b.s.ctx, b.s.rect, 100, 706);
  std::vector<const TSimpleSymbol*> bars;
  for (const auto& symbol : b.Row().Symbols) {
    if (const auto* bar = dynamic_cast<const TSymbBarre*>(symbol.get())) bars.push_back(bar);
  }
  ASSERT_EQ(bars.size(), 3U);  // |1, |, :|2
  // Each bracket runs along the top of its number's cell.
  std::vector<int> bracketYs;
  for (const CanvasCall& text : b.s.Texts()) {
    if (text.font.family == kNumberFace) bracketYs.push_back(text.y1);
  }
  ASSERT_EQ(bracketYs.size(), 2U);
  std::vector<int> ends;
  for (const CanvasCall& line : b.s.Lines()) {
    if (line.y1 == line.y2 && std::count(bracketYs.begin(), bracketYs.end(), line.y1) > 0) ends.push_back(line.x2);
  }
  EXPECT_EQ(ends, (std::vector<int>{100 + bars[1]->X + bars[1]->Width / 2, 100 + 700}));

  BuiltRow last("c2d2e2f2|1");
  last.Row().Draw(last.s.ctx, last.s.rect, 100, 706);
  for (const CanvasCall& c : last.s.Lines()) EXPECT_LE(std::max(c.x1, c.x2), 100 + 700);
  for (const CanvasCall& c : last.s.Texts()) EXPECT_LE(c.x1 + c.font.height / 3, 100 + 700) << c.text;
}

// The lines a row's ties add to its drawing (the row drawn once without them).
std::vector<CanvasCall> TieLines(TScoreLine& row, RecordedStaff& s) {
  std::vector<TieArc> ties;
  ties.swap(row.Ties);
  s.canvas.Clear();
  row.Draw(s.ctx, s.rect, 100, 706);
  const size_t plain = s.Lines().size();
  row.Ties.swap(ties);
  s.canvas.Clear();
  row.Draw(s.ctx, s.rect, 100, 706);
  const std::vector<CanvasCall> all = s.Lines();
  return {all.begin() + static_cast<std::ptrdiff_t>(plain), all.end()};
}

// What a user sees of one tie: where it starts and ends, how far it stands off the
// heads' line (above negative) at its nearest and farthest, and the longest flat run.
struct TieShape {
  int left = INT_MAX, right = INT_MIN, nearest = INT_MAX, farthest = 0, flat = 0;
};
TieShape ShapeOf(const std::vector<CanvasCall>& lines, int headY) {
  TieShape t;
  for (const CanvasCall& l : lines) {
    t.left = std::min({t.left, l.x1, l.x2});
    t.right = std::max({t.right, l.x1, l.x2});
    for (const int y : {l.y1 - headY, l.y2 - headY}) {
      if (std::abs(y) < std::abs(t.nearest)) t.nearest = y;
      if (std::abs(y) > std::abs(t.farthest)) t.farthest = y;
    }
    if (l.y1 == l.y2) t.flat = std::max(t.flat, std::abs(l.x2 - l.x1));
  }
  return t;
}

// A tie is a flat arc from the middle of one head to the middle of the next, off the
// heads on the side away from the stem: above notes with the stem down, below notes
// with it up. At a row's end it runs to the row's edge and goes on from the next
// row's start.
TEST(ScoreRow, TiesArcBetweenTheHeadsAwayFromTheStem) {
  for (const char* body : {"c4-c4", "E4-E4"}) {
    BuiltRow b(body);
    std::vector<const TSimpleNote*> heads;
    for (const auto& symbol : b.Row().Symbols) {
      if (const auto* note = dynamic_cast<const TSimpleNote*>(symbol.get())) heads.push_back(note);
    }
    ASSERT_EQ(heads.size(), 2U) << body;
    const TieShape t = ShapeOf(TieLines(b.Row(), b.s), 1000 + b.s.ctx.StaffY(heads[0]->Pitch));
    const int side = heads[0]->StemDir < 0 ? 1 : -1;
    EXPECT_EQ(side, body[0] == 'c' ? -1 : 1) << body;
    EXPECT_EQ(t.left, 100 + heads[0]->HeadX + b.s.ctx.HeadWidth / 2) << body;
    EXPECT_EQ(t.right, 100 + heads[1]->HeadX + b.s.ctx.HeadWidth / 2) << body;
    EXPECT_GT(t.nearest * side, 0) << body;  // clear of the heads
    EXPECT_LE(t.farthest * side, b.s.ctx.LineSpace + 2) << body;  // and flat
    EXPECT_GT(t.flat, (t.right - t.left) / 2) << body;
  }
  BuiltRow split("B4-|\nB4|");
  ASSERT_EQ(split.page.Rows.size(), 3U);
  const int headY = 1000 + split.s.ctx.StaffY(7);
  const auto* end = dynamic_cast<const TSimpleNote*>(split.page.Rows[0]->Symbols[2].get());
  ASSERT_NE(end, nullptr);
  const TieShape out = ShapeOf(TieLines(*split.page.Rows[0], split.s), headY);
  EXPECT_EQ(out.left, 100 + end->HeadX + split.s.ctx.HeadWidth / 2);
  EXPECT_EQ(out.right, 100 + split.page.Rows[0]->RightEdge);
  EXPECT_GT(out.nearest, 0);  // the stem is up: below the heads
  TScoreLine& next = *split.page.Rows[1];
  const TieShape in = ShapeOf(TieLines(next, split.s), headY);
  const auto* start = dynamic_cast<const TSimpleNote*>(next.Symbols[2].get());
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(in.right, 100 + start->HeadX + split.s.ctx.HeadWidth / 2);
  const auto* clef = dynamic_cast<const TSimpleSymbol*>(next.Symbols[0].get());
  ASSERT_NE(clef, nullptr);
  EXPECT_GT(in.left, 100 + clef->X + clef->GetWidth());  // clear of the clef (the key of C is empty)
  EXPECT_LT(in.left, 100 + start->HeadX);
  EXPECT_GT(in.nearest, 0);
}

// A row far too wide for the view, painted with the real font: it is drawn smaller,
// its staff ends with it, and its closing repeat stands just inside its width with no
// ink beyond.
TEST(ScoreRow, TooWideRowPicture) {
  constexpr int kWidth = 680;
  ASSERT_TRUE(RegisterMusicFont());
  std::string body = "|:";
  for (int bar = 0; bar < 12; ++bar) body += "ABcd efga|";
  body.back() = ':';
  body += "|";
  BuiltRow b(body);
  QImage image(kWidth + 300, 80, QImage::Format_RGB32);
  image.fill(Qt::white);
  TDrawCtxt ctx;
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, 60, false});
    ctx.Canvas = &canvas;
    ctx.BeamThickness = 2;
    ctx.SetNumberHeights();
    PaintScoreRow(ctx, &b.Row(), {0, 0, kWidth + 300, 80}, 80, kWidth);
    EXPECT_EQ(canvas.Font().height, 60);
  }
  EXPECT_LT(b.Row().FontHeight, 60);
  EXPECT_EQ(InkIn(image, kWidth, 0, kWidth + 300, 80, 250), 0);  // not even the staff's grey
  // The repeat's thick bar: a dark column or more within a line space of the end.
  const int right = b.Row().RightEdge;
  const int staffTop = ctx.StaffMid - 2 * ctx.LineSpace;
  EXPECT_GT(InkIn(image, right - ctx.LineSpace, staffTop, right, staffTop + 4 * ctx.LineSpace, 64), 4 * ctx.LineSpace);
  // The staff at the row's own line space: grey on its five lines, none between.
  for (int k = -2; k <= 2; ++k) EXPECT_LT(qGray(image.pixel(right - 1 - ctx.LineSpace - 2, ctx.StaffMid + k * ctx.LineSpace)), 250);
}

// Every tune of the corpus builds into rows that each start with a clef and key (but
// the trailing empty one), and paints at the score view's sizes without a fault; at
// the default size (680 wide, rows of 80, font 60) no row leaves ink past its width.
TEST(ScoreCorpus, EveryRowStaysInsideItsWidth) {
  RQ_SKIP_WITHOUT_CORPUS();
  constexpr int kWidth = 680;
  constexpr int kSpare = 200;  // the image goes on past the row's width
  ASSERT_TRUE(RegisterMusicFont());
  const auto tunes = corpus::Tunes();
  ASSERT_GT(tunes.size(), 100U);
  TAbcParser parser;
  TScorePage page;
  QImage image(kWidth + kSpare, 120, QImage::Format_RGB32);
  size_t rows = 0;
  for (const TLines& tune : tunes) {
    parser.Parse(tune);
    page.Build(parser.Elements());
    ASSERT_FALSE(page.Rows.empty());
    for (size_t i = 0; i + 1 < page.Rows.size(); ++i) EXPECT_TRUE(page.Rows[i]->HasClef) << tune.front();
    for (const int font : {60, 113}) {
      const int rowHeight = font == 60 ? 80 : 120;
      QPainter painter(&image);
      PainterCanvas canvas(painter, {kMusicFace, font, false});
      TDrawCtxt ctx;
      ctx.Canvas = &canvas;
      ctx.BeamThickness = font < 69 ? 2 : 4;
      ctx.SetNumberHeights();
      for (size_t r = 0; r < page.Rows.size(); ++r) {
        image.fill(Qt::white);
        PaintScoreRow(ctx, page.Rows[r].get(), {0, 0, kWidth + kSpare, rowHeight}, rowHeight, kWidth);
        if (font != 60) continue;
        EXPECT_EQ(InkIn(image, kWidth, 0, kWidth + kSpare, rowHeight), 0) << tune.front() << " (" << parser.Title() << ") row " << r + 1;
      }
    }
    rows += page.Rows.size();
  }
  EXPECT_GT(rows, tunes.size() * 3);
}

// Where a row's music starts: the first note, rest or sign after the key as drawn.
int FirstX(const TScoreSymbol& symbol) {
  if (const auto* group = dynamic_cast<const TGroupSymbol*>(&symbol)) {
    return group->Children.empty() ? -1 : group->Children.front()->X;
  }
  if (const auto* tuplet = dynamic_cast<const TGrpTuplet*>(&symbol)) {
    return tuplet->Members.empty() ? -1 : FirstX(*tuplet->Members.front());
  }
  if (const auto* simple = dynamic_cast<const TSimpleSymbol*>(&symbol)) return simple->X;
  return -1;
}

// Inked scanlines of an image, as [first, last + 1); empty when none is inked.
std::pair<int, int> InkedLines(const QImage& image) {
  int first = -1;
  int last = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(line[x]) < 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last + 1};
}

// Every corpus tune printed on A4 at 300 dots per inch with the default page settings,
// each row painted alone where the page puts it: no row's ink comes within half a line
// space of its neighbour's on the page, and the music of every row starts at least a
// line space after the key signature (after the clef in C).
TEST(ScoreCorpus, PrintedRowsKeepApartAndClearOfTheKey) {
  RQ_SKIP_WITHOUT_CORPUS();
  ASSERT_TRUE(RegisterMusicFont());
  const auto tunes = corpus::Tunes();
  ASSERT_GT(tunes.size(), 100U);
  const PageMetrics m = PrinterMetrics(PageSettings{}, 2480, 3508);
  QImage probe(1, 1, QImage::Format_RGB32);
  QPainter probePainter(&probe);
  PainterCanvas probeCanvas(probePainter, {kMusicFace, m.FontHeight, false});
  TDrawCtxt probeCtx = PageContext(probeCanvas, m.FontHeight);
  size_t rowsSeen = 0;
  int crowded = 0;
  int nearKey = 0;
  for (const TLines& tune : tunes) {
    TPageRowBuilder builder;
    builder.AddTune(tune);
    PageRows rows = builder.Take();
    const std::vector<RowRoom> rooms = PageRowRooms(probeCtx, rows, m.RowHeight, m.Width);
    const PagePlan plan = PlanPages(rows, rooms, m.RowHeight, m.Height);
    for (const auto& page : plan) {
      int lastBottom = INT_MIN;
      int lastLineSpace = 0;
      for (const PlacedRow& placed : page) {
        // The row with a row's height of paper above and below it.
        QImage image(m.Width, 3 * m.RowHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        int lineSpace = 0;
        {
          QPainter painter(&image);
          PainterCanvas canvas(painter, {kMusicFace, m.FontHeight, false});
          TDrawCtxt ctx = PageContext(canvas, m.FontHeight);
          PaintPageRow(painter, ctx, *rows[placed.Index], {0, m.RowHeight, m.Width, 2 * m.RowHeight}, kPrintTitleFonts);
          lineSpace = ctx.LineSpace;
          if (!rows[placed.Index]->IsHeader) {
            const auto& symbols = static_cast<TScoreLine&>(*rows[placed.Index]).Symbols;
            if (symbols.size() > 2) {
              const auto& clef = static_cast<const TSimpleSymbol&>(*symbols[0]);
              const auto& key = static_cast<const TSimpleSymbol&>(*symbols[1]);
              const int signEnd = key.Width > 0 ? key.X + key.Width : clef.X + clef.Width;
              const int first = FirstX(*symbols[2]);
              if (first >= 0 && first - signEnd < lineSpace) ++nearKey;
              EXPECT_GE(first - signEnd, lineSpace) << tune.front() << " row " << placed.Index;
            }
          }
        }
        const auto [top, bottom] = InkedLines(image);
        ++rowsSeen;
        if (top < 0) continue;
        const int pageTop = placed.Top - m.RowHeight + top;
        const int pageBottom = placed.Top - m.RowHeight + bottom;
        EXPECT_TRUE(top > 0 && bottom < image.height()) << tune.front() << " row " << placed.Index;
        const int apart = std::max(lineSpace, lastLineSpace) / 2;
        if (lastBottom != INT_MIN && pageTop - lastBottom < apart) {
          ++crowded;
          ADD_FAILURE() << tune.front() << " row " << placed.Index << ": " << pageTop - lastBottom
                        << " pixels below the row above";
        }
        lastBottom = pageBottom;
        lastLineSpace = lineSpace;
      }
    }
  }
  EXPECT_EQ(crowded, 0);
  EXPECT_EQ(nearKey, 0);
  EXPECT_GT(rowsSeen, tunes.size() * 3);
}

}  // namespace
}  // namespace rq::test
