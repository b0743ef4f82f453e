#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopedValueRollback>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/ByteText.h"
#include "platform/FileLock.h"

namespace rq {
namespace {

constexpr std::string_view kOpenHead = "[Open(";
constexpr std::string_view kOpenTail = ")]";

// How long one wait for the running copy lasts before the wait hook is asked again,
// and the pause between two tries to reach one that cannot take a connection now.
constexpr int kWaitSliceMs = 100;
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

QStringList OpenCommands(const QStringList& paths) {
  QStringList commands;
  for (const QString& path : paths) {
    commands << QStringLiteral("[Open(%1)]").arg(QDir::current().absoluteFilePath(path));
  }
  return commands;
}

// Connects without waiting. False while nobody listens on the path (the running copy
// is still starting, or ending) and while its queue of waiting connections is full: a
// connection the queue holds counts as made, the copy accepts it when it gets to it.
bool ConnectTo(QLocalSocket& socket, const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray name = QFile::encodeName(path);
  if (name.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) return false;
  std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      !socket.setSocketDescriptor(fd)) {
    ::close(fd);
    return false;
  }
  return true;
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

TSingleInstance::~TSingleInstance() { Leave(); }

void TSingleInstance::Leave() {
  // The socket goes before the lock: once the lock is free another start may listen on
  // the same path, and closing this server then would remove that start's socket file.
  // Whatever still waits in the connections is left unconfirmed: its starts try again.
  CloseServer();
  ReleaseLifeLock();
}

TSingleInstance::Start TSingleInstance::Claim(const QStringList& paths) {
  QStringList commands = OpenCommands(paths);
  waited_.start();
  keepWaiting_ = true;
  for (;;) {
    switch (TakeLifeLock()) {
      case Lock::Taken: return Listen();
      case Lock::Unavailable: {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        return Fail(QStringLiteral("cannot lock %1: %2").arg(LockPath(), why));
      }
      case Lock::HeldByRunningCopy: break;
    }
    if (commands.isEmpty()) return Start::PassedOn;
    // A copy that ends before it confirms every command drops the connection; the
    // commands it did not confirm go to whichever copy runs next, maybe this one.
    QLocalSocket socket;
    if (ConnectTo(socket, path_)) {
      switch (PassOn(socket, commands)) {
        case Handed::Confirmed: return Start::PassedOn;
        case Handed::Queued: return Start::Queued;
        case Handed::Lost: break;
      }
    }
    QThread::msleep(kWaitSliceMs);
    AskWaitHook();
  }
}

TSingleInstance::Lock TSingleInstance::TakeLifeLock() {
  // Close-on-exec: a program this copy starts must not hold the lock after it ends.
  if (lifeLock_ < 0) lifeLock_ = ::open(QFile::encodeName(LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lifeLock_ < 0) return Lock::Unavailable;
  if (LockExclusively(lifeLock_, false)) return Lock::Taken;
  return errno == EWOULDBLOCK ? Lock::HeldByRunningCopy : Lock::Unavailable;
}

void TSingleInstance::ReleaseLifeLock() {
  if (lifeLock_ >= 0) ::close(lifeLock_);
  lifeLock_ = -1;
}

// A running copy busy with a long job reads nothing until it is done; the kernel holds
// the connection and the commands for it meanwhile. So no deadline: only the copy's
// end (the connection drops) or the hook stops the wait.
TSingleInstance::Handed TSingleInstance::PassOn(QLocalSocket& socket, QStringList& commands) {
  QByteArray frames;
  for (const QString& command : commands) frames += Frame(command);
  socket.write(frames);
  for (;;) {
    // The running copy acknowledges each command once it holds it, in order.
    const qsizetype acks = socket.readAll().count(kAck);
    commands.remove(0, std::min(acks, commands.size()));
    if (commands.isEmpty()) {
      socket.disconnectFromServer();
      return Handed::Confirmed;
    }
    // Closing this end leaves what was written readable for the copy.
    const bool inSocket = socket.bytesToWrite() == 0;
    if (inSocket && !keepWaiting_) return Handed::Queued;
    if (socket.state() == QLocalSocket::UnconnectedState) return Handed::Lost;
    if (inSocket) {
      socket.waitForReadyRead(kWaitSliceMs);
    } else {
      socket.waitForBytesWritten(kWaitSliceMs);
    }
    AskWaitHook();
  }
}

void TSingleInstance::AskWaitHook() {
  if (waitHook_ && keepWaiting_) keepWaiting_ = waitHook_(static_cast<int>(waited_.elapsed()));
}

TSingleInstance::Start TSingleInstance::Listen() {
  // This start holds the life lock, so no copy runs: a socket file still there was
  // left by one that crashed. A plain listen fails on it; remove it first.
  QLocalServer::removeServer(path_);
  auto server = std::make_unique<QLocalServer>(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path_)) {
    // Nobody can be served: later starts find the lock free and run as this one does.
    ReleaseLifeLock();
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
    // command (opening a large file) may keep the loop away for long. It goes past the
    // socket's own buffer: a sender that stopped waiting has closed its end, and a
    // failed write through the socket would abort it, dropping its later commands.
    pending_.append(QString::fromUtf8(socket.read(size)));
    ::send(static_cast<int>(socket.socketDescriptor()), &kAck, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  ScheduleEmit();
}

QStringList TSingleInstance::StopServing() {
  TakeWaitingCommands();
  CloseServer();
  return std::exchange(pending_, {});
}

void TSingleInstance::TakeWaitingCommands() {
  if (!server_) return;
  // With the name gone no start connects any more: the connections made so far are
  // all there will be, and each start that wrote its commands into one finds them
  // confirmed, or was told they wait in the queue, and ends.
  QLocalServer::removeServer(path_);
  while (server_->waitForNewConnection(0)) AcceptConnections();
  // Reading emits readyRead, which reads the commands and confirms them.
  for (QLocalSocket* socket : server_->findChildren<QLocalSocket*>()) {
    while (socket->waitForReadyRead(0)) {
    }
  }
}

void TSingleInstance::CloseServer() {
  // Closing the server also drops the connections still waiting in its queue: their
  // starts see the drop and try again.
  delete server_;
  server_ = nullptr;
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
