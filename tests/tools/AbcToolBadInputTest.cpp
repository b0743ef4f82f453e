// abctool on bad input, through its entry point: every subcommand answers a folder,
// a missing file, a pipe, an unreadable file, an empty file, random bytes, UTF-16
// text, a very long line, a very long tune, many voices, deep brackets, and outputs
// it cannot write, either with one line on stderr and a non-zero exit or with a
// result; never with a crash, a hang or a partial output file. The tool runs as an
// ordinary user (nobody, when the tests run as the superuser), so that permissions
// hold; nobody may not reach the build folder (a checkout in a private home), so the
// tool runs from a copy in the workspace. The large inputs are scaled down for the
// test run; RQ_BAD_INPUT_FULL=1 gives the full sizes (a 50 MB line, a tune of 100,000 bars).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <set>

#include "ChildProcess.h"
#include "LargeTunes.h"
#include "library/FileAbc.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

// What a run may end with.
enum class Expect { Error, Result, Either };

bool Full() {
  const char* full = std::getenv("RQ_BAD_INPUT_FULL");
  return full && *full && std::string(full) != "0";
}

constexpr fs::perms kOthersReadAndSearch = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec;

// Whether every folder from the root down to `dir` lets other users through.
bool OthersCanReach(const fs::path& dir) {
  std::error_code ec;
  for (fs::path p = fs::absolute(dir, ec); !ec; p = p.parent_path()) {
    if ((fs::status(p, ec).permissions() & fs::perms::others_exec) == fs::perms::none) return false;
    if (p == p.parent_path()) return true;
  }
  return false;
}

// The temporary folder, unless TMPDIR points somewhere private.
fs::path SharedTemporaryFolder() {
  const fs::path temp = fs::temp_directory_path();
  return OthersCanReach(temp) ? temp : fs::path("/tmp");
}

