// One instance per user: the first start serves its name, later starts hand it
// their files as open commands, and nothing a crashed copy left blocks a new start.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <latch>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/SingleInstance.h"

namespace rq {
namespace {

using Start = TSingleInstance::Start;
constexpr int kWaitMs = 15000;

// Tests run in parallel: each serves a name of its own, in a folder that goes with the
// test program (the lock files stay where they are made).
QString UniqueName(const char* what) {
  static const QTemporaryDir folder;
  return folder.filePath(QStringLiteral("rq-test-%1-%2").arg(::getpid()).arg(what));
}

QString OpenCommandOf(const QString& path) { return QStringLiteral("[Open(%1)]").arg(path); }

// A later start is a process of its own. Here it is a thread, so that the event loop
// of this thread keeps serving while the later start waits for its answer.
std::future<Start> StartLater(const QString& name, const QStringList& paths) {
  return std::async(std::launch::async, [name, paths] { return TSingleInstance(name).Claim(paths); });
}

// Serves events until the later start has ended, and gives its result.
Start Finish(std::future<Start>& later) {
  const bool ended = QTest::qWaitFor(
      [&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, kWaitMs);
  EXPECT_TRUE(ended) << "the later start is still waiting";
  return later.get();
}

// Makes the instance the running copy of its name, delivering the commands it gets
// from here on.
testing::AssertionResult RunsAsTheFirst(TSingleInstance& instance) {
  if (instance.Claim({}) != Start::First) {
    return testing::AssertionFailure() << "not the first: " << instance.FailureReason().toStdString();
  }
  instance.StartDelivering();
  return testing::AssertionSuccess();
}

bool WaitForCommands(const QSignalSpy& spy, qsizetype count) {
  return QTest::qWaitFor([&] { return spy.size() >= count; }, kWaitMs);
}

// Holds the life lock of an instance name as a running copy does, until closed.
int HoldLifeLock(const TSingleInstance& instance) {
  const int lock = ::open(QFile::encodeName(instance.LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  EXPECT_GE(lock, 0);
  EXPECT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  return lock;
}

// Waits without serving events here (the running copy is busy) until `done` holds.
bool WaitBusyFor(const std::function<bool()>& done) {
  for (int waited = 0; waited < kWaitMs; waited += 10) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool Ended(std::future<Start>& start) { return start.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

TEST(OpenCommandPath, IsEverythingBetweenTheHeadAndTheFinalTail) {
  struct Case {
    const char* command;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"[Open(/home/me/Reels (2).abc)]", "/home/me/Reels (2).abc"},
      {"[Open(/tunes/a)].abc)]", "/tunes/a)].abc"},
      {"[Open(/tunes/two\nlines.abc)]", "/tunes/two\nlines.abc"},
      {"[Open( spaced name )]", " spaced name "},
      {"[Open(/tunes/a.abc)]\r\n", "/tunes/a.abc"},
      {"  [Open(/tunes/a.abc)]  \n", "/tunes/a.abc"},
      {"[Open()]", std::nullopt},
      {"[Open(/tunes/a.abc)", std::nullopt},
      {"[Open(/tunes/a.abc]", std::nullopt},
      {"Open(/tunes/a.abc)]", std::nullopt},
      {"[Open/tunes/a.abc)]", std::nullopt},
      {"[open(/tunes/a.abc)]", std::nullopt},
      {"[Open(/tunes/a.abc)] and more", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenCommandPath(c.command), c.path) << c.command;
}

// The constructor's name wins over the environment's, which wins over the user's id.
TEST(SingleInstance, NameFromArgumentEnvironmentOrUser) {
  qputenv("RQ_INSTANCE_NAME", "rq-from-environment");
  EXPECT_EQ(TSingleInstance().ServerPath(), QDir::tempPath() + "/rq-from-environment");
  EXPECT_EQ(TSingleInstance("rq-from-argument").ServerPath(), QDir::tempPath() + "/rq-from-argument");
  qunsetenv("RQ_INSTANCE_NAME");
  EXPECT_EQ(TSingleInstance().ServerPath(), QDir::tempPath() + QStringLiteral("/reelquill-%1").arg(::getuid()));
  EXPECT_EQ(TSingleInstance("/run/rq-absolute").ServerPath(), "/run/rq-absolute");
}

// Each path goes over as one command, made absolute, whatever characters it holds;
// a start without files finds the running copy and sends it nothing. Commands that
// come while the first copy is still starting are held, and come out once it is ready.
TEST(SingleInstance, LaterStartPassesItsFilesToTheFirst) {
  const QString name = UniqueName("pass");
  TSingleInstance first(name);
  ASSERT_EQ(first.Claim({}), Start::First) << first.FailureReason().toStdString();
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);

  auto quiet = StartLater(name, {});
  EXPECT_EQ(Finish(quiet), Start::PassedOn);
  const QString odd = QString::fromUtf8("/tunes/Ríl )\nna (b).abc");
  auto later = StartLater(name, {"Reels (2).abc", odd});
  EXPECT_EQ(Finish(later), Start::PassedOn);
  QTest::qWait(50);
  EXPECT_EQ(received.size(), 0) << "a command came out before the receiver was ready";
  first.StartDelivering();
  ASSERT_TRUE(WaitForCommands(received, 2));
  const QString reels = QDir::current().absoluteFilePath("Reels (2).abc");
  EXPECT_EQ(received[0][0].toString(), OpenCommandOf(reels));
  EXPECT_EQ(received[1][0].toString(), OpenCommandOf(odd));
  EXPECT_EQ(OpenCommandPath(received[0][0].toString().toStdString()), reels.toStdString());
  EXPECT_EQ(received.size(), 2);
}

// A receiver that shows a message box runs the event loop inside its slot: the sender's
// socket ends and is freed meanwhile, and another start hands over its file. Nothing
// is read from a freed socket, and the commands come out in the order they came.
TEST(SingleInstance, ReceiverMayRunItsOwnEventLoop) {
  const QString name = UniqueName("modal");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QStringList order;
  std::future<Start> second;
  QObject::connect(&first, &TSingleInstance::OpenCommand, [&](const QString& command) {
    order << command;
    if (order.size() > 1) return;
    second = StartLater(name, {"/tunes/c.abc"});
    EXPECT_EQ(Finish(second), Start::PassedOn);
    QTest::qWait(100);  // the box stays up a little longer
  });
  auto later = StartLater(name, {"/tunes/a.abc", "/tunes/b.abc"});
  EXPECT_EQ(Finish(later), Start::PassedOn);
  ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() >= 3; }, kWaitMs));
  EXPECT_EQ(order, (QStringList{OpenCommandOf("/tunes/a.abc"), OpenCommandOf("/tunes/b.abc"),
                                OpenCommandOf("/tunes/c.abc")}));
}

// A copy killed while it served, and while it held the start lock, leaves its socket
// file and its lock behind: the next start takes the name over and serves it.
TEST(SingleInstance, WhatACrashedCopyLeftDoesNotBlock) {
  const QString name = UniqueName("crashed");
  QProcess holder;
  holder.start(RQ_INSTANCE_HOLDER, {name});
  ASSERT_TRUE(holder.waitForReadyRead(kWaitMs)) << holder.errorString().toStdString();
  ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "ready");
  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(kWaitMs));

