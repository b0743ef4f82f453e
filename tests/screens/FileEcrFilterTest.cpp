// The tune browser's views: view tabs, key and rhythm filters, the filter switch,
// marking all, and the searches that end in the result view.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <memory>

#include "BrowserTestHelpers.h"
#include "controls/Page95Control.h"
#include "notation/AbcDef.h"
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
  // The browser's "Toggle Filter" action, wired as the program wires it.
  QAction& ToggleAction() {
    toggle_ = std::make_unique<QAction>("Toggle Filter");
    toggle_->setCheckable(true);
    TBrowserActions actions;
    actions.toggleFilter = toggle_.get();
    browser->SetActions(actions);
    QObject::connect(toggle_.get(), &QAction::triggered, browser.get(), &TFileEcr::OnCheckFilter);
    return *toggle_;
  }
  std::unique_ptr<QAction> toggle_;
};

constexpr int kItemG = 51;  // key-name index 52

// The filter button switches an active filter off and on; the three empty cells
// after the keys do nothing; the same key again turns the filter, its lamp and the
// button off; with nothing chosen the button stays up.
TEST_F(FileEcrFilterTest, KeyFilterAndFilterButton) {
  QAction& toggle = ToggleAction();
  Open(kFourTunes);
  toggle.trigger();
  EXPECT_FALSE(toggle.isChecked());
  EXPECT_FALSE(LampOn());

  ClickKey(kItemG);
  EXPECT_TRUE(toggle.isChecked());
  toggle.trigger();
  EXPECT_EQ(View().size(), 4u);
  EXPECT_FALSE(LampOn());
  toggle.trigger();
  for (int item : {61, 62, 63}) ClickKey(item);
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  EXPECT_TRUE(LampOn());
  ClickKey(kItemG);
  EXPECT_FALSE(LampOn());
  EXPECT_FALSE(browser->FilterButtonDown());
}

// The tune selected stays selected and shown through every filter that keeps it in
// the view, though its row changes: ticking another key, switching the filter off
// and on, clearing it.
TEST_F(FileEcrFilterTest, FiltersKeepTheSelectedTune) {
  QAction& toggle = ToggleAction();
  Open(kFourTunes);
  auto item = [](std::string_view key) {
    return static_cast<int>(std::find(KeyNames.begin(), KeyNames.end(), key) - KeyNames.begin()) - 1;
  };
  ClickKey(item("D"));
  ClickKey(item("C"));
  ASSERT_EQ(View(), (std::vector<std::string>{"b", "Eight"}));
  Press(1);
  ASSERT_EQ(host.Shown(), "Eight");
  const auto selected = [this] { return file->GetTitle(Grid().GridIdx()); };
  const struct {
    const char* step;
    std::function<void()> run;
    int row;
  } steps[] = {
      {"tick G", [&] { ClickKey(kItemG); }, 2},
      {"filter off", [&] { toggle.trigger(); }, 3},
      {"filter on", [&] { toggle.trigger(); }, 2},
      {"clear", [&] { browser->OnClearFlt(); }, 3},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    step.run();
    EXPECT_EQ(Grid().GridIdx(), step.row);
    EXPECT_EQ(selected(), "Eight");
    EXPECT_EQ(host.Shown(), "Eight");
  }
  // A filter that drops the tune selects the row's tune.
  ClickKey(kItemG);
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(host.Shown(), "A");
}

// The lamp keeps its room when it goes out: the buttons after it stay where the
// pointer left them.
TEST_F(FileEcrFilterTest, ButtonsStayPutWhenTheLampToggles) {
  QAction toggle("Toggle Filter"), set("Set Filter"), search("Search ...");
  toggle.setCheckable(true);
  TBrowserActions actions{.toggleFilter = &toggle, .setFilter = &set, .findAbc = &search};
  TFileEcr own(host);
  own.SetActions(actions);
  QWidget tools;
  new QVBoxLayout(&tools);
  own.OnCreate(nullptr, &tools, nullptr, nullptr);
  tools.resize(900, 40);
  tools.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tools));
  auto file = FileOf(kFourTunes);
  own.SetList(file.get());
  QWidget* row = own.PanToolList();
  const auto places = [&] {
    std::vector<QPoint> at;
    for (const char* name : {"BtnTogFilter", "btnPopFilter", "BtnAbcCode", "VoyModif"}) {
      QWidget* w = row->findChild<QWidget*>(name);
      EXPECT_NE(w, nullptr) << name;
      if (w) at.push_back(w->pos());
    }
    return at;
  };
  QApplication::processEvents();
  const std::vector<QPoint> before = places();
  for (bool on : {true, false}) {
    own.ShowFilterLamp(on);
    row->layout()->activate();
    EXPECT_EQ(places(), before) << on;
  }
  own.SetList(nullptr);
}

