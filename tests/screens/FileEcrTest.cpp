// The tune browser's list: making a file current, rows, selection, Enter and the
// player, Delete, type-ahead, marks and drags, and the click that closes the
// instrument pop-up.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabBar>
#include <QSlider>
#include <QTimer>
#include <QWindow>
#include <QToolButton>
#include <functional>

#include "BrowserTestHelpers.h"
#include "controls/Page95Control.h"
#include "notation/AbcDef.h"
#include "screens/DlgSelPatch.h"
#include "screens/KeyFilterGrid.h"
#include "screens/MirrorList.h"
#include "screens/TuneRow.h"

namespace rq::test {
namespace {

using FileEcrTest = BrowserFixture;

// The list is sorted by title; each row reads its rhythm code and key name.
TEST_F(FileEcrTest, RowsOfTheFixture) {
  Open(kFourTunes);
  struct Row { const char* title; const char* rhythm; const char* key; };
  const Row expected[] = {{"A", "Jig", "G"}, {"a", "---", "-?-"}, {"b", "Rel", "D"}, {"Eight", "---", "C"}};
  ASSERT_EQ(file->FilterList.Count(), 4);
  for (int row = 0; row < 4; ++row) {
    TTuneRow tune;
    ASSERT_TRUE(ReadTuneRow(*file, row, tune));
    EXPECT_EQ(tune.title.toStdString(), expected[row].title);
    EXPECT_EQ(GetRhythmCode(tune.rhythm), expected[row].rhythm) << expected[row].title;
    EXPECT_EQ(tune.key == 0 ? std::string("-?-") : std::string(KeyNames[static_cast<size_t>(tune.key)]),
              expected[row].key);
  }
}

// Making a file current: its remembered row is shown, the session screen hears of it,
// and the trash offers no tune editing and no set panel. Null lets go of the file.
TEST_F(FileEcrTest, SetListAndTheTrash) {
  QAction newTune("New Tune");
  TBrowserActions actions;
  actions.newTune = &newTune;
  browser->SetActions(actions);  // after creation: no button carries it, its visibility still follows
  QSignalSpy changed(browser.get(), &TFileEcr::ListChanged);
  auto trash = FileOf(kFourTunes, "trash");
  host.trash = trash.get();
  trash->SetRow(2);
  EXPECT_EQ(browser->SetList(trash.get()), 0);
  EXPECT_EQ(host.Shown(), "b");
  EXPECT_TRUE(browser->PanSet()->isHidden());
  EXPECT_FALSE(newTune.isVisible());

  Open(kFourTunes);
  EXPECT_FALSE(browser->PanSet()->isHidden());
  EXPECT_TRUE(newTune.isVisible());
  EXPECT_EQ(trash->ListTop, 0);
  EXPECT_EQ(browser->SetList(nullptr), -1);
  EXPECT_EQ(browser->CurList(), nullptr);
  EXPECT_EQ(Grid().GridMax(), 0);
  ASSERT_EQ(changed.count(), 3);
  EXPECT_EQ(changed.at(2).at(0).value<TAbcFile*>(), nullptr);
}

// Enter plays the selected tune and, again on the same tune, stops it; after a move
// Enter prepares the new tune. A double click plays as Enter does.
TEST_F(FileEcrTest, EnterPlaysThenStops) {
  Open(kFourTunes);
  Key(Qt::Key_Return);
  Key(Qt::Key_Return);
  EXPECT_EQ(player.calls, (std::vector<std::string>{"pause", "prepare A", "play", "stop"}));
  player.calls.clear();
  Key(Qt::Key_Return);  // stopped: the prepared tune plays again
  Key(Qt::Key_Down);
  Key(Qt::Key_Enter);
  EXPECT_EQ(player.calls, (std::vector<std::string>{"pause", "play", "pause", "prepare a", "play"}));
  player.calls.clear();
  QTest::mouseDClick(Grid().viewport(), Qt::LeftButton, {}, RowPoint(1));
  EXPECT_EQ(player.calls, (std::vector<std::string>{"pause", "play"}));
}

// Delete All Tunes answered No leaves the tune shown as it was: Enter on the playing
// tune still stops it.
TEST_F(FileEcrTest, DeleteAllAnsweredNoKeepsThePlayingTune) {
  Open(kFourTunes);
  Key(Qt::Key_Return);
  player.calls.clear();
  browser->DeleteAllTunes();  // the host sends nothing, as on No
  Key(Qt::Key_Return);
  EXPECT_EQ(player.calls, (std::vector<std::string>{"stop"}));
}

// Previous and next step through the list as the arrow keys do; the play commands
// play the tune they land on, at either end the tune shown. The focus goes back to
// the list the user left.
TEST_F(FileEcrTest, PreviousAndNext) {
  Open(kFourTunes);
  browser->ShowNextTune();
  EXPECT_EQ(host.Shown(), "a");
  EXPECT_TRUE(player.calls.empty());
  browser->PlayPrevTune();
  browser->PlayPrevTune();
  EXPECT_EQ(player.calls, (std::vector<std::string>{"pause", "prepare A", "play", "pause", "play"}));
  Grid().SetGridIdx(3);
  browser->ShowNextTune();
  EXPECT_EQ(host.Shown(), "Eight");

  EXPECT_FALSE(browser->FocusLastExitGrid());
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Grid().setFocus();
  browser->BarSlider()->setFocus();
  EXPECT_EQ(host.lastExit, &Grid());
  EXPECT_TRUE(browser->FocusLastExitGrid());
  EXPECT_TRUE(Grid().hasFocus());
}

// A click in the second list selects that tune in the browser: shown, current, the
// list's row; both lists light the same row. Past the last tune a click does nothing.
TEST_F(FileEcrTest, ClickInTheSecondListSelectsItsTune) {
  Open(kFourTunes);
  TMirrorList& list2 = *browser->GridList2();
  list2.resize(200, 120);
  list2.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list2));
  QTest::mouseClick(list2.viewport(), Qt::LeftButton, {}, list2.RowRect(2).center());
  EXPECT_EQ(Grid().GridIdx(), 2);
  EXPECT_EQ(file->GetRow(), 2);
  EXPECT_EQ(host.Shown(), "b");
  EXPECT_EQ(list2.Row(), 2);
  QTest::mouseClick(list2.viewport(), Qt::LeftButton, {}, list2.RowRect(5).center());
  EXPECT_EQ(Grid().GridIdx(), 2);
  EXPECT_EQ(host.Shown(), "b");
}

