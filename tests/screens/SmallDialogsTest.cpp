// The session screen and the one-line prompt.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <string>

#include "library/FileAbc.h"
#include "screens/DlgString.h"
#include "screens/SesMaster.h"

namespace rq {
namespace {

std::string Tune(int x, const std::string& title) { return "X:" + std::to_string(x) + "\nT:" + title + "\nK:D\nABcd|\n"; }

// Seven tunes in file order; the session is led by the 4th with the 2nd and 7th after it.
std::unique_ptr<TAbcFile> SessionFile() {
  std::string bytes = "%%BSET%\n%%DMSS%4,2,7\n%%DMSS%1\n%%ESET%\n";
  const char* titles[] = {"Kesh", "Banish Misfortune", "Cooley's", "Morrison's", "Tarbolton", "Sí Bheag", "Drowsy Maggie"};
  for (int i = 0; i < 7; ++i) bytes += Tune(i + 1, titles[i]) + "\n";
  auto file = TAbcFile::CreateNew("sessions", nullptr);
  file->LoadFromBytes(bytes);
  return file;
}

std::vector<QString> Column(const TSesMaster& screen, bool followers, int rows) {
  std::vector<QString> texts;
  for (int r = 0; r < rows; ++r) texts.push_back(followers ? screen.FollowerText(r) : screen.MasterText(r));
  return texts;
}

// Each session is named by its master; picking one shows the tunes that follow it;
// a row below the last session leaves no session current and the followers white.
TEST(SesMasterTest, MastersAndFollowers) {
  TSesMaster screen;
  screen.OnCreate();
  const auto file = SessionFile();
  screen.SetFile(file.get());
  EXPECT_EQ(Column(screen, false, 3), (std::vector<QString>{"Morrison's", "Kesh", ""}));
  EXPECT_EQ(screen.FollowerText(0), "") << "no session picked yet";

  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  QTableView* grid = screen.GridSes();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
  EXPECT_EQ(file->Sessions.CurrentSession, 0);
  EXPECT_EQ(Column(screen, true, 3), (std::vector<QString>{"Banish Misfortune", "Drowsy Maggie", ""}));

  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(5, 0)).center());
  EXPECT_EQ(file->Sessions.CurrentSession, -1);
  EXPECT_EQ(Column(screen, true, 2), (std::vector<QString>{"", ""}));

  const auto plain = TAbcFile::CreateNew("plain", nullptr);
  plain->LoadFromBytes(Tune(1, "Kesh"));
  screen.SetFile(plain.get());
  EXPECT_EQ(Column(screen, false, 2), (std::vector<QString>{"", ""}));
  screen.SetFile(nullptr);
  EXPECT_EQ(screen.MasterText(0), "");
}

// Enter gives 1 with the typed text, Escape 2 (the Ok and Cancel buttons are
// answered in the program's set-name prompts).
TEST(DlgStringTest, OkEnterAndCancel) {
  struct Case {
    const char* what;
    std::function<void(TDlgString&)> answer;
    int result;
  };
  const Case cases[] = {
      {"Enter", [](TDlgString& d) { QTest::keyClick(d.EDString(), Qt::Key_Return); }, TDlgString::kOk},
      {"Escape", [](TDlgString& d) { QTest::keyClick(d.EDString(), Qt::Key_Escape); }, TDlgString::kCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDlgString dialog;
    dialog.OnCreate();
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.EDString()->setFocus();
    dialog.EDString()->selectAll();
    QTest::keyClicks(dialog.EDString(), "Reels in E");
    c.answer(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), c.result);
    EXPECT_EQ(dialog.EDString()->text(), "Reels in E");
  }
}

}  // namespace
}  // namespace rq
