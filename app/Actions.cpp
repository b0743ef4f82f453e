#include "app/Actions.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QKeySequence>
#include <utility>

#include "app/ResLib.h"
#include "controls/ImageList.h"

namespace rq {
namespace {

// Where an action starts out: commands the program does not carry out stay disabled,
// and some are kept out of sight for good.
enum RowState : unsigned { kShown = 0, kDisabled = 1, kHidden = 2 };

struct ActionRow {
  ActionId id;
  const char* name;
  int tag;  // key of the action's texts in a language file; 0 = never translated
  const char* caption;
  const char* hint;
  QKeyCombination shortcut;
  unsigned state = kShown;
  // The tune list's clipboard keys work while the list has the focus (the screen
  // binds them to it), so that in a text the same keys edit the text.
  Qt::ShortcutContext context = Qt::WindowShortcut;
};

constexpr QKeyCombination kNone{};
constexpr Qt::ShortcutContext kListKey = Qt::WidgetWithChildrenShortcut;

const ActionRow kActionRows[] = {
    {ActionId::OpenFile, "ACTOpenFile", 2, "Open ", "Open Abc File", Qt::CTRL | Qt::Key_O},
    {ActionId::CloseFile, "ACTCloseFile", 3, "Close", "Close File", Qt::CTRL | Qt::Key_W},
    {ActionId::ClearFlt, "ACTClearFlt", 42, "Clear Filter", "Clear Filter", kNone},
    {ActionId::OpenRecent, "ACTOpenRecent", 4, "", "Recent Files", kNone},
    {ActionId::NewFile, "ACTNewFile", 5, "New ", "Create New File", Qt::CTRL | Qt::Key_N},
    {ActionId::Play, "ACTPlay", 0, "Midi Play", "", kNone},
    {ActionId::Stop, "ACTStop", 0, "Midi Stop", "", kNone},
    {ActionId::PlayPrev, "ACTPlayPrev", 0, "ACTPlayPrev", "", QKeyCombination(Qt::Key_F3)},
    {ActionId::PlayNext, "ACTPlayNext", 0, "ACTPlayNext", "", kNone},
    {ActionId::MarkAll, "ACTMarkAll", 27, "Select All", "", kNone},
    {ActionId::UnMarkAll, "ACTUnMarkAll", 28, "Unselect All", "", kNone},
    {ActionId::SaveFile, "ACTSaveFile", 6, "Save", "Save Abc File", Qt::CTRL | Qt::Key_S},
    {ActionId::SaveAs, "ACTSaveAs", 7, "Save As ...", "", kNone},
    {ActionId::CloseAll, "ACTCloseAll", 8, "Close All ...", "Close All", kNone},
    {ActionId::SaveAll, "ACTSaveAll", 9, "Save All", "Save All", kNone},
    {ActionId::Recent, "ACTRecent", 10, "Last Files", "", kNone},
    {ActionId::NewTune, "ACTNewTune", 21, "New Tune", "New Tune", kNone},
    {ActionId::DelTune, "ACTDelTune", 23, "Delete Tune", "Delete Tune", kNone},
    {ActionId::Exit, "ACTExit", 11, "Exit", "", Qt::ALT | Qt::Key_F4},
    {ActionId::Find, "ACTFind", 0, "Find ...", "", kNone},
    {ActionId::FindABC, "ACTFindABC", 43, "Search ...", "Find", Qt::CTRL | Qt::Key_F},
    {ActionId::EditTune, "ACTEditTune", 22, "Edit", "EditTune", Qt::CTRL | Qt::Key_E},
    {ActionId::File, "ACTFile", 1, "File", "", kNone},
    {ActionId::Edit, "ACTEdit", 0, "Edit", "", kNone, kDisabled | kHidden},
    {ActionId::Abc, "ACTAbc", 20, "Abc Tune", "", kNone},
    {ActionId::Option, "ACTOption", 60, "Options", "", kNone},
    {ActionId::MergeFile, "ACTMergeFile", 0, "Merge", "", kNone, kDisabled | kHidden},
    {ActionId::MergeDir, "ACTMergeDir", 14, "Merge Directory", "", kNone},
    {ActionId::Set, "ACTSet", 30, "Sets", "", kNone},
    {ActionId::NewSet, "ACTNewSet", 31, "New Set", "Create a new Set ", kNone},
    {ActionId::DelSet, "ACTDelSet", 32, "Delete Set", "Delete current Set", kNone},
    {ActionId::DelTuneSet, "ACTDelTuneSet", 34, "Remove Tune", "", kNone},
    {ActionId::RenameSet, "ACTRenameSet", 33, "Rename Set", "Rename Current Set", kNone},
    {ActionId::FindIdent, "ACTFindIdent", 44, "Search Equal", "Find same signature", kNone},
    {ActionId::GenMidi, "ACTGenMidi", 0, "Create MIDI File", "", kNone, kDisabled},
    {ActionId::Tools, "ACTTools", 50, "Tools", "", kNone},
    {ActionId::CopyTune, "ACTCopyTune", 24, "Copy Tune", "Copy Tune to Cipboard", Qt::CTRL | Qt::Key_C, kShown,
     kListKey},
    {ActionId::NewClip, "ACTNewClip", 12, "New from Clipboard", "", kNone},
    {ActionId::MergeClip, "ACTMergeClip", 0, "Merge With Clipboard", "", kNone, kDisabled | kHidden},
    {ActionId::GenPref, "ACTGenPref", 61, "Preferences", "", kNone},
    {ActionId::EditPref, "ACTEditPref", 61, "Preferences", "", kNone, kDisabled},
    {ActionId::PasteTune, "ACTPasteTune", 26, "Paste Tune", "Paste Tune From Clipboard", Qt::CTRL | Qt::Key_V, kShown,
     kListKey},
    {ActionId::CutTune, "ACTCutTune", 25, "Cut Tune", "Cut Selected Tune", Qt::CTRL | Qt::Key_X, kShown, kListKey},
    {ActionId::SetFilter, "ACTSetFilter", 40, "Set Filter", "Set Filter", kNone},
    {ActionId::ToggleFilter, "ACTToggleFilter", 41, "Toggle Filter", "Toggle Filter", kNone},
    {ActionId::About, "ACTAbout", 71, "About Reelquill 2 ....", "", kNone},
    {ActionId::Help, "ACTHelp", 70, "Help", "", kNone},
    {ActionId::PlaySet, "ACTPlaySet", 35, "Play Set", "", kNone},
    {ActionId::ToMidi, "ACTToMidi", 51, "Create Midi File", "Create MIDI File", kNone},
    {ActionId::PrintSetup, "ACTPrintSetup", 62, "Printer Setup", "", kNone},
    {ActionId::Print, "ACTPrint", 64, "Print Sheet Music", "Print Sheet Music", kNone},
    // The print list's preview is reached from the list's own button only.
    {ActionId::PrintPreview, "ACTPrintPreview", 63, "Print Preview", "", kNone, kDisabled | kHidden},
    {ActionId::SetToMidi, "ACTSetToMidi", 36, "Create Midi File", "Create Set Midi file", kNone},
    {ActionId::ClearTrash, "ACTClearTrash", 13, "Clear Trash File", "Clear Trash File", kNone},
    {ActionId::DeleteAll, "ACTDeleteAll", 52, "Delete All Tunes", "Delete All Tunes", kNone},
    {ActionId::ClearPrintList, "ACTClearPrintList", 81, "Clear Print List", "Clear Print List", kNone},
    // The print list is a tab of the main window: its tool bar button is not needed.
    {ActionId::ShowPrintList, "ACTShowprintList", 82, "Print List", "View Print List", kNone, kDisabled | kHidden},
    {ActionId::PrintAll, "ACTPrintAll", 83, "Print Tune List", "Print Tune List", kNone},
    // Shown: the print list's ticks choose what prints and what the preview shows.
    {ActionId::PrintSelTune, "ACTPrintSelTune", 84, "Print Selected Tunes", "Print Only Selected Tunes", kNone},
    {ActionId::PrintOneTune, "ACTPrintOneTune", 85, "Print Tune", "Print Tune", kNone},
    {ActionId::AddPrintTune, "ACTAddPrintTune", 86, "Add to Print List", "Add Tune to Print List", kNone},
    {ActionId::DelPrintList, "ActDelPrintList", 87, "Delete from Print List", "Delete selected tune from Print List",
     kNone},
    {ActionId::Preview, "ACTPreview", 63, "Print Preview", "Print Preview", kNone},
    {ActionId::PrevZoomM, "ACTPrevZoomM", 90, "", "Zoom -", kNone},
    {ActionId::PrevZoomP, "ACTPrevZoomP", 91, "", "Zoom +", kNone},
    {ActionId::PrevPageM, "ACTPrevPageM", 92, "", "Previous Page", kNone},
    {ActionId::PrevPageP, "ACTPrevPageP", 93, "", "Next Page", kNone},
    {ActionId::CopyAll, "ACTCopyAll", 53, "Copy to Clipboard", "Copy to Clipboard", kNone},
};
static_assert(std::size(kActionRows) == static_cast<size_t>(ActionId::Count));

constexpr ActionId kEditLocked[] = {
    // File
    ActionId::File, ActionId::NewFile, ActionId::OpenFile, ActionId::NewClip, ActionId::Recent, ActionId::SaveFile,
    ActionId::SaveAs, ActionId::SaveAll, ActionId::CloseFile, ActionId::CloseAll, ActionId::ClearTrash,
    ActionId::Exit, ActionId::OpenRecent,
    // Abc
    ActionId::Abc, ActionId::NewTune, ActionId::EditTune, ActionId::DelTune, ActionId::MarkAll, ActionId::UnMarkAll,
    ActionId::DeleteAll,
    // Options
    ActionId::Option, ActionId::GenPref, ActionId::PrintSetup,
    // Tools, with its Sets and Print submenus
    ActionId::Tools, ActionId::FindABC, ActionId::ToMidi, ActionId::Set, ActionId::NewSet, ActionId::RenameSet,
    ActionId::DelSet, ActionId::DelTuneSet, ActionId::PlaySet, ActionId::SetToMidi, ActionId::Print,
    ActionId::AddPrintTune, ActionId::PrintAll, ActionId::PrintOneTune, ActionId::ClearPrintList, ActionId::MergeClip,
    ActionId::MergeFile, ActionId::MergeDir,
    // the main tool bar's and the browser's
    ActionId::ShowPrintList, ActionId::ClearFlt, ActionId::SetFilter, ActionId::ToggleFilter, ActionId::FindIdent,
    ActionId::CutTune, ActionId::PasteTune, ActionId::CopyAll, ActionId::PlayPrev, ActionId::PlayNext,
};

const std::pair<ActionId, ActionImage> kActionIcons[] = {
    {ActionId::OpenFile, ActionImage::Open},          {ActionId::NewFile, ActionImage::New},
    {ActionId::SaveFile, ActionImage::Save},          {ActionId::CloseFile, ActionImage::Close},
    {ActionId::NewClip, ActionImage::Clipboard},      {ActionId::MergeDir, ActionImage::MergeFolder},
    {ActionId::ClearTrash, ActionImage::ClearTrash},  {ActionId::ToMidi, ActionImage::TuneMidi},
    {ActionId::SetToMidi, ActionImage::SetMidi},      {ActionId::ShowPrintList, ActionImage::PrintList},
    {ActionId::GenPref, ActionImage::Preferences},
};

}  // namespace

TActions::TActions(QObject* parent) : QObject(parent) {
  for (const ActionRow& row : kActionRows) {
    auto* action = new QAction(this);
    SetActionCaption(action, QString::fromLatin1(row.caption));
    action->setObjectName(QString::fromLatin1(row.name));
    action->setProperty(kTagProperty, row.tag);
    if (*row.hint) {
      action->setToolTip(QString::fromLatin1(row.hint));
      action->setStatusTip(QString::fromLatin1(row.hint));
    }
    if (row.shortcut != kNone) action->setShortcut(QKeySequence(row.shortcut));
    action->setShortcutContext(row.context);
    action->setEnabled(!(row.state & kDisabled));
    action->setVisible(!(row.state & kHidden));
    actions_[static_cast<size_t>(row.id)] = action;
  }
  // The filter button stays down while the filter narrows the view.
  (*this)[ActionId::ToggleFilter]->setCheckable(true);
  // A disabled group disables its actions and, enabled again, leaves each with the
  // state it was given of its own: the lock needs no copy of the states.
  editLock_ = new QActionGroup(this);
  editLock_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
  for (ActionId id : EditLockedActions()) editLock_->addAction((*this)[id]);
}

std::span<const ActionId> EditLockedActions() { return kEditLocked; }

// A bound tool button shows the icon text as it stands. Left unset, the icon text
// would be the caption without its "&", blanks and "...", so it is always given.
void SetActionCaption(QAction* action, const QString& caption) {
  action->setText(caption);
  action->setIconText(ButtonCaption(caption));
}

QString ButtonCaption(QString caption) { return caption.replace(QLatin1Char('&'), QLatin1String("&&")); }

void TActions::SetEditLocked(bool locked) { editLock_->setEnabled(!locked); }

QList<QAction*> TActions::All() const { return QList<QAction*>(actions_.begin(), actions_.end()); }

void TActions::SetImages(const TImageList& images) {
  for (const auto& [id, image] : kActionIcons) (*this)[id]->setIcon(QIcon(images.Image(static_cast<int>(image))));
}

}  // namespace rq
