#include "screens/DlgSelPatch.h"

#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace rq {

TDlgSelPatch::TDlgSelPatch() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
  setObjectName("DlgSelPatch");
  // A click outside closes the pop-up and goes nowhere else: a click on PATCH while
  // the pop-up is open closes it instead of opening it again.
  setAttribute(Qt::WA_NoMouseReplay);
  resize(640, 438);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  panPatch_ = new QWidget(this);
  panPatch_->setObjectName("PanPatch");
  // The 2-pixel border shows the window colour, as menus do.
  panPatch_->setAutoFillBackground(true);
  auto* inner = new QVBoxLayout(panPatch_);
  inner->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(panPatch_);
}

void TDlgSelPatch::OnCreate(QWidget* listPatch) {
  if (listPatch) panPatch_->layout()->addWidget(listPatch);
}

void TDlgSelPatch::ShowUnder(const QWidget* button) {
  QPoint at = button->mapToGlobal(QPoint(0, button->height() + 1));
  // Under the button, but shifted left rather than running off the screen's edge.
  if (const QScreen* screen = button->screen()) {
    const QRect area = screen->availableGeometry();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - width())));
  }
  move(at);
  show();
}

}  // namespace rq
