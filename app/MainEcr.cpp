#include "app/MainEcr.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>
#include <initializer_list>

#include "app/Actions.h"
#include "app/AppContext.h"
#include "app/ResLib.h"
#include "app/Welcome.h"
#include "controls/ScreenFit.h"
#include "library/FileAbc.h"
#include "midi/ZymMidi.h"
#include "platform/CommaText.h"
#include "platform/SingleInstance.h"
#include "platform/WinColor.h"
#include "score/MusicFont.h"

namespace rq {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A menu or submenu carried by an action: its title, enabled and visible state are
// the action's.
QMenu* MenuOf(QWidget* parent, QAction* action, const char* name) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QString::fromLatin1(name));
  action->setMenu(menu);
  parent->addAction(action);
  return menu;
}

// Items bound to actions; ActionId::Count stands for a separator.
constexpr ActionId kSeparator = ActionId::Count;
void AddItems(QMenu* menu, const TActions& actions, std::initializer_list<ActionId> items) {
  for (ActionId id : items) {
    if (id == kSeparator) {
      menu->addSeparator();
    } else {
      menu->addAction(actions[id]);
    }
  }
}

constexpr int kBottomTabTag = 31;
constexpr int kSessionsTab = 2;
constexpr int kEditMaxWidth = 361 * 4;
// How often waiting hand-overs look whether the dialog holding them back has closed.
constexpr int kHandOverRetryMs = 50;

}  // namespace

TMainEcr::TMainEcr(TAppContext& app) : QMainWindow(nullptr), app_(app) {
  setObjectName("MainEcr");
  setWindowTitle("Reelquill 2");
  setWindowIcon(TResLib::ProgramIcon());
  setMinimumSize(640, 480);
  resize(1000, 720);
  KeepOnScreen(this);
  handOverRetry_.setSingleShot(true);
  handOverRetry_.setInterval(kHandOverRetryMs);
  connect(&handOverRetry_, &QTimer::timeout, this, &TMainEcr::ServeHandOvers);
}

TMainEcr::~TMainEcr() = default;

void TMainEcr::OnCreate() {
  // The settings file is read once.
  std::optional<IniFile> ini = IniFile::Load(SettingsPath());
  if (!ini) ini = IniFile::FromBytes(SettingsPath(), "");

  BuildMenu();
  auto* central = new QWidget(this);
  central->setObjectName("central");
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  panFonction_ = new QWidget(central);
  panFonction_->setObjectName("PanFonction");
  BuildToolBar(panFonction_);
  layout->addWidget(panFonction_);
  layout->addWidget(MakeHost(HostPanel::Tab, "PanTab", central));
  panBase_ = new QWidget(central);
  panBase_->setObjectName("PanBase");
  layout->addWidget(panBase_, 1);
  BuildWorkArea();
  setCentralWidget(central);
  BuildStatusBar();
  ApplyColours();
  panBase_->hide();

  if (app_.Options().showWelcome) {
    splash_ = new TdlgWelcome(this);
    splash_->ShowWithParent();
  }
  RegisterMusicFont();
  LoadSettings(*ini);
  app_.CreateMidiPlayer();
  RefreshRecentMenus();

  // The language of the settings, read once by the resource module for every screen.
  const IniFile* language = nullptr;
  if (TResLib* res = app_.ResLib()) {
    res->LoadLanguage();
    language = res->LanguageFile();
  }
  texts_.Translate(language);
  if (splash_) splash_->Translate(language);
  // A language file may name a fourth bottom tab: the editor's log; and a fifth text
  // names the sessions tab.
  std::vector<std::string> tabTexts;
  if (language) tabTexts = SplitCommaText(language->ReadString("Cmpstring", std::to_string(kBottomTabTag), ""));
  if (tabTexts.size() >= 4 && tabBottom_->count() == 3) tabBottom_->addTab(Q(tabTexts[3]));
  // The sessions tab goes beside the sets after the translation, which names the tabs
  // in the order language files have always listed them.
  const bool named = tabTexts.size() >= 5 && !tabTexts[4].empty();
  tabBottom_->insertTab(kSessionsTab, named ? Q(tabTexts[4]) : QStringLiteral(" Sessions "));
  tabBottom_->setCurrentIndex(0);
  OnChangeTab(0);
  setWindowTitle("Reelquill 2");
}

