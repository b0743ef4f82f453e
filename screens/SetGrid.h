// The browser's set grid: one row per set of a file, the set's number and name first,
// then its entries in playing order, each with the tune's key, its repeat count and
// its title, under a header of column numbers. It draws and addresses cells; the
// browser decides what the user's presses, keys and drops do to the sets.
#pragma once

#include <QString>
#include <QTableView>

namespace rq {

class TAbcFile;

class TSetGrid : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kHeaderHeight = 28;
  static constexpr int kRowHeight = 16;
  static constexpr int kColWidth = 200;
  // At least this many columns; more when a set needs them, with one free column
  // after its last entry to drop onto.
  static constexpr int kMinColumns = 20;

  explicit TSetGrid(QWidget* parent = nullptr);

  // The file whose sets are shown (null: none). Reload after its sets changed.
  void SetFile(const TAbcFile* file);
  const TAbcFile* File() const { return file_; }
  // Rows and columns from the sets again (one row per set, at least one), then repaints.
  void Reload();

  // Cells are addressed as the user sees them: row 0 is the header, row r ≥ 1 shows
  // set r − 1; column 0 is the set's name, column c ≥ 1 its entry c − 1.
  int Col() const;
  int Row() const;  // 0 when no cell is current
  // Makes a cell of a set row current and shows it; the browser hears of it (CellSelected).
  void SetCurrentCell(int col, int row);
  // The cell under a point of the grid's own coordinates (the header is row 0); false
  // when the point is on no cell.
  bool CellAt(QPoint pos, int& col, int& row) const;
  // A cell's rectangle in the grid's own coordinates.
  QRect CellRect(int col, int row) const;
  // A set row's cell can be current: its name, or one of its entries.
  bool IsSetCell(int col, int row) const;
  // What a cell shows, in reading order: "Sets List" or the column number in the
  // header; "1 Sligo" for the first set's name; "D 2 The Kesh" for an entry in D
  // played twice; empty for an empty cell.
  QString CellText(int col, int row) const;

  int LeftCol() const;
  void SetLeftCol(int col);
  int TopRow() const;
  void SetTopRow(int row);
  // Scrolls a set row to the top.
  void ScrollRowToTop(int row);

 signals:
  // A cell became current, by the user or by code.
  void CellSelected(int col, int row);
  // A mouse press on the grid, after the press made its cell current.
  void CellMouseDown(Qt::MouseButton button, QPoint pos);
  void CellDoubleClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  class Model;
  class Header;
  class CellPainter;

  void PaintCell(QPainter& painter, const QRect& rect, int col, int row, bool selected) const;
  void PaintNameCell(QPainter& painter, const QRect& rect, int set, bool selected) const;
  void PaintEntryCell(QPainter& painter, const QRect& rect, int set, int entry, bool selected) const;

  const TAbcFile* file_ = nullptr;
  Model* model_ = nullptr;
};

}  // namespace rq
