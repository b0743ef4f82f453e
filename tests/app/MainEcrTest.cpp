// The application context and the main window, offscreen, in a temporary program
// folder, with scripted answers and the recording MIDI device.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QDir>
#include <QFile>
#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/DlgOpt.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "app/Welcome.h"
#include "controls/Page95Control.h"
#include "controls/ScreenFit.h"
#include "screens/DlgSchAbc.h"
#include "score/screens/PageScoreEcr.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgString.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"
#include "screens/KeyFilterGrid.h"
#include "screens/PlayerEcr.h"
#include "screens/SesMaster.h"
#include "score/screens/PrintListEcr.h"
#include "controls/ListGrid.h"
#include "midi/ZymMidi.h"
#include "library/FileAbc.h"

namespace rq {
namespace {

const char* kTwoReels =
    "X:1\nT:Drowsy Maggie\nR:reel\nM:4/4\nL:1/8\nK:Edor\nE2BE dEBE|E2BE AFDF|\n\n"
    "X:2\nT:The Silver Spear\nR:reel\nM:4/4\nL:1/8\nK:D\nFA (3AAA BAFA|dAFA BEEF|\n";

class MainEcrTest : public test::AppFixture {};

using test::Text;

// Everything is constructed before anything initialises; the main window makes the
// player once the settings are read; teardown runs in reverse, controller first.
TEST_F(MainEcrTest, StartsInOrderAndTearsDownInReverse) {
  TAppContext& app = Start();
  EXPECT_TRUE(app.StartErrors().empty());
  const std::vector<std::string> started = {
      "construct ResLib",     "construct MainEcr",     "construct TuneParser", "construct AbcMidi",
      "construct FileControl", "construct SesMaster",  "construct DlgFltTune", "construct CtrlFileEcr",
      "construct DlgString",  "construct EditEcr",     "init MainEcr",         "create MidiPlayer",
      "init ResLib",          "init EditEcr",          "init SesMaster",       "init DlgFltTune",
      "construct ScoreEcr",   "init ScoreEcr",         "construct PageScoreEcr", "init PageScoreEcr",
      "construct FileEcr",    "init FileEcr",          "construct PlayerEcr",  "init PlayerEcr",
      "init CtrlFileEcr",     "construct DlgSearchAbc", "init DlgSearchAbc",   "construct DlgSelPatch",
      "init DlgSelPatch",     "construct DlgOpt",      "init DlgOpt",          "init DlgString",
      "construct PrintListEcr", "init PrintListEcr"};
  EXPECT_EQ(log_, started);
  EXPECT_EQ(TAppContext::Current(), &app);

  context_.reset();
  const std::vector<std::string> stopped(log_.begin() + static_cast<long>(started.size()), log_.end());
  EXPECT_EQ(stopped, (std::vector<std::string>{"stop MidiPlayer", "destroy PrintListEcr", "destroy DlgString", "destroy DlgOpt", "destroy DlgSelPatch",
                                               "destroy DlgSearchAbc", "destroy PlayerEcr", "destroy FileEcr",
                                               "destroy EditEcr", "destroy PageScoreEcr", "destroy ScoreEcr", "destroy CtrlFileEcr", "destroy DlgFltTune",
                                               "destroy SesMaster", "destroy FileControl", "destroy MidiPlayer",
                                               "destroy AbcMidi", "destroy TuneParser", "destroy MainEcr",
                                               "destroy Actions", "destroy ResLib"}));
  EXPECT_EQ(TAppContext::Current(), nullptr);
}

// The open-files tabs, the browser's view tabs and the options dialog's tabs share
// their manner: flat buttons without separators, hot tracking, tabs that can be
// reordered by dragging and never take the keyboard focus.
TEST_F(MainEcrTest, TheThreePageControlsShareTheirManner) {
  TAppContext& app = Start();
  const std::pair<const char*, TPage95Control*> controls[] = {
      {"open files", app.CtrlFileEcr()->PGCFile()},
      {"views", app.FileEcr()->PGCFilter()},
      {"options", app.DlgOpt()->findChild<TPage95Control*>("PGCFilter")}};
  for (const auto& [name, control] : controls) {
    SCOPED_TRACE(name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->FlatButtons());
    EXPECT_FALSE(control->FlatSeperators());
    EXPECT_TRUE(control->HotTrack());
    EXPECT_TRUE(control->RemoveLastTab());
    EXPECT_FALSE(control->TabStop());
    EXPECT_TRUE(control->AllowTabShifting());
  }
}

// The open command opens everything between "[Open(" and the final ")]"; an empty
// path or another shape does nothing. The recent menu holds 16 names and shows "&" as
// itself, also after the "Last Files" button showed them; choosing an entry that is
// already open refuses and moves it to the top.
TEST_F(MainEcrTest, OpenCommandAndRecentFiles) {
  Write("Reels (2).abc", kTwoReels);
  const std::string reels = Path("Reels (2).abc");
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  const size_t before = app.FileControl()->Files().size();
  main.OnExecDDEMacro("[Open()]");
  main.OnExecDDEMacro("Open " + QString::fromStdString(reels));
  EXPECT_EQ(app.FileControl()->Files().size(), before);
  main.OnExecDDEMacro(QString::fromStdString("[Open(" + reels + ")]"));
  ASSERT_EQ(app.FileControl()->Files().size(), before + 1);
  EXPECT_EQ(app.ShownFile()->FileName, reels);
  EXPECT_EQ(main.RecentFiles(), std::vector<std::string>{reels});

  for (int i = 0; i < 20; ++i) main.AddRecentFile("/tunes/file" + std::to_string(i) + ".abc");
  main.AddRecentFile("/tunes/Jigs & Reels.abc");
  main.OnBtnRecent();
  main.PopRecent()->hide();
  ASSERT_EQ(main.RecentMenu()->actions().size(), 16);
  EXPECT_EQ(main.RecentMenu()->actions()[0]->text(), "/tunes/Jigs && Reels.abc");
  ui_.Asked.clear();
  main.OnMRUOpen(reels);
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"File already open"});
  EXPECT_EQ(main.RecentFiles()[0], reels);
}

