// The browser's panels: built once at creation and moved into the main window's
// hosts and the floating filter window.
#include <QAction>
#include <QCursor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/ImageList.h"
#include "controls/ListGrid.h"
#include "controls/Page95Control.h"
#include "library/FileAbc.h"
#include "notation/AbcDef.h"
#include "platform/WinColor.h"
#include "screens/DlgFltTune.h"
#include "screens/FileEcr.h"
#include "screens/KeyFilterGrid.h"
#include "screens/MirrorList.h"
#include "screens/ScreenColors.h"
#include "screens/SetGrid.h"
#include "screens/ToolRowLayout.h"
#include "screens/TuneRow.h"

namespace rq {
namespace {

constexpr int kTabHeight = 23;
constexpr int kRhythmItemHeight = 16;
constexpr int kListFontPixels = 11;
// Rows the list keeps however low the window: at its least height the player, the
// two tool rows and the bottom area leave room for no more.
constexpr int kMinRows = 2;
const QColor kInactiveTab(0xDA, 0xDA, 0xDA);
const QColor kTypeAheadColour(0xF4, 0xA5, 0x5E);  // $5EA5F4
// Typed text the tool row always has room for, in average characters.
constexpr int kTypedChars = 24;
// Characters of a title the second list shows at least.
constexpr int kList2TitleChars = 10;

// View modes of the tabs, in tab order, with caption and image.
struct ViewTabRow {
  int32_t mode;
  const char* name;
  const char* caption;
  int image;
};
// The captions are the bare words (the tabs pad them): the tabs, the counters, the
// lamps and the filter buttons then fit the window's first width in one row.
constexpr ViewTabRow kViewTabRows[TFileEcr::kViewTabs] = {
    {0, "tabViewAbc", "List", imgList},       {2, "tabMark", "Checked", imgMarked},
    {3, "tabUnmark", "Unchecked", imgUnmarked}, {4, "tabAdd", "Add", imgNew},
    {5, "tabSearch", "Result", imgResult},
};

void KeepRoomWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

QLabel* Lamp(QWidget* parent, const char* name, const char* text, const QColor& colour) {
  auto* lamp = new QLabel(text, parent);
  lamp->setObjectName(name);
  lamp->setStyleSheet(QString("QLabel { color: white; background: %1; padding: 1px 4px; font-weight: bold; }")
                          .arg(colour.name()));
  // Hidden, a lamp keeps its room: the buttons after it never move under the pointer.
  KeepRoomWhenHidden(lamp);
  lamp->hide();
  return lamp;
}

// A tune count that is never cut: at least as wide as a few digits, and as wide as
// its count, however little room the row has left (collections of hundreds of
// thousands of tunes), without taking that room from the view tabs for small counts.
class TuneCounter : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override { return QLabel::minimumSizeHint().expandedTo(QSize(48, 0)); }
  QSize sizeHint() const override { return QLabel::sizeHint().expandedTo(minimumSizeHint()); }
};

QLabel* Counter(QWidget* parent, const char* name, const char* hint) {
  auto* label = new TuneCounter(parent);
  label->setObjectName(name);
  label->setToolTip(hint);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameShape(QFrame::StyledPanel);
  return label;
}

// A named panel whose children stand in a column without margins.
QWidget* ColumnPanel(QWidget* parent, const char* name) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(name);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  return panel;
}

QHBoxLayout* Row(QWidget* parent) {
  auto* row = new QHBoxLayout(parent);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(3);
  return row;
}

}  // namespace

TFileEcr::TFileEcr(IBrowserHost& host, QObject* parent) : QObject(parent), host_(host) {
  setObjectName("FileEcr");
  keyTimer_ = new QTimer(this);
  keyTimer_->setObjectName("KeyTimer");
  keyTimer_->setSingleShot(true);
  keyTimer_->setInterval(kTypeAheadMs);
  connect(keyTimer_, &QTimer::timeout, this, &TFileEcr::OnTimerKeyStr);
}