// A folder the tool (running as nobody) can read and write, with a copy of the tool,
// of the drawing commands' executable it hands those to and of the music font they
// load from beside themselves; removed at the end.
class Workspace {
 public:
  Workspace() {
    std::string name = (SharedTemporaryFolder() / "rq-abctool-XXXXXX").string();
    root_ = ::mkdtemp(name.data());
    fs::permissions(root_, kOthersReadAndSearch);
    fs::create_directories(root_ / "home");
    fs::permissions(root_ / "home", fs::perms::all);
    const fs::path built = RQ_ABCTOOL;
    fs::create_directory(root_ / "bin");
    fs::permissions(root_ / "bin", kOthersReadAndSearch);
    for (const fs::path& file : {built.filename(), fs::path("abctool-draw"), fs::path("musical.ttf")}) {
      fs::copy_file(built.parent_path() / file, root_ / "bin" / file);
    }
    tool_ = root_ / "bin" / built.filename();
  }
  ~Workspace() {
    std::error_code ec;
    fs::permissions(root_ / "ro", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  std::string Tool() const { return tool_.string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  // A fresh folder for one run's outputs, writable by the tool.
  std::string OutputFolder() {
    const std::string dir = Path("out-" + std::to_string(++outputs_));
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    return dir;
  }

 private:
  fs::path root_;
  fs::path tool_;
  int outputs_ = 0;
};

Workspace& Space() {
  static Workspace space;
  return space;
}

std::string RandomBytes(size_t size) {
  std::mt19937 random(17);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

struct InputCase {
  const char* name;
  std::function<std::string()> make;  // makes the input; returns its path
  Expect expect;
};

const InputCase kInputs[] = {
    {"Folder", [] { fs::create_directory(Space().Path("folder.abc")); return Space().Path("folder.abc"); }, Expect::Error},
    {"MissingFile", [] { return Space().Path("missing.abc"); }, Expect::Error},
    {"Pipe", [] { ::mkfifo(Space().Path("pipe.abc").c_str(), 0666); return Space().Path("pipe.abc"); }, Expect::Error},
    {"Unreadable", [] {
       const std::string path = Space().Write("unreadable.abc", test::TuneOfBars(8));
       ::chmod(path.c_str(), 0);
       return path;
     }, Expect::Error},
    {"BelowAPlainFile", [] { return Space().Write("plain.abc", test::TuneOfBars(8)) + "/inside.abc"; }, Expect::Error},
    {"EmptyFile", [] { return Space().Write("empty.abc", ""); }, Expect::Either},
    {"RandomBytes", [] { return Space().Write("random.abc", RandomBytes(100000)); }, Expect::Either},
    {"Utf16", [] { return Space().Write("utf16.abc", Utf16(test::TuneOfBars(8))); }, Expect::Either},
    {"LongLine", [] { return Space().Write("line.abc", test::TuneWithLongLine(Full() ? 50000000 : 200000)); }, Expect::Result},
    {"ManyBars", [] { return Space().Write("bars.abc", test::TuneOfBars(Full() ? 100000 : 10000)); }, Expect::Result},
    {"TwoHundredVoices", [] { return Space().Write("voices.abc", test::TuneWithVoices(200)); }, Expect::Result},
    {"NestedBrackets", [] { return Space().Write("nested.abc", test::TuneWithNestedBrackets(20000)); }, Expect::Result},
};

void PrintTo(const InputCase& input, std::ostream* out) { *out << input.name; }

// A subcommand that reads a file; `output` names the file it writes ("" for none).
struct Command {
  const char* name;
  std::vector<std::string> args;  // after the input's path; "OUT" is replaced by the output
  const char* output;
};

const Command kReaders[] = {
    {"parse", {}, ""},
    {"highlight", {}, ""},
    {"events", {}, ""},
    {"code", {}, ""},
    {"rows", {}, ""},
    {"midi", {"-o", "OUT"}, "tune.mid"},
    {"render", {"-o", "OUT"}, "tune.png"},
    {"print", {"-o", "OUT"}, "tunes.pdf"},
    {"index", {}, ""},
    {"roundtrip", {"OUT"}, "copy.abc"},
    {"search", {"--text", "reel"}, ""},
    {"settings", {}, ""},
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = at; i < at + 4 && i < bytes.size(); ++i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

// A whole PNG ends with its IEND chunk, and is no larger than an image may be (32,767
// pixels high, 64 million pixels); a whole MIDI file's chunks fill it exactly.
bool Complete(const std::string& path) {
  if (!fs::is_regular_file(path)) return fs::is_directory(path);
  const std::string bytes = ReadAll(path);
  if (path.ends_with(".png")) {
    const uint64_t width = BigEndian32(bytes, 16);
    const uint64_t height = BigEndian32(bytes, 20);
    return bytes.starts_with("\x89PNG\r\n\x1a\n") && bytes.ends_with(std::string("IEND\xAE\x42\x60\x82", 8)) &&
           height <= 32767 && width * height <= (uint64_t{1} << 26);
  }
  if (path.ends_with(".pdf")) return bytes.starts_with("%PDF-") && bytes.find("%%EOF") != std::string::npos;
  if (path.ends_with(".mid")) {
    size_t at = 0;
    while (at + 8 <= bytes.size()) at += 8 + BigEndian32(bytes, at + 4);
    return bytes.starts_with("MThd") && at == bytes.size();
  }
  return true;
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) names.insert(e.path().filename().string());
  return names;
}

class AbcTool : public ::testing::Test {
 protected:
  test::ChildResult Run(std::vector<std::string> args, const test::ChildOptions& extra = {}) {
    args.insert(args.begin(), Space().Tool());
    test::ChildOptions options = extra;
    options.unprivileged = true;
    const std::string home = Space().Path("home");
    options.env.insert(options.env.end(), {"QT_QPA_PLATFORM=offscreen", "HOME=" + home, "XDG_CACHE_HOME=" + home,
                                           "RQ_MIDI_RECORD=" + home + "/midi.log"});
    return test::RunChild(args, options);
  }

  // The run ended by itself as `expect` allows: an error is one line and leaves the
  // output's folder as it was; a result adds the whole output and nothing else.
  static void Check(const test::ChildResult& r, Expect expect, const std::string& output,
                    const std::set<std::string>& before, const std::string& label) {
    ASSERT_FALSE(r.timedOut) << label << " hung";
    ASSERT_TRUE(r.exited) << label << " ended by signal " << r.signal << "\n" << r.errors;
    std::set<std::string> expected = before;
    if (r.exitCode == 0) {
      EXPECT_NE(expect, Expect::Error) << label << " gave a result";
      if (!output.empty()) {
        EXPECT_TRUE(Complete(output)) << label << ": " << output << " is not whole";
        expected.insert(fs::path(output).filename().string());
      }
    } else {
      EXPECT_NE(expect, Expect::Result) << label << " failed: " << r.errors;
      EXPECT_TRUE(r.errors.starts_with("abctool: ") && r.errors.find('\n') == r.errors.size() - 1)
          << label << " did not say why in one line:\n" << r.errors;
    }
    if (!output.empty()) {
      EXPECT_EQ(Names(fs::path(output).parent_path().string()), expected) << label;
    }
  }
};

class AbcToolInput : public AbcTool, public ::testing::WithParamInterface<InputCase> {};

TEST_P(AbcToolInput, EverySubcommandAnswersInOneLineOrWithAResult) {
  const InputCase& input = GetParam();
  const std::string path = input.make();
  for (const Command& command : kReaders) {
    const std::string output = *command.output ? Space().OutputFolder() + "/" + command.output : "";
    std::vector<std::string> args = {command.name, path};
    for (const auto& a : command.args) args.push_back(a == "OUT" ? output : a);
    Check(Run(args), input.expect, output, {}, std::string(command.name) + " " + input.name);
  }
  // Playing needs a tune: every input without one must say so, never play.
  if (input.expect != Expect::Result) Check(Run({"play", path}), Expect::Error, "", {}, std::string("play ") + input.name);
}

INSTANTIATE_TEST_SUITE_P(BadInputs, AbcToolInput, ::testing::ValuesIn(kInputs),
                         [](const testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// abctool takes what the program opens and refuses what it refuses: a file the
// program saved after deleting the tunes above a stray NUL byte opens in both, and
// UTF-16, UTF-32 and binary files are refused by both with the same reason.
TEST_F(AbcTool, OpensAndRefusesWhatTheProgramDoes) {
  const std::string above = "X:1\nT:Above\nK:D\n" + std::string(70, 'a') + "|\n\n";
  const std::string path = Space().Write("stray.abc", above + std::string("X:2\nT:Stray\nK:G\nG\0AB|\n", 22));
  {
    TAbcFile file(path, nullptr);
    ASSERT_EQ(file.DeleteTuneRec(file.FindBySeq(1)), 0);
    ASSERT_GE(file.Save(), 0);
  }
  ::chmod(path.c_str(), 0644);
  std::string utf32 = "\xFF\xFE";
  utf32 += '\0';
  utf32 += '\0';
  for (const char c : test::TuneOfBars(4)) utf32 += std::string{c, '\0', '\0', '\0'};
  const struct {
    const char* what;
    std::string path;
    bool opens;
  } files[] = {
      {"saved by the program", path, true},
      {"UTF-16", Space().Write("utf16.abc", Utf16(test::TuneOfBars(4))), false},
      {"UTF-16 without a mark", Space().Write("utf16bare.abc", Utf16(test::TuneOfBars(4)).substr(2)), false},
      {"UTF-32", Space().Write("utf32.abc", utf32), false},
      {"binary", Space().Write("binary.abc", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0", 12)), false},
  };
  for (const auto& f : files) {
    std::string programSays;
    try {
      TAbcFile opened(f.path, nullptr);
    } catch (const EFileError& e) {
      programSays = e.what();
    }
    EXPECT_EQ(programSays.empty(), f.opens) << f.what << ": " << programSays;
    for (const char* command : {"index", "parse"}) {
      const test::ChildResult r = Run({command, f.path});
      ASSERT_TRUE(r.exited) << f.what;
      EXPECT_EQ(r.exitCode == 0, f.opens) << command << " " << f.what << ": " << r.errors;
      if (!f.opens) {
        EXPECT_EQ(r.errors, "abctool: " + programSays + "\n") << command << " " << f.what;
      }
    }
  }
}

// Outputs that cannot be written: the command says why in one line and leaves the
// folder as it was; where it makes what it needs (the gallery's folder), a result.
TEST_F(AbcTool, OutputsThatCannotBeWrittenLeaveNothingBehind) {
  const std::string tune = Space().Write("good.abc", test::TuneOfBars(16));
  const std::string readOnly = Space().Path("ro");
  fs::create_directory(readOnly);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const struct {
    std::vector<std::string> args;  // "OUT" is replaced by the output
    const char* file;
  } writers[] = {
      {{"midi", tune, "-o", "OUT"}, "out.mid"},
      {{"render", tune, "-o", "OUT"}, "out.png"},
      {{"print", tune, "-o", "OUT"}, "out.pdf"},
      {{"roundtrip", tune, "OUT"}, "out.abc"},
      {{"glyphs", "OUT"}, "out.png"},
      {{"gallery", "OUT"}, "shots"},
  };
  for (const auto& writer : writers) {
    const bool gallery = writer.args[0] == "gallery";
    const std::string folder = Space().OutputFolder();
    fs::create_directory(folder + "/taken");
    fs::permissions(folder + "/taken", fs::perms::all);
    const std::string readOnlyFile = folder + "/read-only-" + writer.file;
    std::ofstream(readOnlyFile) << "keep";
    ::chmod(readOnlyFile.c_str(), 0444);
    ::mkfifo((folder + "/pipe-" + writer.file).c_str(), 0666);
    const struct {
      const char* situation;
      std::string output;
      std::optional<uint64_t> fileSizeLimit;
      Expect expect;
    } situations[] = {
        {"into a read-only folder", readOnly + "/" + writer.file, std::nullopt, Expect::Error},
        {"below a missing folder", folder + "/none/" + writer.file, std::nullopt, gallery ? Expect::Result : Expect::Error},
        {"onto a full disk", folder + "/" + writer.file, 0, Expect::Error},
        {"over a folder", folder + "/taken", std::nullopt, gallery ? Expect::Result : Expect::Error},
        {"over a read-only file", readOnlyFile, std::nullopt, Expect::Error},
        {"into a pipe", folder + "/pipe-" + writer.file, std::nullopt, Expect::Error},
    };
    for (const auto& s : situations) {
      std::vector<std::string> args = writer.args;
      for (auto& a : args) a = a == "OUT" ? s.output : a;
      test::ChildOptions options;
      options.fileSizeLimit = s.fileSizeLimit;
      const std::string label = writer.args[0] + " " + s.situation;
      const std::set<std::string> before = Names(fs::path(s.output).parent_path().string());
      const test::ChildResult r = Run(args, options);
      Check(r, s.expect, s.output, before, label);
      if (gallery && r.exitCode == 0) {
        for (const auto& name : Names(s.output)) EXPECT_TRUE(Complete(s.output + "/" + name)) << label << ": " << name;
      }
    }
    EXPECT_EQ(ReadAll(readOnlyFile), "keep");
  }
}

// The commands that draw and sound nothing start without Qt, the synthesizer, ALSA
// or ICU: none of them is among the libraries the tool asks the loader for. The
// other commands are handed to the drawing executable, which does ask for them.
TEST(AbcToolStart, TheToolLoadsNoWindowingOrSoundLibraries) {
  const fs::path tool = RQ_ABCTOOL;
  const std::string plain = ReadAll(tool.string());
  const std::string drawing = ReadAll((tool.parent_path() / "abctool-draw").string());
  ASSERT_FALSE(plain.empty());
  EXPECT_NE(drawing.find("libQt6Gui.so"), std::string::npos);
  for (const char* library : {"libQt6", "libfluidsynth.so", "libasound.so", "libicu"}) {
    EXPECT_EQ(plain.find(library), std::string::npos) << library;
  }
}

}  // namespace
}  // namespace rq