// ---- building ---------------------------------------------------------------

void TMainEcr::BuildMenu() {
  using enum ActionId;
  const TActions& a = *app_.Actions();
  QMenuBar* bar = menuBar();
  bar->setObjectName("MenuGen");

  QMenu* file = MenuOf(bar, a[File], "mnFichier");
  AddItems(file, a, {NewFile, OpenFile, NewClip, kSeparator});
  mnReload_ = MenuOf(file, a[Recent], "mnReload");
  AddItems(file, a, {kSeparator, SaveFile, SaveAs, SaveAll, kSeparator, CloseFile, CloseAll, kSeparator, ClearTrash,
                     kSeparator, Exit});
  MenuOf(bar, a[Edit], "mnEdition");
  AddItems(MenuOf(bar, a[Abc], "mnABC"), a,
           {NewTune, EditTune, kSeparator, DelTune, kSeparator, MarkAll, UnMarkAll, kSeparator, DeleteAll});
  QMenu* tools = MenuOf(bar, a[Tools], "mnTools");
  AddItems(tools, a, {FindABC, kSeparator, ToMidi});
  AddItems(MenuOf(tools, a[Set], "mnSet"), a,
           {NewSet, RenameSet, DelSet, kSeparator, DelTuneSet, kSeparator, SetToMidi});
  AddItems(MenuOf(tools, a[Print], "PrintScore1"), a,
           {AddPrintTune, kSeparator, PrintAll, PrintOneTune, kSeparator, ClearPrintList});
  AddItems(tools, a, {kSeparator, MergeClip, MergeFile, MergeDir});
  AddItems(MenuOf(bar, a[Option], "mnOption"), a, {GenPref, PrintSetup});
  AddItems(MenuOf(bar, a[Help], "mnHelp"), a, {About});
  // Keys of commands no menu or button carries.
  addActions({a[PlayPrev], a[PlayNext]});

  popRecent_ = new QMenu(this);
  popRecent_->setObjectName("PopRecent");
}

void TMainEcr::BuildToolBar(QWidget* bar) {
  TActions& a = *app_.Actions();
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 2, 4, 2);
  auto button = [&](ActionId id, const char* name) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setDefaultAction(a[id]);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A button bound to a hidden action is hidden with it.
    QAction* action = a[id];
    b->setVisible(action->isVisible());
    connect(action, &QAction::changed, b, [b, action] { b->setVisible(action->isVisible()); });
    row->addWidget(b);
    return b;
  };
  button(ActionId::GenPref, "btnPref");
  button(ActionId::OpenFile, "btnOpen");
  button(ActionId::NewFile, "btnNew");
  button(ActionId::SaveFile, "btnSave");
  button(ActionId::ShowPrintList, "btnPrintList");
  btnRecent_ = new QToolButton(bar);
  btnRecent_->setObjectName("btnRecent");
  btnRecent_->setText("Last Files");
  connect(btnRecent_, &QToolButton::clicked, this, &TMainEcr::OnBtnRecent);
  row->addWidget(btnRecent_);
  auto* help = new QToolButton(bar);
  help->setObjectName("btnHelp");
  help->setText("Help");
  // The only help there is: the About box.
  connect(help, &QToolButton::clicked, a[ActionId::About], &QAction::trigger);
  row->addWidget(help);
  row->addStretch(1);
  imgLogo_ = new QLabel("Reelquill", bar);
  imgLogo_->setObjectName("imgLogo");
  QFont logoFont = imgLogo_->font();
  logoFont.setBold(true);
  logoFont.setItalic(true);
  logoFont.setPointSize(logoFont.pointSize() + 4);
  imgLogo_->setFont(logoFont);
  imgLogo_->setCursor(Qt::PointingHandCursor);
  imgLogo_->installEventFilter(this);
  row->addWidget(imgLogo_);
}