  TSingleInstance next(name);
  ASSERT_TRUE(QFileInfo::exists(next.ServerPath()));
  ASSERT_TRUE(QFileInfo::exists(next.LockPath()));
  ASSERT_TRUE(RunsAsTheFirst(next));

  QSignalSpy received(&next, &TSingleInstance::OpenCommand);
  auto later = StartLater(name, {"/tunes/a.abc"});
  EXPECT_EQ(Finish(later), Start::PassedOn);
  ASSERT_TRUE(WaitForCommands(received, 1));
  EXPECT_EQ(received[0][0].toString(), OpenCommandOf("/tunes/a.abc"));
}

// The sender hears that its file is taken before the receiver acts on it: a long job
// in the slot (the open of a large file) keeps no later start waiting.
TEST(SingleInstance, AcknowledgesBeforeCarryingOutTheCommand) {
  const QString name = UniqueName("ack");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  std::future<Start> later;
  int calls = 0;
  bool senderEndedDuringTheJob = false;
  QObject::connect(&first, &TSingleInstance::OpenCommand, [&] {
    ++calls;
    senderEndedDuringTheJob = later.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  });
  later = StartLater(name, {"/tunes/long.abc"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, kWaitMs));
  EXPECT_TRUE(senderEndedDuringTheJob) << "the acknowledgement waited for the job";
  EXPECT_EQ(Finish(later), Start::PassedOn);
}

// A running copy that reads nothing for seconds (busy) is still the running copy: a
// later start waits for it and hands its file over, and never runs as a second one.
TEST(SingleInstance, LaterStartWaitsForABusyRunningCopy) {
  const QString name = UniqueName("busy");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  auto later = StartLater(name, {"/tunes/a.abc"});
  std::this_thread::sleep_for(std::chrono::milliseconds(4000));  // busy: no event loop runs
  EXPECT_NE(later.wait_for(std::chrono::seconds(0)), std::future_status::ready)
      << "the later start stopped waiting for a running copy that lives";
  EXPECT_EQ(Finish(later), Start::PassedOn);
  ASSERT_TRUE(WaitForCommands(received, 1));
  EXPECT_EQ(received[0][0].toString(), OpenCommandOf("/tunes/a.abc"));
}

// A start told to stop waiting (its user closed the busy note) ends with its file in
// the running copy's queue: the copy opens it once it is free.
TEST(SingleInstance, StartThatStopsWaitingLeavesItsFileQueued) {
  const QString name = UniqueName("queued");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  std::atomic<int> waited = 0;
  auto later = std::async(std::launch::async, [&] {
    TSingleInstance start(name);
    start.SetWaitHook([&](int waitedMs) {
      waited = waitedMs;
      return waitedMs < 300;
    });
    return start.Claim({"/tunes/a.abc"});
  });
  // This copy stays busy until the start has ended.
  EXPECT_EQ(later.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "the start did not stop waiting when told to";
  EXPECT_EQ(Finish(later), Start::Queued);
  EXPECT_GE(waited, 300);
  ASSERT_TRUE(WaitForCommands(received, 1));
  EXPECT_EQ(received[0][0].toString(), OpenCommandOf("/tunes/a.abc"));
}

// A running copy that ends before it confirms (the connection drops, its socket and
// its life lock go) leaves the later start to run as the first.
TEST(SingleInstance, StartRunsAsTheFirstWhenTheRunningCopyEndsBeforeConfirming) {
  const QString name = UniqueName("ending");
  int lifeLock = HoldLifeLock(TSingleInstance(name));
  QLocalServer ending;
  ASSERT_TRUE(ending.listen(TSingleInstance(name).ServerPath())) << ending.errorString().toStdString();
  QObject::connect(&ending, &QLocalServer::newConnection, [&] {
    QLocalSocket* socket = ending.nextPendingConnection();
    ending.close();
    socket->abort();
    ::close(lifeLock);
    lifeLock = -1;
  });
  // In a thread of Qt's own: the start that becomes the first serves from it.
  Start result = Start::Failed;
  const std::unique_ptr<QThread> later(QThread::create([&] { result = TSingleInstance(name).Claim({"/tunes/a.abc"}); }));
  later->start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return later->isFinished(); }, kWaitMs));
  EXPECT_EQ(lifeLock, -1) << "the later start never reached the running copy";
  EXPECT_EQ(result, Start::First);
}

