// The open-files tabs in the running program: one tab per file with its image, the
// close commands, and tunes dragged onto a tab with the mouse.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QTabBar>
#include <QTest>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "controls/DragControl.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgFltTune.h"

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
  ASSERT_NE(CtrlFileEcr(), nullptr);
  EXPECT_EQ(Tabs().parentWidget(), app.MainEcr()->Host(HostPanel::Tab));
  EXPECT_TRUE(Tabs().DefaultForCtrlTab());
  EXPECT_EQ(Tabs().Images(), app.ResLib()->Img20x20());
  ASSERT_EQ(app.ResLib()->Img20x20()->Count(), 3);
  EXPECT_FALSE(app.ResLib()->Img20x20()->Image(0).isNull());
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

// The tabs' menu holds close, clear filter, a separator and close all.
TEST_F(FileTabsTest, TabsMenu) {
  TAppContext& app = Start();
  const QList<QAction*> items = CtrlFileEcr()->PopCtrlFile()->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0], (*app.Actions())[ActionId::CloseFile]);
  EXPECT_EQ(items[1], (*app.Actions())[ActionId::ClearFlt]);
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3], (*app.Actions())[ActionId::CloseAll]);
}

// Tunes dragged with the mouse land on the tab under the pointer when the button is
// let go: never on their own file's tab, never over empty bar space, and not on the
// last tab the pointer passed.
TEST_F(FileTabsTest, DragsLandOnTheTabUnderThePointer) {
  TAppContext& app = Start();
  TAbcFile* reels = OpenUserFile("reels.abc", kThreeReels);
  TAbcFile* filer = FileControl()->Filer();
  TAbcFile* trash = FileControl()->Trash();
  // The browser's tune counter, which drags the whole view.
  auto* counter = new QLabel("3 tunes");
  counter->setFixedSize(120, 24);
  app.MainEcr()->Host(HostPanel::Main01)->layout()->addWidget(counter);
  TDragControl& drag = *app.DragControl();
  drag.AddSource(counter, [reels](const QPoint&) {
    FileControl()->BeginDrag(reels, kDragKindView, kDragModeView, 0);
    return true;
  });
  app.MainEcr()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(app.MainEcr()));
  const int reelsTab = CtrlFileEcr()->TabOf(reels);
  const int filerTab = CtrlFileEcr()->TabOf(filer);
  const int trashTab = CtrlFileEcr()->TabOf(trash);
  auto at = [&](const QPoint& tabsPoint) { return counter->mapFromGlobal(Tabs().mapToGlobal(tabsPoint)); };
  auto start = [&] {
    QTest::mousePress(counter, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(counter, QPoint(14, 10));
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

// The filter window floats above the main window, in the frame colour, and takes its
// caption from a language file.
TEST_F(FileTabsTest, FilterWindowIsTranslated) {
  Write("RQUILL20.INI", "[global]\nlang=test.lng\n");
  Write("test.lng", "[Cmpstring]\n30=Filtre\n");
  TAppContext& app = Start();
  TDlgFltTune* filter = app.DlgFltTune();
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->windowTitle(), "Filtre");
  EXPECT_TRUE(filter->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(filter->windowType(), Qt::Tool);
  EXPECT_EQ(filter->parentWidget(), app.MainEcr());
  EXPECT_FALSE(filter->isVisible());
}

}  // namespace
}  // namespace rq
