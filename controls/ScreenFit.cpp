#include "controls/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace rq {
namespace {

// The frame a window manager draws around the window, as far as it is known yet.
QMargins FrameOf(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect inner = window->geometry();
  return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
          frame.bottom() - inner.bottom()};
}

// The size the window will have when shown: before its first showing, its size hint
// unless it was given a size, and never less than its layout's minimum.
QSize ShownSize(QWidget* window) {
  if (QLayout* layout = window->layout()) layout->activate();
  const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
  return size.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize());
}

// Fits its window into the screen whenever the window is shown.
class OnScreenKeeper : public QObject {
 public:
  explicit OnScreenKeeper(QWidget* window) : QObject(window) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) FitOnScreen(static_cast<QWidget*>(watched));
    return false;
  }

 private:
  static void FitOnScreen(QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect fitted = FitInside(outer, AvailableAreaAt(outer.center()));
    if (fitted == outer) return;
    const QMargins frame = FrameOf(window);
    if (fitted.size() != outer.size()) {
      window->resize(fitted.size().shrunkBy(frame));
    }
    window->move(fitted.topLeft());
  }
};

}  // namespace

void KeepOnScreen(QWidget* window) { new OnScreenKeeper(window); }

QRect FitInside(const QRect& wanted, const QRect& area) {
  if (area.isEmpty()) return wanted;
  const int width = std::min(wanted.width(), area.width());
  const int height = std::min(wanted.height(), area.height());
  const int left = std::clamp(wanted.left(), area.left(), area.left() + area.width() - width);
  const int top = std::clamp(wanted.top(), area.top(), area.top() + area.height() - height);
  return {left, top, width, height};
}

QRect AvailableAreaAt(const QPoint& point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

void MoveOnScreen(QWidget* window, const QPoint& topLeft) {
  // A window's position is its frame's; its size is the inside's.
  const QMargins frame = FrameOf(window);
  const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
  const QRect fitted = FitInside(QRect(topLeft, ShownSize(window) + extra), AvailableAreaAt(topLeft));
  if (fitted.size() - extra != window->size()) window->resize(fitted.size() - extra);
  window->move(fitted.topLeft());
}

}  // namespace rq
