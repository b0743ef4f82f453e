#include "screens/SetGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

#include "library/FileAbc.h"
#include "notation/AbcDef.h"
#include "platform/Cp1252.h"
#include "platform/WinColor.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int kTextX = 3;  // header texts and the name cell's row number
constexpr int kTextY = 1;
constexpr int kNameX = 25;
constexpr int kKeyBoxRight = 40;
constexpr int kKeyTextX = 2;
constexpr int kRepeatBoxLeft = 41;
constexpr int kRepeatBoxRight = 53;
constexpr int kRepeatTextX = 43;
constexpr int kTitleX = 55;
constexpr int kFontPixels = 11;

const QColor kSelectedFocused(0x6D, 0xA7, 0xE7);  // $E7A76D
const QColor kFramePen(0x80, 0x80, 0x80);
const QColor kShownTuneBack(0xFF, 0xFF, 0x00);  // $00FFFF
const QColor kShownTuneText(0x00, 0x00, 0xFF);  // $FF0000
const QColor kRepeatBox(0xC0, 0xC0, 0xC0);
const char* const kCornerText = "Sets List";

QString FromBytes(std::string_view bytes) { return QString::fromStdString(DisplayUtf8(bytes)); }

QString KeyText(const TAbcRec& rec) {
  const size_t key = rec.GetKeyIndex();
  if (key == 0 || key >= KeyNames.size()) return {};
  return QString::fromLatin1(KeyNames[key].data(), static_cast<qsizetype>(KeyNames[key].size())).trimmed();
}

// A count below 1 (read from a file) plays once and shows as 1.
int ShownRepeat(int repeat) { return std::max(repeat, 1); }

// A filled box with a 1-pixel frame inside its rectangle.
void FramedBox(QPainter& p, const QRect& rect, const QColor& fill, const QColor& frame) {
  p.fillRect(rect, fill);
  p.setPen(frame);
  p.drawRect(rect.adjusted(0, 0, -1, -1));
}

