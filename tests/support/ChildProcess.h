// Runs a program as a child process with its error output captured, for tests and
// benchmarks that treat a tool as a black box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rq::test {

struct ChildOptions {
  std::vector<std::string> env;           // "NAME=value", added to or replacing the environment
  bool unprivileged = false;              // when the superuser runs the tests, run the child as nobody
  std::optional<uint64_t> fileSizeLimit;  // bytes a file may grow to: 0 is a full disk
  int timeoutSeconds = 600;               // killed after this long: a hang, never a speed test
};

struct ChildResult {
  bool exited = false;    // ended by exit (not by a signal, not killed for hanging)
  int exitCode = -1;
  int signal = 0;
  bool timedOut = false;
  std::string errors;     // everything written to stderr
  double cpuSeconds = 0;  // user and system time
  long maxResidentKb = 0;
};

// Runs argv[0] with the arguments; stdin and stdout are /dev/null.
ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

}  // namespace rq::test
