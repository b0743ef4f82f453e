#include "platform/SingleInstance.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
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
constexpr int kDeliverMs = 3000;
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

bool ConnectTo(QLocalSocket& socket, const QString& path) {
  socket.connectToServer(path);
  return socket.waitForConnected(kConnectMs);
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
  if (ConnectTo(socket, path_)) {
    lock.unlock();
    return PassOn(socket, paths);
  }
  return Listen();
}

TSingleInstance::Start TSingleInstance::PassOn(QLocalSocket& socket, const QStringList& paths) {
  QByteArray frames;
  for (const QString& path : paths) {
    frames += Frame(QStringLiteral("[Open(%1)]").arg(QDir::current().absoluteFilePath(path)));
  }
  const QDeadlineTimer deadline(kDeliverMs);
  socket.write(frames);
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
      return Fail(QStringLiteral("the running copy did not take the files: %1").arg(socket.errorString()));
    }
  }
  // The running copy acknowledges each command once it holds it.
  qsizetype acks = 0;
  while (acks < paths.size()) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      return Fail(QStringLiteral("the running copy did not confirm the files: %1").arg(socket.errorString()));
    }
    acks += socket.readAll().count(kAck);
  }
  socket.disconnectFromServer();
  return Start::PassedOn;
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
    // Acknowledged once it is held: the sender may end, the command is not lost.
    pending_.append(QString::fromUtf8(socket.read(size)));
    socket.write(&kAck, 1);
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
