// The tune browser: one view of the current tune file in the list grid, the view
// tabs and counters above it, the second list, the set panel and the key and rhythm
// filter panel. The open-files controller tells it which file to show; it shows the
// selected tune through the controller and plays it through the player panel.
#pragma once

#include <QObject>
#include <QPointer>
#include <bitset>
#include <cstdint>

#include "screens/BrowserLinks.h"
#include "screens/DlgFltTune.h"
#include "screens/DlgSchAbc.h"
#include "screens/EditEcr.h"
#include "screens/TuneBrowser.h"
#include "screens/TuneRow.h"

class QKeyEvent;
class QLabel;
class QListWidget;
class QMenu;
class QPainter;
class QSlider;
class QTabBar;
class QTimer;
class QToolButton;

namespace rq {

class IUserInterface;
class TAbcFile;
class TAbcRec;
class TDlgString;
class TImageList;
class TKeyFilterGrid;
class TListGrid;
class TMirrorList;
class TPage95Control;
class TSetGrid;
class TTab95Sheet;

class TFileEcr : public QObject, public ISearchTarget, public ITuneBrowser, public IEditTarget {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 14;
  static constexpr int kColWidth = 200;
  static constexpr int kMarkWidth = 18;  // a press this close to a row's left edge toggles the mark
  static constexpr int kTypeAheadMs = 1500;
  static constexpr int kDragKindTune = 0;  // BeginDrag kinds and modes
  static constexpr int kDragModeTune = -1;
  static constexpr int kDragKindView = 1;
  static constexpr int kDragModeView = 1;
  static constexpr int kViewTabs = 5;

  explicit TFileEcr(IBrowserHost& host, QObject* parent = nullptr);
  // Takes its panels back from wherever they were moved and frees them.
  ~TFileEcr() override;

  // What the browser works with; set before OnCreate (the player and the dialog may
  // come later). The actions are bound to the browser's buttons at creation.
  void SetPlayer(IBrowserPlayer* player) { player_ = player; }
  void SetActions(const TBrowserActions& actions) { actions_ = actions; }
  void SetImages(TImageList* images);
  void SetSearchDialog(TDlgSearchAbc* dialog) { searchDialog_ = dialog; }
  // The editor that shows the tune and edits it; it ends its edits here, and its pad
  // carries the Copy Tune action (set the actions first).
  void SetEditor(TEditEcr* editor);
  // The floating window that hosts the filter panel: the panel moves into its layout.
  // Without one, creation makes a filter window of its own.
  void SetFilterWindow(TDlgFltTune* window);
  // The prompt that asks set names, and who shows messages and questions (either may
  // be null: the set commands that need them do nothing).
  void SetNameDialog(TDlgString* dialog);
  void SetUserInterface(IUserInterface* ui) { ui_ = ui; }

  // Builds the panels and moves them into the main window's hosts (any may be null):
  // the list area, the tool row with the view tabs and counters, the set panel and
  // the second list.
  void OnCreate(QWidget* listHost, QWidget* toolHost, QWidget* setHost, QWidget* list2Host);

  // The file shown; null until the first file is set.
  TAbcFile* CurList() const { return curList_; }
  // Makes a file current (null: none): 0, or −1 for none.
  int32_t SetList(TAbcFile* list);
  // Re-reads counts and selection after a change of the file, and shows its tune.
  void RefreshView();
  // RefreshView with the second list and the scroll positions: 0.
  int32_t RefreshList();
  // The file is about to be freed: the browser lets go of it and its records.
  void ReleaseFile(TAbcFile* file);
  bool Refreshing() const { return refreshing_; }

  // The list and its keys, mouse and type-ahead.
  void OnSelectIdx(int idx);
  void OnClickList2(int row);
  void OnEnterGrid();
  void OnExitGrid();
  // Enter and Delete; true when the key was used.
  bool OnGridKeyDown(int key);
  void OnGridKeyPress(QChar c);
  void OnGridMouseDown(Qt::MouseButton button, QPoint pos);
  void OnClickPlay();
  void OnTimerKeyStr();
  // A drag leaves the list from a press on a tune (that tune) or on the tune counter
  // (the whole view); false: no drag from there.
  bool StartTuneDrag(QPoint pressPos);
  bool OnDragCompte();
  void OnListResize();
  void OnResizePanel();
  void OnChangeSize(int position);
  void OnExpandList();
  void OnColpsList();

  // One tune up or down the list (the score view's and the player panel's buttons):
  // shown, or shown and played. The play commands step as the arrow keys do, so at
  // either end the tune shown plays again.
  void ShowPrevTune() override;
  void ShowNextTune() override;
  void PlayPrevTune() override;
  void PlayNextTune() override;
  bool FocusLastExitGrid() override;

