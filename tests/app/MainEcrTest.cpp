// The application context and the main window, offscreen, in a temporary program
// folder, with scripted answers and the recording MIDI device.
#include <gtest/gtest.h>

#include <QAction>
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
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "app/Welcome.h"
#include "score/screens/PageScoreEcr.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgSchAbc.h"
#include "screens/EditEcr.h"
#include "screens/SesMaster.h"

namespace rq {
namespace {

const char* kTwoReels =
    "X:1\nT:Drowsy Maggie\nR:reel\nM:4/4\nL:1/8\nK:Edor\nE2BE dEBE|E2BE AFDF|\n\n"
    "X:2\nT:The Silver Spear\nR:reel\nM:4/4\nL:1/8\nK:D\nFA (3AAA BAFA|dAFA BEEF|\n";

class MainEcrTest : public test::AppFixture {};

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

// The welcome box shows at start without blocking and stays on top; a click on the
// logo while it is up brings it forward instead of failing.
TEST_F(MainEcrTest, WelcomeBoxIsNotModal) {
  TAppContext& app = Start(/*welcome=*/true);
  TdlgWelcome* box = app.MainEcr()->Splash();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(box->isModal());
  app.MainEcr()->OnClickLogo();
  EXPECT_TRUE(box->isVisible());
  box->CloseButton()->click();
  EXPECT_FALSE(box->isVisible());
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

}  // namespace
}  // namespace rq
