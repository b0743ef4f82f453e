// The score view offscreen: zoom sizes, rulers and settings limited where they are
// read, the title strip, and what a repaint draws.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/MusicFont.h"
#include "score/ScorePage.h"
#include "score/screens/ScoreEcr.h"
#include "score/screens/ScoreGrid.h"
#include "score/screens/ScoreRuler.h"

namespace rq {
namespace {

constexpr const char* kReel =
    "X:1\nT:The Silver Spear\nC:Trad.\nR:reel\nM:4/4\nL:1/8\nK:D\n"
    "FA (3AAA BAFA|dAFA BEEF|FA (3AAA BAFA|dfed BAAG:|\n"
    "fa (3aaa bafa|dfaf geeg|fa (3aaa bafa|dfed BAAG:|\n";

class ScoreEcrTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(RegisterMusicFont()); }

  TScoreEcr& View() {
    if (!view_) {
      view_ = std::make_unique<TScoreEcr>(ScoreViewSettings{hRuler_, vRuler_, scrZoom_});
      host_ = std::make_unique<QWidget>();
      new QVBoxLayout(host_.get());
      view_->OnCreate(host_.get());
      host_->resize(900, 500);
    }
    return *view_;
  }
  void Show(const std::string& abc) {
    parser_.Parse(SplitLines(abc));
    View().ShowTune(parser_);
  }
  // The grid's rows as a repaint draws them, in an image of `rows` rows.
  QImage Paint(int rows) {
    TScoreGrid& grid = *View().GridScore();
    QImage image(grid.ColWidth(), rows * grid.RowHeight(), QImage::Format_RGB32);
    QPainter painter(&image);
    grid.PaintRows(painter, image.size());
    return image;
  }
  // The share of pixels of image row y, from x 10 on, that are not white.
  static double InkAlong(const QImage& image, int y) {
    int ink = 0;
    for (int x = 10; x < image.width(); ++x) ink += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    return static_cast<double>(ink) / (image.width() - 10);
  }

  int32_t hRuler_ = 680;
  int32_t vRuler_ = 144;
  int32_t scrZoom_ = 4;
  TAbcParser parser_;
  std::unique_ptr<QWidget> host_;
  std::unique_ptr<TScoreEcr> view_;
};

// The zoom buttons step through the allowed sizes and stop at both ends.
TEST_F(ScoreEcrTest, ZoomButtonsStepThroughTheAllowedSizes) {
  struct Case {
    int from;
    bool up;
    int to;
  } cases[] = {{61, false, 60}, {63, false, 61}, {63, true, 68},   {100, true, 108},
               {113, true, 113}, {60, false, 60}, {76, true, 83},  {83, false, 76}};
  TScoreEcr& view = View();
  for (const Case& c : cases) {
    view.SetZoom(c.from, +1);
    ASSERT_EQ(view.ZoomSize(), c.from);
    (c.up ? view.ZoomPlusButton() : view.ZoomMinusButton())->click();
    EXPECT_EQ(view.ZoomSize(), c.to) << c.from << (c.up ? " up" : " down");
    EXPECT_EQ(scrZoom_, c.to);
    EXPECT_EQ(view.GridScore()->FontSize(), c.to);
  }
}

// Sizes and rulers from the settings file are limited where the view reads them, and
// the limited values go back into the settings.
TEST_F(ScoreEcrTest, SettingsAreLimitedWhereRead) {
  struct Case {
    int32_t hRuler, vRuler, zoom;
    int width, rowHeight, size, beam;
  } cases[] = {
      {680, 144, 4, 680, 80, 60, 2},          // the defaults: ScrZoom 4 starts at 60
      {0, 10, -5, kHRulerMin, 60, 60, 2},
      {99999, 9999, 500, kHRulerMax, 176, 113, 4},
      {900, 200, 64, 900, 136, 68, 2},        // 64 is no allowed size: up to 68
  };
  for (const Case& c : cases) {
    view_.reset();
    hRuler_ = c.hRuler;
    vRuler_ = c.vRuler;
    scrZoom_ = c.zoom;
    TScoreEcr& view = View();
    EXPECT_EQ(view.GridScore()->ColWidth(), c.width);
    EXPECT_EQ(view.GridScore()->RowHeight(), c.rowHeight);
    EXPECT_EQ(view.ZoomSize(), c.size);
    EXPECT_EQ(view.BeamThickness(), c.beam);
    EXPECT_EQ(hRuler_, c.width);
    EXPECT_EQ(vRuler_, c.rowHeight + kRulerToRowHeight);
    EXPECT_EQ(scrZoom_, c.size);
  }
}

// Showing a tune fills the title strip (Windows-1252 bytes read as such) and the
// rows, scrolled to the top.
TEST_F(ScoreEcrTest, ShowTuneFillsTheTitleStripAndRows) {
  TScoreEcr& view = View();
  Show(kReel);
  EXPECT_EQ(view.NameLabel()->text(), "The Silver Spear");
  EXPECT_EQ(view.TypeLabel()->text(), "(reel)");
  EXPECT_EQ(view.ComposerLabel()->text(), "Trad.");
  EXPECT_EQ(view.GridScore()->RowCount(), 3);  // two staff rows and the trailing empty one

  Show("X:2\nT:Port na bP\xEDobair\xED\nC:\xC9" "amonn\nK:G\nGABc|\n");
  EXPECT_EQ(view.NameLabel()->text(), QString::fromUtf8("Port na bPíobairí"));
  EXPECT_EQ(view.ComposerLabel()->text(), QString::fromUtf8("Éamonn"));
  EXPECT_TRUE(view.TypeLabel()->text().isEmpty());
}