// Of two starts at the same moment exactly one serves; the other finds it.
TEST(SingleInstance, TwoStartsAtOnceMakeOneServer) {
  const QString name = UniqueName("race");
  QThread* const home = QThread::currentThread();
  struct Claimed {
    Start result = Start::Failed;
    std::unique_ptr<TSingleInstance> instance;
  };
  Claimed a, b;
  std::latch go(2);
  auto claimIn = [&](Claimed& out) {
    return std::unique_ptr<QThread>(QThread::create([&, target = &out] {
      go.arrive_and_wait();
      target->instance = std::make_unique<TSingleInstance>(name);
      target->result = target->instance->Claim({});
      // The one that serves does so from this thread's event loop.
      target->instance->moveToThread(home);
    }));
  };
  const auto threadA = claimIn(a);
  const auto threadB = claimIn(b);
  threadA->start();
  threadB->start();
  threadA->wait();
  threadB->wait();
  EXPECT_EQ((std::set{a.result, b.result}), (std::set{Start::First, Start::PassedOn}));

  TSingleInstance& server = a.result == Start::First ? *a.instance : *b.instance;
  server.StartDelivering();
  QSignalSpy received(&server, &TSingleInstance::OpenCommand);
  auto later = StartLater(name, {"/tunes/a.abc"});
  EXPECT_EQ(Finish(later), Start::PassedOn);
  EXPECT_TRUE(WaitForCommands(received, 1));
}

