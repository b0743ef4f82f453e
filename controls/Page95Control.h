// The page control: the tab control with one sheet per tab, paging by Ctrl+Tab, tab
// shifting by drag, per-tab hints and sheets that tear off and dock back.
#pragma once

#include <vector>

#include "controls/Tab95Control.h"
#include "controls/Tab95Sheet.h"

namespace rq {

class TPage95Control : public TCustomTab95Control {
  Q_OBJECT

 public:
  explicit TPage95Control(QWidget* parent = nullptr);
  ~TPage95Control() override;

  int PageCount() const { return count(); }
  TTab95Sheet* Pages(int index) const;
  // The shown sheet, null for none. Setting it raises no OnChange; a sheet of another
  // control is ignored, and none hides the shown sheet and selects no tab.
  TTab95Sheet* ActivePage() const { return Pages(TabIndex()); }
  void SetActivePage(TTab95Sheet* page);
  // Whether the last remaining sheet may be torn off.
  bool RemoveLastTab() const { return removeLastTab_; }
  void SetRemoveLastTab(bool on) { removeLastTab_ = on; }
  bool CanFloat() const { return PageCount() == 1 ? removeLastTab_ : true; }

  // The next (or previous) sheet after from with a visible tab (any sheet when not
  // checking), wrapping around; from outside the pages starts before the first page
  // going forward and after the last going back. Null after a full turn.
  TTab95Sheet* FindNextPage(const TTab95Sheet* from, bool forward, bool checkTabVisible) const;
  // Ctrl+Tab / Ctrl+Shift+Tab: selects the next or previous visible page as the user
  // does, raising OnChange. A disabled control never changes page.
  void SelectNextPage(bool forward) override;

 signals:
  // A sheet of this control floated (fsFloating) or docked back (fsDocked).
  void OnFloatChange(rq::TTab95Sheet* sender, rq::TFloatState state);

 protected:
  void UpdateHint(int index) override;
  void DrawTab(QPainter& canvas, const QString& caption, int index, const QRect& rect) override;
  void ActivateTab(int index) override;
  void ShiftTab(int from, int to) override;
  int TabImageIndex(int index) const override;

 private:
  friend class TTab95Sheet;

  void InsertPage(TTab95Sheet* page);
  void RemovePage(TTab95Sheet* page);
  // A sheet was torn off: the first page with a visible tab becomes active.
  void SheetFloated(TTab95Sheet* page);
  // A sheet docked back: pages in the order of their static indexes.
  void SheetDocked(TTab95Sheet* page);
  void DrawTabFace(QPainter& canvas, const QString& caption, int index, const QRect& rect);
  void DrawRotatedText(QPainter& canvas, const QString& caption, bool disabled, int xShift, const QRect& rect,
                       const QColor& color);

  bool removeLastTab_ = false;
  // Torn-off sheets; their windows go with the control.
  std::vector<QPointer<TTab95Sheet>> floating_;
};

}  // namespace rq