TFileEcr::~TFileEcr() {
  // The panels go without the browser hearing of their focus on the way.
  if (panList_) {
    lstGrid_->removeEventFilter(this);
    panGenList_->removeEventFilter(this);
  }
  if (panSet_) setGrid_->removeEventFilter(this);
  for (QPointer<QWidget>* panel : {&panList_, &panToolList_, &panSet_, &panFilter_}) delete panel->data();
  delete panList2_.data();
  delete ownFilterWindow_.data();
}

void TFileEcr::SetImages(TImageList* images) {
  images_ = images;
  if (pgcFilter_) pgcFilter_->SetImages(images);
  if (fkGrid_) fkGrid_->SetImages(images);
}

void TFileEcr::SetFilterWindow(TDlgFltTune* window) {
  filterWindow_ = window;
  if (!window || !panFilter_) return;
  window->layout()->addWidget(panFilter_);
  panFilter_->show();
}

void TFileEcr::OnCreate(QWidget* listHost, QWidget* toolHost, QWidget* setHost, QWidget* list2Host) {
  panList_ = BuildListPanel();
  panToolList_ = BuildToolRow();
  panSet_ = BuildSetPanel();
  panFilter_ = BuildFilterPanel();
  gridList2_ = new TMirrorList;
  panList2_ = gridList2_;
  gridList2_->setObjectName("gridList2");
  gridList2_->setFont(lstGrid_->font());
  // However narrow the window, the second list shows the start of its tunes' titles.
  gridList2_->setMinimumWidth(kTuneRowTitleX + kList2TitleChars * gridList2_->fontMetrics().averageCharWidth() +
                              gridList2_->verticalScrollBar()->sizeHint().width());
  gridList2_->SetOnDrawRow([this](QPainter& painter, int row, const QRect& rect, unsigned state) {
    DrawTuneRow(painter, row, rect, state, gridList2_->palette().color(QPalette::Base));
  });
  connect(gridList2_, &TMirrorList::RowClicked, this, &TFileEcr::OnClickList2);

  const std::pair<QWidget*, QWidget*> docks[] = {
      {panList_, listHost}, {panSet_, setHost}, {gridList2_, list2Host}, {panToolList_, toolHost}};
  for (const auto& [panel, host] : docks) {
    if (host && host->layout()) host->layout()->addWidget(panel);
  }
  if (!filterWindow_) {
    auto* window = new TDlgFltTune;
    window->OnCreate();
    ownFilterWindow_ = window;
    filterWindow_ = window;
  }
  SetFilterWindow(filterWindow_);
  host_.AddDragSource(lstGrid_->viewport(), [this](QPoint pos) { return StartTuneDrag(pos); });
  host_.AddDragSource(labCptFlt_, [this](QPoint) { return OnDragCompte(); });
  // Presses reach the grid's cells through its viewport; drops land on the whole grid.
  host_.AddDragSource(setGrid_->viewport(), [this](QPoint pos) {
    return StartSetDrag(setGrid_->viewport()->mapTo(setGrid_, pos));
  });
  host_.AddDropTarget(
      setGrid_, [this](QPoint pos) { return OnDragItemSet(pos); }, [this](QPoint pos) { OnDropItemSet(pos); });
  keyString_.clear();
  selChanged_ = false;
  refreshing_ = false;
}

