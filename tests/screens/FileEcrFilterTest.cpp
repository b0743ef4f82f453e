// The tune browser's views: view tabs, key and rhythm filters, the filter switch,
// marking all, and the searches that end in the result view.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>

#include "BrowserTestHelpers.h"
#include "controls/Page95Control.h"
#include "screens/KeyFilterGrid.h"
#include "screens/TuneRow.h"

namespace rq::test {
namespace {

class FileEcrFilterTest : public BrowserFixture {
 protected:
  void ClickKey(int item) {
    QTest::mouseClick(browser->FKGrid(), Qt::LeftButton, {}, browser->FKGrid()->ItemRect(item).center());
  }
  void ClickTab(int index) {
    QTabBar* bar = browser->PGCFilter()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  void CheckRhythm(int index, bool on) {
    browser->FRGrid()->item(index)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  bool LampOn() const { return !browser->VoyFilter()->isHidden(); }
};

constexpr int kItemG = 51;  // key-name index 52

// A key turns the filter and its lamp on; the same key again turns both off; the
// three empty cells after the keys do nothing. The filter button switches an active
// filter off and on; with nothing chosen it stays up.
TEST_F(FileEcrFilterTest, KeyFilterAndFilterButton) {
  QAction toggle("Toggle Filter");
  toggle.setCheckable(true);
  TBrowserActions actions;
  actions.toggleFilter = &toggle;
  browser->SetActions(actions);
  QObject::connect(&toggle, &QAction::triggered, browser.get(), &TFileEcr::OnCheckFilter);
  Open(kFourTunes);
  toggle.trigger();
  EXPECT_FALSE(toggle.isChecked());
  EXPECT_FALSE(LampOn());

  ClickKey(kItemG);
  EXPECT_TRUE(file->KeyRhythmFilter.KeySet.test(52));
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  EXPECT_TRUE(LampOn());
  EXPECT_TRUE(browser->FilterButtonDown());
  EXPECT_TRUE(toggle.isChecked());
  toggle.trigger();
  EXPECT_EQ(View().size(), 4u);
  EXPECT_FALSE(LampOn());
  EXPECT_EQ(file->FilterOn, 0);
  toggle.trigger();
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  EXPECT_TRUE(LampOn());

  for (int item : {61, 62, 63}) ClickKey(item);
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  ClickKey(kItemG);
  EXPECT_FALSE(file->KeyRhythmFilter.Active);
  EXPECT_EQ(View().size(), 4u);
  EXPECT_FALSE(LampOn());
  EXPECT_FALSE(browser->FilterButtonDown());
}

// A rhythm check narrows the view; each list keeps its own checks, which are set
// without running the filter handler again.
TEST_F(FileEcrFilterTest, RhythmFilterPerList) {
  Open(kFourTunes);
  CheckRhythm(1, true);  // Reel
  EXPECT_EQ(View(), (std::vector<std::string>{"b"}));
  EXPECT_TRUE(LampOn());
  CheckRhythm(2, true);  // Jig
  auto other = FileOf(kFourTunes, "other.abc");
  browser->SetList(other.get());
  EXPECT_EQ(browser->FRGrid()->item(1)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(other->KeyRhythmFilter.Active);
  EXPECT_FALSE(LampOn());
  const size_t shows = host.shown.size();
  browser->SetList(file.get());
  EXPECT_EQ(host.shown.size(), shows + 1);  // one refresh, no filter handler run by the checks
  EXPECT_EQ(browser->FRGrid()->item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(browser->FRGrid()->item(2)->checkState(), Qt::Checked);
  CheckRhythm(2, false);
  EXPECT_TRUE(LampOn());
  EXPECT_EQ(View(), (std::vector<std::string>{"b"}));

  browser->OnClearFlt();
  EXPECT_EQ(browser->FRGrid()->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(View().size(), 4u);
  EXPECT_FALSE(LampOn());
}

// A tab click shows its view; a view set by code moves the tab without running the
// tab handler; mode 1 has no tab and leaves the tab shown.
TEST_F(FileEcrFilterTest, ViewTabs) {
  Open(kFourTunes);
  file->ToggleSelect(2);  // b
  ClickTab(1);
  EXPECT_EQ(file->ViewMode, vmMarked);
  EXPECT_EQ(View(), (std::vector<std::string>{"b"}));
  browser->SetViewMode(vmUnmarked);
  EXPECT_EQ(browser->PGCFilter()->currentIndex(), 2);
  EXPECT_EQ(file->ViewMode, vmUnmarked);
  browser->SetViewMode(vmAllFiltered);
  EXPECT_EQ(browser->PGCFilter()->currentIndex(), 2);
  EXPECT_EQ(View().size(), 4u);

  // A list opened in its own mode shows its tab, without running the tab handler.
  auto other = FileOf(kFourTunes, "other.abc");
  other->ToggleSelect(0);
  other->SetViewMode(vmMarked, 0);
  const size_t shows = host.shown.size();
  browser->SetList(other.get());
  EXPECT_EQ(browser->PGCFilter()->currentIndex(), 1);
  EXPECT_EQ(host.shown.size(), shows + 1);
  browser->SetList(file.get());
}

// Mark all and unmark all act on the view shown.
TEST_F(FileEcrFilterTest, MarkAllOfTheView) {
  Open(kFourTunes);
  ClickKey(kItemG);
  browser->MarkAll();
  browser->OnClearFlt();
  browser->SetViewMode(vmMarked);
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  browser->SetViewMode(vmAll);
  browser->MarkAll();
  browser->SetViewMode(vmUnmarked);
  EXPECT_TRUE(View().empty());
  browser->SetViewMode(vmAll);
  browser->UnmarkAll();
  browser->SetViewMode(vmMarked);
  EXPECT_TRUE(View().empty());
}

// The searches end in the result view: a note pattern scores Eight 8 (a green
// box), a text hit scores 10 (no box); a letter beyond ASCII is found in either encoding.
TEST_F(FileEcrFilterTest, SearchesEndInTheResultView) {
  Open(kFourTunes);
  browser->SearchAbc(kEightNotes, "4/4", 8);
  EXPECT_EQ(file->ViewMode, vmSearched);
  EXPECT_EQ(browser->PGCFilter()->currentIndex(), 4);
  ASSERT_EQ(View(), (std::vector<std::string>{"Eight"}));
  TTuneRow row;
  ASSERT_TRUE(ReadTuneRow(*file, 0, row));
  EXPECT_EQ(row.score, 8);
  EXPECT_EQ(ScoreBoxColor(row.score), QColor(Qt::green));
  EXPECT_EQ(host.Shown(), "Eight");

  browser->SearchText("reel");
  ASSERT_EQ(View(), (std::vector<std::string>{"b"}));
  ASSERT_TRUE(ReadTuneRow(*file, 0, row));
  EXPECT_EQ(row.score, kTextHitScore);

  browser->SearchText(QString::fromUtf8("JOS\xC3\xA9"));
  EXPECT_EQ(View(), (std::vector<std::string>{"a"}));

  // A likeness search takes the editor's text; with an empty view it does nothing.
  host.editorText = {"X:1", "T:Eight", "M:4/4", "L:1/8", "K:C", kEightNotes};
  browser->SetViewMode(vmAdded);
  browser->SearchFromEditor(6);
  EXPECT_EQ(file->ViewMode, vmAdded);
  browser->SetViewMode(vmAll);
  browser->SearchFromEditor(8);
  EXPECT_EQ(file->ViewMode, vmSearched);
  EXPECT_EQ(View(), (std::vector<std::string>{"Eight"}));
}

// A search with no hits leaves the tune shown before it as the current one.
TEST_F(FileEcrFilterTest, NoHitsKeepTheShownTune) {
  Open(kFourTunes);
  Grid().SetGridIdx(2);
  const size_t shows = host.shown.size();
  browser->SearchAbc("g8|f8|e8|d8|", "4/4", 8);
  EXPECT_TRUE(View().empty());
  EXPECT_EQ(host.shown.size(), shows);
  ASSERT_NE(file->CurrentRec, nullptr);
  EXPECT_EQ(file->TitleOfRec(file->CurrentRec), "b");
}

// The filter panel's tabs switch between the key grid and the rhythm list; the
// filter window opens and closes.
TEST_F(FileEcrFilterTest, FilterPanelAndWindow) {
  Open(kFourTunes);
  EXPECT_FALSE(browser->PanKFilter()->isHidden());
  EXPECT_TRUE(browser->PanRFilter()->isHidden());
  QTest::mouseClick(browser->FilterTabs(), Qt::LeftButton, {}, browser->FilterTabs()->tabRect(1).center());
  EXPECT_TRUE(browser->PanKFilter()->isHidden());
  EXPECT_FALSE(browser->PanRFilter()->isHidden());
  ASSERT_NE(browser->FilterWindow(), nullptr);
  EXPECT_TRUE(browser->PanFilter()->window() == browser->FilterWindow());
  browser->OnDropWinFilter();
  EXPECT_TRUE(browser->FilterWindow()->isVisible());
  browser->OnCloseFilter();
  EXPECT_FALSE(browser->FilterWindow()->isVisible());
}

}  // namespace
}  // namespace rq::test
