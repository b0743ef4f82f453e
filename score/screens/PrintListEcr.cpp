// The print list's rows are the rows of the print list file, which keeps the order
// its tunes arrived in; reordering moves them in that order and saves nothing.
#include "score/screens/PrintListEcr.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/DragControl.h"
#include "controls/ImageList.h"
#include "library/FileAbc.h"
#include "platform/Cp1252.h"
#include "score/screens/PrintGlyphs.h"

namespace rq {
namespace {

constexpr int kToolRowHeight = 34;

QToolButton* ToolButton(QWidget* parent, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setIconSize(QSize(24, 24));
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  return button;
}

}  // namespace

// ---- the list -------------------------------------------------------------------

TPrintListGrid::TPrintListGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName("drwGridPrint");
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  rowHeight_ = std::max(15, fontMetrics().height() + 1);
  verticalScrollBar()->setSingleStep(1);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

void TPrintListGrid::SetList(TAbcFile* list) {
  list_ = list;
  Refresh();
}

void TPrintListGrid::SetImages(const TImageList* images) {
  images_ = images;
  viewport()->update();
}

int32_t TPrintListGrid::Count() const { return list_ ? list_->FilterList.Count() : 0; }

int TPrintListGrid::VisibleRows() const { return std::max(1, viewport()->height() / rowHeight_); }

int32_t TPrintListGrid::RowAt(const QPoint& pos) const {
  if (pos.y() < 0 || pos.x() < 0 || pos.x() >= viewport()->width()) return -1;
  const int32_t row = verticalScrollBar()->value() + pos.y() / rowHeight_;
  return row < Count() ? row : -1;
}

void TPrintListGrid::SetCurrentRow(int32_t row) {
  current_ = std::clamp(row, 0, std::max(0, Count() - 1));
  ScrollTo(current_);
  viewport()->update();
}

void TPrintListGrid::ScrollTo(int32_t row) {
  QScrollBar* bar = verticalScrollBar();
  if (row < bar->value()) bar->setValue(row);
  if (row >= bar->value() + VisibleRows()) bar->setValue(row - VisibleRows() + 1);
}

void TPrintListGrid::Refresh() {
  QScrollBar* bar = verticalScrollBar();
  bar->setPageStep(VisibleRows());
  bar->setRange(0, std::max(0, std::max(Count(), 1) - VisibleRows()));
  current_ = std::clamp(current_, 0, std::max(0, Count() - 1));
  viewport()->update();
}

void TPrintListGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Refresh();
}

void TPrintListGrid::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  const int width = viewport()->width();
  painter.fillRect(viewport()->rect(), Qt::white);
  const int32_t count = Count();
  const int32_t first = verticalScrollBar()->value();
  for (int32_t row = first, top = 0; row < count && top < viewport()->height(); ++row, top += rowHeight_) {
    const TAbcRec* rec = list_->GetRec(row);
    if (images_) painter.drawPixmap(0, top, images_->Image(rec && rec->IsMarked() ? 1 : 0));
    const QRect title(kTickWidth, top, width - kTickWidth, rowHeight_);
    if (row == current_) painter.fillRect(title, QColor::fromRgb(kCurrentColour));
    painter.setPen(Qt::black);
    painter.drawText(title.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QString::fromStdString(DisplayUtf8(list_->GetTitle(row))));
  }
}

void TPrintListGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int32_t row = RowAt(event->position().toPoint());
  if (row < 0) return;
  if (event->position().x() < kTickWidth) {
    list_->ToggleSelect(row);
    viewport()->update();
    emit TickToggled();
    return;
  }
  SetCurrentRow(row);
}

void TPrintListGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: SetCurrentRow(current_ - 1); break;
    case Qt::Key_Down: SetCurrentRow(current_ + 1); break;
    case Qt::Key_Home: SetCurrentRow(0); break;
    case Qt::Key_End: SetCurrentRow(Count() - 1); break;
    default: QAbstractScrollArea::keyPressEvent(event);
  }
}

// ---- the screen -----------------------------------------------------------------

TPrintListEcr::TPrintListEcr(IPrintListHost& host, QObject* parent) : QObject(parent), host_(host) { Build(); }

TPrintListEcr::~TPrintListEcr() { delete panPrint_.data(); }