QWidget* TMainEcr::MakeHost(HostPanel panel, const char* name, QWidget* parent) {
  auto* host = new QWidget(parent);
  host->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  hosts_[static_cast<size_t>(panel)] = host;
  return host;
}

void TMainEcr::BuildWorkArea() {
  auto* baseLayout = new QVBoxLayout(panBase_);
  baseLayout->setContentsMargins(0, 0, 0, 0);
  splitTune_ = new QSplitter(Qt::Vertical, panBase_);
  splitTune_->setObjectName("MainBasePan");
  splitTune_->setChildrenCollapsible(false);
  baseLayout->addWidget(splitTune_);

  // Upper work area: the player on top, then the browser with its tool bar and editor.
  auto* upper = new QWidget(splitTune_);
  upper->setObjectName("PanUpper");
  auto* upperLayout = new QVBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->setSpacing(0);
  upperLayout->addWidget(MakeHost(HostPanel::Player, "PanPlayer", upper));
  upperLayout->addWidget(MakeHost(HostPanel::ToolTune, "PantoolTune", upper));
  splTune_ = new QSplitter(Qt::Horizontal, upper);
  splTune_->setObjectName("splTune");
  splTune_->addWidget(MakeHost(HostPanel::Main01, "MainPan01", splTune_));
  QWidget* edit = MakeHost(HostPanel::EditTune, "PanEditTune", splTune_);
  edit->setMinimumWidth(180);
  edit->setMaximumWidth(kEditMaxWidth);
  splTune_->addWidget(edit);
  upperLayout->addWidget(splTune_, 1);
  splitTune_->addWidget(upper);

  // Bottom area: tabs for the score, sets, sessions, print list and log, and the
  // second list; page i of the stack is shown by tab i.
  panBottom_ = new QWidget(splitTune_);
  panBottom_->setObjectName("PanBottom");
  panBottom_->setMinimumHeight(150);
  auto* bottomLayout = new QVBoxLayout(panBottom_);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  bottomLayout->setSpacing(0);
  auto* tabRow = new QHBoxLayout;
  tabBottom_ = new QTabBar(panBottom_);
  tabBottom_->setObjectName("TabBottom");
  texts_.Add(tabBottom_, kBottomTabTag, TextKind::TabTexts);
  tabBottom_->setDrawBase(false);
  tabBottom_->addTab(" Score  ");
  tabBottom_->addTab(" Sets ");
  tabBottom_->addTab(" Print List");
  connect(tabBottom_, &QTabBar::currentChanged, this, &TMainEcr::OnChangeTab);
  tabRow->addWidget(tabBottom_);
  tabRow->addStretch(1);
  btnColsp_ = new QToolButton(panBottom_);
  btnColsp_->setObjectName("btnColsp");
  btnColsp_->setArrowType(Qt::UpArrow);
  btnColsp_->setToolTip("Enlarge");
  connect(btnColsp_, &QToolButton::clicked, this, &TMainEcr::OnMaxTab);
  btnExpand_ = new QToolButton(panBottom_);
  btnExpand_->setObjectName("btnExpand");
  btnExpand_->setArrowType(Qt::DownArrow);
  btnExpand_->setToolTip("Restore");
  btnExpand_->hide();
  connect(btnExpand_, &QToolButton::clicked, this, &TMainEcr::OnMinTab);
  tabRow->addWidget(btnColsp_);
  tabRow->addWidget(btnExpand_);
  bottomLayout->addLayout(tabRow);

  auto* splitList = new QSplitter(Qt::Horizontal, panBottom_);
  splitList->setObjectName("splitList");
  bottomPages_ = new QStackedWidget(splitList);
  bottomPages_->addWidget(MakeHost(HostPanel::Score, "PanScore", bottomPages_));
  bottomPages_->addWidget(MakeHost(HostPanel::Set, "PanSet", bottomPages_));
  bottomPages_->addWidget(MakeHost(HostPanel::Sessions, "PanSessions", bottomPages_));
  // The page preview goes first into the print panel's splitter, the print list after it.
  QWidget* print = MakeHost(HostPanel::Print, "PanPrint", bottomPages_);
  auto* splPrint = new QSplitter(Qt::Horizontal, print);
  splPrint->setObjectName("splPrint");
  splPrint->addWidget(MakeHost(HostPanel::PrintList, "PanPrintList", splPrint));
  print->layout()->addWidget(splPrint);
  bottomPages_->addWidget(print);
  bottomPages_->addWidget(MakeHost(HostPanel::Log, "PanLog", bottomPages_));
  splitList->addWidget(bottomPages_);
  QWidget* list2 = MakeHost(HostPanel::List2, "panList2", splitList);
  splitList->addWidget(list2);
  splitList->setStretchFactor(0, 1);
  bottomLayout->addWidget(splitList, 1);
  splitTune_->addWidget(panBottom_);
  splitTune_->setStretchFactor(0, 2);
  splitTune_->setStretchFactor(1, 1);
  // The bottom area starts at a third of the work area, as the restore button leaves it.
  splitTune_->setSizes({2000, 1000});
}

