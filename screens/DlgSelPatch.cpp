#include "screens/DlgSelPatch.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace rq {

TDlgSelPatch::TDlgSelPatch() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
  setObjectName("DlgSelPatch");
  // A press outside is handed on by the pop-up itself (mousePressEvent), never by Qt
  // as well.
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
  button_ = button;
  show();
}

// A press outside closes the pop-up and goes on to where it was aimed, so the first
// click on another tune selects it. On the button that opened the pop-up it only
// closes it: the button would otherwise open it again at once.
void TDlgSelPatch::mousePressEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) {
    QWidget::mousePressEvent(event);
    return;
  }
  hide();
  const QPoint at = event->globalPosition().toPoint();
  if (button_ && button_->isVisible() && QRect(button_->mapToGlobal(QPoint(0, 0)), button_->size()).contains(at)) {
    return;
  }
  QWidget* target = WidgetUnder(at);
  if (!target) return;
  // A window under a modal dialog takes no press, as with any other click.
  const QWidget* modal = QApplication::activeModalWidget();
  if (modal && target->window() != modal) return;
  // Sent at once to the widget it was aimed at: the release that follows finds that
  // widget through its window as usual.
  QMouseEvent press(QEvent::MouseButtonPress, target->mapFromGlobal(event->globalPosition()),
                    target->window()->mapFromGlobal(event->globalPosition()), event->globalPosition(), event->button(),
                    event->buttons(), event->modifiers(), event->pointingDevice());
  QApplication::sendEvent(target, &press);
}

// The widget under `at` past the pop-up. The window system may still show the
// pop-up there when it has just been hidden: then the program's window under the
// point is searched, the button's first.
QWidget* TDlgSelPatch::WidgetUnder(QPoint at) const {
  if (QWidget* found = QApplication::widgetAt(at); found && found->window() != this) return found;
  QWidget* under = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top == this || !top->isVisible() || top->windowType() == Qt::Popup || !top->geometry().contains(at)) continue;
    if (!under || (button_ && top == button_->window())) under = top;
  }
  if (!under) return nullptr;
  QWidget* child = under->childAt(under->mapFromGlobal(at));
  return child ? child : under;
}

}  // namespace rq