  // View modes, filters and searches.
  void SetViewMode(int32_t mode);
  void ShowModeTab(int32_t mode);
  void ShowFilterLamp(bool on);
  void OnChangeFilter();
  void OnFKMouseDown(int item);
  void OnFilterRytme();
  void OnChangeTab(int index);
  void OnClearFlt();
  // The filter button as the user left it: down switches the filter on.
  void OnCheckFilter(bool down);
  void OnDropWinFilter();
  void OnCloseFilter();
  void OnSearchCode();
  void MarkAll();
  void UnmarkAll();
  void SearchText(const QString& text, bool matchCase = false) override;
  void SearchAbc(const QString& notes, const QString& meter, int digits) override;
  void SearchFromEditor(int digits);

  // The set grid (FileEcrSets.cpp). Cells as TSetGrid addresses them.
  void OnSelectItemSet(int col, int row);
  void OnSetMDown(Qt::MouseButton button, QPoint pos);
  // A drag from the set grid starts at a press on a set's name or on an entry.
  bool StartSetDrag(QPoint pressPos);
  bool OnDragItemSet(QPoint pos);
  void OnDropItemSet(QPoint pos);
  // Enter and Delete; true when the key was used.
  bool OnSetKeyDown(int key);
  // '+' and '-' change the current entry's repeat count; true when the character was used.
  bool OnSetKeyPress(QChar c);
  void OnClickPlaySet();
  void OnExitSetGrid();
  // The set commands. Each does nothing without a file or in the trash.
  void ACTNewSet();
  void ACTRenameSet();
  void ACTDelSet();
  void ACTRemoveTune();
  void OnPlaySet();
  // The counters and the modified lamp, as the file has them now.
  void ShowCounters();
  // Editing, the clipboard and the trash (FileEcrEdit.cpp). Each acts on the tune
  // shown (the file's current tune), which a set entry may have shown too.
  void EditTune();
  void ACTNewTune();
  bool EndEdit(int mode) override;
  void CancelEdit() override;
  void ACTDelTune();
  void ACTCopyTune();
  void ACTCutTune();
  void ACTPasteTune();
  void DeleteAllTunes();
  void CopyAllTunes();
  void AddToPrintList();
  void PrintOneTune();
  // Tune-edit mode: the list, the view tabs, the set panel, the second list and the
  // filter panel are locked, the filter window and the search dialog hidden.
  void LockForEdit(bool editing);
  bool Editing() const { return editing_; }

  // The panels and controls.
  QWidget* PanList() const { return panList_; }
  QWidget* PanToolList() const { return panToolList_; }
  QWidget* PanSet() const { return panSet_; }
  // The set grid; edit mode disables it.
  TSetGrid* DrwGridSet() const { return setGrid_; }
  QWidget* PanFilter() const { return panFilter_; }
  QWidget* PanToolFile() const { return panToolFile_; }
  TDlgFltTune* FilterWindow() const { return filterWindow_; }
  TListGrid* LstGrid() const { return lstGrid_; }
  TMirrorList* GridList2() const { return gridList2_; }
  TPage95Control* PGCFilter() const { return pgcFilter_; }
  TTab95Sheet* ViewTab(int32_t mode) const;
  TKeyFilterGrid* FKGrid() const { return fkGrid_; }
  QListWidget* FRGrid() const { return frGrid_; }
  QTabBar* FilterTabs() const { return filterTabs_; }
  QWidget* PanKFilter() const { return panKFilter_; }
  QWidget* PanRFilter() const { return panRFilter_; }
  QLabel* LabCptAll() const { return labCptAll_; }
  QLabel* LabCptFlt() const { return labCptFlt_; }
  QLabel* LabKeyStr() const { return labKeyStr_; }
  QLabel* VoyFilter() const { return voyFilter_; }
  QLabel* VoyModif() const { return voyModif_; }
  QSlider* BarSlider() const { return barSlider_; }
  QToolButton* BtnAbcCode() const { return btnAbcCode_; }
  QTimer* KeyTimer() const { return keyTimer_; }
  const QString& KeyString() const { return keyString_; }
  bool FilterButtonDown() const { return filterDown_; }
  bool SelChanged() const { return selChanged_; }

