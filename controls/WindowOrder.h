// Messages and questions come above every window of the program, also above those
// that stay on top of the others (the welcome box, the tool windows).
#pragma once

class QDialog;
class QWidget;

namespace rq {

// The program's visible window that stays on top of the others, the active one
// first, else the last shown; null when there is none.
QWidget* StayOnTopWindow();

// Makes a dialog about to be shown come above every window of the program: above a
// window that stays on top it stays on top too and is kept above it (the window
// manager keeps a dialog above the window it belongs to). Call before showing it.
void ComeAboveEverything(QWidget* dialog);

// Runs a modal dialog above every window of the program, the welcome box included:
// under the box its middle would be hidden and the box's own button out of reach
// while the dialog waits. Returns what exec() returns.
int ExecAbove(QDialog& dialog);

}  // namespace rq
