// abctool entry: dispatches to the registered subcommands.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "AbcTool.h"
#include "library/AbcFileFormat.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"
#include "platform/Numbers.h"

namespace rq::tool {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

#ifndef RQ_TOOL_OTHER_COMMANDS
int Usage() {
  std::fprintf(stderr, "usage: abctool COMMAND ...\n");
  for (const auto& c : Registry()) std::fprintf(stderr, "  abctool %s %s\n", c.name, c.usage);
  return 2;
}
#endif

#ifdef RQ_TOOL_OTHER_COMMANDS
// Hands the whole command line to the executable that holds the other commands,
// found beside this one; returns only when it cannot be started.
int RunOtherCommands(char** argv) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string other = (ec ? std::filesystem::path(argv[0]) : self).parent_path() / RQ_TOOL_OTHER_COMMANDS;
  ::execv(other.c_str(), argv);
  std::fprintf(stderr, "abctool: Cannot start \"%s\": %s\n", other.c_str(), std::strerror(errno));
  return 1;
}
#endif

}  // namespace

RegisterCommand::RegisterCommand(Command command) { Registry().push_back(command); }

std::optional<std::string> ReadInputBytes(const std::string& path) {
  FileReadResult read = ReadRegularFile(path);
  if (read.status == FileReadStatus::Missing) {
    std::fprintf(stderr, "abctool: Cannot read \"%s\": no such file\n", path.c_str());
    return std::nullopt;
  }
  if (read.status == FileReadStatus::Failed) {
    std::fprintf(stderr, "abctool: %s\n", read.error.c_str());
    return std::nullopt;
  }
  return std::move(read.bytes);
}

bool InputExists(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) || ec) return true;  // what else is wrong, the reader says
  std::fprintf(stderr, "abctool: Cannot read \"%s\": no such file\n", path.c_str());
  return false;
}

std::optional<TLines> ReadFileLines(const std::string& path) {
  const auto bytes = ReadInputBytes(path);
  if (!bytes) return std::nullopt;
  if (const std::string reason = NotEightBitTextReason(*bytes); !reason.empty()) {
    std::fprintf(stderr, "abctool: Cannot read \"%s\": %s\n", path.c_str(), reason.c_str());
    return std::nullopt;
  }
  return SplitLines(*bytes);
}

std::vector<ToolTune> SplitTunes(const TLines& lines) {
  std::vector<ToolTune> tunes;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (IsTuneStart(lines[i])) {
      ToolTune t;
      t.firstLine = i;
      const std::string& l = lines[i];
      const size_t colon = l.find(':');
      size_t used = 0;
      const auto n = ReadDigits(TrimBlanks(std::string_view(l).substr(colon + 1)), 2147483647, &used);
      t.number = n ? static_cast<int>(*n) : 0;
      tunes.push_back(std::move(t));
    }
    if (!tunes.empty()) tunes.back().lines.push_back(lines[i]);
  }
  return tunes;
}

std::optional<std::string> OptionValue(const Args& args, const std::string& name) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == name) return args[i + 1];
  }
  return std::nullopt;
}

std::optional<std::string> FirstPositional(const Args& args, const std::vector<std::string>& valueOptions) {
  for (size_t i = 0; i < args.size(); ++i) {
    bool takesValue = false;
    for (const auto& o : valueOptions) takesValue |= (args[i] == o);
    if (takesValue) { ++i; continue; }
    if (args[i].rfind("--", 0) == 0) continue;
    return args[i];
  }
  return std::nullopt;
}

bool SelectTunes(const Args& args, const TLines& lines, std::vector<ToolTune>& out) {
  auto tunes = SplitTunes(lines);
  const auto wanted = OptionValue(args, "--tune");
  if (!wanted) {
    out = std::move(tunes);
    return true;
  }
  const auto n = ParseInt(*wanted);
  if (!n) {
    std::fprintf(stderr, "abctool: --tune wants a number, not \"%s\"\n", wanted->c_str());
    return false;
  }
  for (auto& t : tunes) {
    if (t.number == *n) {
      out.push_back(std::move(t));
      return true;
    }
  }
  std::fprintf(stderr, "abctool: no tune X:%d in the file\n", *n);
  return false;
}

int LoadTunes(const Args& args, const std::vector<std::string>& valueOptions, const char* usage,
              std::vector<ToolTune>& tunes) {
  const auto path = FirstPositional(args, valueOptions);
  if (!path) {
    std::fprintf(stderr, "usage: abctool %s\n", usage);
    return 2;
  }
  const auto lines = ReadFileLines(*path);
  if (!lines) return 1;
  if (!SelectTunes(args, *lines, tunes)) return 1;
  if (tunes.empty()) {
    std::fprintf(stderr, "abctool: no tune in \"%s\"\n", path->c_str());
    return 1;
  }
  return 0;
}

}  // namespace rq::tool

int main(int argc, char** argv) {
  using namespace rq::tool;
  rq::IgnoreFileSizeSignal();
  if (argc >= 2) {
    const std::string name = argv[1];
    Args args(argv + 2, argv + argc);
    for (const auto& c : Registry()) {
      if (name == c.name) return c.run(args);
    }
  }
#ifdef RQ_TOOL_OTHER_COMMANDS
  return RunOtherCommands(argv);
#else
  return Usage();
#endif
}