 signals:
  // A file was made current (null: none); the session screen follows it.
  void ListChanged(rq::TAbcFile* list);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildListPanel();
  QWidget* BuildToolRow();
  QWidget* BuildSetPanel();
  QWidget* BuildFilterPanel();
  void BuildViewTabs(QWidget* parent);
  QToolButton* ActionButton(QWidget* parent, QAction* action, const char* name);
  void ShowContextMenu(QPoint pos);
  void DrawTuneRow(QPainter& painter, int row, const QRect& rect, unsigned state, const QColor& background);
  // Steps shared by RefreshView and RefreshList: counts, row, repaints, filter marks.
  void UpdateView();
  // Shows the tune at a view row through the controller; an empty view keeps the
  // tune shown before, still parsed for playing, unless that tune is gone.
  void ShowTuneAt(int32_t row);
  void ShowRhythmChecks();
  // A new key and rhythm choice for the file shown.
  void ApplyKeyRhythmFilter(const std::bitset<256>& keys, const std::bitset<256>& rhythms);
  // Refreshes after the view changed, `selected` (the tune selected before) kept
  // selected when the view holds it.
  void RefreshKeeping(const TAbcRec* selected);
  void ScrollToRow(int32_t row);
  void RepaintLists();
  int32_t ViewCount() const;
  bool GridKeyEvent(QKeyEvent* event);
  // An arrow key press sent to the list, as if typed.
  void StepList(Qt::Key key);
  // The file's current tune, shown again after an edit: at its row when the view holds it.
  void ShowCurrentTune();
  // The tune shown: the file's current tune (null when none).
  TAbcRec* ShownTune() const;

  // Where a drop on the set grid comes from: the drag controller forgets its source
  // before the drop, so the last test of the pointer keeps it.
  enum class SetDropSource { None, List, SetGrid };
  TAbcFile* SetsFile() const;
  bool SetGridKeyEvent(QKeyEvent* event);
  SetDropSource DropSourceAt(QPoint pos) const;
  // The tune a drag from the list carries: a record of the file shown, or null.
  TAbcRec* DraggedListTune() const;
  // Asks a set's name with the prompt as it is captioned, starting from `text`, until
  // the user gives one without a comma or cancels. "*" for an empty name.
  bool AskSetName(QString text, std::string& name);
  // The set grid after a change of the sets: counts again, the file modified.
  void SetsChanged();
  // Makes a cell current without the selection's side effects, and the set and
  // entry with it.
  void PlaceSetCell(int col, int row);
  // Shows a set entry's tune, which becomes the file's current tune.
  void ShowSetEntry(TAbcRec* rec);
  // The grid's counts and cell as the file's current set and entry have them.
  void RefreshSetGrid();
  void ShowSetsOfList();

  IBrowserHost& host_;
  IBrowserPlayer* player_ = nullptr;
  TBrowserActions actions_;
  QPointer<TImageList> images_;
  TTuneRowPainter rowPainter_;
  QPointer<TDlgSearchAbc> searchDialog_;
  QPointer<TEditEcr> editor_;
  QPointer<TDlgFltTune> filterWindow_;
  QPointer<TDlgFltTune> ownFilterWindow_;

  TAbcFile* curList_ = nullptr;
  // The tune last shown from this list: a different one means the player must prepare anew.
  const TAbcRec* shownRec_ = nullptr;
  QString keyString_;
  bool selChanged_ = false;
  bool refreshing_ = false;
  bool updating_ = false;  // inside UpdateView: a selection there shows nothing yet
  bool filterDown_ = false;
  IUserInterface* ui_ = nullptr;
  QPointer<TDlgString> nameDialog_;
  int32_t dragEntry_ = -1;  // entry of the current set dragged in the set grid
  int32_t dragSet_ = -1;    // set dragged by its name
  bool setNameSelected_ = false;
  bool setCellSelected_ = false;
  SetDropSource setDropSource_ = SetDropSource::None;
  bool editing_ = false;

  QPointer<QWidget> panList_;
  QPointer<QWidget> panToolList_;
  QPointer<QWidget> panSet_;
  QPointer<QWidget> panFilter_;
  QPointer<QWidget> panList2_;  // the second list, which may go with its host first
  QWidget* panGenList_ = nullptr;
  QWidget* panToolFile_ = nullptr;
  TListGrid* lstGrid_ = nullptr;
  TMirrorList* gridList2_ = nullptr;
  QSlider* barSlider_ = nullptr;
  QToolButton* btnExpand_ = nullptr;
  QToolButton* btnColsp_ = nullptr;
  TPage95Control* pgcFilter_ = nullptr;
  TTab95Sheet* viewTabs_[kViewTabs] = {};
  QLabel* labCptAll_ = nullptr;
  QLabel* labCptFlt_ = nullptr;
  QLabel* labKeyStr_ = nullptr;
  QLabel* voyFilter_ = nullptr;
  QLabel* voyModif_ = nullptr;
  QToolButton* btnAbcCode_ = nullptr;
  QMenu* popListAbc_ = nullptr;
  QTabBar* filterTabs_ = nullptr;
  QWidget* panKFilter_ = nullptr;
  QWidget* panRFilter_ = nullptr;
  TKeyFilterGrid* fkGrid_ = nullptr;
  QListWidget* frGrid_ = nullptr;
  QTimer* keyTimer_ = nullptr;
  TSetGrid* setGrid_ = nullptr;
  QMenu* popSet_ = nullptr;
};

}  // namespace rq
