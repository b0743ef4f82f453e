// A page of the page control: its tab's caption, image and hint, and the grip by which
// it is torn off into a floating window.
#include "controls/Tab95Sheet.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStackedWidget>
#include <QTabBar>
#include <cstdlib>

#include "controls/FloatingForm.h"
#include "controls/Page95Control.h"

namespace rq {

TTab95Sheet::TTab95Sheet(QWidget* parent) : QWidget(parent) { hide(); }

TTab95Sheet::~TTab95Sheet() = default;

TPage95Control* TTab95Sheet::PageControl() const { return pageControl_; }
TPage95Control* TTab95Sheet::OldPageControl() const { return oldPageControl_; }
TFloatingForm* TTab95Sheet::FloatingForm() const { return floatingForm_; }

void TTab95Sheet::SetPageControl(TPage95Control* control) {
  if (control == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = control;
  if (control) {
    control->InsertPage(this);
  } else if (!floating_) {
    setParent(nullptr);
  }
}

int TTab95Sheet::PageIndex() const { return pageControl_ ? pageControl_->indexOf(const_cast<TTab95Sheet*>(this)) : -1; }

void TTab95Sheet::SetPageIndex(int index) {
  if (!pageControl_) return;
  const int last = pageControl_->PageCount() - 1;
  if (index < 0 || index > last) {
    throw EListError(QStringLiteral("%1 est une valeur de PageIndex incorrecte.  PageIndex doit être compris entre 0 et %2")
                         .arg(index)
                         .arg(last)
                         .toStdString());
  }
  const int from = PageIndex();
  if (from != index) pageControl_->tabBar()->moveTab(from, index);
}

void TTab95Sheet::setVisible(bool visible) {
  TPage95Control* control = pageControl_;
  // The page stack shows its current sheet itself, also while Qt moves or removes a
  // page (when the stack and the tabs disagree for a moment); a show from elsewhere is
  // a request to bring this sheet forward.
  const auto* stack = qobject_cast<QStackedWidget*>(parentWidget());
  const bool settled = control && stack && stack->count() == control->count() && PageIndex() >= 0;
  if (visible && settled && !floating_ && !activating_ &&
      (stack->currentWidget() != this || control->TabIndex() < 0)) {
    activating_ = true;
    control->SetActivePage(this);
    activating_ = false;
  }
  QWidget::setVisible(visible);
}

void TTab95Sheet::SetCaption(const QString& caption) {
  caption_ = caption;
  if (pageControl_) pageControl_->setTabText(PageIndex(), caption);
  // A torn-off sheet's caption is its floating window's title.
  if (floating_ && floatingForm_) floatingForm_->setWindowTitle(caption);
}

void TTab95Sheet::SetTabVisible(bool visible) {
  tabVisible_ = visible;
  if (pageControl_) pageControl_->setTabVisible(PageIndex(), visible);
}

bool TTab95Sheet::TabShowing() const { return pageControl_ && tabVisible_ && !floating_; }

void TTab95Sheet::SetImageIndex(int index) {
  imageIndex_ = index;
  if (TabShowing()) pageControl_->TabsChanged();
}

void TTab95Sheet::SetDragable(bool on) {
  dragable_ = on;
  UpdateGripMargins();
  update();
}

void TTab95Sheet::SetGripAlign(TGripAlign align) {
  gripAlign_ = align;
  UpdateGripMargins();
  update();
}

void TTab95Sheet::SetFloatOnTop(bool on) {
  floatOnTop_ = on;
  if (!on || !floating_ || !floatingForm_ || !oldPageControl_) return;
  const bool shown = floatingForm_->isVisible();
  floatingForm_->setParent(oldPageControl_->window(), floatingForm_->windowFlags());
  if (shown) floatingForm_->show();
}

void TTab95Sheet::UpdateGripMargins() {
  QMargins m;
  if (ShowsGrip()) {
    switch (gripAlign_) {
      case gaLeft: m.setLeft(kGripWidth); break;
      case gaRight: m.setRight(kGripWidth); break;
      case gaTop: m.setTop(kGripWidth); break;
      case gaBottom: m.setBottom(kGripWidth); break;
    }
  }
  setContentsMargins(m);
}

QRect TTab95Sheet::GripStrip() const {
  switch (gripAlign_) {
    case gaLeft: return {0, 0, kGripWidth, height()};
    case gaRight: return {width() - kGripWidth, 0, kGripWidth, height()};
    case gaTop: return {0, 0, width(), kGripWidth};
    case gaBottom: return {0, height() - kGripWidth, width(), kGripWidth};
  }
  return {};
}

QRect TTab95Sheet::GripPressArea() const {
  switch (gripAlign_) {
    case gaLeft: return {0, 0, kGripWidth, 20};
    case gaRight: return {width() - kGripWidth, height() - 20, kGripWidth, 20};
    case gaTop: return {width() - 20, 0, 20, kGripWidth};
    case gaBottom: return {0, height() - kGripWidth, 20, kGripWidth};
  }
  return {};
}

void TTab95Sheet::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (ShowsGrip()) PaintGrip();
}

void TTab95Sheet::PaintGrip() {
  QPainter p(this);
  const QRect strip = GripStrip();
  p.fillRect(strip, palette().color(QPalette::Button));
  const QColor light = palette().color(QPalette::Light);
  const QColor dots = isEnabled() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid);
  const auto square = [&](int x, int y) {
    p.fillRect(x, y, 2, 2, dots);
    p.fillRect(x, y, 1, 1, light);
  };
  // Five pairs of squares, 4 pixels apart, from the dotted end of the strip.
  for (int k = 0; k < 5; ++k) {
    switch (gripAlign_) {
      case gaLeft:
        square(strip.left() + 1, 2 + 4 * k);
        square(strip.left() + 4, 4 + 4 * k);
        break;
      case gaRight:
        square(strip.left() + 1, height() - 5 - 4 * (k + 1));
        square(strip.left() + 4, height() - 3 - 4 * (k + 1));
        break;
      case gaTop:
        square(width() - 4 - 4 * (k + 1), strip.top() + 1);
        square(width() - 2 - 4 * (k + 1), strip.top() + 4);
        break;
      case gaBottom:
        square(5 + 4 * k, strip.top() + 1);
        square(7 + 4 * k, strip.top() + 4);
        break;
    }
  }
}

