// The commands of the main window's menu and tool bar as actions: one caption,
// hint, shortcut and enabled state for every control bound to a command. The
// context connects each action to the object that owns its command.
#pragma once

#include <QObject>
#include <QList>
#include <array>

class QAction;

namespace rq {

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
  Count
};

class TActions : public QObject {
  Q_OBJECT

 public:
  explicit TActions(QObject* parent = nullptr);

  QAction* operator[](ActionId id) const { return actions_[static_cast<size_t>(id)]; }
  QList<QAction*> All() const;

 private:
  std::array<QAction*, static_cast<size_t>(ActionId::Count)> actions_{};
};

}  // namespace rq
