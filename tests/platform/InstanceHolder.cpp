// Plays a running copy of the program for the tests, says "ready" and waits to be
// killed. Given a name, it is the running copy and serves the name: killed, it leaves
// the socket file and the lock file that a crashed copy leaves behind. With
// "--lock-only" after the name it holds only the life lock, as a copy stopped in the
// middle of its start, before it listens, would.
#include <fcntl.h>
#include <sys/file.h>

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>

#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2 || argc > 3) return 2;
  rq::TSingleInstance instance(QString::fromLocal8Bit(argv[1]));
  if (argc == 3 && std::strcmp(argv[2], "--lock-only") == 0) {
    const int lock = ::open(QFile::encodeName(instance.LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) return 1;
  } else if (argc == 3 || instance.Claim({}) != rq::TSingleInstance::Start::First) {
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  return app.exec();
}
