// Printing in the running program: the print list screen, the preview beside it, and
// jobs printed through the print dialog into PDF files read back with poppler's tools.
#include <QAction>
#include <QPrinter>
#include <QTabBar>
#include <QtTest/QtTest>

#include "../score/PdfCheck.h"
#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "controls/ListGrid.h"
#include "notation/AbcParser.h"
#include "score/screens/PageScoreEcr.h"
#include "score/screens/PrintListEcr.h"
#include "screens/FileEcr.h"

namespace rq {
namespace {

// Three tunes, each `lines` lines of music long.
std::string Tunes(int lines) {
  std::string text;
  int x = 0;
  for (const char* title : {"Alpha Reel", "Bravo Jig", "Charlie Air"}) {
    text += "X:" + std::to_string(++x) + "\nT:" + title + "\nM:4/4\nK:D\n";
    for (int i = 0; i < lines; ++i) text += "DFAd fdAF|\n";
    text += "\n";
  }
  return text;
}

class PrintTest : public test::AppFixture {
 protected:
  void SetUp() override {
    test::AppFixture::SetUp();
    if (!test::PopplerPresent()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";
    printDialog_ = [this](QPrinter& printer) {
      ++dialogs_;
      if (pdf_.isEmpty()) return false;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf_);
      return true;
    };
  }

  // The program with a file of three tunes, all of them in the print list.
  TAbcFile* StartWithList(int lines = 1) {
    Start();
    TAbcFile* file = OpenUserFile("tunes.abc", Tunes(lines));
    for (int32_t row = 0; row < 3; ++row) FileControl()->AddToPrintList(file, row);
    return file;
  }
  QAction* Act(ActionId id) { return (*context_->Actions())[id]; }
  TPrintListEcr& List() { return *context_->PrintListEcr(); }
  TPageScoreEcr& Pages() { return *context_->PageScoreEcr(); }
  // Prints through the action into a fresh file; its text.
  QString PrintAll(const std::string& name) {
    pdf_ = QString::fromStdString(Path(name));
    Act(ActionId::PrintAll)->trigger();
    return test::PdfText(pdf_);
  }
  std::vector<std::string> PreviewTitles() const {
    std::vector<std::string> titles;
    for (const auto& row : context_->PageScoreEcr()->Rows()) {
      if (row->IsHeader) titles.push_back(static_cast<const TScoreHeader&>(*row).Title);
    }
    return titles;
  }
  std::vector<std::string> ListTitles() const {
    std::vector<std::string> titles;
    const TAbcPrint& list = *FileControl()->PrintList();
    for (int32_t row = 0; row < list.FilterList.Count(); ++row) titles.push_back(list.GetTitle(row));
    return titles;
  }
  // The middle of a row of the print list, in the title column.
  QPoint RowPoint(int row) const {
    const TPrintListGrid& grid = *context_->PrintListEcr()->Grid();
    return {TPrintListGrid::kTickWidth + 40, row * grid.RowHeight() + grid.RowHeight() / 2};
  }
  void ShowPrintPage() {
    context_->MainEcr()->resize(1000, 800);
    context_->MainEcr()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(context_->MainEcr()));
    context_->MainEcr()->TabBottom()->setCurrentIndex(3);
    QApplication::processEvents();
  }

  QString pdf_;
  int dialogs_ = 0;
};

// The list prints every tune, or only the ticked ones once "Print Selected Tunes" is
// down; the preview always shows the same tunes as the print.
TEST_F(PrintTest, TickedOrAllAndThePreviewShowsTheSame) {
  StartWithList();
  ShowPrintPage();
  QWidget* grid = List().Grid()->viewport();
  QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5, RowPoint(1).y()));
  EXPECT_FALSE(FileControl()->PrintList()->GetRec(1)->IsMarked()) << "the tick column untickes";

  QString text = PrintAll("all.pdf");
  EXPECT_TRUE(text.contains("Alpha Reel") && text.contains("Bravo Jig") && text.contains("Charlie Air")) << text.toStdString();
  Act(ActionId::Preview)->trigger();
  EXPECT_EQ(PreviewTitles(), (std::vector<std::string>{"Alpha Reel", "Bravo Jig", "Charlie Air"}));

  Act(ActionId::PrintSelTune)->trigger();
  ASSERT_FALSE(List().PrintSelOnly());
  text = PrintAll("ticked.pdf");
  EXPECT_TRUE(text.contains("Alpha Reel") && text.contains("Charlie Air"));
  EXPECT_FALSE(text.contains("Bravo Jig"));
  Act(ActionId::Preview)->trigger();
  EXPECT_EQ(PreviewTitles(), (std::vector<std::string>{"Alpha Reel", "Charlie Air"}));
}

