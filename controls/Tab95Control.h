// The tab control: a tab widget whose tabs it draws itself, with colours and fonts for
// the selected and the other tabs, images, hot tracking and per-tab hints.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTabWidget>
#include <functional>
#include <stdexcept>
#include <vector>

#include "controls/ImageList.h"

class QPainter;

namespace rq {

// A list access that went out of range (a page index beyond the last page).
class EListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A property set to a value it refuses (a negative tab size, tabs off the top in button style).
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Top (or left with vertical tabs) / bottom (or right).
enum TTab95Position { tpTopLeft, tpBottomRight };
enum TTextRotation { trHorizontal, trVertical };

class TCtrlTabPaging;
class TCustomTab95Control;
class TTab95Bar;
class TTab95FarRows;

// Replaces the built-in drawing of one tab: the control, the caption, the tab's index
// and the rectangle to fill. The painter is the control's canvas for that tab.
using TDrawTab95Event =
    std::function<void(TCustomTab95Control& Page95Control, QPainter& canvas, const QString& Caption,
                       int PageIndex, const QRect& Rect)>;

// Base of the page control. Tab indexes are page indexes: a page whose tab is hidden
// keeps its index and its tab is skipped when the tabs are laid out.
//
// OnChange is raised only when the user selects a tab (a click, an arrow key on the
// focused tab row, a mnemonic, Ctrl+Tab); a tab selected by code raises nothing.
//
// With MultiLine the drawn tabs wrap into as many rows as the control's width needs
// (rows of tabs in their order, the selected tab's row next to the page); with
// ScrollOpposite only the selected tab's row stays on the tabs' side and the others
// stand on the opposite side of the page. Tabs drawn by the platform (UseMSDrawing)
// keep one scrolling row.
class TCustomTab95Control : public QTabWidget {
  Q_OBJECT