// The list area: the tool bar with the column-width slider, then the list grid.
QWidget* TFileEcr::BuildListPanel() {
  QWidget* panel = ColumnPanel(nullptr, "PanList");
  PaintBackground(panel, ColorPane, true);
  panGenList_ = ColumnPanel(panel, "PanGenList");
  panGenList_->installEventFilter(this);
  QLayout* genColumn = panGenList_->layout();

  // The tune buttons, then the column-width slider with the height buttons; too
  // narrow for both, the slider goes to a second line rather than shrink.
  auto* bar = new QWidget(panGenList_);
  auto* barRow = new TToolRowLayout(bar);
  barRow->setContentsMargins(2, 1, 2, 1);
  barRow->setSpacing(3);
  panToolFile_ = new QWidget(bar);
  panToolFile_->setObjectName("panToolFile");
  QHBoxLayout* fileRow = Row(panToolFile_);
  fileRow->setContentsMargins(0, 0, 0, 0);
  fileRow->setSpacing(2);
  ActionButton(panToolFile_, actions_.newTune, "btnNewTune");
  ActionButton(panToolFile_, actions_.editTune, "btnEditTune");
  ActionButton(panToolFile_, actions_.copyTune, "btnCopyTune");
  ActionButton(panToolFile_, actions_.cutTune, "btnCutTune");
  ActionButton(panToolFile_, actions_.pasteTune, "btnPasteTune");
  ActionButton(panToolFile_, actions_.findIdent, "btnFindIdent");
  barRow->addWidget(panToolFile_);
  auto* sliderBox = new QWidget(bar);
  QHBoxLayout* sliderRow = Row(sliderBox);
  sliderRow->setContentsMargins(0, 0, 0, 0);
  barSlider_ = new QSlider(Qt::Horizontal, sliderBox);
  barSlider_->setObjectName("BarSlider");
  barSlider_->setRange(kColWidth, kColWidth * 2);
  barSlider_->setValue(kColWidth);
  barSlider_->setToolTip("Column width");
  barSlider_->setMinimumWidth(barSlider_->sizeHint().width());
  connect(barSlider_, &QSlider::valueChanged, this, &TFileEcr::OnChangeSize);
  sliderRow->addWidget(barSlider_, 1);
  btnExpand_ = new QToolButton(sliderBox);
  btnExpand_->setObjectName("btnExpand");
  btnExpand_->setArrowType(Qt::DownArrow);
  btnExpand_->setToolTip("Whole height");
  connect(btnExpand_, &QToolButton::clicked, this, &TFileEcr::OnExpandList);
  btnColsp_ = new QToolButton(sliderBox);
  btnColsp_->setObjectName("btnColsp");
  btnColsp_->setArrowType(Qt::UpArrow);
  btnColsp_->setToolTip("Restore");
  btnColsp_->hide();
  connect(btnColsp_, &QToolButton::clicked, this, &TFileEcr::OnColpsList);
  sliderRow->addWidget(btnExpand_);
  sliderRow->addWidget(btnColsp_);
  barRow->addWidget(sliderBox);
  barRow->SetBreakBefore(sliderBox);
  barRow->SetLastMinimum(sliderBox->minimumSizeHint().width());
  genColumn->addWidget(bar);

  lstGrid_ = new TListGrid(panGenList_);
  lstGrid_->setObjectName("LstGrid");
  QFont font = lstGrid_->font();
  font.setPixelSize(kListFontPixels);
  lstGrid_->setFont(font);
  lstGrid_->SetDefaultRowHeight(kRowHeight);
  lstGrid_->SetDefaultColWidth(kColWidth);
  lstGrid_->setMinimumHeight(kMinRows * kRowHeight + lstGrid_->horizontalScrollBar()->sizeHint().height());
  PaintBackground(lstGrid_, ColorPane, true);
  lstGrid_->SetOnDrawCell([this](QPainter& painter, int idx, const QRect& rect, unsigned state) {
    DrawTuneRow(painter, idx, rect, state, lstGrid_->palette().color(QPalette::Base));
  });
  lstGrid_->installEventFilter(this);
  // The tune clipboard keys belong to the list: elsewhere (in a text) they stay the text's.
  for (QAction* action : {actions_.copyTune, actions_.cutTune, actions_.pasteTune}) {
    if (action) lstGrid_->addAction(action);
  }
  lstGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lstGrid_, &TListGrid::SelectIdx, this, &TFileEcr::OnSelectIdx);
  connect(lstGrid_, &TListGrid::DblClick, this, &TFileEcr::OnClickPlay);
  connect(lstGrid_, &TListGrid::CellMouseDown, this,
          [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) { OnGridMouseDown(button, pos); });
  connect(lstGrid_, &TListGrid::Resized, this, &TFileEcr::OnListResize);
  connect(lstGrid_, &QWidget::customContextMenuRequested, this, &TFileEcr::ShowContextMenu);
  static_cast<QVBoxLayout*>(genColumn)->addWidget(lstGrid_, 1);
  static_cast<QVBoxLayout*>(panel->layout())->addWidget(panGenList_, 1);

  popListAbc_ = new QMenu(panel);
  popListAbc_->setObjectName("PopListAbc");
  for (QAction* action : {actions_.markAll, actions_.unmarkAll, static_cast<QAction*>(nullptr), actions_.newTune,
                          actions_.editTune, actions_.delTune, actions_.copyTune, actions_.cutTune, actions_.pasteTune,
                          static_cast<QAction*>(nullptr), actions_.addPrintTune, actions_.printOneTune}) {
    if (action) {
      popListAbc_->addAction(action);
    } else {
      popListAbc_->addSeparator();
    }
  }
  return panel;
}

