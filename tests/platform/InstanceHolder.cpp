// Serves an instance name and holds its start lock, as a copy stopped in the middle
// of its start would, says "ready" and waits to be killed: the tests kill it to get
// the socket file and the lock that a crashed copy leaves behind.
#include <QCoreApplication>
#include <QLockFile>

#include <cstdio>

#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) return 2;
  rq::TSingleInstance instance(QString::fromLocal8Bit(argv[1]));
  if (instance.Claim({}) != rq::TSingleInstance::Start::First) return 1;
  QLockFile lock(instance.LockPath());
  if (!lock.tryLock()) return 1;
  std::puts("ready");
  std::fflush(stdout);
  return app.exec();
}