// The preview follows the print list without the magnifier: tunes added, moved,
// unticked and removed, and the choice between all and ticked tunes; each time it
// shows page 1 again at the zoom it had.
TEST_F(PrintTest, PreviewFollowsTheListAndTheChoice) {
  StartWithList(8);
  ShowPrintPage();
  EXPECT_EQ(PreviewTitles(), ListTitles());
  Act(ActionId::PrevZoomP)->trigger();
  const float zoom = Pages().Zoom();
  Act(ActionId::PrevPageP)->trigger();
  ASSERT_EQ(Pages().CurrentPage(), 2);
  QWidget* grid = List().Grid()->viewport();
  Drag(grid, RowPoint(0), grid, RowPoint(2));
  ASSERT_EQ(ListTitles(), (std::vector<std::string>{"Bravo Jig", "Charlie Air", "Alpha Reel"}));
  EXPECT_EQ(PreviewTitles(), ListTitles());
  EXPECT_EQ(Pages().CurrentPage(), 1);
  EXPECT_EQ(Pages().Zoom(), zoom);

  Act(ActionId::PrintSelTune)->trigger();
  EXPECT_EQ(PreviewTitles(), ListTitles());
  QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5, RowPoint(0).y()));  // Bravo Jig unticked
  EXPECT_EQ(PreviewTitles(), (std::vector<std::string>{"Charlie Air", "Alpha Reel"}));
  Act(ActionId::PrintSelTune)->trigger();
  EXPECT_EQ(PreviewTitles(), ListTitles());
  QTest::mouseClick(grid, Qt::LeftButton, {}, RowPoint(1));
  Act(ActionId::DelPrintList)->trigger();
  EXPECT_EQ(PreviewTitles(), (std::vector<std::string>{"Bravo Jig", "Alpha Reel"}));
  FileControl()->AddToPrintList(FileControl()->FindFile(Path("tunes.abc")), 2);
  EXPECT_EQ(PreviewTitles(), (std::vector<std::string>{"Bravo Jig", "Alpha Reel", "Charlie Air"}));
  Act(ActionId::ClearPrintList)->trigger();
  EXPECT_TRUE(PreviewTitles().empty());
}

// Previewing and printing parse on their own: the shared parser keeps the tune on
// screen for the score, its export and its playing. A new preview opens on its first
// page, wherever the last one was left.
TEST_F(PrintTest, PrintingLeavesTheShownTuneAloneAndPreviewsStartOnPageOne) {
  TAbcFile* file = StartWithList(8);
  FileControl()->AddToPrintList(OpenUserFile("other.abc", "X:1\nT:Other Tune\nK:G\nGABc|\n"), 0);
  ASSERT_EQ(FileControl()->ShowTune(file, 1), kCtrlOk);
  const std::string title = TuneParser()->Title();
  const size_t elements = TuneParser()->ElementCount();
  ASSERT_EQ(title, "Bravo Jig");
  Act(ActionId::Preview)->trigger();
  Act(ActionId::PrevPageP)->trigger();
  Act(ActionId::PrevPageP)->trigger();
  ASSERT_EQ(Pages().CurrentPage(), 3);
  Act(ActionId::Preview)->trigger();
  EXPECT_EQ(Pages().PageTopRow(), 0);
  EXPECT_TRUE(PrintAll("list.pdf").contains("Other Tune"));
  pdf_ = QString::fromStdString(Path("one.pdf"));
  FileControl()->PrintTune(file, 2);
  EXPECT_TRUE(test::PdfText(pdf_).contains("Charlie Air"));
  EXPECT_EQ(TuneParser()->Title(), title);
  EXPECT_EQ(TuneParser()->ElementCount(), elements);
}

