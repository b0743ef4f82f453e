// Where the program's windows come: messages above the welcome box, windows and
// dialogs wholly on the screen after the window manager placed them and after they
// grow, the welcome box centred on the window, and a link that cannot open.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "app/Welcome.h"
#include "controls/ScreenFit.h"
#include "screens/DlgSchAbc.h"

namespace rq {
namespace {

class WindowPlacesTest : public test::AppFixture {
 protected:
  // The main window shown with the welcome box up, as at every start.
  TMainEcr& ShowWithWelcome() {
    TMainEcr& main = *Start(/*welcome=*/true).MainEcr();
    main.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_TRUE(QTest::qWaitFor([&main] { return main.Splash()->isVisible(); }));
    return main;
  }
  static bool Centred(const QWidget& box, const QWidget& on) {
    return (box.frameGeometry().center() - on.frameGeometry().center()).manhattanLength() <= 2;
  }
};

using test::Text;

// A message shown while the welcome box is up, from start-up or opened from the
// About command, comes above it: it stays on top itself, belongs to the box (the
// window manager keeps it above the box), is the active window, and its Yes answers.
TEST_F(WindowPlacesTest, MessagesComeAboveTheWelcomeBox) {
  TMainEcr& main = ShowWithWelcome();
  TdlgWelcome* welcome = main.Splash();
  TResLib& res = *context_->ResLib();
  struct Seen {
    bool staysOnTop = false, belongsToBox = false, active = false;
  };
  auto answerYes = [welcome](Seen& seen) {
    return [welcome, &seen](QWidget* modal) {
      seen.staysOnTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      seen.belongsToBox = modal->windowHandle() && modal->windowHandle()->transientParent() == welcome->windowHandle();
      seen.active = QTest::qWaitFor([modal] { return modal->isActiveWindow(); }, 1000);
      for (QPushButton* b : modal->findChildren<QPushButton*>()) {
        if (b->text() == "Yes") QTest::mouseClick(b, Qt::LeftButton);
      }
    };
  };
  const std::string question = "\"reels.abc\" was changed by another program. Save over it?";

  Seen atStart;
  test::ModalAnswers modals;
  modals.Then(answerYes(atStart));
  EXPECT_EQ(res.MessageDlg(question, MsgDlgType::Confirmation, mbYes | mbNo, 0), mrYes);
  EXPECT_TRUE(atStart.staysOnTop && atStart.belongsToBox && atStart.active) << "over the box shown at start";

  welcome->CloseButton()->click();
  Seen fromAbout;
  int32_t answer = 0;
  modals.Then([&](QWidget* box) {  // the welcome box, modal: a message comes while it is up
    answer = res.MessageDlg(question, MsgDlgType::Confirmation, mbYes | mbNo, 0);
    static_cast<TdlgWelcome*>(box)->CloseButton()->click();
  });
  modals.Then(answerYes(fromAbout));
  main.OnClickLogo();
  EXPECT_EQ(answer, mrYes);
  EXPECT_TRUE(fromAbout.staysOnTop && fromAbout.belongsToBox && fromAbout.active) << "over the box from About";
}

// The dialogs a user may open while the welcome box of the start is up (it waits for
// no answer) come above it too: under it their middle would be hidden, and the box's
// button cannot be pressed while they wait.
TEST_F(WindowPlacesTest, DialogsComeAboveTheWelcomeBox) {
  TMainEcr& main = ShowWithWelcome();
  TdlgWelcome* welcome = main.Splash();
  TResLib& res = *context_->ResLib();
  const struct {
    const char* what;
    std::function<void()> open;
  } cases[] = {
      {"the open dialog", [&] { res.ExecOpenDialog(&main); }},
      {"the save dialog", [&] { res.ExecSaveDialog(&main, "Save As", QString()); }},
      {"the MIDI save dialog", [&] { res.ExecSaveMidiDialog(&main, "Create Midi File", QString()); }},
      {"the folder dialog", [&] { res.ExecSelectDir(&main); }},
      {"the preferences", [&] { res.OnSetGenPref(); }},
      {"the set name prompt",
       [&] {
         OpenUserFile("sets.abc", "X:1\nT:The Kesh\nK:G\nGAG GAB|\n");
         (*context_->Actions())[ActionId::NewSet]->trigger();
       }},
  };
  for (const auto& c : cases) {
    bool staysOnTop = false, belongsToBox = false;
    test::ModalAnswers modals;
    modals.Then([&](QWidget* modal) {
      staysOnTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      belongsToBox = modal->windowHandle() && modal->windowHandle()->transientParent() == welcome->windowHandle();
      modal->close();
    });
    c.open();
    ASSERT_TRUE(welcome->isVisible()) << c.what;
    EXPECT_TRUE(staysOnTop && belongsToBox) << c.what << " under the welcome box";
  }
}

// The search dialog opened under its button at the screen's right edge fits there;
// on its signature page it grows, and moves left so that it stays whole, frame and all.
TEST_F(WindowPlacesTest, SearchDialogGrowingAtTheRightEdgeStaysOnScreen) {
  TAppContext& app = Start();
  const QRect area = AvailableAreaAt(QPoint(0, 0));
  TDlgSearchAbc& search = *app.DlgSearchAbc();
  QWidget anchor;
  anchor.setGeometry(area.right() - 40, area.top() + 100, 20, 20);
  anchor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&anchor));
  search.ShowUnder(&anchor);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&search));
  QTest::qWait(20);  // the showing is over
  const QRect before = search.frameGeometry();
  ASSERT_EQ(before.right(), area.right()) << Text(before) << " in " << Text(area);
  search.TabBottom()->setCurrentIndex(1);
  ASSERT_TRUE(QTest::qWaitFor([&search, before] { return search.frameGeometry().width() > before.width(); }))
      << "the signature page is wider than the text page";
  EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(search.frameGeometry()); }))
      << Text(search.frameGeometry()) << " in " << Text(area);
  EXPECT_EQ(search.frameGeometry().top(), before.top());
}

