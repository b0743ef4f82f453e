#include "app/AppContext.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <exception>

#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "app/ShownFileBrowser.h"
#include "controls/DragControl.h"
#include "midi/AbcToMidi.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/ProgramFolder.h"
#include "score/screens/ScoreEcr.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgSelPatch.h"
#include "screens/DlgString.h"
#include "screens/PlayerEcr.h"
#include "screens/SesMaster.h"

namespace rq {
namespace {

TAppContext* g_current = nullptr;

}  // namespace

// The controller's view of the screens: the shared dialogs and the editor's state.
class TAppContext::Host : public ICtrlFileHost {
 public:
  explicit Host(TAppContext& app) : app_(app) {}

  std::string AskOpenFileName() override {
    if (app_.options_.askOpenFileName) return app_.options_.askOpenFileName();
    return app_.ResLib()->ExecOpenDialog(app_.MainEcr()).toStdString();
  }
  std::string AskSaveFileName(const std::string& title, const std::string& name) override {
    if (app_.options_.askSaveFileName) return app_.options_.askSaveFileName(title, name);
    return app_.ResLib()
        ->ExecSaveDialog(app_.MainEcr(), QString::fromStdString(title), QString::fromStdString(name))
        .toStdString();
  }
  bool EditMode() const override { return app_.ResLib() && app_.ResLib()->EditMode; }
  // The editor screen is not part of the program yet: no edit holds changes.
  bool EditModified() const override { return false; }
  void ValidEdit() override {}
  std::string AskMidiFileName(const std::string& title, const std::string& name) override {
    if (app_.options_.askMidiFileName) return app_.options_.askMidiFileName(title, name);
    return app_.ResLib()
        ->ExecSaveMidiDialog(app_.MainEcr(), QString::fromStdString(title), QString::fromStdString(name))
        .toStdString();
  }
  // Until the player panel sets the player's tempo, the speed setting gives it.
  int PlayerTempo() const override {
    const int tempo = app_.MidiPlayer() ? app_.MidiPlayer()->Tempo() : 0;
    return tempo > 0 ? tempo : TempoForSpeed(app_.midi_.MidiSpeed);
  }