// Quitting asks about each changed file first, then "Quit Reelquill ?"; No keeps the
// program running with the settings unwritten; Yes writes them.
TEST_F(MainEcrTest, CloseSequenceAsksFilesThenQuit) {
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  app.FileControl()->NewFile();
  ui_.Asked.clear();
  ui_.Answers = {mrNo, mrNo};
  EXPECT_FALSE(main.OnClose());
  EXPECT_EQ(AskedTexts(), (std::vector<std::string>{"Save New File :abcnew1", "Quit Reelquill ?"}));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("RQUILL20.INI"))));

  ui_.Asked.clear();
  ui_.Answers = {mrAbort};
  EXPECT_FALSE(main.OnClose());
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"Save New File :abcnew1"});

  ui_.Asked.clear();
  ui_.Answers = {mrNo, mrYes};
  main.AddRecentFile("/tunes/jigs.abc");
  EXPECT_TRUE(main.OnClose());
  const std::string ini = test::ReadBytes(Path("RQUILL20.INI"));
  EXPECT_NE(ini.find("[POSITION]"), std::string::npos);
  EXPECT_NE(ini.find("Item_0=/tunes/jigs.abc"), std::string::npos);
  EXPECT_NE(ini.find("[MIDI]"), std::string::npos);
}

// A settings file that cannot be read or written (a folder, a pipe or a loop of links
// in its place) gives the defaults at start without blocking, and does not keep the
// program from quitting: the reason is shown and the close goes on.
TEST_F(MainEcrTest, UnreadableSettingsStillStartAndQuit) {
  const std::string ini = Path("RQUILL20.INI");
  const struct {
    const char* what;
    std::function<bool()> make;
  } obstacles[] = {
      {"folder", [&] { return QDir().mkpath(QString::fromStdString(ini)); }},
      {"pipe", [&] { return ::mkfifo(ini.c_str(), 0600) == 0; }},
      {"loop of links", [&] { return ::symlink(ini.c_str(), ini.c_str()) == 0; }},
  };
  for (const auto& obstacle : obstacles) {
    SCOPED_TRACE(obstacle.what);
    ASSERT_TRUE(obstacle.make());
    TAppContext& app = Start();
    EXPECT_EQ(app.Settings().HRuler, TSettings().HRuler);
    ui_.Asked.clear();
    ui_.Answers = {mrYes};
    EXPECT_TRUE(app.MainEcr()->OnClose());
    ASSERT_EQ(ui_.Asked.size(), 2u) << ::testing::PrintToString(AskedTexts());
    EXPECT_EQ(ui_.Asked[1].type, MsgDlgType::Error);
    EXPECT_NE(ui_.Asked[1].text.find("settings"), std::string::npos) << ui_.Asked[1].text;
    context_.reset();
    std::filesystem::remove_all(ini);
  }
}

// A program folder that cannot hold the trash and the filer: the program starts
// without them and says why once.
TEST_F(MainEcrTest, StartsWithoutControlFilesItCannotKeep) {
  Write("plain", "not a folder");
  folder_ = Path("plain") + "/program";  // below a plain file: nothing can be made there
  TAppContext& app = Start();
  EXPECT_TRUE(app.StartErrors().empty());
  EXPECT_EQ(app.FileControl()->Trash(), nullptr);
  EXPECT_EQ(app.FileControl()->Filer(), nullptr);
  ASSERT_EQ(ui_.Asked.size(), 1u);
  EXPECT_EQ(ui_.Asked[0].text.rfind("The trash is not available", 0), 0u) << ui_.Asked[0].text;
  EXPECT_NE(ui_.Asked[0].text.find("The filer is not available"), std::string::npos);
}

