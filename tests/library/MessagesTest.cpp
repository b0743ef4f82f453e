#include <gtest/gtest.h>

#include "library/Messages.h"

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

// Characters a file name cannot hold are reported, and blanked only when asked.
TEST(Messages, FileNameCharacters) {
  const struct {
    std::string text;
    bool replace;
    bool fine;
    std::string after;
  } cases[] = {
      {"Reel: The Boys/Girls", true, false, "Reel  The Boys Girls"},
      {"Tab\there", false, false, "Tab\there"},
      {"Jig 12 \xc3\xa9t\xe9", true, true, "Jig 12 \xc3\xa9t\xe9"},
      {"", true, true, ""},
  };
  for (auto c : cases) {
    EXPECT_EQ(CheckNameChars(c.text, c.replace), c.fine) << c.after;
    EXPECT_EQ(c.text, c.after);
  }
}

}  // namespace
}  // namespace rq
