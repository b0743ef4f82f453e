// The QPainter canvas: lines stop short of their end point, text cells start at the
// given top, and the serif face stands in for the ending numbers' face.
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPicture>

#include "ScoreTestHelpers.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/MusicFont.h"
#include "score/PagePrint.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"
#include "score/Signs.h"

namespace rq::test {
namespace {

// Lines leave out their end point, fills their right column and bottom row; an
// inverted fill draws nothing.
TEST(PainterCanvas, LinesAndFillsLeaveOutTheirFarEdge) {
  QImage image(60, 60, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, 40, false});
    canvas.Line(5, 30, 5, 10);   // upward
    canvas.Line(10, 50, 30, 50);  // rightward
    canvas.Line(10, 20, 40, 35);  // slanted
    canvas.SetBrushColor(kBlack);
    canvas.FillRect(42, 3, 46, 9);
    canvas.FillRect(50, 10, 48, 12);  // inverted
  }
  for (const auto& [x, y] : {std::pair{5, 30}, {5, 11}, {10, 50}, {29, 50}, {10, 20}, {42, 3}, {45, 8}}) {
    EXPECT_TRUE(Inked(image, x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{5, 10}, {30, 50}, {40, 35}, {46, 8}, {45, 9}, {49, 11}}) {
    EXPECT_FALSE(Inked(image, x, y)) << x << "," << y;
  }
  EXPECT_TRUE(Inked(image, 39, 34) || Inked(image, 39, 35));
}

// An ending's number stands above the top line, in a serif face whose cell is the
// number height.
TEST(PainterCanvas, EndingNumberAboveTheStaff) {
  ASSERT_TRUE(RegisterMusicFont());
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  TDrawCtxt ctx;
  TBarreSection ending(2);
  int digitWidth = 0;
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, 100, false});
    ctx.Canvas = &canvas;
    ctx.SetStaffMetrics(200);
    ctx.SetNumberHeights();
    ending.Draw(ctx, {0, 0, 200, 200}, 50);
    canvas.SetFont({kNumberFace, ctx.NumberHeight, true});
    EXPECT_EQ(canvas.TextHeight("2"), 20);
    const QFontInfo info(PainterCanvas::QtFont(canvas.Font(), &image));
    EXPECT_EQ(info.family(), "Liberation Serif");
    EXPECT_TRUE(info.bold());
    digitWidth = canvas.TextWidth("2");
  }
  const int yT = ctx.StaffMid - 2 * ctx.LineSpace;
  EXPECT_GT(InkIn(image, 50, yT - 20, 50 + ending.Width + 2 * digitWidth, yT - 1), 20);
  EXPECT_EQ(InkIn(image, 0, yT - 22, 200, yT - 21), 0);
}

// Glyphs come out in the text colour at every size, from the images kept per size and
// colour: the screen's sizes, one above the raster engine's own glyph cache, the
// printer's; a second colour at the same size is not the first one's image.
TEST(PainterCanvas, GlyphsInTheTextColourAtEverySize) {
  ASSERT_TRUE(RegisterMusicFont());
  for (const int height : {40, 113, 400}) {
    for (const QRgb colour : {kBlack, 0xFFFF0000u, kBlack}) {
      QImage image(height, height, QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        PainterCanvas canvas(painter, {kMusicFace, height, false});
        canvas.SetTextColor(colour);
        canvas.TextOut(height / 4, 0, "w");  // a whole note: its head on the cell's middle
      }
      int inked = 0;
      int inColour = 0;
      for (int x = 0; x < height; ++x) {
        const QRgb pixel = image.pixel(x, height / 2);
        if (qGray(pixel) < 200) ++inked;
        if ((pixel & 0xFFFFFF) == (colour & 0xFFFFFF)) ++inColour;
      }
      SCOPED_TRACE(testing::Message() << height << " " << std::hex << colour);
      EXPECT_GT(inked, height / 20);
      EXPECT_GT(inColour, 0);
    }
  }
}

// On a vector device (a printer, a PDF file; here a recorded picture) the canvas holds
// lines, fills and glyphs back and sends them as shapes and glyph runs: a row of music
// with beams, stems, bars and a coloured fill comes out where the image's pixels are.
TEST(PainterCanvas, VectorDevicesGetTheSameInk) {
  ASSERT_TRUE(RegisterMusicFont());
  TAbcParser parser;
  parser.Parse(SplitLines("X:1\nT:Row\nM:6/8\nK:D\nd2B A>FA|(3efg e2f/g/|[df]3 z3:|\n"));
  TScorePage page;
  page.Build(parser.Elements());
  ASSERT_FALSE(page.Rows.empty());
  const QSize size(900, 160);
  auto paint = [&](QPainter& painter) {
    PainterCanvas canvas(painter, {kMusicFace, 90, false});
    TDrawCtxt ctx = PageContext(canvas, 90);
    PaintScoreRow(ctx, page.Rows[0].get(), {0, 0, size.width(), size.height()}, size.height(), size.width(),
                  kPageStaff);
    canvas.SetBrushColor(0xFFFF0000u);
    canvas.FillRect(2, 2, 30, 12);
    canvas.SetPenColor(kBlack);
    for (int i = 0; i < 6; ++i) canvas.Line(40, 150 - i, 200, 120 - i);  // a beam, upwards
  };
  QImage direct(size, QImage::Format_RGB32);
  direct.fill(Qt::white);
  {
    QPainter painter(&direct);
    paint(painter);
  }
  QPicture picture;
  {
    QPainter painter(&picture);
    paint(painter);
  }
  QImage replayed(size, QImage::Format_RGB32);
  replayed.fill(Qt::white);
  {
    QPainter painter(&replayed);
    painter.drawPicture(0, 0, picture);
  }
  const int inked = InkIn(direct, 0, 0, size.width(), size.height());
  int differ = 0;
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) differ += Inked(direct, x, y) != Inked(replayed, x, y) ? 1 : 0;
  }
  EXPECT_GT(inked, 3000);
  EXPECT_LT(differ, inked / 20) << differ << " of " << inked;
  EXPECT_EQ(replayed.pixel(10, 5), direct.pixel(10, 5));
  EXPECT_TRUE(Inked(replayed, 120, 132));
}

}  // namespace
}  // namespace rq::test