// Rows of 80 pixels (vertical ruler 144) have their middle line at 40; the zoom
// changes the line space at the next paint without a rebuild; the trailing empty
// row and the rows past the page stay white.
TEST_F(ScoreEcrTest, RepaintDrawsTheStaffAtTheCurrentSize) {
  TScoreEcr& view = View();
  Show(kReel);
  QImage image = Paint(4);
  EXPECT_GT(InkAlong(image, 40), 0.9);
  EXPECT_GT(InkAlong(image, 40 - 2 * 6), 0.9);  // top line: line space 60 / 12 + 1
  EXPECT_LT(InkAlong(image, 40 - 2 * 6 - 3), 0.5);
  EXPECT_GT(InkAlong(image, 80 + 40), 0.9);
  for (const int y : {2 * 80 + 40, 3 * 80 + 40}) EXPECT_EQ(InkAlong(image, y), 0.0) << y;

  // A short row, so that it fits at the larger size without being drawn smaller; its
  // clef now reaches past a row of 80, so the row takes the room it needs above: the
  // staff moves down, its lines still a line space of 113 / 12 + 1 apart.
  Show("X:3\nK:G\nGABc|\n");
  view.SetZoom(113, +1);
  image = Paint(1);
  int top = 0;
  while (top < image.height() && InkAlong(image, top) < 0.9) ++top;
  EXPECT_GT(top, 40 - 2 * 10);
  for (int k = 0; k < 5; ++k) EXPECT_GT(InkAlong(image, top + k * 10), 0.9) << k;
}

// Rows that grow to hold their ink take more than their cell: the scroll bar still
// reaches a top row from which the last rows show in full.
TEST_F(ScoreEcrTest, ScrollingReachesTheLastRowWhenRowsGrow) {
  std::string abc = "X:4\nL:1/4\nK:C\n";
  for (int i = 0; i < 12; ++i) abc += "c''' C,, c''' C,,|\n";
  View();
  host_->show();
  host_->layout()->activate();
  Show(abc);
  TScoreGrid& grid = *View().GridScore();
  const int cells = grid.viewport()->height() / grid.RowHeight();
  ASSERT_GE(cells, 2);
  EXPECT_GT(grid.verticalScrollBar()->maximum(), grid.RowCount() - cells);
  EXPECT_LT(grid.verticalScrollBar()->maximum(), grid.RowCount());
}

// Rows wider than the view scroll sideways, the ruler and the title strip with them;
// a view wide enough for the rows has nothing to scroll.
TEST_F(ScoreEcrTest, RowsWiderThanTheViewScrollSideways) {
  TScoreEcr& view = View();
  host_->resize(400, 400);
  host_->show();
  host_->layout()->activate();
  Show(kReel);
  TScoreGrid& grid = *view.GridScore();
  QScrollBar* across = grid.horizontalScrollBar();
  const int hidden = grid.ColWidth() - grid.viewport()->width();
  ASSERT_GT(hidden, 0);
  EXPECT_TRUE(across->isVisible());
  EXPECT_EQ(across->maximum(), hidden);

  const QPoint rulerAt = view.RulerH()->mapTo(host_.get(), QPoint());
  const QPoint titleAt = view.NameLabel()->mapTo(host_.get(), QPoint());
  across->setValue(across->maximum());
  EXPECT_EQ(view.RulerH()->mapTo(host_.get(), QPoint()), rulerAt - QPoint(hidden, 0));
  EXPECT_EQ(view.NameLabel()->mapTo(host_.get(), QPoint()), titleAt - QPoint(hidden, 0));
  // The view shows the rows' right end: what the rows paint past the hidden part.
  const QImage shown = grid.viewport()->grab().toImage();
  const QImage rows = Paint(2);
  const QRect part(0, 0, shown.width(), rows.height());
  EXPECT_EQ(shown.copy(part).convertToFormat(QImage::Format_RGB32), rows.copy(part.translated(hidden, 0)));

  host_->resize(grid.ColWidth() + 100, 400);
  host_->layout()->activate();
  QApplication::processEvents();
  EXPECT_FALSE(across->isVisible());
  EXPECT_EQ(view.RulerH()->mapTo(host_.get(), QPoint()).x(), rulerAt.x());
}

// Dragging a ruler's far edge sets the row width or the row height, within limits.
TEST_F(ScoreEcrTest, DraggingTheRulersSetsWidthAndHeight) {
  TScoreEcr& view = View();
  auto drag = [](TScoreRuler* ruler, QPoint from, QPoint to) {
    auto send = [ruler](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
      QMouseEvent e(type, at, ruler->mapToGlobal(at), button, held, Qt::NoModifier);
      QApplication::sendEvent(ruler, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  };
  TScoreRuler* h = view.RulerH();
  drag(h, QPoint(678, 5), QPoint(728, 5));
  EXPECT_EQ(hRuler_, 730);
  EXPECT_EQ(view.GridScore()->ColWidth(), 730);
  drag(h, QPoint(728, 5), QPoint(10, 5));
  EXPECT_EQ(hRuler_, kHRulerMin);

  TScoreRuler* v = view.RulerV();
  drag(v, QPoint(5, 142), QPoint(5, 182));
  EXPECT_EQ(vRuler_, 184);
  EXPECT_EQ(view.GridScore()->RowHeight(), 120);
  drag(v, QPoint(5, 182), QPoint(5, 900));
  EXPECT_EQ(vRuler_, kVRulerMax);
  // A press away from the edge drags nothing.
  drag(v, QPoint(5, 20), QPoint(5, 60));
  EXPECT_EQ(vRuler_, kVRulerMax);
}

}  // namespace
}  // namespace rq
