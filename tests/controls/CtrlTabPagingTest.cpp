// Ctrl+Tab with two page controls in one window: each press pages exactly one of them.
#include <QLineEdit>
#include <utility>

#include "ControlTestHelpers.h"

namespace rq::test {
namespace {

// A window with two page controls of four sheets each and a line edit beside them.
class CtrlTabPaging : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    for (int c = 0; c < 2; ++c) {
      pc[c] = new TPage95Control;
      layout->addWidget(pc[c]);
      for (int i = 0; i < 4; ++i) (new TTab95Sheet)->SetPageControl(pc[c]);
      QObject::connect(pc[c], &TCustomTab95Control::OnChange, [this, c] { ++changes[c]; });
    }
    outside = new QLineEdit;
    layout->addWidget(outside);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Ctrl+Tab (or Ctrl+Shift+Tab) where the keyboard focus is.
  static void Press(bool forward) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    if (forward) {
      QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
    } else {
      QTest::keyClick(focus, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    }
  }
  std::pair<int, int> Pages() const { return {pc[0]->TabIndex(), pc[1]->TabIndex()}; }
  std::pair<int, int> Changes() const { return {changes[0], changes[1]}; }

  std::unique_ptr<QWidget> window;
  TPage95Control* pc[2] = {};
  QLineEdit* outside = nullptr;
  int changes[2] = {};
};

// Focus inside a control's page or on its tab row pages that control alone, even when
// the other one is the window's default.
TEST_F(CtrlTabPaging, TheControlHoldingTheFocusPages) {
  pc[0]->SetDefaultForCtrlTab(true);
  auto* inPage = new QLineEdit(pc[1]->Pages(0));
  inPage->show();
  inPage->setFocus();
  Press(true);
  EXPECT_EQ(Pages(), std::make_pair(0, 1));

  pc[0]->tabBar()->setFocus();
  Press(true);
  Press(true);
  Press(false);
  EXPECT_EQ(Pages(), std::make_pair(1, 1));
  EXPECT_EQ(Changes(), std::make_pair(3, 1));
}

// With the focus in neither control, every press pages the default one, else the
// first; a hidden or disabled control is passed over. Presses never alternate.
TEST_F(CtrlTabPaging, OtherwiseTheDefaultOrTheFirst) {
  struct Case {
    const char* what;
    int defaultControl;  // −1: none marked
    int disabled, hidden;  // −1: none
    int expected;
  };
  for (const Case c : {Case{"the default", 1, -1, -1, 1}, Case{"no default: the first", -1, -1, -1, 0},
                       Case{"the first disabled", -1, 0, -1, 1}, Case{"the default hidden", 1, -1, 1, 0}}) {
    for (int i = 0; i < 2; ++i) {
      pc[i]->SetTabIndex(0);
      pc[i]->SetDefaultForCtrlTab(i == c.defaultControl);
      pc[i]->setEnabled(i != c.disabled);
      pc[i]->setVisible(i != c.hidden);
      changes[i] = 0;
    }
    outside->setFocus();
    for (int press = 0; press < 3; ++press) Press(true);
    const int other = 1 - c.expected;
    EXPECT_EQ(pc[c.expected]->TabIndex(), 3) << c.what;
    EXPECT_EQ(pc[other]->TabIndex(), 0) << c.what;
    EXPECT_EQ(changes[c.expected], 3) << c.what;
    EXPECT_EQ(changes[other], 0) << c.what;
  }
}

}  // namespace
}  // namespace rq::test