// A rhythm check narrows the view; each list keeps its own checks, which are set
// without running the filter handler again.
TEST_F(FileEcrFilterTest, RhythmFilterPerList) {
  Open(kFourTunes);
  CheckRhythm(1, true);  // Reel
  CheckRhythm(2, true);  // Jig
  auto other = FileOf(kFourTunes, "other.abc");
  browser->SetList(other.get());
  EXPECT_EQ(browser->FRGrid()->item(1)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(other->KeyRhythmFilter.Active);
  EXPECT_FALSE(LampOn());
  const size_t shows = host.shown.size();
  browser->SetList(file.get());
  EXPECT_EQ(host.shown.size(), shows + 1);  // one refresh, no filter handler run by the checks
  EXPECT_EQ(browser->FRGrid()->item(2)->checkState(), Qt::Checked);
  CheckRhythm(2, false);
  EXPECT_TRUE(LampOn());
  EXPECT_EQ(View(), (std::vector<std::string>{"b"}));

  browser->OnClearFlt();
  EXPECT_EQ(browser->FRGrid()->item(1)->checkState(), Qt::Unchecked);
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

// A click on a view tab leaves the keyboard with the tune list: the keys move the
// list and the view stays on the tab clicked.
TEST_F(FileEcrFilterTest, ViewTabClickLeavesTheKeysWithTheList) {
  Open(kFourTunes);
  QApplication::setActiveWindow(window.get());
  Grid().setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  struct Case {
    Qt::Key key;
    int row;  // the list's row after the key
  };
  for (const Case c : {Case{Qt::Key_Down, 1}, Case{Qt::Key_Right, 1}, Case{Qt::Key_Down, 2}, Case{Qt::Key_Up, 1}}) {
    ClickTab(2);  // "Unchecked"
    EXPECT_EQ(QApplication::focusWidget(), &Grid());
    QTest::keyClick(QApplication::focusWidget(), c.key);
    EXPECT_EQ(Grid().GridIdx(), c.row) << QKeySequence(c.key).toString().toStdString();
    EXPECT_EQ(browser->PGCFilter()->ActivePage()->objectName(), "tabUnmark");
  }
}

// Dragging a view tab onto another puts it there; each tab keeps its view.
TEST_F(FileEcrFilterTest, ViewTabsReorderByDragging) {
  Open(kFourTunes);
  file->ToggleSelect(2);  // b
  TPage95Control* tabs = browser->PGCFilter();
  QTabBar* bar = tabs->tabBar();
  const auto send = [&](QEvent::Type type, int tab, Qt::MouseButtons held) {
    const QPoint at = bar->tabRect(tab).center();
    QMouseEvent e(type, at, bar->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
  };
  send(QEvent::MouseButtonPress, 0, Qt::LeftButton);
  send(QEvent::MouseMove, 2, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, 2, Qt::NoButton);
  std::vector<std::string> order;
  for (int i = 0; i < tabs->PageCount(); ++i) order.push_back(tabs->Pages(i)->objectName().toStdString());
  EXPECT_EQ(order, (std::vector<std::string>{"tabMark", "tabUnmark", "tabViewAbc", "tabAdd", "tabSearch"}));
  EXPECT_EQ(tabs->ActivePage()->objectName(), "tabViewAbc");
  ClickTab(0);
  EXPECT_EQ(file->ViewMode, vmMarked);
  EXPECT_EQ(View(), (std::vector<std::string>{"b"}));
}

// Mark all marks the view shown only; unmark all clears the marks.
TEST_F(FileEcrFilterTest, MarkAllOfTheView) {
  Open(kFourTunes);
  ClickKey(kItemG);
  browser->MarkAll();
  browser->OnClearFlt();
  browser->SetViewMode(vmMarked);
  EXPECT_EQ(View(), (std::vector<std::string>{"A"}));
  browser->UnmarkAll();
  browser->SetViewMode(vmMarked);
  EXPECT_TRUE(View().empty());
}

// The searches end in the result view: a note pattern scores Eight 8, a text hit
// scores 10 (no box); a letter beyond ASCII is found in either
// encoding. (A search without hits is tried in the program.)
TEST_F(FileEcrFilterTest, SearchesEndInTheResultView) {
  Open(kFourTunes);
  browser->SearchAbc(kEightNotes, "4/4", 8);
  ASSERT_EQ(View(), (std::vector<std::string>{"Eight"}));
  TTuneRow row;
  ASSERT_TRUE(ReadTuneRow(*file, 0, row));
  EXPECT_EQ(row.score, 8);

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

}  // namespace
}  // namespace rq::test
