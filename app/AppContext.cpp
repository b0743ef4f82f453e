#include "app/AppContext.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPointer>
#include <exception>

#include "app/Actions.h"
#include "app/BrowserLinks.h"
#include "app/DlgOpt.h"
#include "app/MainEcr.h"
#include "app/PrintLinks.h"
#include "app/ResLib.h"
#include "controls/DragControl.h"
#include "controls/Tab95Sheet.h"
#include "midi/AbcToMidi.h"
#include "midi/ZymMidi.h"
#include "notation/AbcParser.h"
#include "platform/ProgramFolder.h"
#include "score/screens/PageScoreEcr.h"
#include "score/screens/PrintListEcr.h"
#include "score/screens/ScoreEcr.h"
#include "controls/ListGrid.h"
#include "screens/CtrlFileEcr.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgSchAbc.h"
#include "screens/DlgSelPatch.h"
#include "screens/DlgString.h"
#include "screens/EditEcr.h"
#include "screens/FileEcr.h"
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
  std::string LibraryFolder() const override {
    return app_.ResLib() ? app_.ResLib()->LibraryFolder() : app_.settings_.AbcLibPath;
  }
  std::string AskSaveFileName(const std::string& title, const std::string& name) override {
    if (app_.options_.askSaveFileName) return app_.options_.askSaveFileName(title, name);
    return app_.ResLib()
        ->ExecSaveDialog(app_.MainEcr(), QString::fromStdString(title), QString::fromStdString(name))
        .toStdString();
  }
  bool EditMode() const override { return app_.ResLib() && app_.ResLib()->EditMode; }
  bool EditModified() const override { return app_.EditEcr() && app_.EditEcr()->Modified; }
  bool ValidEdit() override { return !app_.EditEcr() || app_.EditEcr()->OnValidEdit(); }
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
      browserHost_(std::make_unique<TBrowserHost>(*this)),
      browserPlayer_(std::make_unique<TBrowserPlayer>(*this)),
      tunePrinter_(std::make_unique<TTunePrinter>(*this)),
      dragControl_(std::make_unique<TDragControl>()) {
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
  destroy("PrintListEcr", printListEcr_);
  destroy("DlgString", dlgString_);
  destroy("DlgOpt", dlgOpt_);
  destroy("DlgSelPatch", dlgSelPatch_);
  destroy("DlgSearchAbc", dlgSearchAbc_);
  destroy("PlayerEcr", playerEcr_);
  destroy("FileEcr", fileEcr_);
  destroy("EditEcr", editEcr_);
  destroy("PageScoreEcr", pageScoreEcr_);
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

void TAppContext::OpenDocument(const std::string& path) {
  // The answer may come after this context is gone (the opener runs on its own).
  QPointer<TMainEcr> alive(mainEcr_.get());
  OpenDocumentDone done = [this, alive, path](const std::string& reason) {
    if (reason.empty() || !alive) return;
    UserInterface().MessageDlg("Cannot open \"" + path + "\": " + reason + ".", MsgDlgType::Error, mbOK, 0);
  };
  if (options_.openDocument) {
    options_.openDocument(path, std::move(done));
  } else {
    OpenWithDesktop(path, std::move(done));
  }
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
    resLib_->SetActions(actions_.get());
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
  RunStep("construct EditEcr", [this] {
    if (tuneParser_) editEcr_ = std::make_unique<TEditEcr>(*tuneParser_);
  });
  ConnectForms();

  RunStep("init MainEcr", [this] {
    if (mainEcr_) mainEcr_->OnCreate();
  });
  RunStep("init ResLib", [this] {
    // The language was read with the settings (MainEcr's init).
    if (!resLib_) return;
    resLib_->ApplyActionStrings(actions_->All());
    resLib_->SelectCurrentPatch();
    actions_->SetImages(*resLib_->Img32x32());
  });
  RunStep("init EditEcr", [this] { InitEditEcr(); });
  ConnectActions();
  RunStep("init SesMaster", [this] {
    if (!sesMaster_) return;
    sesMaster_->OnCreate();
    // The " Sessions " tab of the bottom area shows it, beside the sets.
    if (mainEcr_) mainEcr_->Host(HostPanel::Sessions)->layout()->addWidget(sesMaster_.get());
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
  StartSearchDialog();
  StartPatchDialog();
  StartOptionsDialog();
  RunStep("init DlgString", [this] {
    if (dlgString_) dlgString_->OnCreate();
  });
  StartPrintList();
}

// The score view, the browser and the player panel, in the forms' order: the score
// and the panel follow the tune the controller shows, and move through the browser's list.
void TAppContext::StartTuneScreens() {
  RunStep("construct ScoreEcr", [this] {
    scoreEcr_ = std::make_unique<TScoreEcr>(ScoreViewSettings{settings_.HRuler, settings_.VRuler, settings_.ScrZoom});
  });
  RunStep("init ScoreEcr", [this] {
    if (!scoreEcr_ || !mainEcr_ || !fileControl_ || !tuneParser_) return;
    TScoreEcr* score = scoreEcr_.get();
    score->OnCreate(mainEcr_->Host(HostPanel::Score));
    QObject::connect(score, &TScoreEcr::PrevTune, score, [this] {
      if (fileEcr_) fileEcr_->ShowPrevTune();
    });
    QObject::connect(score, &TScoreEcr::NextTune, score, [this] {
      if (fileEcr_) fileEcr_->ShowNextTune();
    });
    QObject::connect(fileControl_.get(), &TCtrlFile::TuneShown, score, [this, score] { score->ShowTune(*tuneParser_); });
  });
  StartPageScreen();
  RunStep("construct FileEcr", [this] {
    fileEcr_ = std::make_unique<TFileEcr>(*browserHost_);
    fileEcr_->SetPlayer(browserPlayer_.get());
  });
  RunStep("init FileEcr", [this] {
    CreateFileEcr();
    if (fileEcr_) fileEcr_->SetEditor(editEcr_.get());
  });
  RunStep("construct PlayerEcr", [this] {
    if (!midiPlayer_ || !abcMidi_ || !tuneParser_) return;
    playerEcr_ = std::make_unique<TPlayerEcr>(*midiPlayer_, *abcMidi_, *tuneParser_, midi_);
  });
  RunStep("init PlayerEcr", [this] {
    if (!playerEcr_ || !mainEcr_ || !fileControl_) return;
    TPlayerEcr* panel = playerEcr_.get();
    panel->OnCreate(mainEcr_->Host(HostPanel::Player));
    panel->SetBrowser(fileEcr_.get());
    QObject::connect(fileControl_.get(), &TCtrlFile::TuneShown, panel,
                     [panel](TAbcFile* file, TAbcRec*, const TLines& lines) { panel->OnTuneShown(file, lines); });
    QObject::connect(fileControl_.get(), &TCtrlFile::FileClosing, panel,
                     [panel](TAbcFile* file) { panel->OnFileClosing(file); });
  });
}

// The search dialog searches the browser's list.
void TAppContext::StartSearchDialog() {
  RunStep("construct DlgSearchAbc", [this] {
    if (fileEcr_) dlgSearchAbc_ = std::make_unique<TDlgSearchAbc>(*fileEcr_, mainEcr_.get());
  });
  RunStep("init DlgSearchAbc", [this] {
    if (!fileEcr_) return;
    fileEcr_->SetSearchDialog(dlgSearchAbc_.get());
    if (dlgSearchAbc_) TranslateTexts(dlgSearchAbc_->Texts());
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

// The options dialog changes the settings, the player's output and instruments, and
// the editor's look; the Preferences action shows it.
void TAppContext::StartOptionsDialog() {
  RunStep("construct DlgOpt", [this] {
    IMidiOutPorts& ports = options_.midiPorts ? *options_.midiPorts : MachineMidiPorts();
    dlgOpt_ = std::make_unique<TDlgOpt>(settings_, midi_, ports, mainEcr_.get());
  });
  RunStep("init DlgOpt", [this] {
    if (!dlgOpt_ || !resLib_) return;
    TDlgOpt* dialog = dlgOpt_.get();
    dialog->SetPlayer(midiPlayer_.get());
    dialog->SetFolderChooser([this, dialog] { return resLib_->ExecSelectDir(dialog); });
    dialog->SetAssociate([this] { TResLib::RegisterFileType(UserInterface()); });
    dialog->OnCreate();
    resLib_->TranslateForm(dialog->Texts());
    resLib_->SetOptionsDialog(dialog);
    // The editor takes the dialog's font, colours and attributes as they change.
    if (TEditEcr* editor = editEcr_.get()) {
      dialog->SetHighlighter(editor->AbcHigh());
      QObject::connect(dialog, &TDlgOpt::EditorFontChanged, editor, &TEditEcr::SetEditorFont);
      QObject::connect(dialog, &TDlgOpt::EditorColorsChanged, editor, &TEditEcr::SetColours);
    }
    if (actions_) {
      QAction* pref = (*actions_)[ActionId::GenPref];
      QObject::connect(pref, &QAction::triggered, resLib_.get(), [this] { resLib_->OnSetGenPref(); });
    }
  });
}

// The editor goes into the main window with the settings' font, colours and
// highlighter; the tune shown comes from the controller, and every edit is redrawn in
// the score and marked for the player.
void TAppContext::InitEditEcr() {
  if (!editEcr_ || !mainEcr_) return;
  TEditEcr* editor = editEcr_.get();
  editor->OnCreate(mainEcr_->Host(HostPanel::EditTune), mainEcr_->Host(HostPanel::Log));
  editor->SetPlayer(midiPlayer_.get());
  editor->SetEditorFont(QString::fromStdString(settings_.EditFontName), settings_.EditFontSize);
  editor->SetColours(settings_.EditBackground, settings_.EditForeground);
  TranslateTexts(editor->Texts());
  for (int i = 0; i < TSynAbcSyn::kAttributeCount; ++i) {
    editor->AbcHigh()->SetAttribute(i, settings_.Attributes[static_cast<size_t>(i)]);
  }
  QObject::connect(editor, &TEditEcr::TuneParsed, editor, [this] {
    if (playerEcr_) playerEcr_->MarkTuneChanged();
    if (scoreEcr_ && tuneParser_) scoreEcr_->ShowTune(*tuneParser_);
  });
  if (fileControl_) {
    QObject::connect(fileControl_.get(), &TCtrlFile::TuneShown, editor,
                     [editor](TAbcFile*, TAbcRec*, const TLines& lines, uint32_t code, bool fromSetGrid) {
                       editor->ShowTune(lines, code, fromSetGrid);
                     });
  }
  if (resLib_) {
    QObject::connect(resLib_.get(), &TResLib::EditModeChanged, mainEcr_.get(), &TMainEcr::OnEditMode);
  }
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

// The browser's panels go into the main window's hosts; its buttons carry the actions.
void TAppContext::CreateFileEcr() {
  if (!fileEcr_) return;
  if (actions_) {
    using Slot = QAction* TBrowserActions::*;
    const std::pair<Slot, ActionId> links[] = {
        {&TBrowserActions::clearFilter, ActionId::ClearFlt}, {&TBrowserActions::toggleFilter, ActionId::ToggleFilter},
        {&TBrowserActions::setFilter, ActionId::SetFilter},  {&TBrowserActions::findAbc, ActionId::FindABC},
        {&TBrowserActions::findIdent, ActionId::FindIdent},  {&TBrowserActions::markAll, ActionId::MarkAll},
        {&TBrowserActions::unmarkAll, ActionId::UnMarkAll},  {&TBrowserActions::newTune, ActionId::NewTune},
        {&TBrowserActions::editTune, ActionId::EditTune},    {&TBrowserActions::copyTune, ActionId::CopyTune},
        {&TBrowserActions::pasteTune, ActionId::PasteTune},  {&TBrowserActions::cutTune, ActionId::CutTune},
        {&TBrowserActions::newSet, ActionId::NewSet},        {&TBrowserActions::renameSet, ActionId::RenameSet},
        {&TBrowserActions::delSet, ActionId::DelSet},        {&TBrowserActions::delTuneSet, ActionId::DelTuneSet},
        {&TBrowserActions::playSet, ActionId::PlaySet},      {&TBrowserActions::setToMidi, ActionId::SetToMidi},
        {&TBrowserActions::delTune, ActionId::DelTune},      {&TBrowserActions::copyAll, ActionId::CopyAll},
        {&TBrowserActions::addPrintTune, ActionId::AddPrintTune},
        {&TBrowserActions::printOneTune, ActionId::PrintOneTune},
    };
    TBrowserActions browser;
    for (const auto& [slot, id] : links) browser.*slot = (*actions_)[id];
    fileEcr_->SetActions(browser);
  }
  if (resLib_) fileEcr_->SetImages(resLib_->ImgBmp());
  fileEcr_->SetNameDialog(dlgString_.get());
  if (resLib_ || options_.ui) fileEcr_->SetUserInterface(&UserInterface());
  // The filter panel lives in the floating filter window.
  fileEcr_->SetFilterWindow(dlgFltTune_.get());
  auto host = [this](HostPanel panel) { return mainEcr_ ? mainEcr_->Host(panel) : nullptr; };
  fileEcr_->OnCreate(host(HostPanel::Main01), host(HostPanel::ToolTune), host(HostPanel::Set), host(HostPanel::List2));
  for (int32_t mode : {vmAll, vmMarked, vmUnmarked, vmAdded, vmSearched}) {
    fileEcrTexts_.Add(fileEcr_->ViewTab(mode), mode);
  }
  if (resLib_) resLib_->TranslateForm(fileEcrTexts_);
}

void TAppContext::TranslateTexts(const TextTags& texts) const {
  if (!resLib_) return;
  TFormTexts form;
  for (const TextTag& text : texts) form.Add(text.object, text.tag);
  resLib_->TranslateForm(form);
}

TAbcFile* TAppContext::ShownFile() const { return fileEcr_ ? fileEcr_->CurList() : nullptr; }

void TAppContext::ConnectFileControl() {
  TCtrlFile* control = fileControl_.get();
  QObject::connect(control, &TCtrlFile::FileShown, control, [this](TAbcFile* file) {
    if (fileEcr_) fileEcr_->SetList(file);
    if (mainEcr_) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::FileClosing, control, [this](TAbcFile* file) {
    if (ShownFile() != file) return;
    if (fileEcr_) fileEcr_->ReleaseFile(file);
    if (mainEcr_) mainEcr_->ShowFileStatus(nullptr);
    // Its tune goes from the screens with it: a huge one gives its memory back now.
    fileControl_->ShowNoTune(nullptr);
  });
  QObject::connect(control, &TCtrlFile::FileRenamed, control, [this](TAbcFile* file) {
    if (mainEcr_ && file == ShownFile()) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::FileSaved, control, [this](TAbcFile* file) {
    if (fileEcr_ && file == ShownFile()) fileEcr_->ShowCounters();
  });
  QObject::connect(control, &TCtrlFile::TuneShown, control,
                   [this](TAbcFile*, TAbcRec*, const TLines& lines, uint32_t, bool) { browserHost_->SetShownText(lines); });
  QObject::connect(control, &TCtrlFile::WorkAreaNeeded, control, [this](bool shown) {
    if (!mainEcr_) return;
    const bool appearing = shown && !mainEcr_->WorkAreaVisible();
    mainEcr_->ShowWorkArea(shown ? 1 : 0);
    // The keys start in the tune list (Down, Enter), not on a tool bar button; in a
    // window not yet shown or not active, the list gets the focus when it is.
    if (appearing && fileEcr_) fileEcr_->LstGrid()->setFocus(Qt::OtherFocusReason);
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
  for (ActionId id : {ActionId::OpenFile, ActionId::OpenRecent}) {
    on(id, [control] {
      if (control()) control()->OpenWithDialog();
    });
  }
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
  auto browser = [this] { return fileEcr_.get(); };
  auto forward = [&on, browser](ActionId id, void (TFileEcr::*handler)()) {
    on(id, [browser, handler] {
      if (browser()) (browser()->*handler)();
    });
  };
  forward(ActionId::PlayPrev, &TFileEcr::PlayPrevTune);
  forward(ActionId::PlayNext, &TFileEcr::PlayNextTune);
  on(ActionId::Play, [this] {
    if (playerEcr_) playerEcr_->Play();
  });
  on(ActionId::Stop, [this] {
    if (playerEcr_) playerEcr_->StopPlay(0);
  });
  forward(ActionId::ClearFlt, &TFileEcr::OnClearFlt);
  forward(ActionId::MarkAll, &TFileEcr::MarkAll);
  forward(ActionId::UnMarkAll, &TFileEcr::UnmarkAll);
  forward(ActionId::FindABC, &TFileEcr::OnSearchCode);
  forward(ActionId::SetFilter, &TFileEcr::OnDropWinFilter);
  on(ActionId::FindIdent, [browser] {
    if (browser()) browser()->SearchFromEditor(6);
  });
  on(ActionId::ToggleFilter, [browser](bool down) {
    if (browser()) browser()->OnCheckFilter(down);
  });
  ConnectSetActions(forward);
  forward(ActionId::NewTune, &TFileEcr::ACTNewTune);
  forward(ActionId::EditTune, &TFileEcr::EditTune);
  forward(ActionId::DelTune, &TFileEcr::ACTDelTune);
  forward(ActionId::CopyTune, &TFileEcr::ACTCopyTune);
  forward(ActionId::CutTune, &TFileEcr::ACTCutTune);
  forward(ActionId::PasteTune, &TFileEcr::ACTPasteTune);
  forward(ActionId::DeleteAll, &TFileEcr::DeleteAllTunes);
  forward(ActionId::CopyAll, &TFileEcr::CopyAllTunes);
  forward(ActionId::AddPrintTune, &TFileEcr::AddToPrintList);
  forward(ActionId::PrintOneTune, &TFileEcr::PrintOneTune);
  ConnectTransferActions();
  ConnectPrintActions();
}

void TAppContext::ConnectSetActions(const ForwardFn& forward) {
  TActions& a = *actions_;
  forward(ActionId::NewSet, &TFileEcr::ACTNewSet);
  forward(ActionId::DelSet, &TFileEcr::ACTDelSet);
  forward(ActionId::DelTuneSet, &TFileEcr::ACTRemoveTune);
  forward(ActionId::PlaySet, &TFileEcr::OnPlaySet);
  // The prompt asks the new name under the caption "Rename Set".
  QObject::connect(a[ActionId::RenameSet], &QAction::triggered, a[ActionId::RenameSet], [this] {
    if (dlgString_) {
      dlgString_->setWindowTitle(QString::fromStdString(UserInterface().Messages().GetMessage(msgRenameSet)));
    }
    if (fileEcr_) fileEcr_->ACTRenameSet();
  });
}

void TAppContext::ConnectTransferActions() {
  TActions& a = *actions_;
  auto on = [&a](ActionId id, auto handler) { QObject::connect(a[id], &QAction::triggered, a[id], handler); };
  auto control = [this] { return fileControl_.get(); };
  on(ActionId::NewClip, [control] {
    if (control()) control()->NewFromClipboard();
  });
  on(ActionId::MergeDir, [this, control] {
    if (!control()) return;
    std::string folder;
    if (options_.askFolder) {
      folder = options_.askFolder();
    } else if (resLib_) {
      folder = resLib_->ExecSelectDir(mainEcr_.get()).toStdString();
    }
    if (!folder.empty()) control()->MergeDirectory(folder);
  });
  on(ActionId::ClearTrash, [control] {
    if (control()) control()->EmptyTrash();
  });
  on(ActionId::ToMidi, [this, control] {
    if (control()) control()->ExportTuneMidi(ShownFile());
  });
  on(ActionId::SetToMidi, [this, control] {
    if (control()) control()->ExportSetMidi(ShownFile());
  });
  on(ActionId::ClearPrintList, [control] {
    if (control()) control()->ClearPrintList();
  });
}

// The page preview in the print panel, beside the print list; the controller prints
// and previews through it.
void TAppContext::StartPageScreen() {
  RunStep("construct PageScoreEcr", [this] {
    pageScoreEcr_ = std::make_unique<TPageScoreEcr>(
        PageSettingsRefs{settings_.PfSize, settings_.PfRow, settings_.PfBorder, settings_.PfMargin});
  });
  RunStep("init PageScoreEcr", [this] {
    if (!pageScoreEcr_ || !mainEcr_) return;
    if (actions_) {
      const TActions& a = *actions_;
      pageScoreEcr_->SetActions(
          {a[ActionId::PrevZoomM], a[ActionId::PrevZoomP], a[ActionId::PrevPageM], a[ActionId::PrevPageP]});
    }
    pageScoreEcr_->OnCreate(mainEcr_->Host(HostPanel::Print));
    const std::pair<QObject*, int> labels[] = {{pageScoreEcr_->FontLabel(), 130},
                                               {pageScoreEcr_->RowLabel(), 131},
                                               {pageScoreEcr_->BorderLabel(), 132},
                                               {pageScoreEcr_->LeftLabel(), 133}};
    for (const auto& [label, tag] : labels) pageScoreTexts_.Add(label, tag);
    if (resLib_) resLib_->TranslateForm(pageScoreTexts_);
    if (fileControl_) fileControl_->SetPrinter(tunePrinter_.get());
  });
}

// The print list, last of the screens, in its panel of the print page.
void TAppContext::StartPrintList() {
  RunStep("construct PrintListEcr", [this] { printListEcr_ = std::make_unique<TPrintListEcr>(*tunePrinter_); });
  RunStep("init PrintListEcr", [this] {
    if (!printListEcr_ || !mainEcr_ || !fileControl_) return;
    if (actions_) {
      const TActions& a = *actions_;
      printListEcr_->SetActions({a[ActionId::PrintAll], a[ActionId::ClearPrintList], a[ActionId::DelPrintList],
                                 a[ActionId::Preview], a[ActionId::PrintSelTune]});
    }
    if (resLib_) printListEcr_->SetImages(resLib_->ImgBmp());
    printListEcr_->OnCreate(mainEcr_->Host(HostPanel::PrintList), dragControl_.get());
    TPrintListEcr* screen = printListEcr_.get();
    QObject::connect(fileControl_.get(), &TCtrlFile::PrintListChanged, screen, [screen] { screen->Refresh(); });
    // The preview follows every change of the list and of the choice of tunes.
    QObject::connect(screen, &TPrintListEcr::Changed, screen, [this, screen] {
      if (fileControl_) fileControl_->PreviewPrintList(screen->PrintSelOnly());
    });
  });
}

// Printing, the preview and the print list: the print list's one choice of tunes
// serves both the preview and the print, so what the preview shows is what prints.
void TAppContext::ConnectPrintActions() {
  TActions& a = *actions_;
  auto on = [&a](ActionId id, auto handler) { QObject::connect(a[id], &QAction::triggered, a[id], handler); };
  auto control = [this] { return fileControl_.get(); };
  auto everyTune = [this] { return printListEcr_ ? printListEcr_->PrintSelOnly() : true; };
  on(ActionId::PrintAll, [control, everyTune] {
    if (control()) control()->PrintAll(everyTune());
  });
  for (ActionId id : {ActionId::Preview, ActionId::PrintPreview}) {
    on(id, [control, everyTune] {
      if (control()) control()->PreviewPrintList(everyTune());
    });
  }
  on(ActionId::DelPrintList, [this] {
    if (printListEcr_) printListEcr_->DeleteCurrent();
  });
  auto pages = [this] { return pageScoreEcr_.get(); };
  const std::pair<ActionId, void (TPageScoreEcr::*)()> steps[] = {{ActionId::PrevZoomM, &TPageScoreEcr::OnZoomM},
                                                                  {ActionId::PrevZoomP, &TPageScoreEcr::OnZoomP},
                                                                  {ActionId::PrevPageM, &TPageScoreEcr::OnPageMoins},
                                                                  {ActionId::PrevPageP, &TPageScoreEcr::OnPagePlus}};
  for (const auto& [id, step] : steps) {
    on(id, [pages, step] {
      if (pages()) (pages()->*step)();
    });
  }
  on(ActionId::PrintSetup, [this] { tunePrinter_->PrinterSetup(); });
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
    if (file != ShownFile()) return;
    if (fileEcr_) fileEcr_->RefreshView();
    if (mainEcr_) mainEcr_->ShowFileStatus(file);
  });
  QObject::connect(control, &TCtrlFile::StatusText, control, [this](const std::string& text) {
    if (mainEcr_) mainEcr_->StatusPanel(1)->setText(QString::fromStdString(text));
  });
  // A drag that ends anywhere but on a file leaves no tune drag behind.
  QObject::connect(dragControl_.get(), &TDragControl::DragEnded, control, [control] { control->CancelDrag(); });
}

}  // namespace rq