// A window placed partly off the screen after it showed (a window manager placing or
// framing it) is moved back whole once it is on the screen; one the user moves off
// later stays where it was put.
TEST_F(WindowPlacesTest, MainWindowFitsOnceTheWindowManagerPlacedIt) {
  const QRect area = AvailableAreaAt(QPoint(0, 0));
  Write("RQUILL20.INI", "[POSITION]\nShowCmd=1\nNormPos=0,0,640,480\n");
  TMainEcr& main = *Start().MainEcr();
  main.show();
  main.move(area.right() - 639, area.top());  // a pixel past the right edge, frame included
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(main.frameGeometry()); }))
      << Text(main.frameGeometry()) << " in " << Text(area);
  main.move(area.right() - 300, area.top());
  QTest::qWait(20);
  EXPECT_EQ(main.pos(), QPoint(area.right() - 300, area.top()));
}

// At the very first start (no settings) the window manager places the window after it
// showed: the welcome box goes along and is centred on it, also when it moves later.
TEST_F(WindowPlacesTest, WelcomeBoxOfTheFirstStartIsCentredOnTheWindow) {
  TMainEcr& main = ShowWithWelcome();
  TdlgWelcome& welcome = *main.Splash();
  main.setGeometry(140, 100, 640, 480);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Centred(welcome, main); }))
      << Text(welcome.frameGeometry()) << " on " << Text(main.frameGeometry());
  main.move(20, 30);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Centred(welcome, main); }))
      << Text(welcome.frameGeometry()) << " on " << Text(main.frameGeometry());
}

// The welcome box's link opens the note beside the program; when no program opens it,
// a message names the file and says why.
TEST_F(WindowPlacesTest, LinkThatCannotOpenSaysSo) {
  const std::string note = Path("donation.txt");
  std::string opened;
  std::string failure;
  openDocument_ = [&](const std::string& path, OpenDocumentDone done) {
    opened = path;
    done(failure);
  };
  TMainEcr& main = ShowWithWelcome();
  QLabel* link = main.Splash()->findChild<QLabel*>("htForm");
  ASSERT_NE(link, nullptr);
  const QString href = QRegularExpression("href=\"([^\"]+)\"").match(link->text()).captured(1);
  ASSERT_EQ(QUrl(href).toLocalFile().toStdString(), note);

  Write("donation.txt", "Thank you.\n");
  emit link->linkActivated(href);
  EXPECT_EQ(opened, note);
  EXPECT_TRUE(ui_.Asked.empty()) << "opened: nothing to say";

  failure = "no program on this desktop opens it";
  emit link->linkActivated(href);
  EXPECT_EQ(AskedTexts(), std::vector<std::string>{"Cannot open \"" + note + "\": no program on this desktop opens it."});
  ASSERT_FALSE(ui_.Asked.empty());
  EXPECT_EQ(ui_.Asked[0].type, MsgDlgType::Error);
}

}  // namespace
}  // namespace rq
