#include "screens/DlgString.h"

#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int32_t kEditFrameColor = 0x3289C2;  // $BBGGRR

}  // namespace

TDlgString::TDlgString(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgString");
  setWindowTitle("String");
  setFixedSize(283, 71);

  auto* panel1 = new QFrame(this);
  panel1->setObjectName("Panel1");
  // The panel's colour shows as a 2-pixel border around the text.
  panel1->setFrameStyle(QFrame::NoFrame);
  panel1->setGeometry(6, 6, 272, 21);
  PaintBackground(panel1, kEditFrameColor);
  edString_ = new QLineEdit(panel1);
  edString_->setObjectName("EDString");
  edString_->setFrame(false);
  edString_->setGeometry(2, 2, 268, 17);
  edString_->setText("Name");
  // Enter in the text is the Ok of the dialog; every other key is the text's.
  connect(edString_, &QLineEdit::returnPressed, this, [this] { done(kOk); });

  speedButton2_ = new QToolButton(this);
  speedButton2_->setObjectName("SpeedButton2");
  speedButton2_->setText("Cancel");
  speedButton2_->setGeometry(158, 38, 56, 25);
  connect(speedButton2_, &QToolButton::clicked, this, [this] { done(kCancel); });
  speedButton1_ = new QToolButton(this);
  speedButton1_->setObjectName("SpeedButton1");
  speedButton1_->setText("Ok");
  speedButton1_->setGeometry(218, 38, 56, 25);
  connect(speedButton1_, &QToolButton::clicked, this, [this] { done(kOk); });
}

void TDlgString::OnCreate() { PaintBackground(this, ColorPane); }

void TDlgString::reject() { done(kCancel); }

}  // namespace rq