void TMainEcr::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar2");
  panProgress_ = new QWidget(bar);
  panProgress_->setObjectName("PanProgress");
  auto* progressLayout = new QHBoxLayout(panProgress_);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  sProgress_ = new QProgressBar(panProgress_);
  sProgress_->setObjectName("SProgress");
  sProgress_->setTextVisible(false);
  sProgress_->setFixedWidth(200);
  progressLayout->addWidget(sProgress_);
  bar->addWidget(panProgress_);
  panProgress_->hide();
  const int widths[2] = {204, 50};
  for (int i = 0; i < 2; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
    statusPanels_[i]->setMinimumWidth(widths[i]);
    bar->addPermanentWidget(statusPanels_[i]);
  }
  if (app_.ResLib()) app_.ResLib()->SetProgressBar(sProgress_, panProgress_);
}

void TMainEcr::ApplyColours() {
  for (HostPanel p : {HostPanel::Print, HostPanel::PrintList}) PaintBackground(Host(p), ColorFrame);
  PaintBackground(panBase_, ColorFrame);
  for (HostPanel p : {HostPanel::EditTune, HostPanel::Set, HostPanel::Sessions}) PaintBackground(Host(p), ColorPane);
  // The selected bottom tab in the frame colour.
  tabBottom_->setStyleSheet(QString("QTabBar::tab:selected { background: %1; }")
                                .arg(WinColorToQColor(ColorFrame).name()));
}

void TMainEcr::RegisterMusicFont() {
  // A missing font is not reported here: the score shows what it can without it.
  rq::RegisterMusicFont();
}

void TMainEcr::LoadSettings(const IniFile& ini) {
  rq::LoadSettings(ini, app_.Settings(), app_.Midi(), static_cast<int>(QPrinterInfo::availablePrinterNames().size()));
  recentFiles_ = ReadRecentFiles(ini);
  const TWindowPlacement placement = ReadPlacement(ini);
  if (placement.valid) {
    // Shown, the window is kept on the screen (KeepOnScreen): the stored place may be
    // from a larger one.
    setGeometry(placement.left, placement.top, placement.right - placement.left, placement.bottom - placement.top);
    if (placement.showCmd == 3) setWindowState(windowState() | Qt::WindowMaximized);
  }
}

bool TMainEcr::SaveSettings() {
  const FileWriteResult written = WriteSettings();
  if (!written) {
    app_.UserInterface().MessageDlg("The settings could not be saved: " + written.error, MsgDlgType::Error, mbOK, 0);
    return false;
  }
  return true;
}

FileWriteResult TMainEcr::WriteSettings() {
  TWindowPlacement placement;
  const QRect g = normalGeometry();
  placement.valid = true;
  placement.showCmd = isMaximized() ? 3 : 1;
  placement.left = g.left();
  placement.top = g.top();
  placement.right = g.left() + g.width();
  placement.bottom = g.top() + g.height();
  return SaveSettingsFile(SettingsPath(), app_.Settings(), app_.Midi(), [&](IniFile& ini) {
    WritePlacement(ini, placement);
    WriteRecentFiles(ini, recentFiles_);
  });
}

// ---- work area and bottom tabs ------------------------------------------------