// The bottom tabs show one panel each, the sessions beside the sets; a language file
// naming four tabs adds the log, and a fifth text names the sessions tab. The
// language file read at start reaches every translated form: the filter window, the
// page sliders, the search dialog, the editor's pad and the welcome box.
TEST_F(MainEcrTest, BottomTabsAndLanguageLogTab) {
  Write("RQUILL20.INI", "[global]\nlang=test.lng\n");
  Write("test.lng",
        "[Cmpstring]\n31=Partition,Listes,Impression,Journal,Seances\n30=Filtre\n130=Taille\n133=Marge\n"
        "100=Chercher\n101=Texte,Signature\n103=Fermer\n105=Casse\n107=Mesure\n"
        "110=Annuler\n114=\" Abandon\"\n120=Vos airs\n121=D'accord\n");
  TAppContext& app = Start(/*welcome=*/true);
  EXPECT_EQ(app.DlgFltTune()->windowTitle(), "Filtre");
  EXPECT_EQ(app.PageScoreEcr()->FontLabel()->text(), "Taille");
  EXPECT_EQ(app.PageScoreEcr()->LeftLabel()->text(), "Marge");
  TDlgSearchAbc& search = *app.DlgSearchAbc();
  EXPECT_EQ(search.windowTitle(), "Chercher");
  EXPECT_EQ(search.TabBottom()->tabText(1), "Signature");
  EXPECT_EQ(search.findChild<QToolButton*>("btnClose")->text(), "Fermer");
  EXPECT_EQ(search.findChild<QListWidget*>("ckCase")->item(0)->text(), "Casse");
  const QList<QLabel*> labels = search.findChildren<QLabel*>();
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "Mesure"; }));
  EXPECT_EQ(search.MeterButtons()->buttons().front()->text(), "2/2");  // read as the meter searched
  TEditEcr& editor = *app.EditEcr();
  EXPECT_EQ(editor.PanPad()->findChild<QToolButton*>("BtnUndo")->text(), "Annuler");
  EXPECT_EQ(editor.BtnCancel()->text(), " Abandon");
  TdlgWelcome& welcome = *app.MainEcr()->Splash();
  EXPECT_EQ(welcome.findChild<QLabel*>("labBlurb")->text(), "Vos airs");
  EXPECT_EQ(welcome.CloseButton()->text(), "D'accord");
  TMainEcr& main = *app.MainEcr();
  QTabBar* tabs = main.TabBottom();
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(2), "Seances");
  EXPECT_EQ(tabs->tabText(3), "Impression");
  EXPECT_EQ(tabs->tabText(4), "Journal");
  auto* pages = main.Host(HostPanel::Score)->parentWidget();
  auto* stack = qobject_cast<QStackedWidget*>(pages);
  ASSERT_NE(stack, nullptr);
  for (int tab : {1, 2, 3, 4, 0}) {
    tabs->setCurrentIndex(tab);
    const HostPanel shown[] = {HostPanel::Score, HostPanel::Set, HostPanel::Sessions, HostPanel::Print,
                               HostPanel::Log};
    EXPECT_EQ(stack->currentWidget(), main.Host(shown[tab])) << tab;
  }
  EXPECT_EQ(app.SesMaster()->parentWidget(), main.Host(HostPanel::Sessions));
}

// The welcome box shows as the main window does, centred on it where the stored
// placement put it, without blocking and on top; a click on the logo while it is up
// brings it forward instead of failing. Its link opens the note beside the program.
TEST_F(MainEcrTest, WelcomeBoxIsNotModal) {
  Write("RQUILL20.INI", "[POSITION]\nShowCmd=1\nNormPos=40,30,700,530\n");
  TAppContext& app = Start(/*welcome=*/true);
  TdlgWelcome* box = app.MainEcr()->Splash();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isVisible()) << "shown before the window it is centred on";
  app.MainEcr()->show();
  ASSERT_TRUE(QTest::qWaitFor([box] { return box->isVisible(); }));
  EXPECT_LE((box->frameGeometry().center() - app.MainEcr()->frameGeometry().center()).manhattanLength(), 2);
  EXPECT_FALSE(box->isModal());
  app.MainEcr()->OnClickLogo();
  EXPECT_TRUE(box->isVisible());
  box->CloseButton()->click();
  EXPECT_FALSE(box->isVisible());
  EXPECT_NE(box->findChild<QLabel*>("htForm")->text().indexOf(QUrl::fromLocalFile(TdlgWelcome::NotePath()).toString()),
            -1);
  EXPECT_EQ(TdlgWelcome::NotePath().toStdString(), Path("donation.txt"));
}

