#include "screens/DlgFltTune.h"

#include <QVBoxLayout>

#include "platform/WinColor.h"
#include "screens/ScreenColors.h"

namespace rq {

TDlgFltTune::TDlgFltTune(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("DlgFltTune");
  setWindowTitle("Filter");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // Sized to what the browser puts in; this until it does.
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  resize(249, 275);
}

void TDlgFltTune::OnCreate() {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, WinColorToQColor(ColorFrame));
  setPalette(pal);
}

}  // namespace rq