void TMainEcr::ShowWorkArea(int mode) {
  if (mode == 0) {
    panBase_->hide();
  } else if (panBase_->isHidden()) {
    panBase_->show();
  }
}

bool TMainEcr::WorkAreaVisible() const { return !panBase_->isHidden(); }

// While a tune is edited the editor takes the browser's place beside the player, and
// the tool bar, the file tabs and the browser's tool row are out of reach; the
// editor gets its width back afterwards.
void TMainEcr::OnEditMode(bool editing) {
  // The editor lives in the upper area: an enlarged bottom area gives it back, and
  // stays as it is until the edit ends.
  if (editing && BottomEnlarged()) OnMinTab();
  btnColsp_->setEnabled(!editing);
  QWidget* edit = Host(HostPanel::EditTune);
  panFonction_->setEnabled(!editing);
  Host(HostPanel::Tab)->setEnabled(!editing);
  Host(HostPanel::ToolTune)->setVisible(!editing);
  if (editing) {
    if (TResLib* res = app_.ResLib()) res->SavedEditWidth = edit->width();
    edit->setMaximumWidth(QWIDGETSIZE_MAX);
    Host(HostPanel::Main01)->hide();
    return;
  }
  edit->setMaximumWidth(kEditMaxWidth);
  Host(HostPanel::Main01)->show();
  if (const TResLib* res = app_.ResLib(); res && res->SavedEditWidth > 0) {
    const int total = splTune_->width() - splTune_->handleWidth();
    splTune_->setSizes({total - res->SavedEditWidth, res->SavedEditWidth});
  }
}

void TMainEcr::ShowBottomArea(bool shown) { panBottom_->setVisible(shown); }

void TMainEcr::ShowFileStatus(const TAbcFile* file) {
  if (!file) {
    statusPanels_[0]->clear();
    return;
  }
  const QString name = QFileInfo(Q(file->FileName)).fileName();
  const auto tunes = static_cast<qsizetype>(file->FilterList.All.size());
  statusPanels_[0]->setText(QString("%1: %2 %3").arg(name).arg(tunes).arg(tunes == 1 ? "tune" : "tunes"));
}

void TMainEcr::OnChangeTab(int index) {
  if (index < 0 || index >= bottomPages_->count()) return;
  bottomPages_->setCurrentIndex(index);
}

// Enlarged, the bottom area takes the room of the browser, the editor and their tool
// row; the player panel stays above it, so the enlarged score can still be played.
void TMainEcr::OnMaxTab() {
  Host(HostPanel::ToolTune)->hide();
  splTune_->hide();
  splitTune_->handle(1)->setEnabled(false);  // nothing to share the height with
  btnColsp_->hide();
  btnExpand_->show();
  const int player = Host(HostPanel::Player)->sizeHint().height();
  splitTune_->setSizes({player, splitTune_->height() - player});
}

bool TMainEcr::BottomEnlarged() const { return splTune_->isHidden(); }

void TMainEcr::OnMinTab() {
  if (!app_.ResLib() || !app_.ResLib()->EditMode) Host(HostPanel::ToolTune)->show();
  splTune_->show();
  splitTune_->handle(1)->setEnabled(true);
  btnColsp_->show();
  const int total = splitTune_->height();
  const int bottom = total / 3;
  splitTune_->setSizes({total - bottom - splitTune_->handleWidth(), bottom});
  btnExpand_->hide();
}

// ---- recent files, open command, logo ------------------------------------------

void TMainEcr::AddRecentFile(const std::string& name) {
  rq::AddRecentFile(recentFiles_, name);
  RefreshRecentMenus();
}

void TMainEcr::RemoveRecentFile(const std::string& name) {
  std::erase(recentFiles_, name);
  RefreshRecentMenus();
}

void TMainEcr::RefreshRecentMenus() {
  for (QMenu* menu : {mnReload_, popRecent_}) {
    if (!menu) continue;
    menu->clear();
    for (const std::string& name : recentFiles_) {
      // "&" is shown as itself, not taken as an accelerator mark.
      QString text = Q(name);
      text.replace('&', "&&");
      menu->addAction(text, this, [this, name] { OnMRUOpen(name); });
    }
  }
}