// Windows open inside the screen's available area: the main window at a placement
// stored on a larger screen, the search dialog under its button at the screen's
// right edge (kept whole, moved left), and the welcome box on a window at the edge.
TEST_F(MainEcrTest, WindowsOpenOnTheScreen) {
  const QRect area = AvailableAreaAt(QPoint(0, 0));
  ASSERT_TRUE(area.isValid());
  const int right = area.right() + 600, bottom = area.bottom() + 500;
  Write("RQUILL20.INI", "[POSITION]\nShowCmd=1\nNormPos=" + std::to_string(area.right() - 100) + "," +
                            std::to_string(area.bottom() - 100) + "," + std::to_string(right) + "," +
                            std::to_string(bottom) + "\n");
  TAppContext& app = Start(/*welcome=*/true);
  TMainEcr& main = *app.MainEcr();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  EXPECT_TRUE(area.contains(main.frameGeometry())) << Text(main.frameGeometry()) << " in " << Text(area);
  ASSERT_TRUE(QTest::qWaitFor([&main] { return main.Splash()->isVisible(); }));
  EXPECT_LE((main.Splash()->frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 2)
      << "centred on the window as it was moved onto the screen";
  main.Splash()->CloseButton()->click();

  TDlgSearchAbc& search = *app.DlgSearchAbc();
  QWidget anchor;
  anchor.setGeometry(area.right() - 30, area.bottom() - 30, 20, 20);
  anchor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&anchor));
  search.ShowUnder(&anchor);
  EXPECT_TRUE(area.contains(search.frameGeometry())) << Text(search.frameGeometry()) << " in " << Text(area);
  anchor.move(area.left() + 10, area.top() + 10);
  search.ShowUnder(&anchor);
  EXPECT_EQ(search.pos(), anchor.mapToGlobal(QPoint(0, anchor.height() + 1))) << "room enough: under the button";
  anchor.move(area.right() - 30, area.bottom() - 30);
  search.ShowUnder(&anchor);  // already open
  EXPECT_TRUE(area.contains(search.frameGeometry())) << Text(search.frameGeometry()) << " in " << Text(area);
}

// The enlarged bottom area takes the place of the browser, the editor and their tool
// row; the player panel stays in sight. Restored, the bottom area takes a third.
TEST_F(MainEcrTest, EnlargedScoreKeepsThePlayer) {
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  main.ShowWorkArea(1);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  QWidget* bottom = main.findChild<QWidget*>("PanBottom");
  const int before = bottom->height();
  main.findChild<QToolButton*>("btnColsp")->click();
  QApplication::processEvents();
  EXPECT_TRUE(main.Host(HostPanel::Player)->isVisible());
  EXPECT_GT(main.Host(HostPanel::Player)->height(), 0);
  for (HostPanel hidden : {HostPanel::Main01, HostPanel::EditTune, HostPanel::ToolTune}) {
    EXPECT_FALSE(main.Host(hidden)->isVisible()) << static_cast<int>(hidden);
  }
  EXPECT_GT(bottom->height(), before);
  EXPECT_TRUE(main.BottomEnlarged());

  main.findChild<QToolButton*>("btnExpand")->click();
  QApplication::processEvents();
  for (HostPanel shown : {HostPanel::Player, HostPanel::Main01, HostPanel::EditTune, HostPanel::ToolTune}) {
    EXPECT_TRUE(main.Host(shown)->isVisible()) << static_cast<int>(shown);
  }
  EXPECT_NEAR(bottom->height(), main.findChild<QWidget*>("MainBasePan")->height() / 3, 2);
}

// The program's icon, drawn in the desktop's sizes, is the main window's; the tool
// bar's Help button opens the About box, the only help there is.
TEST_F(MainEcrTest, IconAndHelpButton) {
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  QList<QSize> sizes;
  for (const int size : TResLib::ProgramIconSizes()) sizes << QSize(size, size);
  EXPECT_EQ(main.windowIcon().availableSizes(), sizes);
  EXPECT_EQ(main.windowIcon().pixmap(48).toImage().pixelColor(24, 24).alpha(), 255);

  test::ModalAnswers modals;
  main.findChild<QToolButton*>("btnHelp")->click();
  EXPECT_EQ(modals.Seen, std::vector<std::string>{"rq::TdlgWelcome"});
}

