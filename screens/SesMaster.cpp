#include "screens/SesMaster.h"

#include <QAbstractListModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "library/FileAbc.h"
#include "platform/Cp1252.h"

namespace rq {

// The rows of one grid: at least kGridRows, the texts read from the file at each paint.
class TSessionRows : public QAbstractListModel {
 public:
  explicit TSessionRows(std::function<QString(int)> text, QObject* parent)
      : QAbstractListModel(parent), text_(std::move(text)) {}

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return text_(index.row());
  }
  // The rows are read again: `count` texts, and white rows up to the minimum.
  void Reload(int count) {
    beginResetModel();
    rows_ = std::max(count, TSesMaster::kGridRows);
    endResetModel();
  }

 private:
  std::function<QString(int)> text_;
  int rows_ = TSesMaster::kGridRows;
};

namespace {

QWidget* Panel(QWidget* parent, const char* name) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(QString::fromLatin1(name));
  return panel;
}

QString TitleText(const TAbcFile& file, const TAbcRec* rec) {
  return rec ? QString::fromStdString(DisplayUtf8(file.TitleOfRec(rec))) : QString();
}

}  // namespace

TSesMaster::TSesMaster(QWidget* parent) : QWidget(parent) {
  setObjectName("SesMaster");
  setWindowTitle("Sessions");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QWidget* panMaster = Panel(this, "PanMaster");
  layout->addWidget(panMaster);
  auto* masterLayout = new QVBoxLayout(panMaster);
  masterLayout->setContentsMargins(0, 0, 0, 0);
  masterLayout->setSpacing(0);
  QWidget* panTool = Panel(panMaster, "PanTool");
  panTool->setFixedHeight(34);
  masterLayout->addWidget(panTool);

  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  masterLayout->addLayout(row, 1);
  masters_ = new TSessionRows([this](int r) { return MasterText(r); }, this);
  gridSes_ = MakeGrid(panMaster, "PanListSes", 212, masters_, "GridSes");
  row->addWidget(gridSes_->parentWidget());

  QWidget* panTree = Panel(panMaster, "PanTree");
  auto* treeLayout = new QHBoxLayout(panTree);
  treeLayout->setContentsMargins(0, 0, 0, 0);
  // The room before the followers' grid is 200 wide where there is room, and gives
  // way in a narrow window rather than push the grid out of sight.
  QWidget* panPrev = Panel(panTree, "PanPrev");
  panPrev->setMaximumWidth(200);
  panPrev->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  treeLayout->addWidget(panPrev, 1);
  treeLayout->addStretch(0);
  followers_ = new TSessionRows([this](int r) { return FollowerText(r); }, this);
  gridNext_ = MakeGrid(panTree, "PanNext", 207, followers_, "GridNext");
  treeLayout->addWidget(gridNext_->parentWidget());
  row->addWidget(panTree, 1);

  connect(gridSes_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnSelectGen(current.row()); });
  resize(640, 420);
}

TSesMaster::~TSesMaster() = default;

QTableView* TSesMaster::MakeGrid(QWidget* parent, const char* panelName, int panelWidth, TSessionRows* rows,
                                  const char* name) {
  // The grid stands in a panel of its own with a border of 5.
  QWidget* panel = Panel(parent, panelName);
  panel->setFixedWidth(panelWidth);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(5, 5, 5, 5);
  auto* grid = new QTableView(panel);
  layout->addWidget(grid);
  grid->setObjectName(QString::fromLatin1(name));
  grid->setModel(rows);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setWordWrap(false);
  QPalette pal = grid->palette();
  pal.setColor(QPalette::Base, Qt::white);
  grid->setPalette(pal);
  return grid;
}

void TSesMaster::OnCreate() { SetFile(nullptr); }

void TSesMaster::SetFile(TAbcFile* file) {
  file_ = file;
  Refresh();
}

void TSesMaster::Refresh() {
  {
    // The file keeps the current session; the grid shows it again after the reload.
    const QSignalBlocker block(gridSes_->selectionModel());
    masters_->Reload(file_ ? file_->Sessions.Count() : 0);
    if (file_ && file_->Sessions.CurrentSession >= 0) {
      gridSes_->setCurrentIndex(masters_->index(file_->Sessions.CurrentSession));
    }
  }
  ReloadFollowers();
}

void TSesMaster::ReloadFollowers() {
  const TSesRec* session = file_ ? file_->Sessions.Session(file_->Sessions.CurrentSession) : nullptr;
  followers_->Reload(session ? static_cast<int>(session->Followers.size()) : 0);
}

QString TSesMaster::MasterText(int row) const {
  if (!file_) return {};
  const TSesRec* session = file_->Sessions.Session(row);
  return session ? TitleText(*file_, session->Master) : QString();
}

QString TSesMaster::FollowerText(int row) const {
  if (!file_) return {};
  const TSesRec* session = file_->Sessions.Session(file_->Sessions.CurrentSession);
  if (!session || row < 0 || row >= static_cast<int>(session->Followers.size())) return {};
  return TitleText(*file_, session->Followers[static_cast<size_t>(row)]);
}

void TSesMaster::OnSelectGen(int row) {
  if (!file_) return;
  file_->Sessions.SetCurrent(row);
  gridSes_->viewport()->update();
  ReloadFollowers();
}

}  // namespace rq
