#include "platform/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopedValueRollback>
#include <QtEndian>

#include <memory>

#include "platform/ByteText.h"

namespace rq {
namespace {

constexpr std::string_view kOpenHead = "[Open(";
constexpr std::string_view kOpenTail = ")]";

constexpr int kConnectMs = 1000;
// How long one wait for the running copy lasts before the wait hook is asked again.
constexpr int kWaitSliceMs = 100;
// Looks for a running copy again after one ended while a start handed it files.
constexpr int kAttempts = 3;
// Long enough for another start to finish its own check and listen.
constexpr int kLockMs = 5000;
// A command is one path: anything longer is not from one of our copies.
constexpr quint32 kMaxCommandBytes = 1 << 20;
constexpr qsizetype kHeaderBytes = 4;
constexpr char kAck = '\x06';

QString NameOrDefault(QString name) {
  if (!name.isEmpty()) return name;
  name = qEnvironmentVariable("RQ_INSTANCE_NAME");
  if (!name.isEmpty()) return name;
  return QStringLiteral("reelquill-%1").arg(::getuid());
}

// Where QLocalServer itself would put the name, spelled out so the lock sits beside it.
QString SocketPathOf(const QString& name) {
  if (name.startsWith(u'/')) return name;
  return QDir::cleanPath(QDir::tempPath()) + u'/' + name;
}

// Each command travels as its UTF-8 length (4 bytes, big-endian) and its UTF-8 text,
// so line breaks, brackets and any other character in a path arrive intact.
QByteArray Frame(const QString& command) {
  const QByteArray text = command.toUtf8();
  QByteArray frame(kHeaderBytes, '\0');
  qToBigEndian(static_cast<quint32>(text.size()), frame.data());
  return frame + text;
}

// A copy that listens takes the connection at once or, while its queue of waiting
// connections is full, later: either way it lives. A refused connection or no socket
// file means no copy runs; a socket file is then what a crashed copy left.
bool ReachRunningCopy(QLocalSocket& socket, const QString& path) {
  socket.connectToServer(path);
  socket.waitForConnected(kConnectMs);
  return socket.state() != QLocalSocket::UnconnectedState;
}

// Waits a short while for the next step of a hand-over: the connection, the writing
// of the commands, or the acknowledgements.
void WaitOnce(QLocalSocket& socket, bool sent) {
  if (!sent) {
    socket.waitForConnected(kWaitSliceMs);
  } else if (socket.bytesToWrite() > 0) {
    socket.waitForBytesWritten(kWaitSliceMs);
  } else {
    socket.waitForReadyRead(kWaitSliceMs);
  }
}

}  // namespace

std::optional<std::string> OpenCommandPath(std::string_view command) {
  command = TrimBlanks(command);
  if (!command.starts_with(kOpenHead) || !command.ends_with(kOpenTail)) return std::nullopt;
  if (command.size() <= kOpenHead.size() + kOpenTail.size()) return std::nullopt;
  return std::string(command.substr(kOpenHead.size(), command.size() - kOpenHead.size() - kOpenTail.size()));
}

TSingleInstance::TSingleInstance(QString name, QObject* parent)
    : QObject(parent), path_(SocketPathOf(NameOrDefault(std::move(name)))) {}

TSingleInstance::Start TSingleInstance::Claim(const QStringList& paths) {
  // A running copy that drops the connection before it confirms the files has ended
  // meanwhile: look again, and this start may be the first now.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // Two starts at once must not both find no server and both listen: the check and
    // the listen happen under a lock. Only a lock whose owner died is stale.
    QLockFile lock(LockPath());
    lock.setStaleLockTime(0);
    if (!lock.tryLock(kLockMs)) {
      return Fail(lock.error() == QLockFile::LockFailedError
                      ? QStringLiteral("another start of the program holds %1").arg(LockPath())
                      : QStringLiteral("cannot create %1").arg(LockPath()));
    }
    QLocalSocket socket;
    if (!ReachRunningCopy(socket, path_)) return Listen();
    lock.unlock();
    switch (PassOn(socket, paths)) {
      case Handed::Confirmed: return Start::PassedOn;
      case Handed::Queued: return Start::Queued;
      case Handed::Lost: break;
    }
  }
  return Fail(QStringLiteral("the running copy ended the connection before it took the files"));
}

