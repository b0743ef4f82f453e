// One running program per user: a later start hands its files to the running copy
// as "[Open(<path>)]" commands over a local socket, and ends.
#pragma once

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
    First,     // this copy now serves the name: it runs and receives later starts' files
    PassedOn,  // a running copy took the files: this one ends at once
    Queued,    // a running copy lives but is busy: the files wait in its socket, not yet
               // confirmed, and it opens them when it gets to them; this one ends
    Failed,    // neither: this copy runs without the service (FailureReason says why)
  };

  // Called about ten times a second while a running copy that lives has not yet
  // confirmed the files, with the milliseconds waited so far. Returning false ends the
  // wait once the files are all in its socket: Claim then gives Queued.
  using WaitHook = std::function<bool(int waitedMs)>;

  // The name is the constructor's when not empty, else RQ_INSTANCE_NAME when set,
  // else "reelquill-" + the user's id. A name not starting with "/" is a socket
  // in the temporary folder.
  explicit TSingleInstance(QString name = {}, QObject* parent = nullptr);

  // Called once at start-up. With no paths a running copy is only asked whether it
  // is there. A start that finds a running copy never becomes a second one: it waits
  // for the copy to confirm the files as long as the copy lives (or until the wait
  // hook says to stop). A socket nobody listens on is what a crashed copy left.
  Start Claim(const QStringList& paths);
  void SetWaitHook(WaitHook hook) { waitHook_ = std::move(hook); }

  // The socket file of the running copy, and the lock that guards taking it over.
  const QString& ServerPath() const { return path_; }
  QString LockPath() const { return path_ + QStringLiteral(".lock"); }
  const QString& FailureReason() const { return reason_; }

  // Commands are held (and acknowledged as held) until the receiver is ready for
  // them: from this call on they come out as OpenCommand, those held first, in the
  // order received. Each is emitted from the event loop, never from inside the
  // socket's read handler, so a receiver may run a dialog of its own.
  void StartDelivering();

 signals:
  // A command from a later start, exactly as it sent it ("[Open(/home/me/a.abc)]").
  void OpenCommand(const QString& command);

 private:
  enum class Handed { Confirmed, Queued, Lost };
  Handed PassOn(QLocalSocket& socket, const QStringList& paths);
  Start Listen();
  Start Fail(QString reason);
  void AcceptConnections();
  void ReadCommands(QLocalSocket& socket);
  void ScheduleEmit();
  void EmitPending();

  QString path_;
  QString reason_;
  WaitHook waitHook_;
  QLocalServer* server_ = nullptr;
  QStringList pending_;
  bool delivering_ = false;
  bool emitting_ = false;
  bool emitScheduled_ = false;
};

}  // namespace rq