// The row above the list: view tabs, counters, lamps, the filter and search buttons
// and the type-ahead text. Narrower than all of them and a title's worth of typed
// text, the row takes two lines, the lamps and buttons on the second.
QWidget* TFileEcr::BuildToolRow() {
  auto* panel = new QWidget;
  panel->setObjectName("PanToolList");
  PaintBackground(panel, ColorFrame, true);
  auto* row = new TToolRowLayout(panel);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(3);
  BuildViewTabs(panel);
  row->addWidget(pgcFilter_);
  labCptAll_ = Counter(panel, "LabCptAll", "Tunes in File");
  labCptFlt_ = Counter(panel, "LabCptFlt", "Tunes Selector");
  labCptFlt_->setCursor(Qt::OpenHandCursor);
  row->addWidget(labCptAll_);
  row->addWidget(labCptFlt_);
  row->addWidget(ActionButton(panel, actions_.copyAll, "btnCopyTunes"));
  voyFilter_ = Lamp(panel, "VoyFilter", " Filter ON", QColor(0x00, 0xA0, 0x00));
  row->addWidget(voyFilter_);
  row->SetBreakBefore(voyFilter_);
  row->addWidget(ActionButton(panel, actions_.toggleFilter, "BtnTogFilter"));
  row->addWidget(ActionButton(panel, actions_.setFilter, "btnPopFilter"));
  btnAbcCode_ = ActionButton(panel, actions_.findAbc, "BtnAbcCode");
  row->addWidget(btnAbcCode_);
  voyModif_ = Lamp(panel, "VoyModif", "Modif", QColor(0xD0, 0x00, 0x00));
  row->addWidget(voyModif_);
  labKeyStr_ = new QLabel(panel);
  labKeyStr_->setObjectName("LabKeyStr");
  QFont bold = labKeyStr_->font();
  bold.setBold(true);
  labKeyStr_->setFont(bold);
  labKeyStr_->setStyleSheet(QString("QLabel { color: %1; }").arg(kTypeAheadColour.name()));
  KeepRoomWhenHidden(labKeyStr_);
  labKeyStr_->hide();
  row->addWidget(labKeyStr_);
  row->SetLastMinimum(QFontMetrics(bold).averageCharWidth() * kTypedChars);
  return panel;
}

