// The print list screen: the tunes waiting to be printed, a tick box and a title per
// row. Ticks choose the tunes, a drag inside the list reorders them, tunes dragged
// from a tune list are added, the current one is removed; the tool row prints the
// list, empties it, previews it and chooses between all tunes and the ticked ones.
#pragma once

#include <QAbstractScrollArea>
#include <QObject>
#include <QPointer>
#include <cstdint>

class QAction;
class QToolButton;

namespace rq {

class TAbcFile;
class TAbcPrint;
class TDragControl;
class TImageList;

// What the screen needs of the open-files controller.
class IPrintListHost {
 public:
  virtual ~IPrintListHost() = default;
  virtual TAbcPrint* PrintList() const = 0;
  // The file tunes are being dragged from (a tune list); null when none are.
  virtual TAbcFile* DragFile() const = 0;
  // Ends that drag on the print list: the tunes are appended, ticked.
  virtual void DropTunes() = 0;
  // A drag inside the print list begins: no tune-list drag is under way.
  virtual void ClearDrag() = 0;
};

struct PrintListActions {
  QAction* printAll = nullptr;      // print the list
  QAction* clear = nullptr;         // empty it
  QAction* remove = nullptr;        // remove the current tune
  QAction* preview = nullptr;       // preview it
  QAction* tickedOnly = nullptr;    // down: print the ticked tunes only
};

// The list itself: a tick column 18 pixels wide and a title column, one row per tune
// (one blank row when the list is empty); the current row's title on blue.
class TPrintListGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kTickWidth = 18;
  static constexpr QRgb kCurrentColour = 0xFF6DA7E7;  // $E7A76D

  explicit TPrintListGrid(QWidget* parent = nullptr);

  void SetList(TAbcFile* list);
  // The check boxes: image 0 empty, image 1 ticked.
  void SetImages(const TImageList* images);
  // Rows of the list (at least one is shown).
  int32_t Count() const;
  int32_t CurrentRow() const { return current_; }
  void SetCurrentRow(int32_t row);
  int RowHeight() const { return rowHeight_; }
  // The tune row under a point of the viewport; -1 below the last tune or outside.
  int32_t RowAt(const QPoint& pos) const;
  // The list's rows changed: the scroll range and the current row follow.
  void Refresh();

 signals:
  // A click in the tick column ticked or unticked a tune.
  void TickToggled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int VisibleRows() const;
  void ScrollTo(int32_t row);

  TAbcFile* list_ = nullptr;
  const TImageList* images_ = nullptr;
  int32_t current_ = 0;
  int rowHeight_ = 15;
};

class TPrintListEcr : public QObject {
  Q_OBJECT

 public:
  explicit TPrintListEcr(IPrintListHost& host, QObject* parent = nullptr);
  // Frees the screen's panel wherever it lives.
  ~TPrintListEcr() override;

  void SetActions(const PrintListActions& actions);
  void SetImages(const TImageList* images) { grid_->SetImages(images); }
  // Moves the screen into `host`; the list is the drag controller's source of drags
  // inside it and a target of tune drops.
  void OnCreate(QWidget* host, TDragControl* drag);

  // Removes the tune at the current row; nothing on an empty list.
  void DeleteCurrent();
  // The print list changed: rows and repaint.
  void Refresh();
  // True: printing and the preview take every tune; false: the ticked ones only.
  bool PrintSelOnly() const { return printSelOnly_; }

  QWidget* PanPrint() const { return panPrint_; }
  TPrintListGrid* Grid() const { return grid_; }
  QToolButton* PrintSelButton() const { return btnPrintSel_; }

 signals:
  // The tunes the list holds, their order, their ticks or the choice between all
  // and ticked tunes changed: what a preview shows is out of date.
  void Changed();

 private:
  void Build();
  bool StartDrag(const QPoint& pressPos);
  bool DragOver(const QPoint& pos) const;
  void Drop(const QPoint& pos);
  // Moves the tune at `from` to `to`, the tunes between shifting by one.
  void MoveTune(int32_t from, int32_t to);

  IPrintListHost& host_;
  QPointer<QWidget> panPrint_;
  TPrintListGrid* grid_ = nullptr;
  QToolButton* btnPrintAll_ = nullptr;
  QToolButton* btnReset_ = nullptr;
  QToolButton* btnDelete_ = nullptr;
  QToolButton* btnPreview_ = nullptr;
  QToolButton* btnPrintSel_ = nullptr;
  bool printSelOnly_ = true;
  int32_t dragRow_ = -1;
  bool dragInside_ = false;
};

}  // namespace rq