// Whenever the shown tune changes, the next Enter prepares it anew, also when the
// new tune lands on the row of the old one.
TEST_F(FileEcrTest, EnterPreparesTheTuneShownAfterEveryChange) {
  struct Case {
    const char* change;
    std::function<void(BrowserFixture&)> act;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {"view tab", [](BrowserFixture& f) {
         f.file->ToggleSelect(0);  // A: the Unchecked view starts with a
         QTest::mouseClick(f.browser->PGCFilter()->tabBar(), Qt::LeftButton, {},
                           f.browser->PGCFilter()->tabBar()->tabRect(2).center());
       }, "a"},
      {"key filter", [](BrowserFixture& f) {
         QTest::mouseClick(f.browser->FKGrid(), Qt::LeftButton, {}, f.browser->FKGrid()->ItemRect(51).center());
       }, "A"},
      {"search", [](BrowserFixture& f) { f.browser->SearchText("eight"); }, "Eight"},
      {"deletion", [](BrowserFixture& f) { f.Key(Qt::Key_Delete); }, "Eight"},
  };
  for (const Case& c : cases) {
    Open(kFourTunes);
    Grid().setFocus();
    Grid().SetGridIdx(2);  // b
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);  // stopped, b prepared
    player.calls.clear();
    c.act(*this);
    EXPECT_EQ(host.Shown(), c.shown) << c.change;
    Key(Qt::Key_Return);
    EXPECT_EQ(player.calls, (std::vector<std::string>{"pause", std::string("prepare ") + c.shown, "play"})) << c.change;
  }
}

// Type-ahead finds the first title starting with the typed text, upper-casing ASCII;
// after the pause a new text starts; '.' and Backspace are not typed.
TEST_F(FileEcrTest, TypeAhead) {
  Open("X:1\nT:Carolan\nK:D\nX:2\nT:Boyne\nK:D\nX:3\nT:abbey\nK:D\n");
  Grid().SetGridIdx(1);
  QTest::keyClicks(&Grid(), "ca.");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(browser->LabKeyStr()->text(), "ca");
  EXPECT_EQ(Grid().GridIdx(), 2);
  EXPECT_EQ(host.Shown(), "Carolan");
  QTest::keyClicks(&Grid(), "x");  // no title: the selection stays
  EXPECT_EQ(Grid().GridIdx(), 2);

  browser->KeyTimer()->stop();
  browser->OnTimerKeyStr();
  EXPECT_TRUE(browser->LabKeyStr()->isHidden());
  QTest::keyClicks(&Grid(), "A");
  EXPECT_EQ(browser->LabKeyStr()->text(), "A");
  EXPECT_EQ(Grid().GridIdx(), 0);
  EXPECT_EQ(host.Shown(), "abbey");
}

// A press in the first 18 pixels of a row toggles its mark; a view is counted when
// it is built again. Each view remembers its own row.
TEST_F(FileEcrTest, MarksByClickAndRowPerView) {
  Open(kFourTunes);
  Grid().SetGridIdx(3);
  browser->SetViewMode(vmAdded);  // nothing added: an empty view
  EXPECT_EQ(Grid().GridMax(), 0);
  EXPECT_EQ(host.Shown(), "Eight");
  browser->SetViewMode(vmAll);
  EXPECT_EQ(Grid().GridIdx(), 3);
  Press(1, 17);
  Press(3, 0);
  Press(2, 18);
  EXPECT_EQ(Grid().GridIdx(), 2);
  browser->SetViewMode(vmMarked);
  EXPECT_EQ(View(), (std::vector<std::string>{"a", "Eight"}));
  browser->SetViewMode(vmUnmarked);
  EXPECT_EQ(browser->LabCptFlt()->text(), "2 ");
  Press(0, 3);  // A leaves the view when the view is built again
  EXPECT_EQ(browser->LabCptFlt()->text(), "2 ");
  browser->SetViewMode(vmUnmarked);
  EXPECT_EQ(browser->LabCptFlt()->text(), "1 ");
}

