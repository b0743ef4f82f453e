// The program's own files (the trash, the filer) saved by several programs on one
// folder: each save takes over what the others put there, and saves made at the same
// moment take turns.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FileTestHelpers.h"
#include "library/FileAbc.h"

namespace rq {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TLines Tune(const std::string& title) { return {"X:1", "T:" + title, "K:D", "abc|"}; }

// The titles of the file on disk, in file order.
std::vector<std::string> TitlesOnDisk(const std::string& path) {
  TAbcFile file(path, nullptr);
  std::vector<std::string> titles;
  for (int32_t seq = 1; seq <= file.FilterList.AllCount(); ++seq) titles.push_back(file.TitleOfRec(file.FindBySeq(seq)));
  return titles;
}

using Titles = std::vector<std::string>;

class MergingSave : public ::testing::Test {
 protected:
  // The file as a program finds it when it starts, with these tunes.
  std::unique_ptr<TAbcFile> Program(const std::string& bytes = {}) {
    if (!bytes.empty() && !std::filesystem::exists(path)) WriteBytes(path, bytes);
    return std::make_unique<TAbcFile>(path, nullptr);
  }
  static std::string Bytes(const Titles& titles) {
    std::string bytes = "% *** Reelquill 2 trash ***\n";
    for (const std::string& title : titles) {
      bytes += "\n";
      for (const std::string& line : Tune(title)) bytes += line + "\n";
    }
    return bytes;
  }
  static void Delete(TAbcFile& file, const std::string& title) {
    for (int32_t seq = 1; seq <= file.FilterList.AllCount(); ++seq) {
      if (file.TitleOfRec(file.FindBySeq(seq)) == title) {
        file.DeleteTuneRec(file.FindBySeq(seq));
        return;
      }
    }
    FAIL() << title << " is not in the file";
  }
  void Save(TAbcFile& file) {
    std::string error;
    ASSERT_GE(file.SaveMerging(&error), 0) << error;
    EXPECT_FALSE(file.Modified);
  }