// Every command once: tags shared only by the two Preferences and the two Print
// Preview actions (a language file's text reaches both; tag 0 is never translated);
// each key once in its reach, the tune clipboard keys the list's alone; disabled:
// the commands nothing carries out, and the hidden ones.
TEST_F(MainEcrTest, ActionTable) {
  Write("RQUILL20.INI", "[global]\nlang=test.lng\n");
  Write("test.lng", "[Actionstring]\n61=Reglages/Les reglages\n0=Jamais\n");
  TAppContext& app = Start();
  const QList<QAction*> all = app.Actions()->All();
  ASSERT_EQ(all.size(), 68);
  std::map<int, std::set<QString>> byTag;
  std::map<std::pair<QKeySequence, int>, QString> byKey;
  std::set<QString> names, disabled, hidden;
  for (QAction* a : all) {
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(names.insert(a->objectName()).second) << a->objectName().toStdString();
    byTag[a->property(kTagProperty).toInt()].insert(a->objectName());
    if (!a->shortcut().isEmpty()) {
      const auto [at, fresh] = byKey.try_emplace({a->shortcut(), a->shortcutContext()}, a->objectName());
      EXPECT_TRUE(fresh) << at->second.toStdString() << " and " << a->objectName().toStdString();
    }
    if (!a->isEnabled()) disabled.insert(a->objectName());
    if (!a->isVisible()) hidden.insert(a->objectName());
  }
  const std::map<int, std::set<QString>> shared = {{61, {"ACTGenPref", "ACTEditPref"}},
                                                   {63, {"ACTPrintPreview", "ACTPreview"}}};
  for (const auto& [tag, tagged] : byTag) {
    if (tag == 0) continue;
    const auto known = shared.find(tag);
    EXPECT_EQ(tagged, known != shared.end() ? known->second : std::set{*tagged.begin()}) << tag;
  }
  const TActions& a = *app.Actions();
  EXPECT_EQ(a[ActionId::EditPref]->text(), "Reglages");
  EXPECT_EQ(a[ActionId::GenPref]->toolTip(), "Les reglages");

  const std::pair<ActionId, QKeySequence> keys[] = {
      {ActionId::OpenFile, QKeySequence("Ctrl+O")}, {ActionId::CloseFile, QKeySequence("Ctrl+W")},
      {ActionId::NewFile, QKeySequence("Ctrl+N")},  {ActionId::PlayPrev, QKeySequence("F3")},
      {ActionId::SaveFile, QKeySequence("Ctrl+S")}, {ActionId::Exit, QKeySequence("Alt+F4")},
      {ActionId::FindABC, QKeySequence("Ctrl+F")},  {ActionId::EditTune, QKeySequence("Ctrl+E")},
      {ActionId::CopyTune, QKeySequence("Ctrl+C")}, {ActionId::PasteTune, QKeySequence("Ctrl+V")},
      {ActionId::CutTune, QKeySequence("Ctrl+X")}};
  EXPECT_EQ(byKey.size(), std::size(keys));
  for (const auto& [id, key] : keys) {
    EXPECT_EQ(a[id]->shortcut(), key) << a[id]->objectName().toStdString();
    const bool listKey = id == ActionId::CopyTune || id == ActionId::PasteTune || id == ActionId::CutTune;
    EXPECT_EQ(a[id]->shortcutContext(), listKey ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
  }
  EXPECT_EQ(disabled, (std::set<QString>{"ACTEdit", "ACTMergeFile", "ACTGenMidi", "ACTMergeClip", "ACTEditPref",
                                         "ACTPrintPreview", "ACTShowprintList"}));
  EXPECT_EQ(hidden, (std::set<QString>{"ACTEdit", "ACTMergeFile", "ACTMergeClip", "ACTPrintPreview",
                                       "ACTShowprintList"}));
}

// A button's text as it reads on screen: "&&" shows "&", a lone "&" marks the key
// letter after it and shows nothing itself.
QString ShownText(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

// A language file's captions reach every button of their commands (main tool bar,
// browser rows, set tools, the editor pad), "&" shown as itself and no key letter
// made of it; the tooltip is the translated hint, or the English one when none is given.
TEST_F(MainEcrTest, LanguageCaptionsReachTheCommandButtons) {
  Write("RQUILL20.INI", "[global]\nlang=test.lng\n");
  Write("test.lng",
        "[Actionstring]\n2=Ouvrir/Ouvrir un fichier Abc\n21=Nouvel air\n24=Copier & coller\n"
        "31=Nouveau && set/Un set\n43=Chercher .../Chercher\n");
  TAppContext& app = Start();
  const struct {
    const char* button;
    const char* shown;
    const char* tip;
  } rows[] = {
      {"btnOpen", "Ouvrir", "Ouvrir un fichier Abc"},
      {"btnNewTune", "Nouvel air", "New Tune"},
      {"btnCopyTune", "Copier & coller", "Copy Tune to Cipboard"},
      {"BtnCopyTune", "Copier & coller", "Copy Tune to Cipboard"},
      {"btnNewSet", "Nouveau && set", "Un set"},
      {"BtnAbcCode", "Chercher ...", "Chercher"},
      {"btnSave", "Save", "Save Abc File"},
  };
  for (const auto& row : rows) {
    auto* button = app.MainEcr()->findChild<QToolButton*>(row.button);
    ASSERT_NE(button, nullptr) << row.button;
    EXPECT_EQ(ShownText(button->text()).toStdString(), row.shown) << row.button;
    EXPECT_EQ(button->toolTip().toStdString(), row.tip) << row.button;
    EXPECT_TRUE(button->shortcut().isEmpty()) << row.button;
  }
  EXPECT_EQ((*app.Actions())[ActionId::CopyTune]->text(), "Copier & coller");
}

}  // namespace
}  // namespace rq

