// Drag and drop inside the program, driven by plain mouse events: a press on a
// source, a move of 3 pixels or more starts the drag, the widget under the pointer
// says whether it accepts, and the release drops there. Nothing leaves the process,
// and tests script a drag with ordinary mouse events.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace rq {

class TDragControl : public QObject {
  Q_OBJECT

 public:
  // A move this far from the press point, in either direction, starts a drag.
  static constexpr int kDragThreshold = 3;

  // Asked when the pointer has moved far enough, with the press point in the source's
  // coordinates: true starts the drag, false lets the press go on as a click.
  using StartFn = std::function<bool(const QPoint& pressPos)>;
  // Asked on every move over a target, with the pointer in the target's coordinates.
  using OverFn = std::function<bool(const QPoint& pos)>;
  // The drop, with the pointer in the target's coordinates; only after OverFn accepted there.
  using DropFn = std::function<void(const QPoint& pos)>;

  explicit TDragControl(QObject* parent = nullptr);
  ~TDragControl() override;

  // Watches the left-button presses of a widget. A widget is forgotten when destroyed.
  void AddSource(QWidget* source, StartFn start);
  // A widget that may receive drops; a disabled or hidden target accepts nothing.
  void AddTarget(QWidget* target, OverFn over, DropFn drop);

  bool Dragging() const { return dragging_; }
  QWidget* Source() const { return source_; }
  // The target under the pointer that accepts the drag there, or null.
  QWidget* AcceptingTarget() const { return accepting_; }
  // Ends a drag without dropping (also the Escape key).
  void Cancel();

 signals:
  void DragStarted(QWidget* source);
  // The drag is over: `dropped` is true when a target took the drop.
  void DragEnded(bool dropped);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class EscapeWatcher;
  struct SourceEntry {
    QPointer<QWidget> widget;
    StartFn start;
  };
  struct TargetEntry {
    QPointer<QWidget> widget;
    OverFn over;
    DropFn drop;
  };

  void Press(QWidget* source, const QPoint& pos);
  void Move(const QPoint& globalPos);
  void Release(const QPoint& globalPos);
  // Ends the drag and says so.
  void Finish(bool dropped);
  // Puts the cursor back and forgets the drag, without a word.
  void EndDrag();
  // The registered target at a point of the screen (the innermost when they nest), or null.
  const TargetEntry* TargetAt(const QPoint& globalPos) const;
  const SourceEntry* SourceOf(const QObject* widget) const;
  void ShowCursor(bool accepted);

  std::unique_ptr<EscapeWatcher> escape_;
  std::vector<SourceEntry> sources_;
  std::vector<TargetEntry> targets_;
  QPointer<QWidget> source_;
  QPointer<QWidget> accepting_;
  QPoint pressPos_;
  bool pressed_ = false;
  bool dragging_ = false;
  bool cursorSet_ = false;
};

}  // namespace rq
