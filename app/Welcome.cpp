#include "app/Welcome.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/ResLib.h"
#include "controls/ScreenFit.h"
#include "platform/ProgramFolder.h"

namespace rq {

TdlgWelcome::TdlgWelcome(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("dlgWelcome");
  setFixedSize(362, 221);
  setStyleSheet("#dlgWelcome { border: 1px solid #84c6ea; background: #fce7be; }");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);

  auto* title = new QLabel("Reelquill 2", this);
  title->setObjectName("labTitle");
  QFont big = title->font();
  big.setPointSize(big.pointSize() + 10);
  big.setBold(true);
  title->setFont(big);
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);

  auto* blurb = new QLabel("Your ABC tunes: browse, play, edit and print.", this);
  blurb->setObjectName("labBlurb");
  blurb->setAlignment(Qt::AlignCenter);
  blurb->setWordWrap(true);
  texts_.Add(blurb, kFirstTextTag, TextKind::StaticText);
  layout->addWidget(blurb);

  labVersion_ = new QLabel("Version 2.0 Beta 1.13", this);
  labVersion_->setObjectName("labVersion");
  labVersion_->setAlignment(Qt::AlignCenter);
  layout->addWidget(labVersion_);

  // The link opens the note beside the program with the desktop's own viewer; one
  // that cannot open is reported.
  auto* link = new QLabel(
      QString("<a href=\"%1\">Support Reelquill</a>").arg(QUrl::fromLocalFile(NotePath()).toString()), this);
  link->setObjectName("htForm");
  link->setAlignment(Qt::AlignCenter);
  link->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(link, &QLabel::linkActivated, this, [](const QString& url) {
    if (TAppContext* app = TAppContext::Current()) app->OpenDocument(QUrl(url).toLocalFile().toStdString());
  });
  layout->addWidget(link);
  layout->addStretch(1);

  btnClose_ = new QPushButton("Ok", this);
  btnClose_->setObjectName("btnClose");
  btnClose_->setDefault(true);
  connect(btnClose_, &QPushButton::clicked, this, &TdlgWelcome::OnCloseWelcome);
  texts_.Add(btnClose_, kFirstTextTag + 1, TextKind::ToolButton);
  layout->addWidget(btnClose_, 0, Qt::AlignCenter);
  // A box made after start-up takes the language read then; the one shown at start
  // is made before, and the main window translates it once the language is read.
  if (TAppContext* app = TAppContext::Current(); app && app->ResLib()) Translate(app->ResLib()->LanguageFile());
  if (parent) parent->installEventFilter(this);
}

QString TdlgWelcome::NotePath() { return QString::fromStdString(ProgramFile("donation.txt")); }

void TdlgWelcome::ShowWithParent() {
  QWidget* main = parentWidget();
  if (!main || main->isVisible()) {
    show();
    return;
  }
  showWithParent_ = true;
}

bool TdlgWelcome::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget()) {
    switch (event->type()) {
      case QEvent::Show:
        if (showWithParent_) {
          showWithParent_ = false;
          // Once the window's showing is over: it may still be moved onto the screen.
          QTimer::singleShot(0, this, &QWidget::show);
        }
        break;
      // The window manager places a new window after it is shown, and the user may
      // move it: the box goes along.
      case QEvent::Move:
      case QEvent::Resize:
        if (isVisible()) QTimer::singleShot(0, this, &TdlgWelcome::CentreOnWindow);
        break;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TdlgWelcome::CentreOnWindow() {
  if (const QWidget* main = parentWidget()) {
    const QRect on = main->frameGeometry();
    MoveOnScreen(this, on.center() - QPoint(width() / 2, height() / 2));
  }
}

void TdlgWelcome::showEvent(QShowEvent* event) {
  CentreOnWindow();
  QDialog::showEvent(event);
}

void TdlgWelcome::Translate(const IniFile* language) { texts_.Translate(language); }

void TdlgWelcome::OnCloseWelcome() {
  setResult(QDialog::Accepted);
  done(QDialog::Accepted);
  hide();
}

}  // namespace rq
