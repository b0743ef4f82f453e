// Quit signals through a socket pair: the handler only writes the signal's number,
// which is async-signal-safe; the window thread reads it and acts.
#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "platform/AtomicFile.h"

namespace rq {
namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT};
std::atomic<int> writeFd{-1};

void OnQuitSignal(int signalNumber) {
  const int savedErrno = errno;
  const int fd = writeFd.load();
  // A full socket already holds a request to quit: dropping this one loses nothing.
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent) {
  IgnoreFileSizeSignal();
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) return;
  writeFd = fds_[1];
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  notifier_->setEnabled(false);
  connect(notifier_, &QSocketNotifier::activated, this, &TQuitSignals::ReadPending);
  struct sigaction action {};
  action.sa_handler = &OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signalNumber : kQuitSignals) ::sigaction(signalNumber, &action, nullptr);
}

TQuitSignals::~TQuitSignals() {
  for (const int signalNumber : kQuitSignals) std::signal(signalNumber, SIG_DFL);
  writeFd = -1;
  delete notifier_;
  for (const int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

void TQuitSignals::StartDelivering() {
  if (notifier_) notifier_->setEnabled(true);
}

void TQuitSignals::ReadPending() {
  unsigned char bytes[16];
  ssize_t n;
  while ((n = ::read(fds_[0], bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR)) {
    for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
  }
}

}  // namespace rq