 private:
  TAppContext& app_;
};

TAppContext::TAppContext(TAppOptions options)
    : options_(std::move(options)),
      host_(std::make_unique<Host>(*this)),
      dragControl_(std::make_unique<TDragControl>()),
      browser_(std::make_unique<TShownFileBrowser>(*this)) {
  programFolder_ = options_.programFolder.empty() ? rq::ProgramFolder() : options_.programFolder;
  if (!options_.programFolder.empty()) SetProgramFolder(options_.programFolder);
  previous_ = g_current;
  g_current = this;
}

TAppContext::~TAppContext() {
  auto destroy = [this](const char* name, auto& object) {
    if (!object) return;
    Note(std::string("destroy ") + name);
    object.reset();
  };
  if (mainEcr_) mainEcr_->hide();
  // The player's end-of-tune notice is addressed to the screens: the player stops
  // and forgets it before any screen goes.
  if (midiPlayer_) {
    Note("stop MidiPlayer");
    midiPlayer_->SetOnStop(nullptr);
    midiPlayer_->Stop(false);
  }
  destroy("DlgString", dlgString_);
  destroy("DlgSelPatch", dlgSelPatch_);
  destroy("PlayerEcr", playerEcr_);
  destroy("ScoreEcr", scoreEcr_);
  destroy("CtrlFileEcr", ctrlFileEcr_);
  destroy("DlgFltTune", dlgFltTune_);
  destroy("SesMaster", sesMaster_);
  // The controller saves the trash and the filer and may report a failure through
  // the resource module, which therefore outlives it.
  destroy("FileControl", fileControl_);
  destroy("MidiPlayer", midiPlayer_);
  destroy("AbcMidi", abcMidi_);
  destroy("TuneParser", tuneParser_);
  destroy("MainEcr", mainEcr_);
  destroy("Actions", actions_);
  destroy("ResLib", resLib_);
  if (g_current == this) g_current = previous_;
}

TAppContext* TAppContext::Current() { return g_current; }

IUserInterface& TAppContext::UserInterface() {
  if (options_.ui) return *options_.ui;
  return *resLib_;
}

void TAppContext::Note(const std::string& step) {
  log_.push_back(step);
  if (options_.log) options_.log->push_back(step);
}

void TAppContext::RunStep(const std::string& name, const std::function<void()>& step) {
  Note(name);
  try {
    step();
  } catch (const std::exception& e) {
    startErrors_.push_back(name + ": " + e.what());
    if (resLib_ || options_.ui) UserInterface().MessageDlg(e.what(), MsgDlgType::Error, mbOK, 0);
  }
}

void TAppContext::Start() {
  // Every object exists before any initialises, so each step can reach the others.
  RunStep("construct ResLib", [this] {
    resLib_ = std::make_unique<TResLib>(settings_, midi_);
    actions_ = std::make_unique<TActions>();
  });
  RunStep("construct MainEcr", [this] { mainEcr_ = std::make_unique<TMainEcr>(*this); });
  RunStep("construct TuneParser", [this] { tuneParser_ = std::make_unique<TAbcParser>(); });
  RunStep("construct AbcMidi", [this] { abcMidi_ = std::make_unique<TAbcMidi>(midi_); });
  RunStep("construct FileControl", [this] {
    fileControl_ = std::make_unique<TCtrlFile>(programFolder_, UserInterface(), *host_, *tuneParser_, midi_);
    ConnectFileControl();
  });
  RunStep("construct SesMaster", [this] { sesMaster_ = std::make_unique<TSesMaster>(); });
  RunStep("construct DlgFltTune", [this] { dlgFltTune_ = std::make_unique<TDlgFltTune>(mainEcr_.get()); });
  RunStep("construct CtrlFileEcr", [this] {
    if (!fileControl_) return;
    ctrlFileEcr_ = std::make_unique<TCtrlFileEcr>(*fileControl_, resLib_ ? resLib_->Img20x20() : nullptr,
                                                  dragControl_.get());
    if (actions_) {
      const TActions& a = *actions_;
      ctrlFileEcr_->SetMenuActions({a[ActionId::CloseFile], a[ActionId::ClearFlt], nullptr, a[ActionId::CloseAll]});
    }
  });
  RunStep("construct DlgString", [this] { dlgString_ = std::make_unique<TDlgString>(mainEcr_.get()); });
  ConnectForms();

  RunStep("init MainEcr", [this] {
    if (mainEcr_) mainEcr_->OnCreate();
  });
  RunStep("init ResLib", [this] {
    if (!resLib_) return;
    resLib_->LoadLanguage();
    resLib_->ApplyActionStrings(actions_->All());
    resLib_->SelectCurrentPatch();
    actions_->SetImages(*resLib_->Img32x32());
  });
  ConnectActions();
  RunStep("init SesMaster", [this] {
    if (sesMaster_) sesMaster_->OnCreate();
  });
  RunStep("init DlgFltTune", [this] {
    if (!dlgFltTune_) return;
    dlgFltTune_->OnCreate();
    TFormTexts texts;
    texts.Add(dlgFltTune_.get(), TDlgFltTune::kFormTag, TextKind::Title);
    if (resLib_) resLib_->TranslateForm(texts);
  });
  StartTuneScreens();
  RunStep("init CtrlFileEcr", [this] {
    if (!ctrlFileEcr_ || !fileControl_) return;
    // Its creation opens the trash and the filer, which get the first two tabs.
    ctrlFileEcr_->OnCreate(mainEcr_ ? mainEcr_->Host(HostPanel::Tab) : nullptr);
    // The program goes on without a control file it cannot keep, and says so once.
    std::string problems;
    if (!fileControl_->TrashProblem().empty()) {
      problems += "The trash is not available, so deleted tunes cannot be kept: " + fileControl_->TrashProblem();
    }
    if (!fileControl_->FilerProblem().empty()) {
      if (!problems.empty()) problems += "\n";
      problems += "The filer is not available: " + fileControl_->FilerProblem();
    }
    if (!problems.empty()) UserInterface().MessageDlg(problems, MsgDlgType::Warning, mbOK, 0);
  });
  StartPatchDialog();
  RunStep("init DlgString", [this] {
    if (dlgString_) dlgString_->OnCreate();
  });
}

// The score view and the player panel follow the tune the controller shows; until
// the browser exists, a stand-in moves through the shown file.
void TAppContext::StartTuneScreens() {
  RunStep("construct ScoreEcr", [this] {
    scoreEcr_ = std::make_unique<TScoreEcr>(ScoreViewSettings{settings_.HRuler, settings_.VRuler, settings_.ScrZoom});
  });
  RunStep("init ScoreEcr", [this] {
    if (!scoreEcr_ || !mainEcr_ || !fileControl_ || !tuneParser_) return;
    TScoreEcr* score = scoreEcr_.get();
    score->OnCreate(mainEcr_->Host(HostPanel::Score));
    QObject::connect(score, &TScoreEcr::PrevTune, score, [this] { browser_->ShowPrevTune(); });
    QObject::connect(score, &TScoreEcr::NextTune, score, [this] { browser_->ShowNextTune(); });
    QObject::connect(fileControl_.get(), &TCtrlFile::TuneShown, score, [this, score] { score->ShowTune(*tuneParser_); });
    QObject::connect(fileControl_.get(), &TCtrlFile::FileShown, score, [this](TAbcFile* file) { browser_->OnFileShown(file); });
  });
  RunStep("construct PlayerEcr", [this] {
    if (!midiPlayer_ || !abcMidi_ || !tuneParser_) return;
    playerEcr_ = std::make_unique<TPlayerEcr>(*midiPlayer_, *abcMidi_, *tuneParser_, midi_);
  });
  RunStep("init PlayerEcr", [this] {
    if (!playerEcr_ || !mainEcr_ || !fileControl_) return;
    TPlayerEcr* panel = playerEcr_.get();
    panel->OnCreate(mainEcr_->Host(HostPanel::Player));
    panel->SetBrowser(browser_.get());
    QObject::connect(fileControl_.get(), &TCtrlFile::TuneShown, panel,
                     [panel](TAbcFile* file, TAbcRec*, const TLines& lines) { panel->OnTuneShown(file, lines); });
    QObject::connect(fileControl_.get(), &TCtrlFile::FileClosing, panel,
                     [panel](TAbcFile* file) { panel->OnFileClosing(file); });
  });
}

// The instrument pop-up shows the resource module's list; a click on an instrument
// gives it to the first channel.
void TAppContext::StartPatchDialog() {
  RunStep("construct DlgSelPatch", [this] { dlgSelPatch_ = std::make_unique<TDlgSelPatch>(); });
  RunStep("init DlgSelPatch", [this] {
    if (!dlgSelPatch_ || !resLib_) return;
    QListWidget* list = resLib_->ListPatch();
    dlgSelPatch_->OnCreate(list);
    QObject::connect(list, &QListWidget::itemClicked, resLib_.get(),
                     [this, list](QListWidgetItem* item) { resLib_->OnClickPatch(list->row(item), midiPlayer_.get()); });
    if (playerEcr_) playerEcr_->SetPatchDialog(dlgSelPatch_.get());
  });
}

void TAppContext::CreateMidiPlayer() {
  Note("create MidiPlayer");
  const int port = midi_.MidiPort.load();
  if (options_.midiPorts && options_.clock && options_.timers) {
    midiPlayer_ = std::make_unique<TZymMidiPlayer>(port, midi_, *options_.midiPorts, *options_.clock, *options_.timers);
  } else {
    midiPlayer_ = std::make_unique<TZymMidiPlayer>(port, midi_);
  }
  for (int c = 0; c < 16; ++c) midiPlayer_->SetPatch(c, midi_.MidiPatch[static_cast<size_t>(c)].load());
}

void TAppContext::ConnectFileControl() {
  TCtrlFile* control = fileControl_.get();
  QObject::connect(control, &TCtrlFile::FileShown, control, [this](TAbcFile* file) {
    shownFile_ = file;
    if (mainEcr_) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::FileClosing, control, [this](TAbcFile* file) {
    if (shownFile_ != file) return;
    shownFile_ = nullptr;
    if (mainEcr_) mainEcr_->ShowFileStatus(nullptr);
  });
  QObject::connect(control, &TCtrlFile::FileRenamed, control, [this](TAbcFile* file) {
    if (mainEcr_ && file == shownFile_) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::WorkAreaNeeded, control, [this](bool shown) {
    if (mainEcr_) mainEcr_->ShowWorkArea(shown ? 1 : 0);
  });
  QObject::connect(control, &TCtrlFile::RecentFile, control, [this](const std::string& name) {
    if (mainEcr_) mainEcr_->AddRecentFile(name);
  });
}

void TAppContext::ConnectActions() {
  if (!actions_ || !mainEcr_) return;
  TActions& a = *actions_;
  TMainEcr* main = mainEcr_.get();
  auto control = [this] { return fileControl_.get(); };
  auto on = [&a](ActionId id, auto handler) { QObject::connect(a[id], &QAction::triggered, a[id], handler); };
  on(ActionId::OpenFile, [control] {
    if (control()) control()->OpenWithDialog();
  });
  on(ActionId::NewFile, [control] {
    if (control()) control()->NewFile();
  });
  auto tabs = [this] { return ctrlFileEcr_.get(); };
  on(ActionId::SaveFile, [tabs] {
    if (tabs()) tabs()->SaveActive();
  });
  on(ActionId::SaveAs, [tabs] {
    if (tabs()) tabs()->SaveActiveAs();
  });
  on(ActionId::SaveAll, [control] {
    if (control()) control()->SaveAll();
  });
  on(ActionId::CloseFile, [tabs] {
    if (tabs()) tabs()->CloseActive();
  });
  on(ActionId::CloseAll, [tabs] {
    if (tabs()) tabs()->CloseAll();
  });
  on(ActionId::Exit, [main] { main->close(); });
  on(ActionId::About, [main] { main->OnClickLogo(); });
  ConnectTransferActions();
}

void TAppContext::ConnectTransferActions() {
  TActions& a = *actions_;
  auto on = [&a](ActionId id, auto handler) { QObject::connect(a[id], &QAction::triggered, a[id], handler); };
  auto control = [this] { return fileControl_.get(); };
  on(ActionId::NewClip, [control] {
    if (control()) control()->NewFromClipboard();
  });
  on(ActionId::MergeDir, [this, control] {
    if (!control() || !resLib_) return;
    const QString folder = resLib_->ExecSelectDir(mainEcr_.get());
    if (!folder.isEmpty()) control()->MergeDirectory(folder.toStdString());
  });
  on(ActionId::ClearTrash, [control] {
    if (control()) control()->EmptyTrash();
  });
  on(ActionId::ToMidi, [this, control] {
    if (control()) control()->ExportTuneMidi(shownFile_);
  });
  on(ActionId::SetToMidi, [this, control] {
    if (control()) control()->ExportSetMidi(shownFile_);
  });
  on(ActionId::ClearPrintList, [control] {
    if (control()) control()->ClearPrintList();
  });
}

void TAppContext::ConnectForms() {
  TCtrlFile* control = fileControl_.get();
  if (!control) return;
  // The tabs follow the controller's files; the session screen follows the shown file.
  QObject::connect(control, &TCtrlFile::FileAdded, control, [this](TAbcFile* file, bool select) {
    if (ctrlFileEcr_) ctrlFileEcr_->AddFileTab(file, select);
  });
  QObject::connect(control, &TCtrlFile::FileRenamed, control, [this](TAbcFile* file) {
    if (ctrlFileEcr_) ctrlFileEcr_->UpdateTabCaption(file);
  });
  QObject::connect(control, &TCtrlFile::FileShown, control, [this](TAbcFile* file) {
    if (ctrlFileEcr_) ctrlFileEcr_->SelectFileTab(file);
    if (sesMaster_) sesMaster_->SetFile(file);
  });
  QObject::connect(control, &TCtrlFile::FileClosing, control, [this](TAbcFile* file) {
    if (ctrlFileEcr_) ctrlFileEcr_->RemoveFileTab(file);
    if (sesMaster_ && sesMaster_->File() == file) sesMaster_->SetFile(nullptr);
  });
  QObject::connect(control, &TCtrlFile::TunesChanged, control, [this](TAbcFile* file) {
    if (sesMaster_ && sesMaster_->File() == file) sesMaster_->Refresh();
    if (mainEcr_ && file == shownFile_) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::StatusText, control, [this](const std::string& text) {
    if (mainEcr_) mainEcr_->StatusPanel(1)->setText(QString::fromStdString(text));
  });
  // A drag that ends anywhere but on a file leaves no tune drag behind.
  QObject::connect(dragControl_.get(), &TDragControl::DragEnded, control, [control] { control->CancelDrag(); });
}

}  // namespace rq