// Where no socket can be made the program runs without the service, and says why.
TEST(SingleInstance, FailsWithAReasonWhereItCannotServe) {
  TSingleInstance nowhere("/no-such-folder-for-rq/instance");
  EXPECT_EQ(nowhere.Claim({"/tunes/a.abc"}), Start::Failed);
  EXPECT_FALSE(nowhere.FailureReason().isEmpty());
}

// Connections a busy copy has not taken yet, up to the limit of its queue: a start
// that comes now cannot connect at all.
class FullConnectionQueue {
 public:
  explicit FullConnectionQueue(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    for (;;) {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        EXPECT_EQ(errno, EAGAIN) << "the copy's queue never filled";
        ::close(fd);
        break;
      }
      waiting_.push_back(fd);
    }
  }
  ~FullConnectionQueue() {
    for (const int fd : waiting_) ::close(fd);
  }

 private:
  std::vector<int> waiting_;
};

// A start that keeps waiting as the program's does: it serves its own events.
std::future<Start> StartServingEvents(const QString& name, const QStringList& paths, std::atomic<int>& waits) {
  return std::async(std::launch::async, [name, paths, &waits] {
    TSingleInstance start(name);
    start.SetWaitHook([&waits](int) {
      ++waits;
      QCoreApplication::processEvents();
      return true;
    });
    return start.Claim(paths);
  });
}

// Starts that find the busy copy's queue of waiting connections full, and stay so
// longer than any start lock would last, neither give up nor run as a second copy:
// they try again until the copy takes their files, each once.
TEST(BusyRunningCopy, StartsAtAFullConnectionQueueHandTheirFilesOver) {
  const QString name = UniqueName("full");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  constexpr int kStarts = 6;
  std::atomic<int> waits[kStarts] = {};
  std::vector<std::future<Start>> later;
  std::set<QString> sent;
  {
    const FullConnectionQueue queue(first.ServerPath());
    for (int i = 0; i < kStarts; ++i) {
      const QString path = QStringLiteral("/tunes/%1.abc").arg(i);
      sent.insert(OpenCommandOf(path));
      later.push_back(StartServingEvents(name, {path}, waits[i]));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5500));
    for (auto& start : later) {
      EXPECT_FALSE(Ended(start)) << "a start ended while the queue was full: " << static_cast<int>(start.get());
    }
  }
  for (auto& start : later) {
    if (start.valid()) {
      EXPECT_EQ(Finish(start), Start::PassedOn);
    }
  }
  ASSERT_TRUE(WaitForCommands(received, kStarts));
  QTest::qWait(100);
  std::set<QString> got;
  for (const auto& command : received) got.insert(command[0].toString());
  EXPECT_EQ(got, sent);
  EXPECT_EQ(received.size(), kStarts);
}

