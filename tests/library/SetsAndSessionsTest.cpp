// Sets and sessions as the set block at the top of a file stores them, the tune-start
// rule that bounds the block, and what removing or replacing a tune does to them.
#include <gtest/gtest.h>

#include <string>

#include "LibraryTestHelpers.h"
#include "library/AbcFileFormat.h"
#include "library/AbcSession.h"
#include "library/AbcSet.h"

namespace rq {
namespace {

using test::Tunes;

// The text of a file: block lines, then tunes X:1..X:n.
TLines FileLines(TLines top, int tuneCount) {
  for (int i = 1; i <= tuneCount; ++i) {
    top.push_back("X:" + std::to_string(i));
    top.push_back("T:Tune " + std::to_string(i));
    top.push_back("K:D");
    top.push_back("abc|");
  }
  return top;
}

struct Loaded {
  explicit Loaded(const TLines& lines, int tunes) : tunes(tunes) {
    sets.LoadFromLines(lines, this->tunes.Finder());
    sessions.LoadFromLines(lines, this->tunes.Finder());
  }
  Tunes tunes;
  TLstSet sets;
  TLstSession sessions;
};

TEST(AbcFileFormat, SetBlockFoundOnlyAtTheTopAndAboveTheFirstTune) {
  struct Case {
    const char* what;
    TLines lines;
    bool found;
  };
  const Case cases[] = {
      {"first line", {"%%BSET%", "%%ESET%", "X:1"}, true},
      {"fourth line", {"%", "%", "%", "%%BSET%", "%%ESET%"}, true},
      {"fifth line", {"%", "%", "%", "%", "%%BSET%", "%%ESET%"}, false},
      {"fourth line below the readable-start line",
       {std::string(kReadableStartLine), "%", "%", "%", "%%BSET%", "%%ESET%"},
       true},
      {"fifth line below a readable-start line lower down",
       {"%", std::string(kReadableStartLine), "%", "%", "%%BSET%", "%%ESET%"},
       false},
      {"close before open", {"%%ESET%", "%%BSET%", "%%ESET%"}, false},
      {"never closed", {"%%BSET%", "%%DSET%A"}, false},
      {"not whole line", {"%%BSET% ", "%%ESET%"}, false},
      {"closes below the first tune", {"%%BSET%", "%%DSET%A,1", "X:1", "T:a", "%%ESET%"}, false},
      {"closes below an indented tune start", {"%%BSET%", " X:1", "%%ESET%"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindSetBlock(c.lines).has_value(), c.found) << c.what;
  }
}

TEST(AbcFileFormat, TuneStartIsXColonAtColumnOneOrTwo) {
  for (const char* yes : {"X:1", " X:1", "%X:1"}) EXPECT_TRUE(IsTuneStart(yes)) << yes;
  for (const char* no : {"  X:1", "x:1", "", "T:X: marks"}) EXPECT_FALSE(IsTuneStart(no)) << no;
}

TEST(Sets, ReadFromTheBlock) {
  const TLines lines = FileLines({"%%BSET%", "%%DSET%Sligo,3,1:2", "%%DSET%Empty", "%%ESET%"}, 3);
  Loaded f(lines, 3);
  ASSERT_EQ(f.sets.Count(), 2);
  EXPECT_EQ(f.sets.CurrentSet, 0);
  EXPECT_EQ(f.sets.GetName(0), "Sligo");
  ASSERT_EQ(f.sets.TuneCount(0), 2);
  EXPECT_EQ(f.sets.GetTune(0, 0), f.tunes[3]);
  EXPECT_EQ(f.sets.GetRepeat(0, 0), 1);
  EXPECT_EQ(f.sets.GetTune(0, 1), f.tunes[1]);
  EXPECT_EQ(f.sets.GetRepeat(0, 1), 2);
  EXPECT_EQ(f.sets.GetName(1), "Empty");
  EXPECT_EQ(f.sets.TuneCount(1), 0);
}

TEST(Sets, BadEntriesAreDroppedAndBadCountsReadAsZero) {
  // Unknown place 9, not-a-number "x", empty pieces; "2:x" keeps the tune with count 0.
  const TLines lines = FileLines({"%%BSET%", "%%DSET%A,9,x,,2:x,1,", "%%ESET%"}, 3);
  Loaded f(lines, 3);
  ASSERT_EQ(f.sets.TuneCount(0), 2);
  EXPECT_EQ(f.sets.GetTune(0, 0), f.tunes[2]);
  EXPECT_EQ(f.sets.GetRepeat(0, 0), 0);
  EXPECT_EQ(f.sets.GetTune(0, 1), f.tunes[1]);

  // A count of 0 is written without a count and so reads back as 1.
  TLines out = lines;
  f.sets.SaveToLines(out, f.sessions);
  EXPECT_EQ(out[1], "%%DSET%A,2,1");
}

// A hand-edited block: places and counts may start with blanks or a sign, and every
// entry read comes back at the next save.
TEST(SetsAndSessions, HandWrittenNumbersSurviveASave) {
  const struct {
    const char* read;
    const char* saved;
  } cases[] = {
      {"%%DSET%Sligo, 3, 1:2,+2", "%%DSET%Sligo,3,1:2,2"},
      {"%%DSET%Jigs,1: 3,  2 :2", "%%DSET%Jigs,1:3"},  // a blank after the number is no number
      {"%%DMSS% 2, 1", "%%DMSS%2,1"},
      {"%%DMSS%+3,  2,x", "%%DMSS%3,2"},
  };
  for (const auto& c : cases) {
    TLines lines = FileLines({"%%BSET%", c.read, "%%ESET%"}, 3);
    Loaded f(lines, 3);
    f.sets.SaveToLines(lines, f.sessions);
    EXPECT_EQ(lines[1], c.saved) << c.read;
    EXPECT_EQ(lines[2], "%%ESET%") << c.read;
  }
}

TEST(Sets, AStrayClosingLineInTheTunesNeverDeletesTunes) {
  TLines lines = {"%%BSET%", "X:1", "T:First", "K:D", "%%ESET%", "X:2", "T:Second", "K:G"};
  Loaded f(lines, 2);
  EXPECT_EQ(f.sets.Count(), 0);
  f.sets.AddSet(std::make_unique<TSetAbc>("S"));
  const TLines original = lines;
  EXPECT_EQ(f.sets.SaveToLines(lines, f.sessions), 3);
  ASSERT_EQ(lines.size(), original.size() + 3);
  EXPECT_TRUE(std::equal(original.begin(), original.end(), lines.begin() + 3));
}

TEST(Sets, EmptiedBlockKeepsItsTwoLines) {
  TLines lines = FileLines({"%%BSET%", "%%DSET%A,1", "% a note", "%%ESET%"}, 1);
  Loaded f(lines, 1);
  f.sets.DeleteSet(0);
  EXPECT_EQ(f.sets.SaveToLines(lines, f.sessions), -2);
  EXPECT_EQ(lines[0], "%%BSET%");
  EXPECT_EQ(lines[1], "%%ESET%");
  EXPECT_EQ(lines[2], "X:1");
}

TEST(Sets, NamesThatWouldBreakTheLine) {
  Tunes tunes(2);
  TLstSet sets;
  TLstSession none;
  sets.AddSet(std::make_unique<TSetAbc>(""));
  sets.AddSet(std::make_unique<TSetAbc>("Reels, fast"));
  sets.AddTune(1, tunes[2]);
  sets.Rename(0, "two\r\nlines");
  TLines lines = {"X:1"};
  sets.SaveToLines(lines, none);
  EXPECT_EQ(lines[1], "%%DSET%two  lines");
  EXPECT_EQ(lines[2], "%%DSET%Reels; fast,2");

  // Read back, with two more sets of empty names before the closing line.
  lines.insert(lines.begin() + 3, {"%%DSET%", "%%DSET%,1"});
  TLstSet back;
  back.LoadFromLines(lines, tunes.Finder());
  ASSERT_EQ(back.Count(), 4);
  EXPECT_EQ(back.GetName(1), "Reels; fast");
  EXPECT_EQ(back.TuneCount(1), 1);
  EXPECT_EQ(back.GetName(3), "");
  EXPECT_EQ(back.TuneCount(3), 1);
}

TEST(Sets, LongLinesReadWhole) {
  std::string line = "%%DSET%Long";
  for (int i = 0; i < 3000; ++i) line += "," + std::to_string(i % 5 + 1) + ":3";
  Loaded f(FileLines({"%%BSET%", line, "%%ESET%"}, 5), 5);
  EXPECT_EQ(f.sets.TuneCount(0), 3000);
  EXPECT_EQ(f.sets.GetRepeat(0, 2999), 3);
}

TEST(Sets, RepeatCountsStayWithinOneToNine) {
  Tunes tunes(1);
  TLstSet sets;
  sets.AddSet(std::make_unique<TSetAbc>("S"));
  sets.AddTune(0, tunes[1]);
  sets.ChangeRepeat(0, 0, -1);
  EXPECT_EQ(sets.GetRepeat(0, 0), 1);
  for (int i = 0; i < 12; ++i) sets.ChangeRepeat(0, 0, 1);
  EXPECT_EQ(sets.GetRepeat(0, 0), 9);
  sets.MoveTune(0, 0, 7);  // outside the entries: nothing moves
  EXPECT_EQ(sets.GetTune(0, 0), tunes[1]);
  EXPECT_EQ(sets.DeleteTune(1, 0), -1);
}

TEST(Sessions, ReadFromTheBlock) {
  const TLines lines = FileLines({"%%BSET%", "%%DMSS%4,2,7,2", "%%DMSS%4,1", "%%DMSS%3",
                                  "%%DMSS%9", "%%DMSS%9,1,2", "%%DMSS%5,5", "%%DMSS%x,1",
                                  "%%ESET%"},
                                 8);
  Loaded f(lines, 8);
  ASSERT_EQ(f.sessions.Count(), 3);
  const TSesRec* first = f.sessions.Session(0);
  EXPECT_EQ(first->Master, f.tunes[4]);
  EXPECT_EQ(first->Followers, (std::vector<TAbcRec*>{f.tunes[2], f.tunes[7]}));
  EXPECT_EQ(f.sessions.Session(1)->Master, f.tunes[3]);
  EXPECT_TRUE(f.sessions.Session(1)->Followers.empty());
  EXPECT_EQ(f.sessions.Session(2)->Master, f.tunes[5]);
  EXPECT_EQ(f.sessions.Session(2)->Followers, (std::vector<TAbcRec*>{f.tunes[5]}));
  EXPECT_EQ(f.sessions.CurrentSession, -1);
  EXPECT_EQ(f.sets.CurrentSet, -1) << "no set read, none current";

  f.sessions.SetCurrent(2);
  EXPECT_EQ(f.sessions.CurrentSession, 2);
  f.sessions.SetCurrent(3);
  EXPECT_EQ(f.sessions.CurrentSession, -1);
}

TEST(RemovingATune, LeavesNoPointerToIt) {
  TLines lines = FileLines({"%%BSET%", "%%DSET%A,2,1,2:3", "%%DSET%B,2", "%%DMSS%1,2,3",
                            "%%DMSS%2,1", "%%DMSS%3", "%%ESET%"},
                           3);
  Loaded f(lines, 3);
  f.sessions.SetCurrent(2);
  TAbcRec* gone = f.tunes[2];
  f.sets.RemoveRec(gone);
  f.sessions.RemoveRec(gone);

  EXPECT_EQ(f.sets.TuneCount(1), 0);
  ASSERT_EQ(f.sessions.Count(), 2) << "the session led by the tune is dropped";
  EXPECT_EQ(f.sessions.Session(0)->Followers, (std::vector<TAbcRec*>{f.tunes[3]}));
  EXPECT_EQ(f.sessions.CurrentSession, 1) << "the selection stays on its session";
}

}  // namespace
}  // namespace rq
