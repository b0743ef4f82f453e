// A tune of one huge line opened in the program: the window's event loop runs during
// the open, the score draws the tune's start and says so, the editor shows its
// lines cut and refuses to edit it, and closing the file lets go of its tune.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include "AppFixture.h"
#include "app/Actions.h"
#include "app/BrowserLinks.h"
#include "app/MainEcr.h"
#include "app/ResLib.h"
#include "notation/AbcParser.h"
#include "score/ScorePage.h"
#include "score/screens/ScoreEcr.h"
#include "screens/EditEcr.h"

namespace rq {
namespace {

// X:1 ... K:G, then "GABc dedB|" `bars` times on one line.
std::string LongLineTune(int bars) {
  std::string text = "X:1\nT:Long Line\nM:4/4\nL:1/8\nK:G\n";
  for (int b = 0; b < bars; ++b) text += "GABc dedB|";
  return text + "\n";
}

class LongLineTest : public test::AppFixture {
 protected:
  TAppContext& Start() {
    AppFixture::Start().MainEcr()->show();
    return *context_;
  }
  QAction* Action(ActionId id) const { return (*App().Actions())[id]; }
};

// The event loop turns while the file is opened (a timer due at once fires before
// the open ends), and the tune then shows: its start drawn with a note saying so.
TEST_F(LongLineTest, TheWindowTurnsDuringTheOpenAndDrawsTheTunesStart) {
  TAppContext& app = Start();
  Write("long.abc", LongLineTune(200000));
  bool turned = false;
  QTimer::singleShot(0, [&] { turned = true; });
  ASSERT_EQ(app.FileControl()->OpenFile(Path("long.abc")), kCtrlOk);
  EXPECT_TRUE(turned);

  TScoreEcr& score = *app.ScoreEcr();
  EXPECT_EQ(score.NameLabel()->text(), "Long Line");
  EXPECT_FALSE(score.CutLabel()->isHidden());
  EXPECT_TRUE(score.CutLabel()->text().startsWith("This tune is too long to draw whole: only its first "));
  EXPECT_LE(app.TuneParser()->ElementCount(), kShownTuneElements);
  EXPECT_FALSE(score.Page().Rows.empty());

  // A tune of ordinary size is drawn whole, without the note.
  OpenUserFile("short.abc", LongLineTune(8));
  EXPECT_TRUE(score.CutLabel()->isHidden());
}

// The editor shows each line up to its bound, says which line is cut, and an edit
// of that tune is refused with the reason (Ok would store the cut text).
TEST_F(LongLineTest, TheEditorShowsTheLineCutAndRefusesToEditIt) {
  TAppContext& app = Start();
  OpenUserFile("long.abc", LongLineTune(5000));
  TEditEcr& editor = *app.EditEcr();
  const QTextDocument& text = *editor.AbcEditor()->document();
  ASSERT_EQ(text.blockCount(), 6);
  EXPECT_EQ(text.findBlockByNumber(5).text().size(), static_cast<int>(TEditEcr::kLongestShownLine));
  EXPECT_EQ(text.findBlockByNumber(4).text(), "K:G");
  EXPECT_FALSE(editor.LabLongLine()->isHidden());
  EXPECT_EQ(editor.LabLongLine()->text().toStdString(),
            "Line 6 of this tune holds 50,000 characters, too many to show: the editor shows the first 10,000 of "
            "each line, and the tune cannot be edited here.");

  Action(ActionId::EditTune)->trigger();
  EXPECT_FALSE(App().ResLib()->EditMode);
  EXPECT_FALSE(editor.Editing());
  ASSERT_FALSE(ui_.Asked.empty());
  EXPECT_EQ(ui_.Asked.back().text, editor.LabLongLine()->text().toStdString());

  // A tune of ordinary lines shows whole and can be edited.
  OpenUserFile("short.abc", LongLineTune(8));
  EXPECT_TRUE(editor.LabLongLine()->isHidden());
  Action(ActionId::EditTune)->trigger();
  EXPECT_TRUE(editor.Editing());
  editor.BtnCancel()->click();
}

// Closing the file whose tune is shown lets go of that tune: no copy of its text stays
// behind in the screens.
TEST_F(LongLineTest, ClosingTheShownFileLetsGoOfItsTune) {
  TAppContext& app = Start();
  TAbcFile* file = OpenUserFile("long.abc", LongLineTune(5000));
  ASSERT_FALSE(app.BrowserHost()->ShownTuneText().empty());
  ASSERT_EQ(app.FileControl()->CloseFile(file), kCtrlOk);
  EXPECT_TRUE(app.BrowserHost()->ShownTuneText().empty());
  EXPECT_TRUE(app.EditEcr()->Text().isEmpty());
  EXPECT_EQ(app.TuneParser()->ElementCount(), 0u);
}

}  // namespace
}  // namespace rq