void TTab95Sheet::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || !pageControl_ || !pageControl_->CanFloat() || floating_ || !dragable_) {
    return;
  }
  const QPoint pos = event->position().toPoint();
  if (!GripPressArea().contains(pos)) return;
  gripDown_ = true;
  floatSize_ = size();
  dragPos_ = pos;
  dragOffset_ = pos;
}

void TTab95Sheet::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const QPoint pos = event->position().toPoint();
  if (gripDown_) {
    if (std::abs(pos.x() - dragPos_.x()) >= kDragThreshold || std::abs(pos.y() - dragPos_.y()) >= kDragThreshold) {
      dragging_ = true;
      gripDown_ = false;
      dragPos_ = pos;
      ShowOutline(pos);
    }
  } else if (dragging_) {
    dragPos_ = pos;
    ShowOutline(pos);
  }
}

void TTab95Sheet::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  if (dragging_) {
    if (outline_) outline_->hide();
    FloatSheet();
    dragging_ = false;
  } else if (gripDown_) {
    gripDown_ = false;
    update();
  }
}

void TTab95Sheet::ShowOutline(const QPoint& pos) {
  dragRect_ = QRect(mapToGlobal(pos) - dragOffset_, floatSize_);
  if (!outline_) outline_ = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
  outline_->setGeometry(dragRect_);
  outline_->show();
}

void TTab95Sheet::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && pageControl_) pageControl_->tabBar()->update();
}

void TTab95Sheet::FloatSheet() {
  if (floating_ || !pageControl_ || !pageControl_->CanFloat()) return;
  TPage95Control* old = pageControl_;
  oldPageControl_ = old;
  old->RemovePage(this);
  pageControl_ = nullptr;
  floating_ = true;
  UpdateGripMargins();
  old->SheetFloated(this);

  if (!floatingForm_) {
    floatingForm_ = new TFloatingForm(floatOnTop_ ? old->window() : nullptr);
    if (old->Images() && imageIndex_ != -1) floatingForm_->setWindowIcon(QIcon(old->Images()->Image(imageIndex_)));
    floatingForm_->setWindowTitle(caption_);
    floatingForm_->resize(floatSize_.isValid() ? floatSize_ : size());
  }
  floatingForm_->move(dragRect_.topLeft());
  emit OnFloatChange(this, fsFloating);
  floatingForm_->SetSheet(this);
  floatingForm_->show();
  show();
}

void TTab95Sheet::DockBack() {
  if (!floating_) return;
  TPage95Control* old = oldPageControl_;
  // Without its control the sheet stays in its window and goes with it.
  if (!old) return;
  if (floatingForm_) floatingForm_->hide();
  floating_ = false;
  UpdateGripMargins();
  pageControl_ = old;
  old->InsertPage(this);
  old->SheetDocked(this);
  old->SetActivePage(this);
  oldPageControl_ = nullptr;
  emit OnFloatChange(this, fsDocked);
}

}  // namespace rq
