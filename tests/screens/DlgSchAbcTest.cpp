// The search dialog: its histories, its keys, its meter and digits, and where it opens.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QListWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "screens/DlgSchAbc.h"

namespace rq::test {
namespace {

struct RecordingTarget : ISearchTarget {
  void SearchText(const QString& text, bool matchCase) override {
    calls.push_back("text " + text.toStdString() + (matchCase ? " (case)" : ""));
  }
  void SearchAbc(const QString& notes, const QString& meter, int digits) override {
    calls.push_back("abc " + notes.toStdString() + " " + meter.toStdString() + " " + std::to_string(digits));
  }
  std::vector<std::string> calls;
};

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

// A repeat changes nothing, a new text goes first, an empty one counts, at most 20 stay.
TEST(SearchHistory, Rule) {
  QStringList history{"b", "a"};
  EXPECT_FALSE(AddToHistory(history, "a"));
  EXPECT_TRUE(AddToHistory(history, "A"));
  EXPECT_TRUE(AddToHistory(history, ""));
  EXPECT_EQ(history, QStringList({"", "A", "b", "a"}));
  for (int i = 0; i < 16; ++i) AddToHistory(history, QString::number(i));
  EXPECT_EQ(history.last(), "a");
  AddToHistory(history, "new");
  EXPECT_EQ(history.size(), 20);
  EXPECT_EQ(history.first(), "new");
  EXPECT_EQ(history.last(), "b");
}

class DlgSchAbcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  }
  void Type(QComboBox* box, const QString& text) {
    box->setEditText(text);
    QTest::keyClick(box, Qt::Key_Return);
  }
  void Click(QButtonGroup* group, const QString& caption) {
    for (QAbstractButton* b : group->buttons()) {
      if (b->text() == caption) QTest::mouseClick(b, Qt::LeftButton);
    }
  }

  RecordingTarget target;
  TDlgSearchAbc dialog{target};
};

// Enter searches the text and records it once; Esc hides the dialog.
TEST_F(DlgSchAbcTest, TextSearchAndKeys) {
  Type(dialog.CBText(), "reel");
  Type(dialog.CBText(), "jig");
  Type(dialog.CBText(), "reel");
  EXPECT_EQ(target.calls, (std::vector<std::string>{"text reel", "text jig", "text reel"}));
  EXPECT_EQ(Items(*dialog.CBText()), QStringList({"jig", "reel"}));
  EXPECT_EQ(dialog.CBText()->currentText(), "reel");
  QTest::keyClick(dialog.CBText(), Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

// Ticked, "Case sensitive" has the text searched with its case; unticked, without.
TEST_F(DlgSchAbcTest, CaseSensitiveReachesTheSearch) {
  QListWidget* list = dialog.CaseSensitive()->listWidget();
  const QRect box = list->visualItemRect(dialog.CaseSensitive());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(box.left() + 8, box.center().y()));
  ASSERT_EQ(dialog.CaseSensitive()->checkState(), Qt::Checked);
  Type(dialog.CBText(), "BRANDY");
  dialog.CaseSensitive()->setCheckState(Qt::Unchecked);
  Type(dialog.CBText(), "BRANDY");
  EXPECT_EQ(target.calls, (std::vector<std::string>{"text BRANDY (case)", "text BRANDY"}));
}

// The signature page searches with the meter and digits pressed (4/4 and 6 at
// first); a new signature also records the text field. Opening again empties the
// text field and offers the newest signature.
TEST_F(DlgSchAbcTest, SignatureSearch) {
  QTest::mouseClick(dialog.TabBottom(), Qt::LeftButton, {}, dialog.TabBottom()->tabRect(1).center());
  EXPECT_FALSE(dialog.PanSign()->isHidden());
  dialog.CBText()->setEditText("typed");
  Type(dialog.CBTextAbc(), "CDEF GABc");
  Click(dialog.MeterButtons(), "6/8");
  Click(dialog.DigitButtons(), "8");
  Type(dialog.CBTextAbc(), "DEFG");
  Type(dialog.CBTextAbc(), "DEFG");
  EXPECT_EQ(target.calls, (std::vector<std::string>{"abc CDEF GABc 4/4 6", "abc DEFG 6/8 8", "abc DEFG 6/8 8"}));
  EXPECT_EQ(Items(*dialog.CBTextAbc()), QStringList({"DEFG", "CDEF GABc"}));
  EXPECT_EQ(Items(*dialog.CBText()), QStringList({"typed"}));

  dialog.hide();
  dialog.show();
  EXPECT_EQ(dialog.CBText()->currentText(), "");
  EXPECT_EQ(dialog.CBTextAbc()->currentText(), "DEFG");
  dialog.OnDigits("x");
  EXPECT_EQ(dialog.Digits(), 6);
}

// The dialog opens one pixel below its button's bottom-left corner.
TEST_F(DlgSchAbcTest, OpensUnderItsButton) {
  QWidget window;
  auto* button = new QToolButton(&window);
  button->setGeometry(30, 40, 60, 20);
  window.resize(200, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  dialog.hide();
  dialog.ShowUnder(button);
  EXPECT_EQ(dialog.pos(), button->mapToGlobal(QPoint(0, 21)));
}

}  // namespace
}  // namespace rq::test