 public:
  explicit TCustomTab95Control(QWidget* parent = nullptr);
  ~TCustomTab95Control() override;

  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool on);
  bool ScrollOpposite() const { return scrollOpposite_; }
  void SetScrollOpposite(bool on);
  // In button style, Ctrl+click presses or releases a button without selecting it, so
  // several can be down at once; a plain click on a tab releases them all.
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool on);
  bool UseMSDrawing() const { return useMSDrawing_; }
  void SetUseMSDrawing(bool on);
  bool FocusButtons() const { return focusButtons_; }
  void SetFocusButtons(bool on);
  TTextRotation TextRotation() const { return textRotation_; }
  void SetTextRotation(TTextRotation rotation);
  bool FlatButtons() const { return flatButtons_; }
  void SetFlatButtons(bool on);
  bool FlatSeperators() const { return flatSeperators_; }
  void SetFlatSeperators(bool on);
  bool ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(bool on);
  // Refused with EInvalidOperation while ButtonStyle is on.
  TTab95Position TabPosition() const { return tabPosition_; }
  void SetTabPosition(TTab95Position position);
  bool VerticalTabs() const { return verticalTabs_; }
  void SetVerticalTabs(bool on);
  // Fixed tab length and thickness in pixels; 0 sizes the tab by its caption and image.
  // Negative values are refused with EInvalidOperation.
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int width);
  int TabHeight() const { return tabHeight_; }
  void SetTabHeight(int height);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool on);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool on) { hotTrack_ = on; }
  bool AllowTabShifting() const { return allowTabShifting_; }
  void SetAllowTabShifting(bool on) { allowTabShifting_ = on; }
  // Ctrl+Tab and Ctrl+Shift+Tab page exactly one page control of a window: the one
  // holding the keyboard focus (in itself or its pages), else the one marked as the
  // window's default, else the first in the window. Hidden and disabled controls
  // are passed over.
  bool DefaultForCtrlTab() const { return defaultForCtrlTab_; }
  void SetDefaultForCtrlTab(bool on) { defaultForCtrlTab_ = on; }

  QColor TabActiveColor() const { return tabActiveColor_; }
  void SetTabActiveColor(const QColor& color);
  QColor TabInactiveColor() const { return tabInactiveColor_; }
  void SetTabInactiveColor(const QColor& color);
  // The selected tab uses the control's font and FontColor; the others this font.
  QFont TabInactiveFont() const { return tabInactiveFont_; }
  QColor TabInactiveFontColor() const { return tabInactiveFontColor_; }
  void SetTabInactiveFont(const QFont& font, const QColor& color);
  QColor FontColor() const;
  void SetFontColor(const QColor& color);

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);

  void SetOnDrawTab(TDrawTab95Event handler);
  // Asked before the user's selection changes the tab; false keeps the current tab.
  void SetOnChanging(std::function<bool()> handler) { onChanging_ = std::move(handler); }

  // Index of the selected tab, −1 for none. Setting it raises no OnChange; −1 hides
  // the shown page and leaves no tab selected.
  int TabIndex() const { return noSelection_ ? -1 : currentIndex(); }
  void SetTabIndex(int index) { ActivateTab(index); }
  // The tab under the mouse, −1 for none.
  int HotTab() const { return hotTab_; }
  // Index of the tab at a point of the control, −1 for none.
  int TabAt(const QPoint& controlPos) const;
  // The place of tab index across its whole row, in the tab row's coordinates (a row
  // on the opposite side of the page lies outside the tab row's widget); empty for a
  // hidden tab.
  QRect TabRect(int index) const;
  // Rows of tabs: 1 unless MultiLine wraps them.
  int RowCount() const;
  // The rectangle of tab index (in the tab row's coordinates) that its drawing is given
  // before the unselected tabs are moved toward the page by TabSideShift.
  QRect ItemRect(int index) const;
  // Offset of the unselected tabs' drawing: top (0, 1), bottom (0, −2), left (1, 0),
  // right (−2, 0); none in button style. Rows on the opposite side of the page move
  // the other way.
  QPoint TabSideShift() const;
  // Whether tab index is drawn pressed: the selected tab, and in button style with
  // MultiSelect the buttons pressed with Ctrl.
  bool TabDown(int index) const;

  bool CanChange() const;

 signals:
  void OnChange();
  void OnTabShift();
  // The tab under the mouse changed (−1: over no tab).
  void OnTabTrack(int TabIndex);
  // A drag moves over the control or drops on it; tab is the tab under the pointer
  // at that moment (−1 for none). Receivers accept or ignore the event.
  void OnDragOver(QDragMoveEvent* event, int tab);
  void OnDragDrop(QDropEvent* event, int tab);

 protected:
  // Sets the control's hint for the tab under the mouse (−1: none).
  virtual void UpdateHint(int index) = 0;
  // Draws one tab into rect, whose colours and font the canvas does not yet hold.
  virtual void DrawTab(QPainter& canvas, const QString& caption, int index, const QRect& rect) = 0;
  // Raises OnChange after the user's selection.
  virtual void Change();
  // Makes tab index the selected one without any event.
  virtual void ActivateTab(int index);
  // Moves the page of tab `from` to index `to` (tab shifting).
  virtual void ShiftTab(int from, int to) = 0;
  // Selects the next or previous visible tab as the user (Ctrl+Tab).
  virtual void SelectNextPage(bool forward) = 0;
  virtual void TabFontChanged();
  // Image of tab index in Images, −1 for none.
  virtual int TabImageIndex(int index) const;

  // Applies the tab row's shape, focus and scrolling and lays the tabs out again.
  void RecreateTabs();
  // Lays the tabs out again after their sizes changed.
  void TabsChanged();
  // Selects tab index for the user: refused while disabled or when OnChanging vetoes.
  void SelectByUser(int index);

  const TDrawTab95Event& OnDrawTab() const { return onDrawTab_; }
  bool PaintsOwnTabs() const { return !useMSDrawing_; }
  TTab95Bar* Bar() const;

  bool event(QEvent* event) override;
  void tabInserted(int index) override;
  void tabRemoved(int index) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class TCtrlTabPaging;
  friend class TTab95Bar;
  friend class TTab95FarRows;

  // Mouse handling shared by the tab row and the rows beyond the page; points are in
  // the tab row's coordinates.
  void PressTab(const QPoint& rowPos, Qt::KeyboardModifiers modifiers);
  void MoveOverTabs(const QPoint& rowPos, bool leftHeld);
  void ReleaseTab(const QPoint& rowPos);
  int TabAtRowPoint(const QPoint& rowPos) const;
  // Hot tracking and tab shifting, driven by the tab row.
  void TrackHotTab(int index);
  void BeginShift(int pressedTab);
  void TrackShift(int tabUnderPointer, bool leftHeld);
  void EndShift(int tabUnderPointer);
  void ToggleDown(int index);
  // Paints the tabs of the tab row, or those of the rows beyond the page.
  void PaintTabs(QPainter& painter, bool farSide);
  void PaintTabFrame(QPainter& painter, int index, bool selected) const;
  void RepaintTabs();

  // Where the wrapped tabs stand: each tab's slot (a whole row thick) in the tab row's
  // coordinates and whether it is beyond the page; rows counted on each side.
  struct TabLayout {
    std::vector<QRect> places;
    std::vector<bool> far;
    int nearRows = 1;
    int farRows = 0;
    int thickness = 0;
  };
  bool Wraps() const { return multiLine_ && !useMSDrawing_; }
  TabLayout WrappedLayout() const;
  // Pixels the rows beyond the page take across the control.
  int FarThickness() const;
  // Puts the rows beyond the page at the far side and the page between.
  void PlaceFarRows();
  QTabWidget::TabPosition SideOf(int index) const;
  QPoint SideShift(QTabWidget::TabPosition side) const;
  // The tab row's size when its tabs wrap: all tabs on one row, or only the widest.
  QSize WrappedRowSize(bool minimum) const;

  // Tab geometry is worked out along the row (u) and across it (v, from the outer edge
  // toward the page) within a tab's slot and then mapped to the side the tab faces.
  struct RowRect {
    int u, v, length, thickness;
  };
  QRect MapInSlot(const QRect& slot, QTabWidget::TabPosition side, const RowRect& r) const;
  int RowThickness() const;
  RowRect FrameRow(int index, bool selected) const;
  QRect FrameRect(int index, bool selected) const;
  QSize TabSize(int index) const;

  bool multiLine_ = false;
  bool multiSelect_ = false;
  bool flatButtons_ = false;
  bool flatSeperators_ = true;
  bool focusButtons_ = false;
  bool hotTrack_ = false;
  bool scrollOpposite_ = false;
  bool verticalTabs_ = false;
  bool buttonStyle_ = false;
  bool useMSDrawing_ = false;
  bool allowTabShifting_ = false;
  bool defaultForCtrlTab_ = false;
  bool tabStop_ = true;
  bool noSelection_ = false;
  TTab95Position tabPosition_ = tpTopLeft;
  TTextRotation textRotation_ = trHorizontal;
  int tabWidth_ = 0;
  int tabHeight_ = 0;
  int hotTab_ = -1;
  // The page a tab shift started from; null when no shift is under way.
  QPointer<QWidget> shiftPage_;
  // Pages whose buttons were pressed with Ctrl (MultiSelect).
  std::vector<QPointer<QWidget>> downPages_;
  TTab95FarRows* farRows_ = nullptr;
  // The page area as Qt placed it and as it was narrowed for the rows beyond the page.
  QRect stackAsPlaced_;
  QRect stackNarrowed_;
  // The wrapped layout while the tabs are painted, worked out once for all of them.
  const TabLayout* paintLayout_ = nullptr;
  QColor tabActiveColor_{0xA0, 0xA0, 0xA4};
  QColor tabInactiveColor_{0xA0, 0xA0, 0xA4};
  QFont tabInactiveFont_;
  QColor tabInactiveFontColor_{Qt::black};
  QPointer<TImageList> images_;
  QMetaObject::Connection imagesLink_;
  TDrawTab95Event onDrawTab_;
  std::function<bool()> onChanging_;
};

}  // namespace rq