namespace rq {
namespace {

const char* kSetOfReels =
    "%%BSET%\n%%DSET%Reels,1:1,2:1\n%%ESET%\n"
    "X:1\nT:Drowsy Maggie\nR:reel\nM:4/4\nL:1/8\nK:Edor\nE2BE dEBE|E2BE AFDF|\n\n"
    "X:2\nT:The Silver Spear\nR:reel\nM:4/4\nL:1/8\nK:D\nFA (3AAA BAFA|dAFA BEEF|\n";

class EveryActionTest : public test::AppFixture {
 protected:
  QAction* Action(ActionId id) const { return (*App().Actions())[id]; }
  std::string Clipboard() const { return QGuiApplication::clipboard()->text().toStdString(); }
  std::string Title() const { return file_->TitleOfRec(file_->CurrentRec); }
  int Marked() const {
    return static_cast<int>(std::count_if(file_->FilterList.All.begin(), file_->FilterList.All.end(),
                                          [](const TAbcRec* rec) { return rec->IsMarked(); }));
  }
  int Tunes(const TAbcFile* file) const { return file->FilterList.AllCount(); }
  static bool Sounding() { return MidiPlayer()->Playing() && !MidiPlayer()->Paused(); }
  // The name prompt of the set commands, answered with a name and Ok.
  static test::ModalAnswers::Answer Name(const QString& name) {
    return [name](QWidget* modal) {
      auto* prompt = qobject_cast<TDlgString*>(modal);
      ASSERT_NE(prompt, nullptr);
      prompt->EDString()->setText(name);
      prompt->OkButton()->click();
    };
  }

  static QString Q(const std::string& s) { return QString::fromStdString(s); }

