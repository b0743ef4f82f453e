// The open-files tabs in the running program: one tab per file with its image, the
// close commands, and tunes dragged onto a tab with the mouse.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTabBar>
#include <QTest>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "controls/DragControl.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "screens/CtrlFileEcr.h"
#include "screens/FileEcr.h"

namespace rq {
namespace {

const char* kThreeReels =
    "X:1\nT:Drowsy Maggie\nK:Edor\nE2BE dEBE|\n\n"
    "X:2\nT:The Silver Spear\nK:D\nFA (3AAA BAFA|\n\n"
    "X:3\nT:Tarbolton\nK:Edor\nB2BA G2FE|\n";

class FileTabsTest : public test::AppFixture {
 protected:
  TPage95Control& Tabs() { return *CtrlFileEcr()->PGCFile(); }
  std::vector<int> Images() {
    std::vector<int> images;
    for (int i = 0; i < Tabs().PageCount(); ++i) images.push_back(Tabs().Pages(i)->ImageIndex());
    return images;
  }
  std::vector<QString> Captions() {
    std::vector<QString> captions;
    for (int i = 0; i < Tabs().PageCount(); ++i) captions.push_back(Tabs().Pages(i)->Caption());
    return captions;
  }
  // The middle of a tab, or of the empty bar beside the tabs, in the tabs' coordinates.
  QPoint TabPoint(int index) {
    QTabBar* bar = Tabs().tabBar();
    return bar->mapTo(&Tabs(), bar->tabRect(index).center());
  }
  QPoint EmptyBarPoint() { return QPoint(Tabs().width() - 4, TabPoint(0).y()); }
};

// Every file gets a tab captioned with its name and 8 blanks, and the image of its
// kind: the trash and the filer by what they are, not by their names.
TEST_F(FileTabsTest, TabsShowEveryFileWithItsImage) {
  TAppContext& app = Start();
  QDir().mkpath(QString::fromStdString(Path("elsewhere")));
  OpenUserFile("elsewhere/trash", kThreeReels);
  OpenUserFile("reels.abc", kThreeReels);
  EXPECT_EQ(Images(), (std::vector<int>{kImageTrash, kImageFiler, kImageTuneFile, kImageTuneFile}));
  EXPECT_EQ(Captions(), (std::vector<QString>{"trash        ", "filer        ", "trash        ",
                                              "reels.abc        "}));
  EXPECT_EQ(CtrlFileEcr()->ActiveFile(), FileControl()->FindFile(Path("reels.abc")));

  // A click on a tab shows its file; saving under a new name re-captions the tab.
  Tabs().show();
  app.MainEcr()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(app.MainEcr()));
  QTest::mouseClick(Tabs().tabBar(), Qt::LeftButton, {}, Tabs().tabBar()->tabRect(1).center());
  EXPECT_EQ(app.ShownFile(), FileControl()->Filer());
  FileControl()->NewFile();
  saveNames_ = {Path("jigs")};
  (*app.Actions())[ActionId::SaveAs]->trigger();
  EXPECT_EQ(Captions().back(), "jigs.abc        ");
  EXPECT_EQ(Images().back(), kImageTuneFile);
}

// Close-all closes in tab order until the user cancels; the trash and the filer
// stay; then the first tab is active and shown. Closing the filer's tab does nothing.
TEST_F(FileTabsTest, CloseAllStopsWhereTheUserCancels) {
  TAppContext& app = Start();
  for (int i = 0; i < 3; ++i) FileControl()->NewFile();
  ui_.Asked.clear();
  ui_.Answers = {mrNo, mrAbort};
  (*app.Actions())[ActionId::CloseAll]->trigger();
  EXPECT_EQ(AskedTexts(), (std::vector<std::string>{"Save New File :abcnew1", "Save New File :abcnew2"}));
  EXPECT_EQ(Captions(), (std::vector<QString>{"trash        ", "filer        ", "abcnew2        ",
                                              "abcnew3        "}));
  EXPECT_EQ(Tabs().TabIndex(), 0);
  EXPECT_EQ(app.ShownFile(), FileControl()->Trash());

  Tabs().SetActivePage(Tabs().Pages(1));
  ui_.Asked.clear();
  (*app.Actions())[ActionId::CloseFile]->trigger();
  EXPECT_TRUE(ui_.Asked.empty());
  EXPECT_EQ(Tabs().PageCount(), 4);
  EXPECT_EQ(Tabs().TabIndex(), 1);

  ui_.Answers = {mrNo, mrNo};
  (*app.Actions())[ActionId::CloseAll]->trigger();
  EXPECT_EQ(Captions(), (std::vector<QString>{"trash        ", "filer        "}));
  EXPECT_EQ(FileControl()->Files().size(), 2u);
}

// Tunes dragged with the mouse land on the tab under the pointer when the button is
// let go: never on their own file's tab, never over empty bar space, and not on the
// last tab the pointer passed.
TEST_F(FileTabsTest, DragsLandOnTheTabUnderThePointer) {
  TAppContext& app = Start();
  TAbcFile* reels = OpenUserFile("reels.abc", kThreeReels);
  TAbcFile* filer = FileControl()->Filer();
  TAbcFile* trash = FileControl()->Trash();
  QWidget* counter = FileEcr()->LabCptFlt();  // the browser's tune counter drags the whole view
  TDragControl& drag = *app.DragControl();
  app.MainEcr()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(app.MainEcr()));
  const int reelsTab = CtrlFileEcr()->TabOf(reels);
  const int filerTab = CtrlFileEcr()->TabOf(filer);
  const int trashTab = CtrlFileEcr()->TabOf(trash);
  auto at = [&](const QPoint& tabsPoint) { return counter->mapFromGlobal(Tabs().mapToGlobal(tabsPoint)); };
  auto start = [&] {
    QTest::mousePress(counter, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(counter, QPoint(8, 3));
    ASSERT_TRUE(drag.Dragging());
  };

  start();
  QTest::mouseMove(counter, at(TabPoint(reelsTab)));
  EXPECT_EQ(drag.AcceptingTarget(), nullptr) << "own file";
  QTest::mouseMove(counter, at(EmptyBarPoint()));
  EXPECT_EQ(drag.AcceptingTarget(), nullptr) << "empty bar space";
  QTest::mouseMove(counter, at(TabPoint(filerTab)));
  EXPECT_EQ(drag.AcceptingTarget(), &Tabs()) << "another file";
  QTest::mouseRelease(counter, Qt::LeftButton, {}, at(EmptyBarPoint()));
  EXPECT_FALSE(drag.Dragging());
  EXPECT_EQ(FileControl()->DragFile(), nullptr);
  EXPECT_EQ(filer->FilterList.Count(), 0) << "let go over empty bar space: nothing dropped";

  start();
  QTest::mouseMove(counter, at(TabPoint(filerTab)));
  ui_.Asked.clear();
  ui_.Answers = {mrNo};
  QTest::mouseRelease(counter, Qt::LeftButton, {}, at(TabPoint(trashTab)));
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"Send 3 tunes to trash ?"});
  EXPECT_EQ(filer->FilterList.Count(), 0);

  start();
  QTest::mouseMove(counter, at(TabPoint(filerTab)));
  QTest::mouseRelease(counter, Qt::LeftButton, {}, at(TabPoint(filerTab)));
  EXPECT_EQ(filer->FilterList.Count(), 3);
  EXPECT_EQ(reels->FilterList.Count(), 3);
}

}  // namespace
}  // namespace rq