void Text(QPainter& p, const QRect& clip, int x, int y, const QString& text) {
  p.drawText(QRect(QPoint(x, y), clip.bottomRight()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

// The sets as rows and entries as columns; only a set's name and entries can be current.
class TSetGrid::Model : public QAbstractTableModel {
 public:
  explicit Model(TSetGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

  void Reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    if (parent.isValid()) return 0;
    return std::max(1, grid_.file_ ? grid_.file_->Sets.Count() : 0);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    if (parent.isValid()) return 0;
    if (!grid_.file_) return kMinColumns;
    int longest = 0;
    for (int32_t s = 0; s < grid_.file_->Sets.Count(); ++s) longest = std::max(longest, grid_.file_->Sets.TuneCount(s));
    return std::max(kMinColumns, longest + 2);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return grid_.CellText(index.column(), index.row() + 1);
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return grid_.CellText(section, 0);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid() || !grid_.IsSetCell(index.column(), index.row() + 1)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  }

 private:
  const TSetGrid& grid_;
};

// Row 0: "Sets List" in the corner and the column numbers, on the frame colour.
class TSetGrid::Header : public QHeaderView {
 public:
  explicit Header(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

 protected:
  void paintSection(QPainter* p, const QRect& rect, int section) const override {
    p->save();
    p->fillRect(rect, WinColorToQColor(ColorFrame));
    p->setPen(kFramePen);
    p->drawLine(rect.topRight(), rect.bottomRight());
    p->drawLine(rect.bottomLeft(), rect.bottomRight());
    p->setPen(Qt::black);
    Text(*p, rect, rect.left() + kTextX, rect.top() + kTextY, model()->headerData(section, Qt::Horizontal).toString());
    p->restore();
  }
};

// Every cell is drawn by the grid itself.
class TSetGrid::CellPainter : public QStyledItemDelegate {
 public:
  explicit CellPainter(TSetGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    p->save();
    p->setClipRect(option.rect);
    grid_.PaintCell(*p, option.rect, index.column(), index.row() + 1, index == grid_.currentIndex());
    p->restore();
  }

 private:
  TSetGrid& grid_;
};

TSetGrid::TSetGrid(QWidget* parent) : QTableView(parent) {
  setObjectName("drwGridSet");
  QFont small = font();
  small.setPixelSize(kFontPixels);
  setFont(small);
  model_ = new Model(*this);
  setModel(model_);
  setItemDelegate(new CellPainter(*this));
  auto* header = new Header(this);
  setHorizontalHeader(header);
  header->setFont(small);
  header->setFixedHeight(kHeaderHeight);
  header->setDefaultSectionSize(kColWidth);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(kRowHeight);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setShowGrid(true);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  PaintBackground(this, ColorPane, true);
}

void TSetGrid::SetFile(const TAbcFile* file) {
  if (file == file_) {
    Reload();
    return;
  }
  // Another file's sets: no cell of the last file's stays current.
  file_ = file;
  const QSignalBlocker quiet(this);
  model_->Reset();
  selectionModel()->clearCurrentIndex();
  viewport()->update();
}

// A reset forgets the current cell and the widths the user gave the columns: both are
// put back, as far as the new counts allow, without the browser hearing of it.
void TSetGrid::Reload() {
  const int col = Col();
  const int row = Row();
  QHeaderView* header = horizontalHeader();
  std::vector<int> widths;
  for (int c = 0; c < header->count(); ++c) widths.push_back(header->sectionSize(c));
  {
    const QSignalBlocker quiet(this);
    model_->Reset();
    for (int c = 0; c < header->count() && c < static_cast<int>(widths.size()); ++c) header->resizeSection(c, widths[c]);
    if (row >= 1) {
      const QModelIndex cell = model_->index(std::min(row, model_->rowCount()) - 1, std::min(col, model_->columnCount() - 1));
      selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    }
  }
  viewport()->update();
}

int TSetGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }
int TSetGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }

void TSetGrid::SetCurrentCell(int col, int row) {
  const QModelIndex cell = model_->index(row - 1, col);
  if (!cell.isValid()) return;
  selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
  viewport()->update();
}

bool TSetGrid::CellAt(QPoint pos, int& col, int& row) const {
  col = row = -1;
  const QPoint inViewport = viewport()->mapFrom(this, pos);
  col = columnAt(inViewport.x());
  if (col < 0) return false;
  if (horizontalHeader()->geometry().contains(pos)) {
    row = 0;
    return true;
  }
  const int r = rowAt(inViewport.y());
  if (r < 0 || !viewport()->rect().contains(inViewport)) {
    col = -1;
    return false;
  }
  row = r + 1;
  return true;
}

QRect TSetGrid::CellRect(int col, int row) const {
  if (row == 0) {
    const QHeaderView* header = horizontalHeader();
    return QRect(header->sectionViewportPosition(col), 0, header->sectionSize(col), header->height())
        .translated(header->geometry().topLeft());
  }
  return visualRect(model_->index(row - 1, col)).translated(viewport()->geometry().topLeft());
}

bool TSetGrid::IsSetCell(int col, int row) const {
  if (!file_ || row < 1 || row > file_->Sets.Count() || col < 0) return false;
  return col <= file_->Sets.TuneCount(row - 1);
}

QString TSetGrid::CellText(int col, int row) const {
  if (row == 0) return col == 0 ? QString::fromLatin1(kCornerText) : QString::number(col);
  if (!IsSetCell(col, row)) return {};
  const int set = row - 1;
  if (col == 0) return QString::number(row) + ' ' + FromBytes(file_->Sets.GetName(set));
  const TAbcRec* rec = file_->Sets.GetTune(set, col - 1);
  QStringList parts;
  const QString key = KeyText(*rec);
  if (!key.isEmpty()) parts << key;
  parts << QString::number(ShownRepeat(file_->Sets.GetRepeat(set, col - 1))) << FromBytes(file_->TitleOfRec(rec));
  return parts.join(' ');
}

void TSetGrid::PaintCell(QPainter& p, const QRect& rect, int col, int row, bool selected) const {
  const QColor background = palette().color(QPalette::Base);
  if (!IsSetCell(col, row)) {
    p.fillRect(rect, background);
  } else if (col == 0) {
    PaintNameCell(p, rect, row - 1, selected);
  } else {
    PaintEntryCell(p, rect, row - 1, col - 1, selected);
  }
}

void TSetGrid::PaintNameCell(QPainter& p, const QRect& rect, int set, bool selected) const {
  p.fillRect(rect, selected ? kSelectedFocused : WinColorToQColor(ColorRhythmCell));
  p.setPen(Qt::black);
  Text(p, rect, rect.left() + kNameX, rect.top() + kTextY, FromBytes(file_->Sets.GetName(set)));
  Text(p, rect, rect.left() + kTextX, rect.top() + kTextY, QString::number(set + 1));
}

// The title in the selection's colours, or in yellow and blue when the entry is the
// file's current tune; then the key box and the repeat box over the cell's left part.
void TSetGrid::PaintEntryCell(QPainter& p, const QRect& rect, int set, int entry, bool selected) const {
  const TAbcRec* rec = file_->Sets.GetTune(set, entry);
  QColor back = palette().color(QPalette::Base);
  QColor text = Qt::black;
  if (selected && hasFocus()) {
    back = kSelectedFocused;
  } else if (selected) {
    text = Qt::red;
  } else if (file_->CurrentRec && file_->CurrentRec->Seq == rec->Seq) {
    back = kShownTuneBack;
    text = kShownTuneText;
  }
  p.fillRect(rect, back);
  p.setPen(text);
  const int x = rect.left();
  const int y = rect.top();
  Text(p, rect, x + kTitleX, y + kTextY, FromBytes(file_->TitleOfRec(rec)));

  FramedBox(p, QRect(QPoint(x, y), QPoint(x + kKeyBoxRight - 1, rect.bottom())), WinColorToQColor(ColorKeyCell), kFramePen);
  p.setPen(Qt::black);
  Text(p, rect, x + kKeyTextX, y + kTextY, KeyText(*rec));
  FramedBox(p, QRect(QPoint(x + kRepeatBoxLeft, y), QPoint(x + kRepeatBoxRight - 1, rect.bottom())), kRepeatBox, kFramePen);
  p.setPen(Qt::black);
  Text(p, rect, x + kRepeatTextX, y + kTextY, QString::number(ShownRepeat(file_->Sets.GetRepeat(set, entry))));
}

int TSetGrid::LeftCol() const { return std::max(0, columnAt(0)); }

void TSetGrid::SetLeftCol(int col) {
  if (col >= 0 && col < model_->columnCount()) horizontalScrollBar()->setValue(col);
}

int TSetGrid::TopRow() const { return std::max(0, rowAt(0)) + 1; }

void TSetGrid::SetTopRow(int row) {
  if (row >= 1 && row <= model_->rowCount()) verticalScrollBar()->setValue(row - 1);
}

void TSetGrid::ScrollRowToTop(int row) {
  scrollTo(model_->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void TSetGrid::mousePressEvent(QMouseEvent* event) {
  // Only the left button moves the current cell; the right one opens the menu.
  if (event->button() == Qt::LeftButton) QTableView::mousePressEvent(event);
  emit CellMouseDown(event->button(), viewport()->mapTo(this, event->position().toPoint()));
}

void TSetGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit CellDoubleClick();
}

void TSetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  viewport()->update();
  if (current.isValid() && !signalsBlocked()) emit CellSelected(current.column(), current.row() + 1);
}

}  // namespace rq