  TAbcFile* file_ = nullptr;
  int printDialogs_ = 0;
};

// Every command of the action table, fired as its menu item, button or key fires it
// in a running program, does what it is there for; scripted dialogs and questions
// answer. The actions that carry menus carry one; those nothing may fire are disabled
// or carried by no menu, button or key. A new action must join one of the lists.
TEST_F(EveryActionTest, EveryCommandDoesSomething) {
  ASSERT_TRUE(QDir().mkpath(Q(Path("merge"))));
  Write("merge/one.abc", "X:1\nT:Merged\nK:G\nGAB|\n");
  printDialog_ = [this](QPrinter&) {
    ++printDialogs_;
    return false;
  };
  TAppContext& app = Start();
  TMainEcr& main = *app.MainEcr();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  file_ = OpenUserFile("reels.abc", kSetOfReels);
  ASSERT_NE(file_, nullptr);
  TCtrlFile& control = *app.FileControl();
  TAbcFile& trash = *control.Trash();
  test::ModalAnswers modals;
  auto seen = [&](const char* dialog) {
    return !modals.Seen.empty() && modals.Seen.back() == dialog;
  };
  auto asked = [&](const std::string& start) {
    return !ui_.Asked.empty() && ui_.Asked.back().text.rfind(start, 0) == 0;
  };
  const size_t filesBefore = control.Files().size();
  bool selOnly = false;

  struct Row {
    ActionId id;
    std::function<void()> prepare;  // may be empty
    std::function<bool()> done;
  };
  const std::vector<Row> rows = {
      {ActionId::FindABC, {}, [&] { return app.DlgSearchAbc()->isVisible(); }},
      {ActionId::SetFilter, {}, [&] { return app.FileEcr()->FilterWindow()->isVisible(); }},
      {ActionId::FindIdent, {}, [&] { return file_->ViewMode == vmSearched; }},
      {ActionId::ToggleFilter,
       [&] {
         app.FileEcr()->SetViewMode(vmAll);
         TKeyFilterGrid* keys = app.FileEcr()->FKGrid();
         QTest::mouseClick(keys, Qt::LeftButton, {}, keys->ItemRect(17).center());
         ASSERT_TRUE(Action(ActionId::ToggleFilter)->isChecked());
       },
       [&] { return !Action(ActionId::ToggleFilter)->isChecked() && file_->FilterOn == 0; }},
      {ActionId::ClearFlt, {}, [&] { return !file_->KeyRhythmFilter.Active; }},
      {ActionId::MarkAll, {}, [&] { return Marked() == 2; }},
      {ActionId::UnMarkAll, {}, [&] { return Marked() == 0; }},
      {ActionId::PlayNext, [&] { app.FileEcr()->LstGrid()->SetGridIdx(0); },
       [&] { return Title() == "The Silver Spear" && Sounding(); }},
      {ActionId::Stop, {}, [&] { return !Sounding(); }},
      {ActionId::PlayPrev, {}, [&] { return Title() == "Drowsy Maggie" && Sounding(); }},
      {ActionId::Play, [&] { app.PlayerEcr()->StopPlay(0); }, [&] { return Sounding(); }},
      {ActionId::PlaySet, [&] { app.PlayerEcr()->StopPlay(0); }, [&] { return Sounding(); }},
      {ActionId::CopyTune, [&] { QGuiApplication::clipboard()->clear(); },
       [&] { return Clipboard().find("T:Drowsy Maggie") != std::string::npos; }},
      {ActionId::CopyAll, [&] { QGuiApplication::clipboard()->clear(); },
       [&] { return Clipboard().find("T:The Silver Spear") != std::string::npos; }},
      {ActionId::AddPrintTune, {}, [&] { return Tunes(control.PrintList()) == 1; }},
      {ActionId::Preview, {}, [&] { return !app.PageScoreEcr()->Rows().empty(); }},
      {ActionId::PrevZoomP, {}, [&] { return app.PageScoreEcr()->Zoom() > 1; }},
      {ActionId::PrevZoomM, {}, [&] { return app.PageScoreEcr()->Zoom() == 1; }},
      {ActionId::PrevPageP, {}, [&] { return app.PageScoreEcr()->CurrentPage() == 2; }},
      {ActionId::PrevPageM, {}, [&] { return app.PageScoreEcr()->CurrentPage() == 1; }},
      {ActionId::PrintSelTune, [&] { selOnly = app.PrintListEcr()->PrintSelOnly(); },
       [&] { return app.PrintListEcr()->PrintSelOnly() != selOnly; }},
      {ActionId::PrintAll, {}, [&] { return printDialogs_ == 1; }},
      {ActionId::PrintOneTune, {}, [&] { return printDialogs_ == 2; }},
      {ActionId::DelPrintList, {}, [&] { return Tunes(control.PrintList()) == 0; }},
      {ActionId::ClearPrintList, [&] { Action(ActionId::AddPrintTune)->trigger(); },
       [&] { return Tunes(control.PrintList()) == 0; }},
      {ActionId::PrintSetup, {},
       [&] {
         return QPrinterInfo::availablePrinterNames().isEmpty() ? asked("There is no printer") : seen("QPrintDialog");
       }},
      {ActionId::GenPref, {}, [&] { return seen("rq::TDlgOpt"); }},
      {ActionId::About, {}, [&] { return seen("rq::TdlgWelcome"); }},
      {ActionId::ToMidi, [&] { midiNames_ = {Path("tune.mid")}; }, [&] { return QFile::exists(Q(Path("tune.mid"))); }},
      {ActionId::SetToMidi, [&] { midiNames_ = {Path("set.mid")}; }, [&] { return QFile::exists(Q(Path("set.mid"))); }},
      {ActionId::NewSet, [&] { modals.Then(Name("Jigs")); }, [&] { return file_->Sets.Count() == 2; }},
      {ActionId::RenameSet, [&] { modals.Then(Name("Slides")); },
       [&] { return file_->Sets.GetName(file_->Sets.CurrentSet) == "Slides"; }},
      {ActionId::DelSet, [&] { ui_.Answers = {mrYes}; }, [&] { return file_->Sets.Count() == 1; }},
      {ActionId::DelTuneSet,
       [&] {
         file_->Sets.CurrentSet = 0;
         file_->Sets.EntryRow = 0;
       },
       [&] { return file_->Sets.TuneCount(0) == 1; }},
      {ActionId::EditTune, {}, [&] { return app.ResLib()->EditMode; }},
      {ActionId::NewTune, [&] { app.EditEcr()->OnCancelEdit(); }, [&] { return app.ResLib()->EditMode; }},
      {ActionId::PasteTune,
       [&] {
         app.EditEcr()->OnCancelEdit();
         Action(ActionId::CopyTune)->trigger();
       },
       [&] { return Tunes(file_) == 3; }},
      {ActionId::CutTune, {}, [&] { return Tunes(file_) == 2 && Tunes(&trash) == 1; }},
      {ActionId::DelTune, {}, [&] { return Tunes(file_) == 1 && Tunes(&trash) == 2; }},
      {ActionId::DeleteAll, [&] { ui_.Answers = {mrYes}; }, [&] { return Tunes(file_) == 0 && Tunes(&trash) == 3; }},
      {ActionId::ClearTrash, [&] { ui_.Answers = {mrYes}; }, [&] { return Tunes(&trash) == 0; }},
      {ActionId::SaveFile, {}, [&] { return !file_->Modified; }},
      {ActionId::NewClip, {},
       [&] { return control.Files().size() == filesBefore + 1 && Tunes(control.Files().back()) == 1; }},
      {ActionId::MergeDir, [&] { folderNames_ = {Path("merge")}; },
       [&] { return control.Files().size() == filesBefore + 2 && Tunes(control.Files().back()) == 1; }},
      {ActionId::NewFile, {}, [&] { return control.Files().back()->FileName == "abcnew3"; }},
      {ActionId::SaveAs, [&] { saveNames_ = {Path("renamed")}; },
       [&] { return control.Files().back()->FileName == Path("renamed.abc"); }},
      {ActionId::SaveAll, [&] { saveNames_ = {Path("clip"), Path("merged")}; },
       [&] { return QFile::exists(Q(Path("clip.abc"))) && QFile::exists(Q(Path("merged.abc"))); }},
      {ActionId::OpenFile, {}, [&] { return openAsked_ == 1; }},
      {ActionId::OpenRecent, {}, [&] { return openAsked_ == 2; }},
      {ActionId::CloseFile, {}, [&] { return control.Files().size() == filesBefore + 2; }},
      {ActionId::CloseAll, [&] { ui_.DefaultAnswer = mrNo; }, [&] { return control.Files().size() == 2; }},
      {ActionId::Exit, [&] { ui_.Answers = {mrNo}; }, [&] { return asked("Quit Reelquill ?") && main.isVisible(); }},
  };
  const std::set<ActionId> menus = {ActionId::File, ActionId::Edit,  ActionId::Abc,   ActionId::Option, ActionId::Tools,
                                    ActionId::Set,  ActionId::Print, ActionId::Help, ActionId::Recent};
  const std::set<ActionId> unreachable = {ActionId::Find,      ActionId::GenMidi,      ActionId::EditPref,
                                          ActionId::MergeFile, ActionId::MergeClip,    ActionId::PrintPreview,
                                          ActionId::ShowPrintList};
  std::set<ActionId> covered(menus.begin(), menus.end());
  covered.insert(unreachable.begin(), unreachable.end());
  for (const Row& row : rows) {
    const QString name = Action(row.id)->objectName();
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(covered.insert(row.id).second);
    if (row.prepare) row.prepare();
    ASSERT_TRUE(Action(row.id)->isEnabled());
    Action(row.id)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(row.done()) << name.toStdString() << " did nothing to be seen";
  }
  for (ActionId id : menus) EXPECT_NE(Action(id)->menu(), nullptr) << Action(id)->objectName().toStdString();
  for (ActionId id : unreachable) {
    QAction* action = Action(id);
    EXPECT_TRUE(!action->isEnabled() || action->associatedObjects().isEmpty()) << action->objectName().toStdString();
  }
  EXPECT_EQ(covered.size(), static_cast<size_t>(ActionId::Count));
}

}  // namespace
}  // namespace rq

