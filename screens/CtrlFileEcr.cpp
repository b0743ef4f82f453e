#include "screens/CtrlFileEcr.h"

#include <QAction>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QTabBar>

#include "controls/DragControl.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "platform/WinColor.h"
#include "screens/OpenFiles.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int32_t kRowColor = 0xDADADA;  // $BBGGRR
constexpr int kTabHeight = 26;

QFont TabFont(bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  font.setBold(bold);
  return font;
}

}  // namespace

TCtrlFileEcr::TCtrlFileEcr(IOpenFiles& files, TImageList* images, TDragControl* drag, QWidget* parent)
    : QWidget(parent), files_(files) {
  setObjectName("CtrlFileEcr");
  pgcFile_ = new TPage95Control(this);
  pgcFile_->setObjectName("PGCFile");
  pgcFile_->SetAllowTabShifting(true);
  pgcFile_->SetImages(images);
  PaintBackground(pgcFile_, kRowColor);
  pgcFile_->SetFlatButtons(true);
  pgcFile_->SetFlatSeperators(false);
  pgcFile_->setFont(TabFont(true));
  pgcFile_->SetFontColor(Qt::black);
  pgcFile_->SetHotTrack(true);
  pgcFile_->SetTabInactiveFont(TabFont(false), Qt::black);
  pgcFile_->SetTabActiveColor(WinColorToQColor(ColorFrame));
  pgcFile_->SetTabInactiveColor(WinColorToQColor(ColorPane));
  pgcFile_->SetRemoveLastTab(true);
  pgcFile_->SetTabHeight(kTabHeight);
  pgcFile_->SetTabStop(false);
  pgcFile_->SetDefaultForCtrlTab(true);
  // The pages are empty: the row shows the tabs and the edge below them.
  pgcFile_->setFixedHeight(kTabHeight + 4);

  popCtrlFile_ = new QMenu(pgcFile_);
  popCtrlFile_->setObjectName("PopCtrlFile");
  pgcFile_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pgcFile_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popCtrlFile_->popup(pgcFile_->mapToGlobal(pos)); });

  connect(pgcFile_, &TCustomTab95Control::OnChange, this, &TCtrlFileEcr::OnSelectTab);
  connect(pgcFile_, &TCustomTab95Control::OnTabTrack, this, &TCtrlFileEcr::OnTabTrack);
  if (drag) {
    drag->AddTarget(
        pgcFile_, [this](const QPoint& pos) { return OnDragOverFile(pos); },
        [this](const QPoint& pos) { OnDropFile(pos); });
  }
}

TCtrlFileEcr::~TCtrlFileEcr() {
  // The tabs come back to the form, which frees them with itself.
  if (pgcFile_ && pgcFile_->parentWidget() != this) pgcFile_->setParent(this);
}

void TCtrlFileEcr::OnCreate(QWidget* host) {
  host_ = host;
  if (host && host->layout()) host->layout()->addWidget(pgcFile_);
  trackedTab_ = -1;
  files_.OpenControlFiles();
}

void TCtrlFileEcr::SetMenuActions(const QList<QAction*>& actions) {
  popCtrlFile_->clear();
  for (QAction* action : actions) {
    if (action) {
      popCtrlFile_->addAction(action);
    } else {
      popCtrlFile_->addSeparator();
    }
  }
}

QString TCtrlFileEcr::TabCaption(const std::string& fileName) {
  return QFileInfo(QString::fromStdString(fileName)).fileName() + QString(8, ' ');
}

int TCtrlFileEcr::ImageIndexOf(const TAbcFile* file) const {
  if (files_.IsTrash(file)) return kImageTrash;
  if (files_.IsFiler(file)) return kImageFiler;
  return kImageTuneFile;
}

TAbcFile* TCtrlFileEcr::FileOfTab(int index) const {
  const auto* sheet = qobject_cast<const TFileSheet*>(pgcFile_->Pages(index));
  return sheet ? sheet->File() : nullptr;
}

