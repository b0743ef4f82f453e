// The session screen: the sessions of a file, each named by its master tune, and
// beside them the tunes that follow the master of the session picked.
#pragma once

#include <QWidget>

class QTableView;

namespace rq {

class TAbcFile;
class TSessionRows;

class TSesMaster : public QWidget {
  Q_OBJECT

 public:
  // Rows each grid shows at least, and their size.
  static constexpr int kGridRows = 200;
  static constexpr int kRowHeight = 17;
  static constexpr int kColumnWidth = 200;

  explicit TSesMaster(QWidget* parent = nullptr);
  ~TSesMaster() override;

  void OnCreate();
  // Shows the sessions of a file (none: empty grids). The file must outlive its
  // showing: its holder calls SetFile(nullptr) before it closes.
  void SetFile(TAbcFile* file);
  TAbcFile* File() const { return file_; }
  // The file's sessions changed: both grids show them again.
  void Refresh();

  QTableView* GridSes() const { return gridSes_; }
  QTableView* GridNext() const { return gridNext_; }
  // The texts the grids show at a row (empty for a white row).
  QString MasterText(int row) const;
  QString FollowerText(int row) const;

 private:
  // A row picked in the sessions' grid: its session becomes the current one.
  void OnSelectGen(int row);
  void ReloadFollowers();
  QTableView* MakeGrid(QWidget* parent, const char* panelName, int panelWidth, TSessionRows* rows,
                       const char* name);

  TAbcFile* file_ = nullptr;
  QTableView* gridSes_ = nullptr;
  QTableView* gridNext_ = nullptr;
  TSessionRows* masters_ = nullptr;
  TSessionRows* followers_ = nullptr;
};

}  // namespace rq