void TPrintListEcr::Build() {
  panPrint_ = new QWidget;
  panPrint_->setObjectName("PanPrint");
  auto* layout = new QVBoxLayout(panPrint_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QWidget(panPrint_);
  bar->setObjectName("PanToolPrint");
  bar->setFixedHeight(kToolRowHeight);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(3, 1, 3, 1);
  row->setSpacing(2);
  btnPrintAll_ = ToolButton(bar, "BtnPrintAll");
  row->addWidget(btnPrintAll_);
  row->addSpacing(8);
  btnReset_ = ToolButton(bar, "btnReset");
  btnDelete_ = ToolButton(bar, "btnDelete");
  btnPreview_ = ToolButton(bar, "btnPreview");
  btnPrintSel_ = ToolButton(bar, "btnPrintSel");
  for (QToolButton* b : {btnReset_, btnDelete_, btnPreview_}) row->addWidget(b);
  row->addSpacing(24);
  row->addWidget(btnPrintSel_);
  row->addStretch(1);
  layout->addWidget(bar);
  grid_ = new TPrintListGrid(panPrint_);
  layout->addWidget(grid_, 1);
  connect(grid_, &TPrintListGrid::TickToggled, this, &TPrintListEcr::Changed);
}

void TPrintListEcr::SetActions(const PrintListActions& actions) {
  GiveGlyph(actions.printAll, PrintGlyph::PrintList);
  GiveGlyph(actions.clear, PrintGlyph::ClearList);
  GiveGlyph(actions.remove, PrintGlyph::DeleteTune);
  GiveGlyph(actions.preview, PrintGlyph::Preview);
  GiveGlyph(actions.tickedOnly, PrintGlyph::TickedOnly);
  const std::pair<QToolButton*, QAction*> links[] = {{btnPrintAll_, actions.printAll},
                                                     {btnReset_, actions.clear},
                                                     {btnDelete_, actions.remove},
                                                     {btnPreview_, actions.preview},
                                                     {btnPrintSel_, actions.tickedOnly}};
  for (const auto& [button, action] : links) {
    if (!action) continue;
    button->setDefaultAction(action);
    // A button bound to a hidden action is hidden with it.
    button->setVisible(action->isVisible());
    connect(action, &QAction::changed, button, [button, action] { button->setVisible(action->isVisible()); });
  }
  if (QAction* toggle = actions.tickedOnly) {
    toggle->setCheckable(true);
    connect(toggle, &QAction::toggled, this, [this](bool down) {
      printSelOnly_ = !down;
      emit Changed();
    });
  }
}

void TPrintListEcr::OnCreate(QWidget* host, TDragControl* drag) {
  if (host && host->layout()) host->layout()->addWidget(panPrint_);
  grid_->SetList(host_.PrintList());
  printSelOnly_ = true;
  if (!drag) return;
  QWidget* surface = grid_->viewport();
  drag->AddSource(surface, [this](const QPoint& pressPos) { return StartDrag(pressPos); });
  drag->AddTarget(
      surface, [this](const QPoint& pos) { return DragOver(pos); }, [this](const QPoint& pos) { Drop(pos); });
  connect(drag, &TDragControl::DragEnded, this, [this] {
    dragInside_ = false;
    dragRow_ = -1;
  });
}

bool TPrintListEcr::StartDrag(const QPoint& pressPos) {
  const int32_t row = grid_->RowAt(pressPos);
  if (row < 0 || pressPos.x() < TPrintListGrid::kTickWidth) return false;
  host_.ClearDrag();
  dragRow_ = row;
  dragInside_ = true;
  return true;
}

bool TPrintListEcr::DragOver(const QPoint& pos) const {
  if (host_.DragFile()) return true;
  return dragInside_ && grid_->RowAt(pos) >= 0;
}

void TPrintListEcr::Drop(const QPoint& pos) {
  if (host_.DragFile()) {
    host_.DropTunes();
    Refresh();
    return;
  }
  const int32_t row = grid_->RowAt(pos);
  if (!dragInside_ || row < 0 || row == dragRow_) return;
  MoveTune(dragRow_, row);
  grid_->SetCurrentRow(row);
}

void TPrintListEcr::MoveTune(int32_t from, int32_t to) {
  TAbcPrint* list = host_.PrintList();
  if (!list || list->FilterList.Filtered()) return;
  std::vector<TAbcRec*>& all = list->FilterList.All;
  if (from < 0 || to < 0 || from >= static_cast<int32_t>(all.size()) || to >= static_cast<int32_t>(all.size())) return;
  TAbcRec* moved = all[static_cast<size_t>(from)];
  all.erase(all.begin() + from);
  all.insert(all.begin() + to, moved);
  emit Changed();
}

void TPrintListEcr::DeleteCurrent() {
  TAbcPrint* list = host_.PrintList();
  const int32_t row = grid_->CurrentRow();
  if (!list || row < 0 || row >= grid_->Count()) return;
  list->DeleteTune(row);
  Refresh();
}

void TPrintListEcr::Refresh() {
  grid_->Refresh();
  emit Changed();
}

}  // namespace rq
