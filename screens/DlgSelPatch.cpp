#include "screens/DlgSelPatch.h"

#include <QListView>
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
  if (!listPatch) return;
  panPatch_->layout()->addWidget(listPatch);
  // Every instrument in sight at once: the list and the pop-up take the size of
  // kColumns columns of its grid, with no scroll bar.
  auto* list = qobject_cast<QListView*>(listPatch);
  if (!list || !list->model()) return;
  const QSize cell = list->gridSize();
  const int rows = (list->model()->rowCount() + kColumns - 1) / kColumns;
  const int frame = 2 * list->frameWidth();
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The list starts a new column when an item would touch its bottom edge: one
  // pixel more keeps each column whole.
  list->setFixedSize(kColumns * cell.width() + frame, rows * cell.height() + frame + 1);
  adjustSize();
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
