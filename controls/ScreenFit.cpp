#include "controls/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
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

bool Grew(const QResizeEvent& event) {
  const QSize before = event.oldSize();
  return before.isValid() && (event.size().width() > before.width() || event.size().height() > before.height());
}

// Fits its window into the screen when it is shown, again once the window manager
// has framed it (the frame is known only then), and whenever it grows. A window the
// user moves partly off the screen stays where it was put until it grows.
class OnScreenKeeper : public QObject {
 public:
  explicit OnScreenKeeper(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_) {
      switch (event->type()) {
        case QEvent::Show:
          FitInScreen(window_);
          WatchFirstExpose();
          break;
        case QEvent::Resize:
          if (window_->isVisible() && Grew(*static_cast<QResizeEvent*>(event))) FitSoon();
          break;
        default: break;
      }
    } else if (watched == handle_ && event->type() == QEvent::Expose && handle_->isExposed()) {
      handle_->removeEventFilter(this);
      handle_ = nullptr;
      FitSoon();
    }
    return false;
  }

 private:
  void WatchFirstExpose() {
    if (handle_) handle_->removeEventFilter(this);
    handle_ = window_->windowHandle();
    if (handle_) handle_->installEventFilter(this);
  }
  // After the event that asked for it: a growing layout or the window manager may
  // still be at work on the window.
  void FitSoon() {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] {
      pending_ = false;
      if (window_->isVisible()) FitInScreen(window_);
    });
  }
  static void FitInScreen(QWidget* window) {
    // A maximised or full-screen window is the window manager's to place.
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
    const QRect outer = window->frameGeometry();
    const QRect fitted = FitInside(outer, AvailableAreaAt(outer.center()));
    if (fitted == outer) return;
    const QMargins frame = FrameOf(window);
    if (fitted.size() != outer.size()) window->resize(fitted.size().shrunkBy(frame));
    window->move(fitted.topLeft());
  }

  QWidget* window_;
  QPointer<QWindow> handle_;
  bool pending_ = false;
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