TSingleInstance::Handed TSingleInstance::PassOn(QLocalSocket& socket, const QStringList& paths) {
  if (paths.isEmpty()) return Handed::Confirmed;
  QByteArray frames;
  for (const QString& path : paths) {
    frames += Frame(QStringLiteral("[Open(%1)]").arg(QDir::current().absoluteFilePath(path)));
  }
  // A running copy busy with a long job reads nothing until it is done; the kernel
  // holds the connection and the commands for it meanwhile. So no deadline: only the
  // copy's end (the connection drops) or the hook stops the wait.
  QElapsedTimer waited;
  waited.start();
  bool sent = false;
  bool keepWaiting = true;
  qsizetype acks = 0;
  for (;;) {
    if (!sent && socket.state() == QLocalSocket::ConnectedState) {
      socket.write(frames);
      sent = true;
    }
    // The running copy acknowledges each command once it holds it.
    if (sent) acks += socket.readAll().count(kAck);
    const bool inSocket = sent && socket.bytesToWrite() == 0;
    if (inSocket && acks >= paths.size()) {
      socket.disconnectFromServer();
      return Handed::Confirmed;
    }
    // Closing this end leaves what was written readable for the copy.
    if (inSocket && !keepWaiting) return Handed::Queued;
    if (socket.state() == QLocalSocket::UnconnectedState) return Handed::Lost;
    WaitOnce(socket, sent);
    if (waitHook_ && keepWaiting) keepWaiting = waitHook_(static_cast<int>(waited.elapsed()));
  }
}

TSingleInstance::Start TSingleInstance::Listen() {
  // Nobody answered under the lock, so a socket file still there was left by a copy
  // that crashed. A plain listen fails on it; remove it first.
  QLocalServer::removeServer(path_);
  auto server = std::make_unique<QLocalServer>(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path_)) {
    return Fail(QStringLiteral("cannot listen on %1: %2").arg(path_, server->errorString()));
  }
  server_ = server.release();
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnections);
  return Start::First;
}

TSingleInstance::Start TSingleInstance::Fail(QString reason) {
  reason_ = std::move(reason);
  return Start::Failed;
}

void TSingleInstance::AcceptConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadCommands(*socket); });
    ReadCommands(*socket);
  }
}

void TSingleInstance::ReadCommands(QLocalSocket& socket) {
  while (socket.bytesAvailable() >= kHeaderBytes) {
    char header[kHeaderBytes];
    socket.peek(header, kHeaderBytes);
    const quint32 size = qFromBigEndian<quint32>(header);
    if (size > kMaxCommandBytes) {
      socket.abort();
      break;
    }
    if (socket.bytesAvailable() < kHeaderBytes + static_cast<qsizetype>(size)) break;
    socket.skip(kHeaderBytes);
    // Acknowledged once it is held: the sender may end, the command is not lost. The
    // acknowledgement leaves now, not when the event loop next runs: acting on the
    // command (opening a large file) may keep the loop away for long.
    pending_.append(QString::fromUtf8(socket.read(size)));
    socket.write(&kAck, 1);
    socket.flush();
  }
  ScheduleEmit();
}

void TSingleInstance::StartDelivering() {
  delivering_ = true;
  ScheduleEmit();
}

void TSingleInstance::ScheduleEmit() {
  // Never emit from here: the caller may be the socket's read handler, and a receiver
  // that shows a message box would run the event loop under it, where the socket can
  // be disconnected and freed.
  if (!delivering_ || emitScheduled_ || pending_.isEmpty()) return;
  emitScheduled_ = true;
  QMetaObject::invokeMethod(this, &TSingleInstance::EmitPending, Qt::QueuedConnection);
}

void TSingleInstance::EmitPending() {
  emitScheduled_ = false;
  // A receiver may run a nested event loop (a message box) in which more commands
  // arrive: they join the queue and this loop takes them, in the order received.
  if (emitting_) return;
  const QScopedValueRollback guard(emitting_, true);
  while (!pending_.isEmpty()) emit OpenCommand(pending_.takeFirst());
}

}  // namespace rq