int TCtrlFileEcr::TabOf(const TAbcFile* file) const {
  for (int i = 0; i < pgcFile_->PageCount(); ++i) {
    if (file && FileOfTab(i) == file) return i;
  }
  return -1;
}

TAbcFile* TCtrlFileEcr::ActiveFile() const { return FileOfTab(pgcFile_->TabIndex()); }

// ---- tabs in step with the controller's files -------------------------------------

void TCtrlFileEcr::AddFileTab(TAbcFile* file, bool select) {
  if (!file || TabOf(file) >= 0) return;
  auto* sheet = new TFileSheet(file, this);
  sheet->SetCaption(TabCaption(file->FileName));
  sheet->SetGripAlign(gaRight);
  sheet->SetFloatOnTop(true);
  sheet->SetPageControl(pgcFile_);
  sheet->SetImageIndex(ImageIndexOf(file));
  if (select) pgcFile_->SetActivePage(sheet);
}

void TCtrlFileEcr::UpdateTabCaption(TAbcFile* file) {
  const int tab = TabOf(file);
  if (tab >= 0) pgcFile_->Pages(tab)->SetCaption(TabCaption(file->FileName));
}

void TCtrlFileEcr::RemoveFileTab(TAbcFile* file) {
  const int tab = TabOf(file);
  if (tab < 0) return;
  TTab95Sheet* sheet = pgcFile_->Pages(tab);
  sheet->SetPageControl(nullptr);
  delete sheet;
  if (trackedTab_ >= pgcFile_->PageCount()) trackedTab_ = -1;
}

void TCtrlFileEcr::SelectFileTab(TAbcFile* file) {
  const int tab = TabOf(file);
  if (tab >= 0) pgcFile_->SetActivePage(pgcFile_->Pages(tab));
}

// ---- commands --------------------------------------------------------------------

void TCtrlFileEcr::SaveActive() {
  if (TAbcFile* file = ActiveFile()) files_.SaveFile(file);
}

void TCtrlFileEcr::SaveActiveAs() {
  if (TAbcFile* file = ActiveFile()) files_.SaveFileAs(file);
}

void TCtrlFileEcr::ShowFirstTab() {
  if (pgcFile_->PageCount() == 0) return;
  pgcFile_->SetActivePage(pgcFile_->Pages(0));
  if (TAbcFile* file = FileOfTab(0)) files_.ShowFile(file);
}

void TCtrlFileEcr::CloseActive() {
  TAbcFile* file = ActiveFile();
  // The controller takes the tab away while it closes the file.
  if (file && files_.CloseFile(file) == 0) ShowFirstTab();
}

void TCtrlFileEcr::CloseAll() {
  int i = 0;
  while (i < pgcFile_->PageCount()) {
    TAbcFile* file = FileOfTab(i);
    if (!file) break;
    const int32_t result = files_.CloseFile(file);
    if (result == -1) break;  // the user cancelled: the files before it stay closed
    if (result != 0) ++i;     // a control file keeps its tab
  }
  ShowFirstTab();
}

// ---- the user's tab clicks and drops ----------------------------------------------

void TCtrlFileEcr::OnSelectTab() {
  if (TAbcFile* file = ActiveFile()) files_.ShowFile(file);
}

void TCtrlFileEcr::OnTabTrack(int index) { trackedTab_ = index; }

bool TCtrlFileEcr::OnDragOverFile(const QPoint& pos) const {
  const TAbcFile* source = files_.DragFile();
  const TAbcFile* target = FileOfTab(pgcFile_->TabAt(pos));
  return source && target && target != source;
}

void TCtrlFileEcr::OnDropFile(const QPoint& pos) {
  if (TAbcFile* target = FileOfTab(pgcFile_->TabAt(pos))) files_.DropOnFile(target);
}

}  // namespace rq
