// The floating window of a torn-off sheet.
#include "controls/FloatingForm.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "controls/Tab95Sheet.h"

namespace rq {

TFloatingForm::TFloatingForm(QWidget* owner) : QWidget(owner, Qt::Tool), layout_(new QVBoxLayout(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  layout_->setContentsMargins(0, 0, 0, 0);
  resize(664, 82);
}

void TFloatingForm::SetSheet(TTab95Sheet* sheet) {
  sheet_ = sheet;
  if (!sheet) return;
  sheet->setParent(this);
  layout_->addWidget(sheet);
}

void TFloatingForm::closeEvent(QCloseEvent* event) {
  if (sheet_) sheet_->DockBack();
  event->accept();
}

}  // namespace rq