// While a job prints, no other job starts and no preview replaces rows; the rows
// printed are the job's own (emptying the list changes nothing) and so are its
// metrics (a preview painted at another zoom does not change the footer).
TEST_F(PrintTest, PrintJobIsModal) {
  StartWithList(12);
  ShowPrintPage();
  for (int i = 0; i < 3; ++i) Act(ActionId::PrevZoomP)->trigger();
  int pages = 0;
  QObject::connect(&Pages(), &TPageScoreEcr::PagePrinted, [&](int page) {
    pages = page;
    if (page != 1) return;
    Act(ActionId::PrintAll)->trigger();
    Act(ActionId::ClearPrintList)->trigger();
    EXPECT_FALSE(Pages().PreviewTunes(*FileControl()->PrintList(), true));
    Pages().Sheet()->grab();
  });
  const QString text = PrintAll("modal.pdf");
  EXPECT_EQ(dialogs_, 1);
  EXPECT_EQ(test::PdfPages(pdf_), 3);
  EXPECT_TRUE(text.contains("Alpha Reel") && text.contains("Charlie Air"));
  EXPECT_TRUE(ListTitles().empty());
  const double footer = test::WordHeight(pdf_, 1, "Printed");
  EXPECT_GT(footer, 5.0);
  EXPECT_DOUBLE_EQ(test::WordHeight(pdf_, 3, "Printed"), footer);
}

// A file that cannot be written is reported with its reason and nothing is written; a
// job with no tune says so and writes nothing.
TEST_F(PrintTest, FailedAndEmptyJobsAreReported) {
  StartWithList();
  pdf_ = QString::fromStdString(Path("missing/out.pdf"));
  Act(ActionId::PrintAll)->trigger();
  ASSERT_EQ(ui_.Asked.size(), 1u);
  EXPECT_NE(ui_.Asked[0].text.find("\"" + Path("missing/out.pdf") + "\": No such file or directory"), std::string::npos)
      << ui_.Asked[0].text;

  ui_.Asked.clear();
  Act(ActionId::ClearPrintList)->trigger();
  pdf_ = QString::fromStdString(Path("empty.pdf"));
  Act(ActionId::PrintAll)->trigger();
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"There is no tune to print."});
  EXPECT_FALSE(QFile::exists(pdf_));
}

// Dragging a tune onto another row moves it there; onto its own row, nothing; tunes
// dragged from a tune list are appended, ticked, wherever they are let go; Delete from
// Print List removes the current tune, which a click below the last row leaves as it is.
TEST_F(PrintTest, PrintListOrderAfterDragsAndDrops) {
  StartWithList();
  ShowPrintPage();
  QWidget* grid = List().Grid()->viewport();
  Drag(grid, RowPoint(0), grid, RowPoint(2));
  EXPECT_EQ(ListTitles(), (std::vector<std::string>{"Bravo Jig", "Charlie Air", "Alpha Reel"}));
  Drag(grid, RowPoint(1), grid, RowPoint(1));
  EXPECT_EQ(ListTitles(), (std::vector<std::string>{"Bravo Jig", "Charlie Air", "Alpha Reel"}));

  TListGrid& tunes = *FileEcr()->LstGrid();  // in title order: Bravo Jig on row 1
  Drag(tunes.viewport(), tunes.CellRect(1 / tunes.RowsPerCol(), 1 % tunes.RowsPerCol()).center(), grid, RowPoint(0));
  EXPECT_EQ(ListTitles(), (std::vector<std::string>{"Bravo Jig", "Charlie Air", "Alpha Reel", "Bravo Jig"}));
  EXPECT_TRUE(FileControl()->PrintList()->GetRec(3)->IsMarked());
  EXPECT_EQ(FileControl()->DragFile(), nullptr);

  QTest::mouseClick(grid, Qt::LeftButton, {}, RowPoint(1));
  const QPoint belowLast = RowPoint(4) - QPoint(0, List().Grid()->RowHeight() / 2 - 1);
  ASSERT_LT(belowLast.y(), grid->height());
  QTest::mouseClick(grid, Qt::LeftButton, {}, belowLast);
  QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5, belowLast.y()));
  EXPECT_EQ(List().Grid()->CurrentRow(), 1);
  Act(ActionId::DelPrintList)->trigger();
  EXPECT_EQ(ListTitles(), (std::vector<std::string>{"Bravo Jig", "Alpha Reel", "Bravo Jig"}));
  for (int32_t row = 0; row < 3; ++row) EXPECT_TRUE(FileControl()->PrintList()->GetRec(row)->IsMarked()) << row;
}

}  // namespace
}  // namespace rq