// The view tabs only: their sheets stay empty, the list below shows the view.
void TFileEcr::BuildViewTabs(QWidget* parent) {
  pgcFilter_ = new TPage95Control(parent);
  pgcFilter_->setObjectName("PGCFilter");
  pgcFilter_->SetFlatButtons(true);
  pgcFilter_->SetFlatSeperators(false);
  pgcFilter_->SetHotTrack(true);
  pgcFilter_->SetRemoveLastTab(true);
  // A click on a view tab leaves the keyboard with the tune list; the tabs can be
  // put in another order by dragging.
  pgcFilter_->SetTabStop(false);
  pgcFilter_->SetAllowTabShifting(true);
  pgcFilter_->SetTabHeight(kTabHeight);
  pgcFilter_->SetFontColor(QColor(0x00, 0x00, 0x80));
  pgcFilter_->SetTabActiveColor(WinColorToQColor(ColorPane));
  pgcFilter_->SetTabInactiveColor(kInactiveTab);
  QFont inactive("DejaVu Sans");
  inactive.setPointSize(pgcFilter_->font().pointSize());
  pgcFilter_->SetTabInactiveFont(inactive, Qt::gray);
  pgcFilter_->SetImages(images_);
  for (int i = 0; i < kViewTabs; ++i) {
    auto* sheet = new TTab95Sheet;
    sheet->setObjectName(kViewTabRows[i].name);
    sheet->setProperty("tag", kViewTabRows[i].mode);
    sheet->SetCaption(kViewTabRows[i].caption);
    sheet->SetImageIndex(kViewTabRows[i].image);
    sheet->SetPageControl(pgcFilter_);
    viewTabs_[i] = sheet;
  }
  pgcFilter_->SetActivePage(viewTabs_[0]);
  pgcFilter_->setFixedHeight(kTabHeight + 4);
  pgcFilter_->setMinimumWidth(pgcFilter_->tabBar()->sizeHint().width() + 8);
  connect(pgcFilter_, &TCustomTab95Control::OnChange, this, &TFileEcr::OnChangeFilter);
}

// The set panel: the set commands' buttons above the set grid.
QWidget* TFileEcr::BuildSetPanel() {
  QWidget* panel = ColumnPanel(nullptr, "PanSet");
  PaintBackground(panel, ColorPane, true);
  auto* column = static_cast<QVBoxLayout*>(panel->layout());
  auto* toolSet = new QWidget(panel);
  toolSet->setObjectName("PanToolSet");
  PaintBackground(toolSet, ColorFrame, true);
  Row(toolSet);
  ActionButton(toolSet, actions_.newSet, "btnNewSet");
  ActionButton(toolSet, actions_.delSet, "btnDelSet");
  ActionButton(toolSet, actions_.setToMidi, "btnSetToMidi");
  static_cast<QHBoxLayout*>(toolSet->layout())->addStretch(1);
  column->addWidget(toolSet);

  setGrid_ = new TSetGrid(panel);
  setGrid_->installEventFilter(this);
  setGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(setGrid_, &TSetGrid::CellSelected, this, &TFileEcr::OnSelectItemSet);
  connect(setGrid_, &TSetGrid::CellMouseDown, this, &TFileEcr::OnSetMDown);
  connect(setGrid_, &TSetGrid::CellDoubleClick, this, &TFileEcr::OnClickPlaySet);
  column->addWidget(setGrid_, 1);

  popSet_ = new QMenu(panel);
  popSet_->setObjectName("PopSet");
  for (QAction* action : {actions_.newSet, actions_.renameSet, actions_.delSet, static_cast<QAction*>(nullptr),
                          actions_.delTuneSet, static_cast<QAction*>(nullptr), actions_.playSet}) {
    if (action) {
      popSet_->addAction(action);
    } else {
      popSet_->addSeparator();
    }
  }
  // The request comes from the cells or the header, each in its own coordinates.
  connect(setGrid_, &QWidget::customContextMenuRequested, this, [this] {
    if (curList_ && !popSet_->isEmpty()) popSet_->popup(QCursor::pos());
  });
  return panel;
}