// A start whose user closed the busy note ends only once its commands are in the
// copy's socket: not while the copy's queue is full, not while the commands are still
// being written (more than the socket holds), and none is lost or cut.
TEST(BusyRunningCopy, ClosedNoteWaitsUntilTheCommandsAreInTheSocket) {
  const QString name = UniqueName("closed");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  auto closedAtOnce = [name](const QStringList& paths) {
    return std::async(std::launch::async, [name, paths] {
      TSingleInstance start(name);
      start.SetWaitHook([](int) { return false; });
      return start.Claim(paths);
    });
  };
  std::future<Start> queueFull;
  {
    const FullConnectionQueue queue(first.ServerPath());
    queueFull = closedAtOnce({"/tunes/a.abc", "/tunes/a2.abc"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_FALSE(Ended(queueFull)) << "the start ended with its file in no socket";
  }
  const Start queueFullEnded = Finish(queueFull);
  EXPECT_TRUE(queueFullEnded == Start::Queued || queueFullEnded == Start::PassedOn);
  ASSERT_TRUE(WaitForCommands(received, 2));
  EXPECT_EQ(received[1][0].toString(), OpenCommandOf("/tunes/a2.abc"));

  // Paths of 300 KB each: four of them fill the socket twice over.
  QStringList long_paths;
  for (const char letter : {'b', 'c', 'd', 'e'}) long_paths << "/tunes/" + QString(300000, QChar(letter));
  auto writing = closedAtOnce(long_paths);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_FALSE(Ended(writing)) << "the start ended with its commands half written";
  const Start writingEnded = Finish(writing);
  EXPECT_TRUE(writingEnded == Start::Queued || writingEnded == Start::PassedOn);
  ASSERT_TRUE(WaitForCommands(received, 6));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(received[i + 2][0].toString(), OpenCommandOf(long_paths[i]));
  EXPECT_EQ(received.size(), 6);
}

// Two starts waiting on a copy that stays busy longer than any start lock would last
// both hand their files over once, and neither runs as a copy of its own; a start with
// no files ends at once meanwhile.
TEST(BusyRunningCopy, TwoStartsWaitingLongBothHandOver) {
  const QString name = UniqueName("long-busy");
  TSingleInstance first(name);
  ASSERT_TRUE(RunsAsTheFirst(first));
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  std::atomic<int> waitsA = 0, waitsB = 0;
  auto a = StartServingEvents(name, {"/tunes/a.abc"}, waitsA);
  auto b = StartServingEvents(name, {"/tunes/b.abc"}, waitsB);
  auto quiet = StartLater(name, {});
  EXPECT_TRUE(WaitBusyFor([&] { return Ended(quiet); })) << "a start without files waited for a busy copy";
  EXPECT_EQ(quiet.get(), Start::PassedOn);
  std::this_thread::sleep_for(std::chrono::milliseconds(5500));
  EXPECT_FALSE(Ended(a) || Ended(b)) << "a start stopped waiting for a copy that lives";
  EXPECT_EQ(Finish(a), Start::PassedOn);
  EXPECT_EQ(Finish(b), Start::PassedOn);
  ASSERT_TRUE(WaitForCommands(received, 2));
  QTest::qWait(100);
  EXPECT_EQ((std::set<QString>{received[0][0].toString(), received[1][0].toString()}),
            (std::set<QString>{OpenCommandOf("/tunes/a.abc"), OpenCommandOf("/tunes/b.abc")}));
  EXPECT_EQ(received.size(), 2);
}

// Another process holds the life lock but does not listen yet (it is still starting,
// or stopped there): a start never listens in its place and keeps its file until the
// lock comes free, then runs as the first itself. One without files ends at once.
TEST(BusyRunningCopy, StartWhileAnotherHoldsTheLifeLockNeverListens) {
  const QString name = UniqueName("locked");
  QProcess holder;
  holder.start(RQ_INSTANCE_HOLDER, {name, "--lock-only"});
  ASSERT_TRUE(holder.waitForReadyRead(kWaitMs)) << holder.errorString().toStdString();
  ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "ready");
  const QString socketPath = TSingleInstance(name).ServerPath();

  EXPECT_EQ(TSingleInstance(name).Claim({}), Start::PassedOn);
  std::atomic<int> waits = 0;
  Start result = Start::Failed;
  const std::unique_ptr<QThread> later(QThread::create([&] {
    TSingleInstance start(name);
    start.SetWaitHook([&](int) {
      ++waits;
      return true;
    });
    result = start.Claim({"/tunes/a.abc"});
  }));
  later->start();
  ASSERT_TRUE(WaitBusyFor([&] { return later->isFinished() || waits >= 10; }));
  EXPECT_FALSE(later->isFinished()) << "the start ended while another held the life lock";
  EXPECT_FALSE(QFileInfo::exists(socketPath)) << "the start listened while another held the life lock";

  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return later->isFinished(); }, kWaitMs));
  EXPECT_EQ(result, Start::First);
}

