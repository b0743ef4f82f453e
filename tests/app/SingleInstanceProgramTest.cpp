// The program as a user starts it: one instance per user, a second start hands its
// files to the first and ends, and a crashed first start does not block the next.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("RQ_PROGRAM_DIR", dir_.path());
    env_.insert("RQ_INSTANCE_NAME", dir_.filePath("instance"));
    env_.insert("RQ_MIDI_RECORD", dir_.filePath("midi.log"));
    env_.insert("RQ_OPENED_LOG", dir_.filePath("opened.log"));
  }
  void TearDown() override {
    for (auto& p : running_) {
      p->kill();
      p->waitForFinished(5000);
    }
    for (const pid_t program : Programs()) ::kill(program, SIGKILL);
  }

  // Every process of the program that serves this test's name, started here or not.
  std::vector<pid_t> Programs() const {
    const QByteArray mine = "RQ_INSTANCE_NAME=" + QFile::encodeName(dir_.filePath("instance"));
    const QString program = QFileInfo(RQ_BIN_DIR "/reelquill").canonicalFilePath();
    std::vector<pid_t> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
      bool number = false;
      const pid_t pid = entry.toInt(&number);
      if (!number || QFileInfo("/proc/" + entry + "/exe").canonicalFilePath() != program) continue;
      QFile environment("/proc/" + entry + "/environ");
      if (environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(mine)) {
        found.push_back(pid);
      }
    }
    return found;
  }

  QProcess* Launch(const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env_);
    p->setWorkingDirectory(dir_.path());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(RQ_BIN_DIR "/reelquill", args);
    p->waitForStarted(10000);
    running_.push_back(std::move(p));
    return running_.back().get();
  }
  // A start that hands its files over ends by itself, normally and with code 0.
  void ExpectHandedOver(const QStringList& args) {
    QProcess* p = Launch(args);
    ASSERT_TRUE(p->waitForFinished(20000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
  }
  QStringList Opened() const {
    QFile f(dir_.filePath("opened.log"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  // Waits up to 20 s for `done` to hold.
  static bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
      if (done()) return true;
      QThread::msleep(50);
    }
    return false;
  }
  // Waits until the opened-files log has at least `count` lines.
  bool WaitForOpened(qsizetype count) const {
    return WaitUntil([&] { return Opened().size() >= count; });
  }

  QTemporaryDir dir_;
  QProcessEnvironment env_;
  std::vector<std::unique_ptr<QProcess>> running_;
};

TEST_F(ProgramTest, SecondStartHandsItsFilesToTheFirst) {
  QFile tune(dir_.filePath("Reels (2).abc"));
  ASSERT_TRUE(tune.open(QIODevice::WriteOnly));
  tune.write("X:1\nT:The Morning Dew\nK:Edor\nE2BE dEBE|\n");
  tune.close();

  QProcess* first = Launch({});
  ASSERT_TRUE(WaitForOpened(2)) << "the first start never opened its trash and filer";
  EXPECT_EQ(Opened(), (QStringList{dir_.filePath("trash"), dir_.filePath("filer")}));

  ExpectHandedOver({"Reels (2).abc"});
  ASSERT_TRUE(WaitForOpened(3));
  EXPECT_EQ(Opened().last(), dir_.filePath("Reels (2).abc"));

  // With no files a second start ends at once and silently.
  ExpectHandedOver({});
  EXPECT_EQ(Opened().size(), 3);
  EXPECT_EQ(first->state(), QProcess::Running);

  // After a crash of the first, a new start runs as the first again.
  first->kill();
  ASSERT_TRUE(first->waitForFinished(10000));
  QFile::remove(dir_.filePath("opened.log"));
  QProcess* again = Launch({});
  ASSERT_TRUE(WaitForOpened(2)) << "a start after a crash did not come up";
  EXPECT_EQ(again->state(), QProcess::Running);
  ExpectHandedOver({dir_.filePath("Reels (2).abc")});
  ASSERT_TRUE(WaitForOpened(3));
  EXPECT_EQ(Opened().last(), dir_.filePath("Reels (2).abc"));
}

// Told to end by SIGTERM (a logout, a kill), the program ends by itself and
// writes its settings, with the file it opened first in the recent list.
TEST_F(ProgramTest, SigtermEndsTheProgramInOrder) {
  const QString tunes = dir_.filePath("reels.abc");
  QFile tune(tunes);
  ASSERT_TRUE(tune.open(QIODevice::WriteOnly));
  tune.write("X:1\nT:The Silver Spear\nK:D\nFA (3AAA BAFA|\n");
  tune.close();
  QProcess* program = Launch({tunes});
  ASSERT_TRUE(WaitForOpened(3));
  ASSERT_EQ(::kill(static_cast<pid_t>(program->processId()), SIGTERM), 0);
  ASSERT_TRUE(program->waitForFinished(20000));
  EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program->exitCode(), 0);
  QFile settings(dir_.filePath("RQUILL20.INI"));
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  EXPECT_TRUE(settings.readAll().contains(("Item_0=" + tunes).toUtf8()));
}

// A file handed over while a message holds hand-overs back, then SIGTERM: the start
// was told its file is taken, so the program that comes after this one opens it, once,
// and it is the only program running.
TEST_F(ProgramTest, AFileHandedOverBeforeASigtermOpensInTheNextProgram) {
  const QString jigs = dir_.filePath("jigs.abc");
  const QString reels = dir_.filePath("reels.abc");
  for (const QString& path : {jigs, reels}) {
    QFile tune(path);
    ASSERT_TRUE(tune.open(QIODevice::WriteOnly));
    tune.write("X:1\nT:The Kesh\nK:G\nGAG GAB|\n");
  }
  QProcess* first = Launch({jigs});
  ASSERT_TRUE(WaitForOpened(3));
  // Open already: "File already open" shows, and the next file waits behind it.
  ExpectHandedOver({jigs});
  ExpectHandedOver({reels});
  QThread::msleep(500);
  ASSERT_FALSE(Opened().contains(reels)) << "opened under the message";
  ASSERT_EQ(::kill(static_cast<pid_t>(first->processId()), SIGTERM), 0);
  ASSERT_TRUE(first->waitForFinished(20000));
  EXPECT_EQ(first->exitCode(), 0);

  ASSERT_TRUE(WaitUntil([&] { return Opened().contains(reels); })) << "the file was dropped";
  QThread::msleep(500);
  EXPECT_EQ(Opened().count(reels), 1);
  const std::vector<pid_t> programs = Programs();
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_NE(programs.front(), static_cast<pid_t>(first->processId()));
}

}  // namespace

namespace {

// What the program opens beside itself ships there: the sample collection and the
// note behind the welcome box's "Support Reelquill" link.
TEST(ProgramFiles, ShipBesideTheProgram) {
  for (const char* name : {"sample.abc", "donation.txt"}) {
    QFile file(QString(RQ_BIN_DIR "/") + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    EXPECT_FALSE(file.readAll().isEmpty()) << name;
  }
}

}  // namespace
