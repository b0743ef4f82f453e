#include "screens/DlgFltTune.h"

#include <QVBoxLayout>

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
  PaintBackground(this, ColorFrame);
}

}  // namespace rq
