#include <gtest/gtest.h>

#include "library/Messages.h"
#include "library/UserInterface.h"

namespace rq {
namespace {

TEST(Messages, LookUpByNumber) {
  TMessages m;
  EXPECT_EQ(m.GetMessage(-1), "!MsgER");
  EXPECT_EQ(m.GetMessage(9), "!MsgER");
  EXPECT_EQ(m.GetMessage(msgSendToTrash, 12), "Send 12 tunes to trash ?");

  // A translated text is never a format: other "%" sequences stay as they are.
  m.ListMessage[msgSendToTrash] = "%s %n %% %d/%d";
  EXPECT_EQ(m.GetMessage(msgSendToTrash, 3), "%s %n %% 3/3");
  m.ListMessage.resize(2);
  EXPECT_EQ(m.GetMessage(msgSendToTrash, 3), "!MsgER");
}

TEST(Messages, FileNameCharacters) {
  std::string title = "Reel: The Boys/Girls";
  EXPECT_FALSE(CheckNameChars(title, true));
  EXPECT_EQ(title, "Reel  The Boys Girls");

  std::string kept = "Tab\there";
  EXPECT_FALSE(CheckNameChars(kept, false));
  EXPECT_EQ(kept, "Tab\there") << "without replace the text is unchanged";

  std::string fine = "Jig 12 \xc3\xa9t\xe9";
  EXPECT_TRUE(CheckNameChars(fine, true));
  EXPECT_EQ(fine, "Jig 12 \xc3\xa9t\xe9");

  std::string empty;
  EXPECT_TRUE(CheckNameChars(empty, true));
}

TEST(UserInterface, QuitAndWarningQuestions) {
  TScriptedUserInterface ui;
  ui.Answers = {mrNo, mrYes};
  EXPECT_FALSE(ui.ConfirmQuit());
  EXPECT_TRUE(ui.ConfirmQuit());
  EXPECT_FALSE(ui.ConfirmQuit()) << "no answer left: the default, not Yes";
  ASSERT_EQ(ui.Asked.size(), 3u);
  EXPECT_EQ(ui.Asked[0].text, "Quit Reelquill ?");
  EXPECT_EQ(ui.Asked[0].type, MsgDlgType::Confirmation);
  EXPECT_EQ(ui.Asked[0].buttons, static_cast<MsgDlgButtons>(mbYes | mbNo));

  ui.ShowWarning(msgFileAlreadyOpen);
  EXPECT_EQ(ui.Asked.back().text, "File already open");
  EXPECT_EQ(ui.Asked.back().type, MsgDlgType::Warning);
  EXPECT_EQ(ui.Asked.back().buttons, static_cast<MsgDlgButtons>(mbOK));
}

}  // namespace
}  // namespace rq
