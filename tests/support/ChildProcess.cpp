#include "ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace rq::test {
namespace {

constexpr uid_t kNobody = 65534;

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string_view entry(*e);
    const std::string_view name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& x : extra) replaced |= x.starts_with(std::string(name) + "=");
    if (!replaced) env.emplace_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(int errorsFd, const ChildOptions& options, char** argv, char** envp) {
  const int null = ::open("/dev/null", O_RDWR);
  if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(errorsFd, 2) < 0) ::_exit(125);
  if (options.fileSizeLimit) {
    const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails like one to a full disk
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
  }
  if (options.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(125);
  }
  ::execve(argv[0], argv, envp);
  ::_exit(127);
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& args, const ChildOptions& options) {
  ChildResult result;
  std::vector<std::string> argStrings = args;
  std::vector<std::string> envStrings = ChildEnvironment(options.env);
  std::vector<char*> argv = Pointers(argStrings);
  std::vector<char*> envp = Pointers(envStrings);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  const pid_t pid = ::fork();
  if (pid == 0) StartChild(pipeFds[1], options, argv.data(), envp.data());
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return result;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  char buffer[4096];
  for (;;) {
    pollfd p{pipeFds[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, 200);
    if (ready > 0) {
      const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
      if (n > 0) result.errors.append(buffer, static_cast<size_t>(n));
      else if (n == 0 || errno != EINTR) break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      result.timedOut = true;
      break;
    }
  }
  ::close(pipeFds[0]);

  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.exited = !result.timedOut && WIFEXITED(status);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  result.maxResidentKb = usage.ru_maxrss;
  return result;
}

}  // namespace rq::test
