// One running program per user: the running copy holds a lock for its whole life, and
// a later start hands its files to it as "[Open(<path>)]" commands over a local
// socket, and ends.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLocalServer;
class QLocalSocket;

namespace rq {

// The path of an open command: everything between the leading "[Open(" and the
// final ")]", so "Reels (2).abc" keeps its parentheses. Blanks and line ends around
// the command are ignored. Nullopt for any other text and for an empty path.
std::optional<std::string> OpenCommandPath(std::string_view command);

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Start {
    First,     // this copy is the running program: it holds the life lock, serves the
               // name and receives later starts' files
    PassedOn,  // a running copy took the files (or, with none, merely runs): this one ends
    Queued,    // a running copy lives but is busy: the files wait in its socket, not yet
               // confirmed, and it opens them when it gets to them; this one ends
    Failed,    // no copy runs and neither the lock nor the socket can be made: this
               // one runs without the service (FailureReason says why)
  };

  // Called about ten times a second while a running copy has not yet confirmed the
  // files, with the milliseconds waited so far. Returning false ends the wait once the
  // files are all in its socket: Claim then gives Queued. Until they are, the start
  // goes on trying without asking the hook again.
  using WaitHook = std::function<bool(int waitedMs)>;

  // The name is the constructor's when not empty, else RQ_INSTANCE_NAME when set,
  // else "reelquill-" + the user's id. A name not starting with "/" is a socket
  // in the temporary folder.
  explicit TSingleInstance(QString name = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Called once at start-up. Whether a copy runs is a fact: the running copy holds
  // the life lock from here until its process ends, however it ends. A start that
  // takes the lock is the running copy. One that cannot never listens: with no paths
  // it ends at once; with paths it hands them over, trying again while the copy cannot
  // take a connection (still starting, or its queue of waiting connections full),
  // until the copy confirms them, the hook stops the wait with the files in its
  // socket, or the lock comes free and this start takes it.
  Start Claim(const QStringList& paths);
  void SetWaitHook(WaitHook hook) { waitHook_ = std::move(hook); }

  // The socket file of the running copy, and the lock file beside it that the copy
  // holds for its whole life.
  const QString& ServerPath() const { return path_; }
  QString LockPath() const { return path_ + QStringLiteral(".lock"); }
  const QString& FailureReason() const { return reason_; }

  // Commands are held (and acknowledged as held) until the receiver is ready for
  // them: from this call on they come out as OpenCommand, those held first, in the
  // order received. Each is emitted from the event loop, never from inside the
  // socket's read handler, so a receiver may run a dialog of its own.
  void StartDelivering();
  // Takes no more commands, for a copy on its way out: a start that comes now waits
  // until this copy has ended (the life lock stays held until then) and runs itself.
  // Gives back, in the order received, the commands taken and not delivered: those
  // held, then those still waiting in the connections (a start that stopped waiting
  // ended once its commands were there). Their starts were told they are taken, so
  // the caller sees that they open all the same.
  QStringList StopServing();
  // Lets go of the name and the life lock, as the end of this object does: from now on
  // a start runs as the program.
  void Leave();

 signals:
  // A command from a later start, exactly as it sent it ("[Open(/home/me/a.abc)]").
  void OpenCommand(const QString& command);

 private:
  enum class Lock { Taken, HeldByRunningCopy, Unavailable };
  enum class Handed { Confirmed, Queued, Lost };
  Lock TakeLifeLock();
  void ReleaseLifeLock();
  Handed PassOn(QLocalSocket& socket, QStringList& commands);
  void AskWaitHook();
  Start Listen();
  Start Fail(QString reason);
  void AcceptConnections();
  void TakeWaitingCommands();
  void CloseServer();
  void ReadCommands(QLocalSocket& socket);
  void ScheduleEmit();
  void EmitPending();

  QString path_;
  QString reason_;
  WaitHook waitHook_;
  QElapsedTimer waited_;
  bool keepWaiting_ = true;
  int lifeLock_ = -1;
  QLocalServer* server_ = nullptr;
  QStringList pending_;
  bool delivering_ = false;
  bool emitting_ = false;
  bool emitScheduled_ = false;
};

}  // namespace rq