void TMainEcr::OnMRUOpen(const std::string& name) {
  if (TCtrlFile* control = app_.FileControl()) control->OpenFile(name);
  AddRecentFile(name);
}

void TMainEcr::OnBtnRecent() {
  popRecent_->popup(btnRecent_->mapToGlobal(QPoint(0, btnRecent_->height() + 1)));
}

void TMainEcr::OnExecDDEMacro(const QString& command) {
  const auto path = OpenCommandPath(command.toStdString());
  TCtrlFile* control = app_.FileControl();
  if (!path || !control || control->OpenFile(*path) == kCtrlOk) return;
  // Open already: the user asked for it, so it is shown.
  if (TAbcFile* open = control->HolderOf(*path)) control->ShowFile(open);
}

void TMainEcr::ServeLaterStarts(TSingleInstance& instance) {
  connect(&instance, &TSingleInstance::OpenCommand, this, &TMainEcr::TakeHandOver);
}

// A hand-over arrives in whatever event loop runs: often one nested in a command
// (a question's, or the one a long read runs to repaint). Opened there, the file
// would be shown under the command, which then acted on it; so it waits its turn.
void TMainEcr::TakeHandOver(const QString& command) {
  handOvers_.push_back(command);
  ServeHandOvers();
}

bool TMainEcr::HandOversMustWait() const {
  if (servingHandOver_ || QApplication::activeModalWidget()) return true;
  const TCtrlFile* control = app_.FileControl();
  return control && control->Busy();
}

void TMainEcr::ServeHandOvers() {
  // A file opened by a program on its way out would close again unseen.
  while (!handOvers_.empty() && !closing_) {
    // Nothing tells when a dialog closes or a read ends: look again a little later.
    if (HandOversMustWait()) {
      handOverRetry_.start();
      return;
    }
    const QString command = handOvers_.front();
    handOvers_.pop_front();
    {
      // The open may show a message: hand-overs arriving under it wait for this one.
      servingHandOver_ = true;
      const auto served = qScopeGuard([this] { servingHandOver_ = false; });
      OnExecDDEMacro(command);
    }
    raise();
    activateWindow();
  }
}

QStringList TMainEcr::TakeWaitingHandOvers() {
  QStringList waiting(handOvers_.begin(), handOvers_.end());
  handOvers_.clear();
  return waiting;
}

void TMainEcr::OnClickLogo() {
  if (!splash_) splash_ = new TdlgWelcome(this);
  // Shown from start-up and not closed yet: bring it forward instead of a second showing.
  if (splash_->isVisible()) {
    splash_->raise();
    splash_->activateWindow();
    return;
  }
  splash_->exec();
}

bool TMainEcr::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgLogo_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    OnClickLogo();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- closing -------------------------------------------------------------------

bool TMainEcr::OnClose() {
  try {
    if (TCtrlFile* control = app_.FileControl(); control && control->QueryCloseAll() != kCtrlOk) return false;
    if (!app_.UserInterface().ConfirmQuit()) return false;
    // Tune files were handled above: a settings file that cannot be written is
    // reported and the program quits all the same.
    SaveSettings();
    return true;
  } catch (const std::exception& e) {
    app_.UserInterface().MessageDlg(e.what(), MsgDlgType::Error, mbOK, 0);
    return false;
  }
}

void TMainEcr::EndWithoutQuestions() {
  if (closing_) return;
  closing_ = true;
  std::string problems;
  if (TCtrlFile* control = app_.FileControl()) problems = control->SaveControlFilesQuietly();
  if (const FileWriteResult written = WriteSettings(); !written) {
    problems += "The settings could not be saved: " + written.error + "\n";
  }
  if (!problems.empty()) std::fprintf(stderr, "reelquill: %s", problems.c_str());
  if (splash_) splash_->hide();
}

void TMainEcr::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (OnClose()) {
    closing_ = true;
    if (splash_) splash_->hide();
    event->accept();
    emit Closed();
  } else {
    event->ignore();
  }
}

}  // namespace rq
