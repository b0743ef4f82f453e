// Windows, dialogs and pop-ups open inside the screen's available area (the screen
// less its panels), wherever their anchor or a stored placement would put them.
#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace rq {

// `wanted` moved, and shrunk where it is larger, so that it lies inside `area`.
QRect FitInside(const QRect& wanted, const QRect& area);

// The available area of the screen that holds `point`, else of the primary screen.
QRect AvailableAreaAt(const QPoint& point);

// Places a top-level window (its frame) with its top-left corner at `topLeft`, or as
// near as keeps the whole window on that screen; one larger than the screen shrinks.
void MoveOnScreen(QWidget* window, const QPoint& topLeft);

// From now on, each time the window is shown, once the window manager has framed
// it, and whenever it grows, it is moved (and shrunk) into the available area of
// its screen, its frame included: the frame a window manager adds is known only
// once the window is on the screen.
void KeepOnScreen(QWidget* window);

}  // namespace rq
