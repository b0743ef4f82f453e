// A tune row as drawn: rhythm cell, key box, title background, score box and marks.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>
#include <memory>

#include "controls/ListGrid.h"
#include "library/AbcRecord.h"
#include "platform/WinColor.h"
#include "screens/ScreenColors.h"
#include "screens/TuneRow.h"
#include "controls/ImageList.h"

namespace rq::test {
namespace {

const QColor kBackground(Qt::white);
const QColor kFrame(0x80, 0x80, 0x80);

// The row drawn at (0, 1) of a 300 × 16 image, so the pixel row above it shows.
QImage Drawn(const TTuneRow& row, unsigned state, bool resultView, const TImageList* images = nullptr) {
  QImage image(300, 16, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  TTuneRowPainter().Draw(p, QRect(0, 1, 300, 14), row, state, resultView, images, kBackground);
  return image;
}

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Boxes and backgrounds by state, view and score. The key box reaches one pixel
// above its row.
TEST(TuneRow, BoxesAndBackgrounds) {
  const QColor rhythm = WinColorToQColor(ColorRhythmCell);
  const QColor key = WinColorToQColor(ColorKeyCell);
  const QColor silver(0xC0, 0xC0, 0xC0);
  struct Case {
    uint8_t score;
    bool resultView;
    unsigned state;
    QColor scoreFill, titleBack;
  };
  const Case cases[] = {
      {0, true, 0, silver, kBackground},
      {5, true, 0, Qt::yellow, kBackground},
      {8, true, gdSelected | gdFocused, Qt::green, QColor(0x6D, 0xA7, 0xE7)},
      {kTextHitScore, true, gdSelected, rhythm, kBackground},  // a text hit has no box
      {8, false, 0, rhythm, kBackground},
  };
  for (const Case& c : cases) {
    TTuneRow row;
    row.title = "Title";
    row.rhythm = 1;
    row.key = 27;
    row.score = c.score;
    const QImage image = Drawn(row, c.state, c.resultView);
    EXPECT_EQ(At(image, 24, 13), c.scoreFill) << int{c.score};
    EXPECT_EQ(At(image, 25, 13), c.scoreFill == rhythm ? rhythm : kFrame) << int{c.score};
    EXPECT_EQ(At(image, 47, 14), rhythm);
    EXPECT_EQ(At(image, 80, 12), key);
    EXPECT_EQ(At(image, 60, 0), rhythm) << "the key box's top edge, above the row";
    EXPECT_EQ(At(image, 250, 8), c.titleBack) << int{c.score};
    EXPECT_EQ(At(image, 295, 8), kBackground);
  }
}

// The mark image follows the marked flag; the "new" sign shows where no score box is.
TEST(TuneRow, MarksAndNewSign) {
  // Images of one colour each, at their places in the list.
  TImageList images(13, 13);
  for (int i = 0; i <= imgResult; ++i) {
    QPixmap image(13, 13);
    image.fill(QColor::fromHsv(i * 40, 255, 200));
    images.Add(image);
  }
  auto draw = [&images](uint8_t marks, bool resultView) {
    TTuneRow row;
    row.marks = marks;
    row.score = 6;
    return Drawn(row, 0, resultView, &images);
  };
  const QPoint mark(9, 5);
  EXPECT_NE(At(draw(kMarked, false), mark.x(), mark.y()), At(draw(0, false), mark.x(), mark.y()));
  const QPoint sign(19, 7);
  EXPECT_NE(At(draw(kAddedThisRun, false), sign.x(), sign.y()), At(draw(0, false), sign.x(), sign.y()));
  EXPECT_EQ(draw(kAddedThisRun, true), draw(0, true));
}

// In a grid with lines between rows, a row's key box covers the line above it.
TEST(TuneRow, KeyBoxOverhangIsDrawnInTheGrid) {
  TListGrid grid;
  grid.SetDefaultRowHeight(14);
  grid.SetDefaultColWidth(200);
  grid.SetHorzLines(true, 1);
  grid.resize(400, 120);
  TTuneRowPainter rows;
  grid.SetOnDrawCell([&rows](QPainter& p, int idx, const QRect& rect, unsigned state) {
    TTuneRow row;
    row.title = QString::number(idx);
    row.key = 1;
    rows.Draw(p, rect, row, state, false, nullptr, kBackground);
  });
  grid.SetGridMax(6);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  const QImage image = grid.viewport()->grab().toImage();
  const int line = 14;  // between rows 0 and 1
  EXPECT_EQ(image.pixelColor(60, line), WinColorToQColor(ColorRhythmCell));
  EXPECT_EQ(image.pixelColor(150, line).rgb(), grid.palette().color(QPalette::Mid).rgb());
}

}  // namespace
}  // namespace rq::test
