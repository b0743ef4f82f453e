// The application context: the one owner of the program's shared objects (settings,
// MIDI settings, resource module, actions, parser, converter, player, open-files
// controller, main window). It builds them in the program's start-up order, each
// step on its own (a failing step is shown and start-up goes on), and destroys them
// in reverse. The program's well-known names are accessors of the current context.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CtrlFile.h"
#include "app/FormTexts.h"
#include "app/Settings.h"
#include "midi/MidiSettings.h"
#include "platform/DesktopOpen.h"
#include "screens/TextTags.h"

class QPrinter;

namespace rq {

class IMidiOutPorts;
class IMillisecondClock;
class ITimerService;
class IUserInterface;
class TAbcMidi;
class TAbcParser;
class TActions;
enum class ActionId;
class TBrowserHost;
class TBrowserPlayer;
class TCtrlFileEcr;
class TDlgFltTune;
class TDlgOpt;
class TDlgSearchAbc;
class TDlgSelPatch;
class TDlgString;
class TDragControl;
class TEditEcr;
class TFileEcr;
class TMainEcr;
class TPageScoreEcr;
class TPrintListEcr;
class TPlayerEcr;
class TSesMaster;
class TResLib;
class TScoreEcr;
class TTunePrinter;
class TZymMidiPlayer;

struct TAppOptions {
  // The folder of settings, language files, trash, filer and font; empty: ProgramFolder().
  std::string programFolder;
  // Where the player's output goes, and its clock and timers; null: the machine's.
  IMidiOutPorts* midiPorts = nullptr;
  const IMillisecondClock* clock = nullptr;
  ITimerService* timers = nullptr;
  // Who answers questions; null: the resource module's message dialogs.
  IUserInterface* ui = nullptr;
  // File dialogs; unset: the resource module's dialogs.
  std::function<std::string()> askOpenFileName;
  std::function<std::string(const std::string& title, const std::string& name)> askSaveFileName;
  std::function<std::string(const std::string& title, const std::string& name)> askMidiFileName;
  // The folder dialog of Merge Directory; unset: the resource module's.
  std::function<std::string()> askFolder;
  // Receives the steps as they run, and keeps them after the context is gone.
  std::vector<std::string>* log = nullptr;
  // The welcome box at start (tests leave it out: it stays on top).
  bool showWelcome = true;
  // The print dialog on the printer the jobs go to: true to print; unset: the
  // resource module's dialog.
  std::function<bool(QPrinter& printer)> printDialog;
  // Opens a file with the desktop's program for it and reports how that went;
  // unset: the desktop's opener (OpenWithDesktop).
  std::function<void(const std::string& path, OpenDocumentDone done)> openDocument;
};

class TAppContext {
 public:
  explicit TAppContext(TAppOptions options = {});
  // Destroys what was built in reverse order; the controller saves the trash and the
  // filer on its way out.
  ~TAppContext();
  TAppContext(const TAppContext&) = delete;
  TAppContext& operator=(const TAppContext&) = delete;

  // Constructs every object, then initialises them in order. An error in one step is
  // shown and the next step runs. The main window is not shown here.
  void Start();

  // The process's current context (the last one started and not yet destroyed).
  static TAppContext* Current();

  TSettings& Settings() { return settings_; }
  MidiSettings& Midi() { return midi_; }
  const std::string& ProgramFolder() const { return programFolder_; }
  IUserInterface& UserInterface();
  // Opens a file of the program's (a note beside it) with the desktop's program for
  // it; when that fails the user is told, with the file's name and the reason.
  void OpenDocument(const std::string& path);
  TResLib* ResLib() const { return resLib_.get(); }
  TActions* Actions() const { return actions_.get(); }
  TMainEcr* MainEcr() const { return mainEcr_.get(); }
  TCtrlFile* FileControl() const { return fileControl_.get(); }
  TZymMidiPlayer* MidiPlayer() const { return midiPlayer_.get(); }
  TAbcMidi* AbcMidi() const { return abcMidi_.get(); }
  TAbcParser* TuneParser() const { return tuneParser_.get(); }
  TDragControl* DragControl() const { return dragControl_.get(); }
  TSesMaster* SesMaster() const { return sesMaster_.get(); }
  TDlgFltTune* DlgFltTune() const { return dlgFltTune_.get(); }
  TCtrlFileEcr* CtrlFileEcr() const { return ctrlFileEcr_.get(); }
  TDlgString* DlgString() const { return dlgString_.get(); }
  TScoreEcr* ScoreEcr() const { return scoreEcr_.get(); }
  TFileEcr* FileEcr() const { return fileEcr_.get(); }
  TEditEcr* EditEcr() const { return editEcr_.get(); }
  TPlayerEcr* PlayerEcr() const { return playerEcr_.get(); }
  TDlgSearchAbc* DlgSearchAbc() const { return dlgSearchAbc_.get(); }
  TDlgSelPatch* DlgSelPatch() const { return dlgSelPatch_.get(); }
  // The options dialog; the editor connects to its signals and gives it its highlighter.
  TDlgOpt* DlgOpt() const { return dlgOpt_.get(); }
  TBrowserHost* BrowserHost() const { return browserHost_.get(); }
  TPageScoreEcr* PageScoreEcr() const { return pageScoreEcr_.get(); }
  TPrintListEcr* PrintListEcr() const { return printListEcr_.get(); }
  TTunePrinter* TunePrinter() const { return tunePrinter_.get(); }

