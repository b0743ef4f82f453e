// The floating "Filter" window, always on top of the main window: the tune browser
// moves its filter panel into it and shows and hides it.
#pragma once

#include <QWidget>

namespace rq {

class TDlgFltTune : public QWidget {
  Q_OBJECT

 public:
  // The key of its caption in a language file.
  static constexpr int kFormTag = 30;

  explicit TDlgFltTune(QWidget* parent = nullptr);

  void OnCreate();
};

}  // namespace rq
