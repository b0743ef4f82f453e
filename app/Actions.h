// Every command of the program as an action: one caption, hint, shortcut, enabled
// and visible state for every menu item, button and key bound to a command. The
// context connects each action to the object that owns its command; an action
// nothing carries out stays disabled.
#pragma once

#include <QObject>
#include <QList>
#include <array>
#include <span>

class QAction;
class QActionGroup;
class QString;

namespace rq {

class TImageList;

// In the order of the resource module's action list.
enum class ActionId {
  OpenFile,
  CloseFile,
  ClearFlt,
  OpenRecent,
  NewFile,
  Play,
  Stop,
  PlayPrev,
  PlayNext,
  MarkAll,
  UnMarkAll,
  SaveFile,
  SaveAs,
  CloseAll,
  SaveAll,
  Recent,
  NewTune,
  DelTune,
  Exit,
  Find,
  FindABC,
  EditTune,
  File,
  Edit,
  Abc,
  Option,
  MergeFile,
  MergeDir,
  Set,
  NewSet,
  DelSet,
  DelTuneSet,
  RenameSet,
  FindIdent,
  GenMidi,
  Tools,
  CopyTune,
  NewClip,
  MergeClip,
  GenPref,
  EditPref,
  PasteTune,
  CutTune,
  SetFilter,
  ToggleFilter,
  About,
  Help,
  PlaySet,
  ToMidi,
  PrintSetup,
  Print,
  PrintPreview,
  SetToMidi,
  ClearTrash,
  DeleteAll,
  ClearPrintList,
  ShowPrintList,
  PrintAll,
  PrintSelTune,
  PrintOneTune,
  AddPrintTune,
  DelPrintList,
  Preview,
  PrevZoomM,
  PrevZoomP,
  PrevPageM,
  PrevPageP,
  CopyAll,
  Count
};

// The actions' icons, in the order of the resource module's 32 × 32 list.
enum class ActionImage {
  Open,
  New,
  Save,
  Close,
  Clipboard,
  MergeFolder,
  ClearTrash,
  TuneMidi,
  SetMidi,
  PrintList,
  Preferences,
  Count
};

// The commands tune-edit mode locks: the File, Abc, Options and Tools menus with
// every command in them, then the main tool bar's and the browser's commands outside
// those menus. Each would change the file, the view or the tune shown under the
// edit. Commands added later join their menu's group here.
std::span<const ActionId> EditLockedActions();

// Gives an action its caption. Menus read "&" as the mark of a key letter; the
// buttons bound to the action show the caption as written, "&" and trailing blanks
// and dots included.
void SetActionCaption(QAction* action, const QString& caption);

// A caption for a button's text: "&" shows as itself rather than marking a key.
QString ButtonCaption(QString caption);

class TActions : public QObject {
  Q_OBJECT

 public:
  explicit TActions(QObject* parent = nullptr);

  QAction* operator[](ActionId id) const { return actions_[static_cast<size_t>(id)]; }
  QList<QAction*> All() const;
  // Gives each action with an icon its image of the 32 × 32 list.
  void SetImages(const TImageList& images);

  // Disables every action of EditLockedActions (shortcuts included), or gives each
  // back the enabled state it has of its own: one disabled before, or while locked,
  // stays disabled.
  void SetEditLocked(bool locked);

 private:
  std::array<QAction*, static_cast<size_t>(ActionId::Count)> actions_{};
  QActionGroup* editLock_ = nullptr;
};

}  // namespace rq
