// What the tune browser asks of the rest of the program: the open-files controller,
// the player panel and the commands it shows buttons for. The application context
// implements these; tests implement them with recorders.
#pragma once

#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ByteText.h"

class QAction;
class QWidget;

namespace rq {

class TAbcFile;
class TAbcRec;
class TSetAbc;

// What a drag in progress carries, as the open-files controller recorded it when the
// drag started, and the widget it started from.
struct TDragRecord {
  QWidget* source = nullptr;  // null once the drag is over
  TAbcFile* file = nullptr;   // null: no tune of a file is dragged
  int32_t kind = 0;
  int32_t mode = 0;
  int32_t row = -1;
};

// The open-files controller and the screens around the browser.
class IBrowserHost {
 public:
  virtual ~IBrowserHost() = default;
  // Shows the tune at a view row in the editor and the score; the shared parser then
  // holds it. 0, or −1 when the row holds no tune.
  virtual int32_t ShowTune(TAbcFile* file, int32_t row) = 0;
  // Shows a record of the file, whatever the view (a set entry); −1 when refused.
  virtual int32_t ShowTuneRec(TAbcFile* file, TAbcRec* rec) = 0;
  // The view mode and filter switch as the controller sets them (mode −1 keeps the mode).
  virtual void SetViewMode(TAbcFile* file, int32_t mode, int32_t filterOn) = 0;
  // Sends the tune at a view row to the trash (deletes it when the file is the trash): 0.
  virtual int32_t TuneToTrash(TAbcFile* file, int32_t row) = 0;
  // Records what a drag carries: kind 0 one tune (mode −1, view row), kind 1 the
  // whole view (mode 1, row 0).
  virtual void BeginDrag(TAbcFile* file, int32_t kind, int32_t mode, int32_t row) = 0;
  // Lets presses on `source` start drags: once the pointer has moved far enough,
  // `start` gets the press point (in the source's coordinates) and says whether to drag.
  virtual void AddDragSource(QWidget* source, std::function<bool(QPoint)> start) = 0;
  // Lets `target` take drops: `over` says whether it takes one at a point (in the
  // target's coordinates), `drop` takes it there.
  virtual void AddDropTarget(QWidget* target, std::function<bool(QPoint)> over, std::function<void(QPoint)> drop) = 0;
  virtual TDragRecord CurrentDrag() const = 0;
  // The drag now under way carries no tune of a file (a set or a set entry is dragged).
  virtual void ClearDrag() = 0;
  virtual bool IsTrash(const TAbcFile* file) const = 0;
  // The text of the tune shown in the editor.
  virtual TLines ShownTuneText() const = 0;
  // The list that last lost the keyboard focus; the player panel gives it back.
  virtual void SetLastExitGrid(QWidget* grid) = 0;
  virtual QWidget* LastExitGrid() const = 0;
  // The list gets the whole height of the work area (true) or its share again.
  virtual void ExpandList(bool expand) = 0;

  // ---- editing and the tune commands --------------------------------------------
  // Tune-edit mode on and off (the commands and screens that would change the file,
  // view or tune are locked meanwhile).
  virtual void EnterEditMode() = 0;
  virtual void LeaveEditMode() = 0;
  // After Ok or Cancel: a file that arrived during the edit is shown now.
  virtual void EditEnded() = 0;
  // Shows no tune: the file's shown tune is gone.
  virtual void ShowNoTune(TAbcFile* file) = 0;
  // Stores an edit's text (mode 0 replaces the current tune, 1 adds new tunes); the
  // stored tune becomes current, and the view's row when the view holds it. 0 or −1.
  virtual int32_t StoreEdit(TAbcFile* file, int32_t mode, const TLines& lines) = 0;
  // Adds tunes, already in the file's encoding, as new tunes: 0 or −1.
  virtual int32_t PasteTunes(TAbcFile* file, const TLines& lines) = 0;
  // A record of the file to the trash, as TuneToTrash does with a row.
  virtual int32_t TuneRecToTrash(TAbcFile* file, TAbcRec* rec) = 0;
  // Asks whether the tunes of the file's view go to the trash and, on Yes, sends
  // those tunes of that file, whatever is shown by then: true when sent.
  virtual bool SendViewToTrash(TAbcFile* file) = 0;
  virtual void AddToPrintList(TAbcFile* file, const TAbcRec* rec) = 0;
  virtual void PrintTune(TAbcFile* file, const TAbcRec* rec) = 0;
  // Tells the user why a command did nothing.
  virtual void ShowMessage(const std::string& text) = 0;
};

// The player panel.
class IBrowserPlayer {
 public:
  virtual ~IBrowserPlayer() = default;
  // Converts the tune the shared parser holds for playing.
  virtual void PrepareTune() = 0;
  // Converts a set of the file: each entry's tune as often as its repeat count.
  virtual void PrepareSet(const TAbcFile& file, const TSetAbc& set) = 0;
  // Plays what was prepared, from the start or from a pause.
  virtual void Play() = 0;
  // Mode 0 pauses a tune that can resume; mode 1 stops.
  virtual void StopPlay(int mode) = 0;
  virtual bool HasTuneReady() const = 0;
  // True from the start of playing until a full stop (a pause included).
  virtual bool IsPlaying() const = 0;
};

// The commands the browser shows buttons and menu entries for. Whoever owns a
// command connects its action; the browser only binds controls to them and hides the
// tune commands in the trash. Any may be null.
struct TBrowserActions {
  QAction* clearFilter = nullptr;
  QAction* toggleFilter = nullptr;  // checkable: down while the filter narrows the view
  QAction* setFilter = nullptr;
  QAction* findAbc = nullptr;
  QAction* findIdent = nullptr;
  QAction* markAll = nullptr;
  QAction* unmarkAll = nullptr;
  QAction* newTune = nullptr;
  QAction* editTune = nullptr;
  QAction* copyTune = nullptr;
  QAction* pasteTune = nullptr;
  QAction* cutTune = nullptr;
  // The set grid's tool buttons and menu.
  QAction* newSet = nullptr;
  QAction* renameSet = nullptr;
  QAction* delSet = nullptr;
  QAction* delTuneSet = nullptr;
  QAction* playSet = nullptr;
  QAction* setToMidi = nullptr;
  QAction* delTune = nullptr;
  QAction* copyAll = nullptr;
  QAction* addPrintTune = nullptr;
  QAction* printOneTune = nullptr;
};

}  // namespace rq
