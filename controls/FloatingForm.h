// The small tool window that hosts a torn-off sheet; closing it docks the sheet back.
#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace rq {

class TTab95Sheet;

class TFloatingForm : public QWidget {
  Q_OBJECT

 public:
  // A tool window; with an owner window it stays above that window.
  explicit TFloatingForm(QWidget* owner);

  TTab95Sheet* Sheet() const { return sheet_; }
  // Hosts sheet over the whole client area.
  void SetSheet(TTab95Sheet* sheet);

 protected:
  // Docks the sheet back and frees the window.
  void closeEvent(QCloseEvent* event) override;

 private:
  QPointer<TTab95Sheet> sheet_;
  QVBoxLayout* layout_;
};

}  // namespace rq