// A copy on its way out takes no more files: a start that comes then would hand them
// to a copy that never opens them. The start waits until the copy has ended and runs
// as the first itself.
TEST(SingleInstance, StartDuringTheCopysEndRunsAfterIt) {
  const QString name = UniqueName("stopping");
  auto first = std::make_unique<TSingleInstance>(name);
  ASSERT_TRUE(RunsAsTheFirst(*first));
  QSignalSpy received(first.get(), &TSingleInstance::OpenCommand);
  first->StopServing();

  std::atomic<int> waits = 0;
  Start result = Start::Failed;
  const std::unique_ptr<QThread> later(QThread::create([&] {
    TSingleInstance start(name);
    start.SetWaitHook([&](int) {
      ++waits;
      return true;
    });
    result = start.Claim({"/tunes/a.abc"});
  }));
  later->start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return later->isFinished() || waits >= 5; }, kWaitMs));
  EXPECT_FALSE(later->isFinished()) << "the start ended while the copy was ending";
  EXPECT_EQ(received.size(), 0);

  first.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return later->isFinished(); }, kWaitMs));
  EXPECT_EQ(result, Start::First);
}

// A copy on its way out gives back what it took and did not deliver, in the order it
// came: a command held before it delivers, then those that a start whose wait was
// stopped left in the socket while the copy read nothing. None comes out any more, and
// a start that comes now finds nobody to hand its files to.
TEST(SingleInstance, StopServingGivesBackWhatItTookAndDidNotDeliver) {
  const QString name = UniqueName("leaving");
  TSingleInstance first(name);
  ASSERT_EQ(first.Claim({}), Start::First) << first.FailureReason().toStdString();
  QSignalSpy received(&first, &TSingleInstance::OpenCommand);
  auto held = StartLater(name, {"/tunes/a.abc"});
  EXPECT_EQ(Finish(held), Start::PassedOn);
  auto queued = std::async(std::launch::async, [name] {
    TSingleInstance start(name);
    start.SetWaitHook([](int) { return false; });
    return start.Claim({"/tunes/b.abc", "/tunes/c.abc"});
  });
  ASSERT_TRUE(WaitBusyFor([&] { return Ended(queued); }));
  EXPECT_EQ(queued.get(), Start::Queued);

  EXPECT_EQ(first.StopServing(), (QStringList{OpenCommandOf("/tunes/a.abc"), OpenCommandOf("/tunes/b.abc"),
                                              OpenCommandOf("/tunes/c.abc")}));
  first.StartDelivering();
  QTest::qWait(50);
  EXPECT_EQ(received.size(), 0);
  EXPECT_FALSE(QFileInfo::exists(first.ServerPath()));
}

}  // namespace
}  // namespace rq