  // The steps run, in order: "construct X", "init X", "destroy X"; tests read it.
  const std::vector<std::string>& Log() const { return log_; }
  // Errors shown during start-up (also shown to the user).
  const std::vector<std::string>& StartErrors() const { return startErrors_; }

  const TAppOptions& Options() const { return options_; }

  // The main window's creation step that opens the MIDI output named by the settings.
  void CreateMidiPlayer();

  // The file the browser shows (null: none).
  TAbcFile* ShownFile() const;

 private:
  class Host;
  void RunStep(const std::string& name, const std::function<void()>& step);
  void Note(const std::string& step);
  void ConnectActions();
  void ConnectFileControl();
  void ConnectForms();
  // Connects an action to a browser command.
  using ForwardFn = std::function<void(ActionId, void (TFileEcr::*)())>;
  void ConnectSetActions(const ForwardFn& forward);
  void ConnectTransferActions();
  void StartTuneScreens();
  void CreateFileEcr();
  // Applies the language file to a screen's texts.
  void TranslateTexts(const TextTags& texts) const;
  void StartSearchDialog();
  void StartPatchDialog();
  void StartOptionsDialog();
  void InitEditEcr();
  void StartPageScreen();
  void StartPrintList();
  void ConnectPrintActions();

  TAppOptions options_;
  std::string programFolder_;
  TSettings settings_;
  MidiSettings midi_;
  std::unique_ptr<Host> host_;
  std::unique_ptr<TMainEcr> mainEcr_;
  std::unique_ptr<TResLib> resLib_;
  std::unique_ptr<TActions> actions_;
  std::unique_ptr<TCtrlFile> fileControl_;
  std::unique_ptr<TZymMidiPlayer> midiPlayer_;
  std::unique_ptr<TAbcMidi> abcMidi_;
  std::unique_ptr<TAbcParser> tuneParser_;
  std::unique_ptr<TBrowserHost> browserHost_;
  std::unique_ptr<TBrowserPlayer> browserPlayer_;
  std::unique_ptr<TTunePrinter> tunePrinter_;
  std::unique_ptr<TDragControl> dragControl_;
  std::unique_ptr<TSesMaster> sesMaster_;
  std::unique_ptr<TDlgFltTune> dlgFltTune_;
  std::unique_ptr<TCtrlFileEcr> ctrlFileEcr_;
  std::unique_ptr<TDlgString> dlgString_;
  std::unique_ptr<TScoreEcr> scoreEcr_;
  std::unique_ptr<TFileEcr> fileEcr_;
  std::unique_ptr<TEditEcr> editEcr_;
  std::unique_ptr<TPlayerEcr> playerEcr_;
  std::unique_ptr<TDlgSearchAbc> dlgSearchAbc_;
  std::unique_ptr<TDlgSelPatch> dlgSelPatch_;
  std::unique_ptr<TDlgOpt> dlgOpt_;
  std::unique_ptr<TPageScoreEcr> pageScoreEcr_;
  std::unique_ptr<TPrintListEcr> printListEcr_;
  TFormTexts fileEcrTexts_;
  TFormTexts pageScoreTexts_;
  std::vector<std::string> log_;
  std::vector<std::string> startErrors_;
  TAppContext* previous_ = nullptr;
};

// The program's well-known names.
inline TAppContext& App() { return *TAppContext::Current(); }
inline TMainEcr* MainEcr() { return App().MainEcr(); }
inline TResLib* ResLib() { return App().ResLib(); }
inline TCtrlFile* FileControl() { return App().FileControl(); }
inline TZymMidiPlayer* MidiPlayer() { return App().MidiPlayer(); }
inline TAbcMidi* AbcMidi() { return App().AbcMidi(); }
inline TAbcParser* TuneParser() { return App().TuneParser(); }
inline TCtrlFileEcr* CtrlFileEcr() { return App().CtrlFileEcr(); }
inline TScoreEcr* ScoreEcr() { return App().ScoreEcr(); }
inline TFileEcr* FileEcr() { return App().FileEcr(); }
inline TEditEcr* EditEcr() { return App().EditEcr(); }
inline TPlayerEcr* PlayerEcr() { return App().PlayerEcr(); }

}  // namespace rq
