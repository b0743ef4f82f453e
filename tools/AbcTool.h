// abctool: the developer's command-line view of what the program computes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ByteText.h"

namespace rq::tool {

using Args = std::vector<std::string>;

// A subcommand registers itself with a static RegisterCommand object in its own file.
struct Command {
  const char* name;
  const char* usage;  // the arguments after the name, as the usage lines show them
  int (*run)(const Args& args);  // args exclude the subcommand's name; returns the exit code
};

struct RegisterCommand {
  explicit RegisterCommand(Command command);
};

// Every error is one line on stderr, "abctool: " and the reason, and a non-zero exit.

// Reads a whole input file (only a plain file: never a folder, pipe or device);
// prints the reason, a missing file included, and returns nullopt on failure.
std::optional<std::string> ReadInputBytes(const std::string& path);
// Reads a tune file into lines; what is no 8-bit text (UTF-16, UTF-32, NUL bytes at
// the start) is refused with its reason, as the program refuses it.
std::optional<TLines> ReadFileLines(const std::string& path);
// False, after printing why, when nothing of that name exists: a tool never
// takes a missing input for an empty one.
bool InputExists(const std::string& path);

// One tune of a file: its lines, from its "X:" line (column 1 or 2) to the next.
struct ToolTune {
  int number = 0;     // the X: value, 0 when not a number
  size_t firstLine = 0;
  TLines lines;
};
std::vector<ToolTune> SplitTunes(const TLines& lines);

// The value of "--name VALUE" in args, if present.
std::optional<std::string> OptionValue(const Args& args, const std::string& name);
// The first argument that is neither an option nor an option's value.
std::optional<std::string> FirstPositional(const Args& args, const std::vector<std::string>& valueOptions);

// Reads the file named by the first positional argument and selects its tunes as
// SelectTunes does. Prints the usage or the reason on failure and returns the exit
// code (2 for a usage error, 1 for a file error or when no tune is selected); 0 on
// success, with at least one tune.
int LoadTunes(const Args& args, const std::vector<std::string>& valueOptions, const char* usage,
              std::vector<ToolTune>& tunes);

// Selects the tunes named by "--tune N" (by X: number), or all when absent.
// Prints a message and returns false when N is not a number or no tune has it.
bool SelectTunes(const Args& args, const TLines& lines, std::vector<ToolTune>& out);

}  // namespace rq::tool
