// A page of the page control: a container shown while its tab is selected, which can
// be torn off by its grip into a floating window and docked back.
#pragma once

#include <QPointer>
#include <memory>
#include <QWidget>

class QRubberBand;

namespace rq {

class TPage95Control;
class TFloatingForm;

enum TGripAlign { gaLeft, gaRight, gaTop, gaBottom };
// 0: the sheet has just been torn off; 1: it has just docked back.
enum TFloatState { fsFloating = 0, fsDocked = 1 };

class TTab95Sheet : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kGripWidth = 7;
  // Moving the pressed grip this far in either direction starts a tear-off.
  static constexpr int kDragThreshold = 4;

  explicit TTab95Sheet(QWidget* parent = nullptr);
  ~TTab95Sheet() override;

  // Leaves the old control and joins the new one at the end of its pages.
  TPage95Control* PageControl() const;
  void SetPageControl(TPage95Control* control);
  // Index in the page control's pages, −1 without one. Setting an index beyond the
  // last page throws EListError and leaves the order as it was.
  int PageIndex() const;
  void SetPageIndex(int index);

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool visible);
  // The sheet has a tab now: it is in a page control, wants a tab and is not floating.
  bool TabShowing() const;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  QString TabHint() const { return tabHint_; }
  void SetTabHint(const QString& hint) { tabHint_ = hint; }
  // Place of the sheet when pages are put back in order after a dock.
  int StaticPageIndex() const { return staticPageIndex_; }
  void SetStaticPageIndex(int index) { staticPageIndex_ = index; }

  bool Dragable() const { return dragable_; }
  void SetDragable(bool on);
  TGripAlign GripAlign() const { return gripAlign_; }
  void SetGripAlign(TGripAlign align);
  // The floating window stays above the window the sheet came from.
  bool FloatOnTop() const { return floatOnTop_; }
  void SetFloatOnTop(bool on);

  bool Floating() const { return floating_; }
  bool Dragging() const { return dragging_; }
  TFloatingForm* FloatingForm() const;
  TPage95Control* OldPageControl() const;
  // Where a press starts a tear-off: 7 × 20 pixels at the grip's dotted end.
  QRect GripPressArea() const;
  // The outline of the floating window to be (screen coordinates).
  QRect DragRect() const { return dragRect_; }

  // Tears the sheet off into its floating window at DragRect.
  void FloatSheet();
  // Puts a floating sheet back into the control it came from and makes it active.
  void DockBack();

 signals:
  void OnFloatChange(rq::TTab95Sheet* sender, rq::TFloatState state);

 public:
  // Showing a sheet of a page control makes it the active page.
  void setVisible(bool visible) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class TPage95Control;

  bool ShowsGrip() const { return dragable_ && !floating_; }
  QRect GripStrip() const;
  void UpdateGripMargins();
  void ShowOutline(const QPoint& pos);
  void PaintGrip();

  QPointer<TPage95Control> pageControl_;
  QPointer<TPage95Control> oldPageControl_;
  QPointer<TFloatingForm> floatingForm_;
  std::unique_ptr<QRubberBand> outline_;  // a window of its own, so it may leave the sheet's window
  QString caption_;
  QString tabHint_;
  int imageIndex_ = -1;
  int staticPageIndex_ = -1;
  bool tabVisible_ = true;
  bool dragable_ = false;
  bool floatOnTop_ = false;
  bool floating_ = false;
  bool gripDown_ = false;
  bool dragging_ = false;
  bool activating_ = false;
  TGripAlign gripAlign_ = gaLeft;
  QPoint dragPos_;
  QPoint dragOffset_;
  QSize floatSize_;
  QRect dragRect_;
};

}  // namespace rq