// A drag from a tune carries that tune (a press on its mark too); one from the tune
// counter carries the whole view; one from an empty cell does not start.
TEST_F(FileEcrTest, Drags) {
  Open(kFourTunes);
  QWidget* list = Grid().viewport();
  EXPECT_TRUE(host.StartDrag(list, RowPoint(2)));
  EXPECT_TRUE(host.StartDrag(list, RowPoint(1, 3)));
  EXPECT_FALSE(host.StartDrag(list, RowPoint(5)));
  EXPECT_TRUE(host.StartDrag(browser->LabCptFlt(), QPoint(2, 2)));
  EXPECT_EQ(host.drags, (std::vector<RecordingHost::Drag>{{0, -1, 2}, {0, -1, 1}, {1, 1, 0}}));
}

// The slider sets the column width, never below 200; the list takes the whole
// height and gives it back.
TEST_F(FileEcrTest, ListLayout) {
  Open(kFourTunes);
  QSlider* slider = browser->BarSlider();
  slider->setValue(260);
  EXPECT_EQ(Grid().DefaultColWidth(), 260);
  browser->OnChangeSize(150);
  EXPECT_EQ(Grid().DefaultColWidth(), 200);
  EXPECT_EQ(slider->value(), 200);

  auto* expand = browser->PanList()->findChild<QToolButton*>("btnExpand");
  auto* collapse = browser->PanList()->findChild<QToolButton*>("btnColsp");
  QTest::mouseClick(expand, Qt::LeftButton);
  EXPECT_TRUE(host.expanded);
  QTest::mouseClick(collapse, Qt::LeftButton);
  EXPECT_FALSE(host.expanded);
  EXPECT_FALSE(expand->isHidden());
}

// Both tune counters show every digit of their count however narrow the window: a file of
// 113,033 tunes is counted with all six.
TEST_F(FileEcrTest, CountersShowEveryDigit) {
  std::string text;
  for (int n = 1; n <= 113033; ++n) text += "X:" + std::to_string(n) + "\n";
  Open(text);
  window->resize(1, window->height());
  window->layout()->activate();
  for (QLabel* counter : {browser->LabCptAll(), browser->LabCptFlt()}) {
    EXPECT_EQ(counter->text(), "113033 ") << counter->objectName().toStdString();
    EXPECT_GE(counter->contentsRect().width(), counter->fontMetrics().horizontalAdvance(counter->text()))
        << counter->objectName().toStdString();
  }
}

// A click as the window system delivers it, through the widget's window (where an
// open pop-up sees it first), with the events in between handled.
void WindowClick(QWidget* widget, QPoint pos) {
  QWindow* window = widget->window()->windowHandle();
  const QPoint at = widget->mapTo(widget->window(), pos);
  QTest::mousePress(window, Qt::LeftButton, {}, at);
  QApplication::processEvents();
  QTest::mouseRelease(window, Qt::LeftButton, {}, at);
  QApplication::processEvents();
}

// With the instrument pop-up open and an instrument picked, one click on another tune
// closes the pop-up and selects that tune; a press on the button that opened it only
// closes it, and the next press opens it again.
TEST_F(FileEcrTest, ClickAfterPickingAnInstrumentSelects) {
  window->layout()->addWidget(browser->PanSet());  // in the window, as in the program
  Open(kFourTunes);
  Grid().SetGridIdx(0);
  auto* instruments = new QListWidget;
  instruments->setWrapping(true);
  instruments->setGridSize(QSize(100, 16));
  instruments->addItems({"Piano", "Harp", "Fiddle", "Flute"});
  int picked = -1;
  QObject::connect(instruments, &QListWidget::itemClicked,
                   [&](QListWidgetItem* item) { picked = instruments->row(item); });
  TDlgSelPatch popUp;
  popUp.OnCreate(instruments);
  auto* patch = new QToolButton(window.get());
  patch->setText("PATCH");
  window->layout()->addWidget(patch);
  QObject::connect(patch, &QToolButton::clicked, [&] { popUp.isVisible() ? popUp.hide() : popUp.ShowUnder(patch); });
  QApplication::processEvents();
  const QPoint middle = patch->rect().center();

  WindowClick(patch, middle);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&popUp));
  WindowClick(instruments->viewport(), instruments->visualItemRect(instruments->item(2)).center());
  EXPECT_EQ(picked, 2);
  WindowClick(Grid().viewport(), RowPoint(2));
  EXPECT_FALSE(popUp.isVisible());
  EXPECT_EQ(Grid().GridIdx(), 2);
  EXPECT_EQ(host.Shown(), "b");

  WindowClick(patch, middle);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&popUp));
  WindowClick(patch, middle);
  EXPECT_FALSE(popUp.isVisible());
  WindowClick(patch, middle);
  EXPECT_TRUE(popUp.isVisible());
}

}  // namespace
}  // namespace rq::test
