// Mouse events sent straight to widgets, and a shown page control with lettered sheets.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/Page95Control.h"

namespace rq::test {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint pos) { SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton); }
inline void Drag(QWidget* w, QPoint pos) { SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton); }
inline void Hover(QWidget* w, QPoint pos) { SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton); }
inline void Release(QWidget* w, QPoint pos) { SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton); }
inline void Leave(QWidget* w) { QEvent leave(QEvent::Leave); QApplication::sendEvent(w, &leave); }

// A window holding a page control whose sheets are captioned "A", "B", ...
class PageFixture : public ::testing::Test {
 protected:
  void Build(int sheets) {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    pc = new TPage95Control;
    layout->addWidget(pc);
    for (int i = 0; i < sheets; ++i) {
      auto* sheet = new TTab95Sheet;
      sheet->SetCaption(QString(QChar('A' + i)) + QStringLiteral("    "));
      sheet->SetPageControl(pc);
    }
    window->resize(400, 200);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(pc, &TCustomTab95Control::OnChange, [this] { ++changes; });
    QObject::connect(pc, &TCustomTab95Control::OnTabShift, [this] { ++shifts; });
    QObject::connect(pc, &TCustomTab95Control::OnTabTrack, [this](int tab) { tracked.push_back(tab); });
  }

  QTabBar* bar() const { return pc->tabBar(); }
  QPoint TabCenter(int index) const { return bar()->tabRect(index).center(); }
  void Click(int index) { Press(bar(), TabCenter(index)); Release(bar(), TabCenter(index)); }
  // The captions' letters in page order.
  QString Order() const {
    QString s;
    for (int i = 0; i < pc->PageCount(); ++i) s += pc->Pages(i)->Caption().trimmed();
    return s;
  }

  std::unique_ptr<QWidget> window;
  TPage95Control* pc = nullptr;
  int changes = 0;
  int shifts = 0;
  std::vector<int> tracked;
};

}  // namespace rq::test
