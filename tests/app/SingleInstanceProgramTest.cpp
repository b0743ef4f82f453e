// The program as a user starts it: one instance per user, a second start hands its
// files to the first and ends, and a crashed first start does not block the next.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <unistd.h>

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
  // Waits until the opened-files log has at least `count` lines.
  bool WaitForOpened(qsizetype count) const {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
      if (Opened().size() >= count) return true;
      QThread::msleep(50);
    }
    return false;
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
