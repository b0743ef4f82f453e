// Printed pages: the metrics of a page, the rows of a job, the preview's steps, and
// jobs printed into PDF files read back with poppler's tools.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "PdfCheck.h"
#include "library/FileAbc.h"
#include "platform/ByteText.h"
#include "score/MusicFont.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"
#include "score/screens/PageScoreEcr.h"

namespace rq::test {
namespace {

// A tune with `lines` lines of music.
std::string Tune(const std::string& title, int lines, const std::string& composer = "") {
  std::string text = "X:1\nT:" + title + "\n" + (composer.empty() ? "" : "C:" + composer + "\n") + "M:4/4\nK:G\n";
  for (int i = 0; i < lines; ++i) text += "GABc dedB|\n";
  return text;
}

PageRows RowsOf(const std::vector<std::string>& tunes) {
  TPageRowBuilder builder;
  for (const std::string& tune : tunes) builder.AddTune(SplitLines(tune));
  return builder.Take();
}

// At A4 and 508 dots per inch (4200 × 5940) the default settings make a page of 16
// rows of 320 pixels below a border of 320. Settings out of their ranges are used at
// the nearest end (those at the ends are kept); a row taller than the space between
// the borders still makes a page of one row.
TEST(PageMetricsTest, DefaultClampedAndTallSettings) {
  EXPECT_EQ(ClampPageSettings({20, 60, 15, 200}), (PageSettings{20, 60, 15, 200}));
  const auto fields = [](const PageMetrics& m) {
    return std::vector<double>{m.Scale,  static_cast<double>(m.Border), static_cast<double>(m.Left),
                               static_cast<double>(m.RowHeight), static_cast<double>(m.FontHeight),
                               static_cast<double>(m.RowsPerPage), static_cast<double>(m.FooterY)};
  };
  EXPECT_EQ(fields(PrinterMetrics(PageSettings{}, 4200, 5940)), (std::vector<double>{2, 320, 620, 320, 400, 16, 5643}));
  EXPECT_EQ(fields(PrinterMetrics({70, 5, 1000, -3}, 4200, 5940)), fields(PrinterMetrics({60, 15, 100, 0}, 4200, 5940)));
  const PageMetrics tall = PrinterMetrics({40, 60, 100, 0}, 4200, 2000);
  EXPECT_EQ(tall.Height, 0);
  EXPECT_EQ(tall.RowsPerPage, 1);
}

TEST(PageMetricsTest, PageCounts) {
  const std::vector<std::tuple<int, int, int>> cases = {{0, 16, 0}, {1, 16, 1}, {16, 16, 1}, {17, 16, 2},
                                                        {23, 16, 2}, {33, 16, 3}, {5, 1, 5},  {5, 0, 5}};
  for (const auto& [rows, perPage, pages] : cases) EXPECT_EQ(PageCount(rows, perPage), pages) << rows << "/" << perPage;
}

// A tune is its title row and its staff rows; empty rows at its end are dropped, a
// tune without music keeps its title row, and nothing of one tune leaks into the next.
TEST(PageRowsTest, TitleRowThenStaffRows) {
  const PageRows rows = RowsOf({Tune("Reel", 3, "Trad") + "\n\n% end\n", "X:2\nT:Silence\nK:G\n", Tune("Jig", 1)});
  std::vector<std::string> shape;
  for (const auto& row : rows) {
    shape.push_back(row->IsHeader ? "title " + static_cast<const TScoreHeader&>(*row).Title
                                  : "staff " + std::to_string(static_cast<const TScoreLine&>(*row).Symbols.size() > 2));
  }
  EXPECT_EQ(shape, (std::vector<std::string>{"title Reel", "staff 1", "staff 1", "staff 1", "title Silence",
                                             "title Jig", "staff 1"}));
  EXPECT_EQ(static_cast<const TScoreHeader&>(*rows[0]).Composer, "Trad");
}

// A list gives its tunes in view order: all of them, or only the ticked ones; an
// unticked tune is left out.
TEST(PageRowsTest, ListTakesTickedOrAll) {
  auto list = TAbcPrint::CreateNew("printlist", nullptr);
  for (const char* title : {"One", "Two", "Three"}) list->AddTunes(SplitLines(Tune(title, 1)), true, 0);
  list->ToggleSelect(1);
  auto titles = [&](bool all) {
    TPageRowBuilder builder;
    builder.AddList(*list, all);
    std::vector<std::string> out;
    for (const auto& row : builder.Take()) {
      if (row->IsHeader) out.push_back(static_cast<const TScoreHeader&>(*row).Title);
    }
    return out;
  };
  EXPECT_EQ(titles(true), (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(titles(false), (std::vector<std::string>{"One", "Three"}));
}

// Zoom steps 1, 1.5, 2.25, 3.375 and no further; zooming out below 1 resets the sheet
// to 422 × 596; pages step back no further than the first.
TEST(PreviewTest, ZoomAndPageSteps) {
  int32_t size = 40, row = 32, border = 32, left = 30;
  TPageScoreEcr preview({size, row, border, left});
  preview.OnCreate(nullptr);
  std::vector<float> zooms;
  for (int i = 0; i < 4; ++i) {
    preview.OnZoomP();
    zooms.push_back(preview.Zoom());
  }
  EXPECT_EQ(zooms, (std::vector<float>{1.5f, 2.25f, 3.375f, 3.375f}));
  EXPECT_EQ(preview.SheetSize(), QSize(1418, 2006));
  for (int i = 0; i < 4; ++i) preview.OnZoomM();
  EXPECT_EQ(preview.Zoom(), 1.0f);
  EXPECT_EQ(preview.SheetSize(), QSize(422, 596));
  preview.OnPageMoins();
  EXPECT_EQ(preview.CurrentPage(), 1);
  preview.OnPagePlus();
  preview.OnPagePlus();
  EXPECT_EQ(preview.CurrentPage(), 3);
  EXPECT_EQ(preview.PageTopRow(), 0);  // no rows: a page past the job starts at its end
}

// Page plans for rows of 10 on pages of 50. A row is T (a title) or S (a staff row),
// with room above (^n) and below (+n); the plan reads "row@top" per page.
TEST(PagePlanTest, TunesStayTogetherAndRowsTakeTheirRoom) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    const char* plan;
  };
  const Case cases[] = {
      {"a tune that fits starts a page rather than split", {"T", "S", "S", "T", "S", "S", "S"},
       "0@0 1@10 2@20 | 3@0 4@10 5@20 6@30"},
      {"tunes share a page when both fit", {"T", "S", "T", "S", "S"}, "0@0 1@10 2@20 3@30 4@40"},
      {"a tune exactly a page high starts one", {"T", "S", "T", "S", "S", "S", "S"},
       "0@0 1@10 | 2@0 3@10 4@20 5@30 6@40"},
      {"room above and below", {"T", "S^5", "S+15", "S"}, "0@0 1@15 2@25 | 3@0"},
      {"room pushes the last row over", {"T", "S+25", "S"}, "0@0 1@10 | 2@0"},
      {"a long tune goes on, but not its title alone", {"T", "S", "S", "S", "T", "S", "S", "S", "S", "S", "S"},
       "0@0 1@10 2@20 3@30 | 4@0 5@10 6@20 7@30 8@40 | 9@0 10@10"},
      {"a row taller than a page gets one", {"T", "S+60", "S"}, "0@0 | 1@0 | 2@0"},
  };
  for (const Case& c : cases) {
    PageRows rows;
    std::vector<RowRoom> rooms;
    for (const std::string& r : c.rows) {
      if (r == "T") {
        rows.push_back(std::make_unique<TScoreHeader>());
      } else {
        rows.push_back(std::make_unique<TScoreLine>());
      }
      RowRoom room;
      if (r.size() > 1) (r[1] == '^' ? room.above : room.below) = std::stoi(r.substr(2));
      rooms.push_back(room);
    }
    std::string text;
    for (const auto& page : PlanPages(rows, rooms, 10, 50)) {
      if (!text.empty()) text += " | ";
      for (const PlacedRow& placed : page) {
        if (!text.empty() && text.back() != ' ') text += " ";
        text += std::to_string(placed.Index) + "@" + std::to_string(placed.Top);
      }
    }
    EXPECT_EQ(text, c.plan) << c.what;
  }
}

// Settings out of range show on the sliders at the range's end and are written back.
TEST(PreviewTest, SlidersTakeClampedSettings) {
  int32_t size = 70, row = 5, border = 1000, left = -3;
  TPageScoreEcr preview({size, row, border, left});
  preview.OnCreate(nullptr);
  EXPECT_EQ(preview.Settings(), (PageSettings{60, 15, 100, 0}));
  EXPECT_EQ(std::vector<int32_t>({size, row, border, left}), std::vector<int32_t>({60, 15, 100, 0}));
}

// The tool bar at three widths, from the preview's least up: each tool shows on the bar
// or is handed out from its arrow, whose menu holds just the tools the bar hides, the
// sliders among them as sliders; one moved there moves the preview's setting, and
// follows the bar's.
TEST(PreviewTest, EveryToolIsReachableAtEveryWidth) {
  int32_t size = 40, row = 32, border = 32, left = 30;
  TPageScoreEcr preview({size, row, border, left});
  QAction zoomM("Zoom -"), zoomP("Zoom +"), pageM("Page -"), pageP("Page +");
  preview.SetActions({&zoomM, &zoomP, &pageM, &pageP});
  QWidget host;
  new QVBoxLayout(&host);
  preview.OnCreate(&host);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  QToolBar* bar = preview.ToolBar();
  const QList<QAction*> tools = bar->actions();
  ASSERT_EQ(tools.size(), 8);
  EXPECT_EQ(tools.first(), &zoomM);
  EXPECT_EQ(tools.last(), &pageP);
  auto* arrow = bar->findChild<QToolButton*>("qt_toolbar_ext_button");
  ASSERT_NE(arrow, nullptr);
  for (const int width : {preview.PanPreview()->minimumWidth(), 460, 1000}) {
    host.resize(width, 400);
    QCoreApplication::processEvents();
    // The copies the menu held before go when the events are done with.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QAction*> hidden;
    QStringList hiddenSliders;
    for (QAction* tool : tools) {
      if (bar->widgetForAction(tool)->isVisible()) continue;
      hidden << tool;
      if (auto* label = bar->widgetForAction(tool)->findChild<QLabel*>()) hiddenSliders << label->text();
    }
    EXPECT_EQ(hidden.isEmpty(), width == 1000) << width;
    EXPECT_EQ(arrow->isVisible() && arrow->isEnabled(), !hidden.isEmpty()) << width;
    if (hidden.isEmpty()) continue;
    ASSERT_NE(arrow->menu(), nullptr);
    EXPECT_EQ(arrow->menu()->actions(), hidden) << width;
    QStringList handedOut;
    for (const QSlider* slider : arrow->menu()->findChildren<QSlider*>()) {
      handedOut << slider->parentWidget()->findChild<QLabel*>()->text();
    }
    EXPECT_EQ(handedOut, hiddenSliders) << width;
  }

  host.resize(preview.PanPreview()->minimumWidth(), 400);
  QCoreApplication::processEvents();
  QSlider* handedOut = nullptr;
  for (QSlider* slider : arrow->menu()->findChildren<QSlider*>()) {
    if (slider->parentWidget()->findChild<QLabel*>()->text() == "Left Margin") handedOut = slider;
  }
  ASSERT_NE(handedOut, nullptr);
  handedOut->setValue(55);
  EXPECT_EQ(preview.Settings().LeftMargin, 55);
  EXPECT_EQ(left, 55);
  preview.LeftSlider()->setValue(20);
  EXPECT_EQ(handedOut->value(), 20);
}

class PagePrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PopplerPresent()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";
    ASSERT_TRUE(RegisterMusicFont());
    ASSERT_TRUE(dir_.isValid());
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
};

// 23 rows on pages of 16: the second tune (10 rows) would fit on a page but not on
// the 3 rows left of the first, so it starts the second page. A tune longer than a
// page goes on where the last one ended, but never leaves its title alone at the foot.
// Each page has its footer and a clef for every staff row on it.
TEST_F(PagePrintTest, PagesKeepTunesTogether) {
  PageRows rows = RowsOf({Tune("First Tune", 12, "Anon"), Tune("Second Tune", 9)});
  ASSERT_EQ(rows.size(), 23u);
  const PrintOutcome outcome = PrintPagesToPdf(Path("two.pdf").toStdString(), rows, PageSettings{});
  ASSERT_TRUE(outcome.Ok()) << outcome.Error;
  EXPECT_EQ(outcome.Pages, 2);
  EXPECT_EQ(PdfPages(Path("two.pdf")), 2);
  const QString first = PdfText(Path("two.pdf"), 1);
  const QString second = PdfText(Path("two.pdf"), 2);
  EXPECT_TRUE(first.contains("First Tune") && first.contains("Anon") && !first.contains("Second Tune"));
  EXPECT_TRUE(second.contains("Second Tune"));
  for (const QString& page : {first, second}) EXPECT_TRUE(page.contains(kPrintFooter));
  EXPECT_EQ(Clefs(first), 12);
  EXPECT_EQ(Clefs(second), 9);

  // 15 rows, then a tune of 21: its title would be the 16th row, alone.
  rows = RowsOf({Tune("One", 14), Tune("Long", 20)});
  ASSERT_TRUE(PrintPagesToPdf(Path("long.pdf").toStdString(), rows, PageSettings{}).Ok());
  EXPECT_EQ(PdfPages(Path("long.pdf")), 3);
  const QString one = PdfText(Path("long.pdf"), 1);
  EXPECT_FALSE(one.contains("Long"));
  EXPECT_EQ(Clefs(one), 14);
  EXPECT_TRUE(PdfText(Path("long.pdf"), 2).contains("Long"));
  EXPECT_EQ(Clefs(PdfText(Path("long.pdf"), 2)), 15);
}

// A page too short for one row still takes one: the job ends with a page per row.
TEST_F(PagePrintTest, RowTallerThanPageStillEnds) {
  PageRows rows = RowsOf({Tune("Tall", 2)});
  QFile file(Path("tall.pdf"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  QPdfWriter writer(&file);
  writer.setPageLayout(QPageLayout(QPageSize(QSizeF(200, 30), QPageSize::Millimeter), QPageLayout::Portrait, {}));
  const PrintOutcome outcome = PrintPages(writer, rows, {40, 60, 15, 0}, [&](int page) {
    if (page > static_cast<int>(rows.size())) throw std::runtime_error("the job does not end");
  });
  EXPECT_TRUE(outcome.Ok()) << outcome.Error;
  EXPECT_EQ(outcome.Pages, 3);
}

// A file that cannot be written is reported with its name and reason, and nothing is
// left behind; a printer that cannot be opened is reported too; an empty job opens no
// page and writes no file.
TEST_F(PagePrintTest, FailuresAndEmptyJobs) {
  PageRows rows = RowsOf({Tune("Lost", 1)});
  const std::string missing = Path("no/such/folder/out.pdf").toStdString();
  PrintOutcome outcome = PrintPagesToPdf(missing, rows, PageSettings{});
  EXPECT_EQ(outcome.Pages, 0);
  EXPECT_NE(outcome.Error.find("\"" + missing + "\": No such file or directory"), std::string::npos) << outcome.Error;

  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(Path("no/such/folder/printer.pdf"));
  outcome = PrintPages(printer, rows, PageSettings{});
  EXPECT_EQ(outcome.Error, "the printer could not be opened");
  EXPECT_EQ(outcome.Pages, 0);

  PageRows none;
  outcome = PrintPagesToPdf(Path("empty.pdf").toStdString(), none, PageSettings{});
  EXPECT_TRUE(outcome.Ok());
  EXPECT_EQ(outcome.Pages, 0);
  EXPECT_FALSE(QFile::exists(Path("empty.pdf")));
}

}  // namespace
}  // namespace rq::test
