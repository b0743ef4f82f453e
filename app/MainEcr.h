// The main window: the program's only frame. A menu and tool bar bound to the
// actions, a work area whose panels host the screens, a bottom area with tabs, a
// status line with the progress bar, the recent-files list and the open command.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

#include "app/FormTexts.h"
#include "app/Welcome.h"
#include "screens/ScreenColors.h"

class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace rq {

class TAbcFile;
class TAppContext;
class TSingleInstance;
struct FileWriteResult;

// The panels that screens move their widgets into.
enum class HostPanel {
  Tab,        // open-files tabs
  Player,     // player panel
  Main01,     // tune browser
  EditTune,   // editor
  ToolTune,   // browser tool bar
  Score,      // score view (bottom tab 0)
  Set,        // set grid (bottom tab 1)
  Print,      // page preview (bottom tab 3)
  PrintList,  // print list, inside the page preview's panel
  Log,        // the editor's log (the last bottom tab, with a language file that names it)
  List2,      // the browser's second list
  Sessions,   // session screen (bottom tab 2, beside the sets)
  Count
};

class TMainEcr : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainEcr(TAppContext& app);
  ~TMainEcr() override;

  // The creation steps: settings, colours, welcome box, font, the shared objects,
  // recent files, translation, bottom tab 0.
  void OnCreate();

  // 0 hides the work area, 1 shows it.
  void ShowWorkArea(int mode);
  bool WorkAreaVisible() const;
  // Tune-edit mode began or ended (the resource module's EditModeChanged).
  void OnEditMode(bool editing);
  // The bottom area (score, sets, print list) hidden gives the browser the whole height.
  void ShowBottomArea(bool shown);
  // The status line names the file shown and its number of tunes.
  void ShowFileStatus(const TAbcFile* file);

  // The recent-files list: 16 names, newest first, no duplicates.
  void AddRecentFile(const std::string& name);
  void RemoveRecentFile(const std::string& name);
  const std::vector<std::string>& RecentFiles() const { return recentFiles_; }
  QMenu* RecentMenu() const { return mnReload_; }
  QMenu* PopRecent() const { return popRecent_; }

  // The open command "[Open(path)]" from another start of the program.
  void OnExecDDEMacro(const QString& command);
  // Opens the files later starts hand over, one command at a time, and brings the
  // window forward for each. A command that arrives while a question or dialog is
  // open, or while a file is read, waits in turn until it is closed or read.
  void ServeLaterStarts(TSingleInstance& instance);
  // Hand-overs taken and not opened yet.
  size_t WaitingHandOvers() const { return handOvers_.size(); }
  // Once the window is closing (the quit agreed, or told to end) hand-overs no longer
  // open here: they wait until the program hands them on, taking them from the queue.
  QStringList TakeWaitingHandOvers();
  bool Ending() const { return closing_; }
  void OnMRUOpen(const std::string& name);
  void OnBtnRecent();
  void OnChangeTab(int index);
  void OnClickLogo();
  void OnMaxTab();
  void OnMinTab();
  // The bottom area fills the work area below the player panel (OnMaxTab).
  bool BottomEnlarged() const;

  QWidget* Host(HostPanel panel) const { return hosts_[static_cast<size_t>(panel)]; }
  QTabBar* TabBottom() const { return tabBottom_; }
  TdlgWelcome* Splash() const { return splash_; }
  QLabel* StatusPanel(int index) const { return statusPanels_[index]; }

  // The close sequence, as the close box runs it: true when the program may end.
  bool OnClose();
  // Writes the settings file; a failure is shown with its reason (the program quits all the same).
  bool SaveSettings();
  // The program is told to end (a signal): the trash, the filer and the settings are
  // written, asking nothing; user files are not, as nobody said so. Reasons of
  // failures go to the error output. The caller then leaves the event loop.
  void EndWithoutQuestions();

 signals:
  // The close handler accepted: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void BuildToolBar(QWidget* bar);
  void BuildWorkArea();
  void BuildStatusBar();
  void ApplyColours();
  void RegisterMusicFont();
  void LoadSettings(const IniFile& ini);
  FileWriteResult WriteSettings();
  void ApplyPlacement();
  void RefreshRecentMenus();
  QWidget* MakeHost(HostPanel panel, const char* name, QWidget* parent);
  void TakeHandOver(const QString& command);
  // Opens the waiting hand-overs in order while nothing holds them back.
  void ServeHandOvers();
  bool HandOversMustWait() const;

  TAppContext& app_;
  TFormTexts texts_;
  std::vector<std::string> recentFiles_;
  QPointer<TdlgWelcome> splash_;
  QMenu* mnReload_ = nullptr;
  QMenu* popRecent_ = nullptr;
  QWidget* panFonction_ = nullptr;
  QToolButton* btnRecent_ = nullptr;
  QLabel* imgLogo_ = nullptr;
  QWidget* panBase_ = nullptr;
  QSplitter* splitTune_ = nullptr;
  QSplitter* splTune_ = nullptr;
  QWidget* panBottom_ = nullptr;
  QTabBar* tabBottom_ = nullptr;
  QStackedWidget* bottomPages_ = nullptr;
  QToolButton* btnColsp_ = nullptr;
  QToolButton* btnExpand_ = nullptr;
  QLabel* statusPanels_[2] = {};
  QWidget* panProgress_ = nullptr;
  QProgressBar* sProgress_ = nullptr;
  QWidget* hosts_[static_cast<size_t>(HostPanel::Count)] = {};
  bool closing_ = false;
  std::deque<QString> handOvers_;
  QTimer handOverRetry_;
  bool servingHandOver_ = false;
};

}  // namespace rq