  TempDir dir;
  const std::string path = dir.File("trash");
};

// The same tune put in the file by both programs (one tune deleted from two copies of
// a file) is there once: the other's copy is this one's.
TEST_F(MergingSave, ATuneHeldInBothProgramsIsKeptOnce) {
  const auto mine = Program(Bytes({"Old"}));
  const auto theirs = Program();
  theirs->AddTunes(Tune("Both"), false, 0);
  Save(*theirs);
  mine->AddTunes(Tune("Both"), false, 0);
  Save(*mine);
  EXPECT_EQ(TitlesOnDisk(path), (Titles{"Old", "Both"}));
  EXPECT_EQ(mine->FilterList.AllCount(), 2);
}

// A tune the other program purged comes back only from a program that still holds
// it; a tune purged here stays purged even while the other still had it on disk. The
// tune taken over is not one added in this run.
TEST_F(MergingSave, TunesPurgedByEitherProgram) {
  const auto mine = Program(Bytes({"Kept Here", "Purged Here"}));
  const auto theirs = Program();
  Delete(*theirs, "Kept Here");
  theirs->AddTunes(Tune("Theirs"), false, 0);
  Save(*theirs);
  ASSERT_EQ(TitlesOnDisk(path), (Titles{"Purged Here", "Theirs"}));

  Delete(*mine, "Purged Here");
  Save(*mine);
  EXPECT_EQ(TitlesOnDisk(path), (Titles{"Kept Here", "Theirs"}));
  EXPECT_EQ(mine->FilterList.AllCount(), 2);
  EXPECT_FALSE(mine->FindBySeq(2)->IsAddedThisRun());
}

// Two equal tunes on disk where this program knew one and purged it: the other
// program put the second there, and it stays.
TEST_F(MergingSave, OfTwoEqualTunesOnDiskTheOneNotPurgedStays) {
  const auto mine = Program(Bytes({"Twice"}));
  const auto theirs = Program();
  theirs->AddTunes(Tune("Twice"), false, 0);
  Save(*theirs);
  ASSERT_EQ(TitlesOnDisk(path), (Titles{"Twice", "Twice"}));
  Delete(*mine, "Twice");
  Save(*mine);
  EXPECT_EQ(TitlesOnDisk(path), (Titles{"Twice"}));
}

// The file's last tune, which ended without an empty line, gains one when the other
// program adds a tune after it: it is still the same tune and is not taken over twice.
TEST_F(MergingSave, AFormerLastTuneThatGainsAnEmptyLineIsTheSameTune) {
  const auto mine = Program("X:1\nT:First\nK:D\nabc|\n\nX:1\nT:Last\nK:D\nabc|\n");
  const auto theirs = Program();
  theirs->AddTunes(Tune("Theirs"), false, 0);
  Save(*theirs);
  ASSERT_NE(ReadBytes(path).find("abc|\n\nX:1\nT:Theirs"), std::string::npos) << ReadBytes(path);
  Delete(*mine, "First");
  Save(*mine);
  EXPECT_EQ(TitlesOnDisk(path), (Titles{"Last", "Theirs"}));
}

// Without its lock file the file is not written at all: the save fails with the
// reason and the file stays modified, to be saved later.
TEST_F(MergingSave, NoLockNoSave) {
  const auto mine = Program(Bytes({"Old"}));
  mine->AddTunes(Tune("New"), false, 0);
  std::filesystem::create_directories(dir.File(".trash.lock"));
  std::string error;
  EXPECT_EQ(mine->SaveMerging(&error), -2);
  EXPECT_NE(error.find(dir.File(".trash.lock")), std::string::npos) << error;
  EXPECT_TRUE(mine->Modified);
  EXPECT_EQ(ReadBytes(path), Bytes({"Old"}));
}

// Rounds of saves in two programs at once; RQ_SAVE_ROUNDS asks for more.
int Rounds() {
  const char* asked = std::getenv("RQ_SAVE_ROUNDS");
  return asked ? std::max(1, std::atoi(asked)) : 300;
}

// Two programs, each a process with the file open, put a different tune in it and
// save at the same moment, round after round: every tune either put there is in the
// file afterwards, once. The trash and the filer are saved alike.
class TwoProgramsSavingAtOnce : public ::testing::TestWithParam<const char*> {};

TEST_P(TwoProgramsSavingAtOnce, LoseNoTune) {
  TempDir dir;
  const std::string path = dir.File(GetParam());
  WriteBytes(path, "% *** Reelquill 2 trash ***\n\n");
  const int rounds = Rounds();
  // A barrier in memory both processes share: each round's saves start together.
  auto* barrier = static_cast<pthread_barrier_t*>(
      ::mmap(nullptr, sizeof(pthread_barrier_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(barrier, MAP_FAILED);
  pthread_barrierattr_t shared;
  pthread_barrierattr_init(&shared);
  pthread_barrierattr_setpshared(&shared, PTHREAD_PROCESS_SHARED);
  ASSERT_EQ(pthread_barrier_init(barrier, &shared, 2), 0);

  std::vector<pid_t> programs;
  for (const char* name : {"a", "b"}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::alarm(300);  // a program stuck at its partner's barrier ends rather than hangs
      TAbcFile file(path, nullptr);
      for (int round = 0; round < rounds; ++round) {
        file.AddTunes(Tune(std::string(name) + " " + std::to_string(round)), false, 0);
        pthread_barrier_wait(barrier);
        if (file.SaveMerging() < 0) ::_exit(2);
      }
      ::_exit(0);
    }
    programs.push_back(child);
  }
  for (const pid_t child : programs) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
  pthread_barrier_destroy(barrier);
  ::munmap(barrier, sizeof(pthread_barrier_t));

  std::map<std::string, int> held;
  for (const std::string& title : TitlesOnDisk(path)) ++held[title];
  int lost = 0;
  for (const char* name : {"a", "b"}) {
    for (int round = 0; round < rounds; ++round) {
      const std::string title = std::string(name) + " " + std::to_string(round);
      if (held[title] != 1) ++lost;
      EXPECT_EQ(held[title], 1) << title;
      if (lost > 5) FAIL() << "and more";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ControlFiles, TwoProgramsSavingAtOnce, ::testing::Values("trash", "filer"));

}  // namespace
}  // namespace rq