namespace rq {
namespace {

class RealFileDialogTest : public test::AppFixture {};

// Qt's own file dialogs, not the scripted ones: the open dialog starts in the library
// folder; Save As of a new file starts there with the file's name; a MIDI export
// proposes the tune's title there and, over an existing file, asks one question: the
// program's, once ".mid" is settled.
TEST_F(RealFileDialogTest, StartInTheLibraryAndAskOnce) {
  const QString library = QString::fromStdString(Path("library"));
  ASSERT_TRUE(QDir().mkpath(library));
  Write("RQUILL20.INI", "[global]\nabclibpath=" + library.toStdString() + "\n");
  realFileDialogs_ = true;
  TAppContext& app = Start();
  TCtrlFile& control = *app.FileControl();
  test::ModalAnswers modals;
  QString openedIn, savedFrom, exportedFrom;
  modals.Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    openedIn = dialog->directory().absolutePath();
    dialog->reject();
  });
  EXPECT_EQ(control.OpenWithDialog(), kCtrlRefused);
  EXPECT_EQ(openedIn, library);

  control.NewFile();
  TAbcFile* file = control.Files().back();
  file->AddTunes({"X:1", "T:The Kesh", "M:6/8", "L:1/8", "K:G", "GAG GAB|"}, true, 0);
  modals.Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    savedFrom = dialog->selectedFiles().value(0);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("kesh");  // typed by the user
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as its Save button runs it
  });
  EXPECT_EQ(control.SaveFileAs(file), 1);
  EXPECT_EQ(savedFrom, library + "/abcnew1");
  EXPECT_EQ(file->FileName, Path("library/kesh.abc"));

  Write("library/The Kesh.mid", "old");
  ASSERT_EQ(control.ShowTune(file, 0), kCtrlOk);
  modals.Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    exportedFrom = dialog->selectedFiles().value(0);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as its Save button runs it
  });
  // Were Qt's dialog to ask too, its question is answered Yes here and seen.
  modals.Then([](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) box->button(QMessageBox::Yes)->click();
  });
  ui_.Asked.clear();
  ui_.Answers = {mrYes};
  EXPECT_EQ(control.ExportTuneMidi(file), kCtrlOk);
  EXPECT_EQ(exportedFrom, library + "/The Kesh.mid");
  EXPECT_EQ(modals.Seen, (std::vector<std::string>{"QFileDialog", "QFileDialog", "QFileDialog"}));
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{Path("library/The Kesh.mid") + " already exists. Replace it?"});
  EXPECT_EQ(test::ReadBytes(Path("library/The Kesh.mid")).rfind("MThd", 0), 0u);
}

}  // namespace
}  // namespace rq
