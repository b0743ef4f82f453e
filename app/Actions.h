// The commands of the main window's menu and tool bar as actions: one caption,
// hint, shortcut and enabled state for every control bound to a command. The
// context connects each action to the object that owns its command.
#pragma once

#include <QObject>
#include <QList>
#include <array>
#include <span>

class QAction;
class QActionGroup;

namespace rq {

class TImageList;

enum class ActionId {
  OpenFile,
  CloseFile,
  NewFile,
  SaveFile,
  SaveAs,
  CloseAll,
  SaveAll,
  Recent,
  Exit,
  File,
  Edit,
  Abc,
  Option,
  Tools,
  GenPref,
  About,
  Help,
  ShowPrintList,
  ClearFlt,
  MarkAll,
  UnMarkAll,
  NewTune,
  EditTune,
  FindABC,
  FindIdent,
  CopyTune,
  PasteTune,
  CutTune,
  SetFilter,
  ToggleFilter,
  NewClip,
  MergeDir,
  ClearTrash,
  ToMidi,
  SetToMidi,
  ClearPrintList,
  Set,
  Print,
  NewSet,
  DelSet,
  DelTuneSet,
  RenameSet,
  PlaySet,
  DelTune,
  DeleteAll,
  CopyAll,
  PrintOneTune,
  AddPrintTune,
  PrintAll,
  PrintSelTune,
  DelPrintList,
  Preview,
  PrintPreview,
  PrevZoomM,
  PrevZoomP,
  PrevPageM,
  PrevPageP,
  PrintSetup,
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
  Help,
  Count
};

// The commands tune-edit mode locks: the File, Abc, Options and Tools menus with
// every command in them, then the browser's commands outside those menus. Each
// would change the file, the view or the tune shown under the edit. Commands added
// later join their menu's group here.
std::span<const ActionId> EditLockedActions();

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