// The filter panel: Clear and Close, then the key grid or the rhythm list by tab.
QWidget* TFileEcr::BuildFilterPanel() {
  auto* panel = new QWidget;
  panel->setObjectName("PanFilter");
  PaintBackground(panel, ColorFrame, true);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(4, 4, 4, 4);
  auto* top = new QHBoxLayout;
  top->addWidget(ActionButton(panel, actions_.clearFilter, "btnReset"));
  top->addStretch(1);
  auto* close = new QToolButton(panel);
  close->setObjectName("btnCloseFilter");
  close->setText("Close");
  connect(close, &QToolButton::clicked, this, &TFileEcr::OnCloseFilter);
  top->addWidget(close);
  column->addLayout(top);

  filterTabs_ = new QTabBar(panel);
  filterTabs_->setObjectName("TabBottom");
  filterTabs_->addTab(" Key Filter ");
  filterTabs_->addTab(" Rythme Filter ");
  filterTabs_->setDrawBase(false);
  filterTabs_->setStyleSheet(
      QString("QTabBar::tab:selected { background: %1; }").arg(WinColorToQColor(ColorFrame).name()));
  connect(filterTabs_, &QTabBar::currentChanged, this, &TFileEcr::OnChangeTab);
  column->addWidget(filterTabs_);

  panKFilter_ = ColumnPanel(panel, "PanKFilter");
  fkGrid_ = new TKeyFilterGrid(panKFilter_);
  fkGrid_->setObjectName("FKGrid");
  fkGrid_->SetImages(images_);
  PaintBackground(fkGrid_, ColorPane, true);
  connect(fkGrid_, &TKeyFilterGrid::ItemPressed, this, &TFileEcr::OnFKMouseDown);
  panKFilter_->layout()->addWidget(fkGrid_);
  column->addWidget(panKFilter_);

  panRFilter_ = ColumnPanel(panel, "PanRFilter");
  frGrid_ = new QListWidget(panRFilter_);
  frGrid_->setObjectName("FRGrid");
  frGrid_->setFlow(QListView::TopToBottom);
  frGrid_->setWrapping(true);
  frGrid_->setResizeMode(QListView::Adjust);
  frGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rows = (static_cast<int>(kRhythmRows.size()) + 1) / 2;
  frGrid_->setGridSize(QSize(fkGrid_->width() / 2 - 2, kRhythmItemHeight));
  frGrid_->setFixedSize(fkGrid_->width(), rows * kRhythmItemHeight + 2 * frGrid_->frameWidth() + 2);
  for (size_t i = 0; i < kRhythmRows.size(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(GetRhythmName(static_cast<int>(i))), frGrid_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(frGrid_, &QListWidget::itemChanged, this, &TFileEcr::OnFilterRytme);
  panRFilter_->layout()->addWidget(frGrid_);
  column->addWidget(panRFilter_);
  column->addStretch(1);
  {
    const QSignalBlocker quiet(filterTabs_);
    filterTabs_->setCurrentIndex(0);
  }
  panRFilter_->hide();
  return panel;
}

QToolButton* TFileEcr::ActionButton(QWidget* parent, QAction* action, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  if (action) {
    button->setDefaultAction(action);
    // A button bound to a hidden action is hidden with it.
    button->setVisible(action->isVisible());
    connect(action, &QAction::changed, button, [button, action] { button->setVisible(action->isVisible()); });
  } else {
    button->hide();
  }
  if (auto* row = qobject_cast<QHBoxLayout*>(parent->layout())) row->addWidget(button);
  return button;
}

// Both lists draw a view row alike; a row past the view keeps the background.
void TFileEcr::DrawTuneRow(QPainter& painter, int row, const QRect& rect, unsigned state, const QColor& background) {
  TTuneRow tune;
  if (!curList_ || !ReadTuneRow(*curList_, row, tune)) {
    painter.fillRect(rect, background);
    return;
  }
  rowPainter_.Draw(painter, rect, tune, state, curList_->ViewMode == vmSearched, images_, background);
}

void TFileEcr::ShowContextMenu(QPoint pos) {
  if (curList_ && !popListAbc_->isEmpty()) popListAbc_->popup(lstGrid_->mapToGlobal(pos));
}

TTab95Sheet* TFileEcr::ViewTab(int32_t mode) const {
  for (int i = 0; i < kViewTabs; ++i) {
    if (kViewTabRows[i].mode == mode) return viewTabs_[i];
  }
  return nullptr;
}

}  // namespace rq
