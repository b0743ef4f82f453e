// The browser's tool row at the window's widths: typing a title and lighting the
// lamps move nothing, nothing covers anything, and the typed text shows whole.
#include <QAction>
#include <QLabel>
#include <QTabBar>
#include <map>
#include <string>

#include "BrowserTestHelpers.h"
#include "controls/ImageList.h"
#include "controls/Page95Control.h"

namespace rq::test {
namespace {

const std::string kLongTitle = "X:1\nT:The Humours of Ballyconnell\nK:D\nX:2\nT:Abbey Reel\nK:D\n";

class ToolRowTest : public ::testing::TestWithParam<int> {
 protected:
  // The row hosted as the main window hosts it: across the window's whole width, in
  // a window that may be made narrower than its contents ask.
  void Start(int width) {
    for (int i = 0; i < 8; ++i) images_.Add(QPixmap(16, 16));
    browser_ = std::make_unique<TFileEcr>(host_);
    browser_->SetImages(&images_);
    browser_->SetActions(
        {.toggleFilter = &toggle_, .setFilter = &setFilter_, .findAbc = &search_, .copyAll = &copyAll_});
    auto* layout = new QVBoxLayout(&window_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QWidget;
    tools->setLayout(new QVBoxLayout);
    tools->layout()->setContentsMargins(0, 0, 0, 0);
    auto* list = new QWidget;
    list->setLayout(new QVBoxLayout);
    layout->addWidget(tools);
    layout->addWidget(list, 1);
    browser_->OnCreate(list, tools, nullptr, nullptr);
    window_.setMinimumSize(640, 480);
    window_.resize(width, 560);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    file_ = FileOf(kLongTitle);
    browser_->SetList(file_.get());
    QApplication::processEvents();
  }
  void TearDown() override {
    if (browser_) browser_->SetList(nullptr);
  }
  QWidget& Row() const { return *browser_->PanToolList(); }

  // Every widget of the row that is shown or keeps its room hidden, and every view
  // tab, by name, in the row's coordinates.
  std::map<std::string, QRect> Places() const {
    Row().layout()->activate();
    std::map<std::string, QRect> at;
    for (QWidget* w : Row().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (w->isVisible() || w->sizePolicy().retainSizeWhenHidden()) at[w->objectName().toStdString()] = w->geometry();
    }
    QTabBar* tabs = browser_->PGCFilter()->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
      const QRect tab = tabs->tabRect(i);
      at["tab " + tabs->tabText(i).toStdString()] = QRect(tabs->mapTo(&Row(), tab.topLeft()), tab.size());
    }
    return at;
  }

  QAction toggle_{"Toggle Filter"}, setFilter_{"Set Filter"}, search_{"Search ..."}, copyAll_{"Copy to Clipboard"};
  TImageList images_{16, 16};
  RecordingHost host_;
  std::unique_ptr<TFileEcr> browser_;
  QWidget window_;
  std::unique_ptr<TAbcFile> file_;
};

// At the first width and at the narrowest, a title typed into the list and both lamps
// lit leave every widget and tab where it stood; then nothing overlaps, everything
// stays inside the row (the tabs inside their control) and the typed text fits.
TEST_P(ToolRowTest, NothingMovesOrOverlaps) {
  Start(GetParam());
  ASSERT_EQ(Row().width(), GetParam());
  const std::map<std::string, QRect> before = Places();
  QTest::keyClicks(browser_->LstGrid(), "the humours of bally");
  ASSERT_EQ(host_.Shown(), "The Humours of Ballyconnell");
  file_->SetModified(true);
  browser_->RefreshView();
  browser_->ShowFilterLamp(true);
  for (QWidget* lit : {browser_->LabKeyStr(), browser_->VoyModif(), browser_->VoyFilter()}) {
    EXPECT_TRUE(lit->isVisible()) << lit->objectName().toStdString();
  }
  const std::map<std::string, QRect> after = Places();
  EXPECT_EQ(after, before);

  const QRect tabsArea = browser_->PGCFilter()->geometry();
  for (const auto& [name, rect] : after) {
    EXPECT_TRUE(Row().rect().contains(rect)) << name;
    if (name.starts_with("tab ")) {
      EXPECT_TRUE(tabsArea.contains(rect)) << name;
      continue;
    }
    for (const auto& [other, otherRect] : after) {
      if (other == name || other.starts_with("tab ")) continue;
      EXPECT_FALSE(rect.intersects(otherRect)) << name << " " << other;
    }
  }
  QLabel* typed = browser_->LabKeyStr();
  EXPECT_EQ(typed->text(), "the humours of bally");
  EXPECT_GE(typed->contentsRect().width(), typed->fontMetrics().horizontalAdvance(typed->text()));
}

// The window's first width, the narrowest it is seen at, and the least it allows.
INSTANTIATE_TEST_SUITE_P(Widths, ToolRowTest, ::testing::Values(1000, 760, 640));

}  // namespace
}  // namespace rq::test
