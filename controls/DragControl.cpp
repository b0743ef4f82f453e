#include "controls/DragControl.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace rq {

TDragControl::TDragControl(QObject* parent) : QObject(parent) {}

TDragControl::~TDragControl() { EndDrag(); }

void TDragControl::AddSource(QWidget* source, StartFn start) {
  if (!source) return;
  sources_.push_back({source, std::move(start)});
  source->installEventFilter(this);
}

void TDragControl::AddTarget(QWidget* target, OverFn over, DropFn drop) {
  if (!target) return;
  targets_.push_back({target, std::move(over), std::move(drop)});
}

const TDragControl::SourceEntry* TDragControl::SourceOf(const QObject* widget) const {
  const auto it = std::find_if(sources_.begin(), sources_.end(),
                               [widget](const SourceEntry& s) { return s.widget && s.widget == widget; });
  return it == sources_.end() ? nullptr : &*it;
}

// Escape cancels a drag, whichever widget has the keyboard.
class TDragControl::EscapeWatcher : public QObject {
 public:
  explicit EscapeWatcher(TDragControl& drag) : drag_(drag) { qApp->installEventFilter(this); }
  ~EscapeWatcher() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      drag_.Cancel();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TDragControl& drag_;
};

bool TDragControl::eventFilter(QObject* watched, QEvent* event) {
  const SourceEntry* source = SourceOf(watched);
  if (!source) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && !dragging_) {
        Press(static_cast<QWidget*>(watched), mouse->position().toPoint());
      }
      return false;  // the press is still the source's own click
    }
    case QEvent::MouseMove: {
      if (!pressed_ || watched != source_) return false;
      Move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      return dragging_;  // while dragging, the source does not see the moves
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || watched != source_) return false;
      const bool wasDragging = dragging_;
      Release(mouse->globalPosition().toPoint());
      return wasDragging;
    }
    default: return false;
  }
}

void TDragControl::Press(QWidget* source, const QPoint& pos) {
  source_ = source;
  pressPos_ = pos;
  pressed_ = true;
}

void TDragControl::Move(const QPoint& globalPos) {
  if (!source_) {
    Cancel();
    return;
  }
  if (!dragging_) {
    const QPoint moved = source_->mapFromGlobal(globalPos) - pressPos_;
    if (std::abs(moved.x()) < kDragThreshold && std::abs(moved.y()) < kDragThreshold) return;
    const SourceEntry* source = SourceOf(source_);
    if (!source || !source->start || !source->start(pressPos_)) {
      pressed_ = false;  // this press stays a click
      return;
    }
    dragging_ = true;
    escape_ = std::make_unique<EscapeWatcher>(*this);
    emit DragStarted(source_);
  }
  const TargetEntry* target = TargetAt(globalPos);
  const bool accepted = target && target->over(target->widget->mapFromGlobal(globalPos));
  accepting_ = accepted ? target->widget : nullptr;
  ShowCursor(accepted);
}

void TDragControl::Release(const QPoint& globalPos) {
  if (!dragging_) {
    EndDrag();
    return;
  }
  // The drop goes where the pointer is now, asked again: not where it last was.
  const TargetEntry* target = TargetAt(globalPos);
  const QPoint pos = target ? target->widget->mapFromGlobal(globalPos) : QPoint();
  if (!target || !target->over(pos)) {
    Finish(false);
    return;
  }
  // The drop may ask the user: the pointer and the keys are the dialog's by then.
  const DropFn drop = target->drop;
  EndDrag();
  drop(pos);
  emit DragEnded(true);
}

void TDragControl::Cancel() { Finish(false); }

void TDragControl::Finish(bool dropped) {
  const bool wasDragging = dragging_;
  EndDrag();
  if (wasDragging) emit DragEnded(dropped);
}

void TDragControl::EndDrag() {
  if (cursorSet_) {
    QGuiApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
  escape_.reset();
  dragging_ = false;
  pressed_ = false;
  source_ = nullptr;
  accepting_ = nullptr;
}

const TDragControl::TargetEntry* TDragControl::TargetAt(const QPoint& globalPos) const {
  for (QWidget* w = QApplication::widgetAt(globalPos); w; w = w->parentWidget()) {
    const auto it = std::find_if(targets_.begin(), targets_.end(),
                                 [w](const TargetEntry& t) { return t.widget == w; });
    if (it == targets_.end()) continue;
    if (!w->isEnabled() || !w->isVisible()) return nullptr;
    return &*it;
  }
  return nullptr;
}

void TDragControl::ShowCursor(bool accepted) {
  const QCursor cursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  if (cursorSet_) {
    QGuiApplication::changeOverrideCursor(cursor);
  } else {
    QGuiApplication::setOverrideCursor(cursor);
    cursorSet_ = true;
  }
}

}  // namespace rq
