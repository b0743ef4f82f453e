// What abctool tells a developer agrees with what the program shows: its usage lines,
// the key column of the index, and the title of a rendered score.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "ChildProcess.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

class ToolOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "rq-tool-output-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream((dir_ / name).string(), std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static test::ChildResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), RQ_ABCTOOL);
    test::ChildOptions options;
    options.env = {"QT_QPA_PLATFORM=offscreen"};
    return test::RunChild(args, options);
  }
  // The tool's standard output for the arguments (which hold no blanks or quotes).
  static std::string Output(const std::string& args) {
    std::string out;
    FILE* pipe = ::popen((std::string(RQ_ABCTOOL) + " " + args + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  fs::path dir_;
};

// Each command's usage line names it once, in the list and when it is called wrongly.
TEST_F(ToolOutput, UsageLinesNameEachCommandOnce) {
  const std::string list = Run({}).errors;
  const struct {
    std::vector<std::string> args;
    const char* line;
  } cases[] = {
      {{}, "  abctool print FILE -o OUT.pdf [--tune N]\n"},
      {{}, "  abctool render FILE --tune N -o OUT.png [--width W --height H --font F]\n"},
      {{}, "  abctool rows FILE [--tune N]\n"},
      {{}, "  abctool index FILE\n"},
      {{"print", "tunes.abc"}, "usage: abctool print FILE -o OUT.pdf [--tune N]\n"},
      {{"render", "tunes.abc"}, "usage: abctool render FILE --tune N -o OUT.png [--width W --height H --font F]\n"},
      {{"rows"}, "usage: abctool rows FILE [--tune N]\n"},
  };
  for (const auto& c : cases) {
    const std::string errors = c.args.empty() ? list : Run(c.args).errors;
    EXPECT_NE(errors.find(c.line), std::string::npos) << c.line << "in:\n" << errors;
  }
  std::istringstream lines(list);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string tool, name, next;
    words >> tool >> name >> next;
    EXPECT_NE(name, next) << line;
  }
}

// The index files every mode under the key the browser shows (the number is the
// key-name index: G 52, Am 8, EDor 41, D 27, F 44, DMix 35, B 10, Bm 16).
TEST_F(ToolOutput, IndexFilesEveryModeUnderAKey) {
  const struct {
    const char* key;
    int index;
  } modes[] = {{"G ionian", 52}, {"A aeolian", 8}, {"E dorian", 41},    {"D phrygian", 27},
               {"F lydian", 44}, {"D Mixolydian", 35}, {"B locrian", 10}, {"B minor", 16}};
  std::string text;
  std::string expected;
  int n = 0;
  for (const auto& m : modes) {
    ++n;
    text += "X:" + std::to_string(n) + "\nT:" + std::string(1, static_cast<char>('a' + n)) + "\nK:" + m.key + "\n";
    expected += std::to_string(n) + "\t" + std::to_string(m.index) + "\n";
  }
  std::istringstream rows(Output("index " + Write("modes.abc", text)));
  std::string got;
  std::string line;
  while (std::getline(rows, line)) {
    if (line.starts_with("#")) continue;
    std::istringstream fields(line);
    std::string seq, key;
    std::getline(fields, seq, '\t');
    std::getline(fields, key, '\t');
    got += seq + "\t" + key + "\n";
  }
  EXPECT_EQ(got, expected);
}

// A title written in UTF-8 is drawn as the same title written in Windows-1252, as
// the score view decodes both; another title draws otherwise.
TEST_F(ToolOutput, RenderedTitlesAreDecodedAsTheScoreViewDoes) {
  const auto render = [&](const std::string& name, const std::string& title) {
    const std::string tune = Write(name + ".abc", "X:1\nT:" + title + "\nC:S\xC3\xA9\x61n\nK:D\nDEFG|\n");
    const test::ChildResult r = Run({"render", tune, "-o", Path(name + ".png")});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    return ReadAll(Path(name + ".png"));
  };
  const std::string utf8 = render("utf8", "Caf\xC3\xA9 R\xC3\xA9\x65l");
  const std::string windows = render("cp1252", "Caf\xE9 R\xE9\x65l");
  const std::string other = render("other", "Cafe Reel");
  ASSERT_FALSE(utf8.empty());
  EXPECT_TRUE(utf8 == windows) << "the UTF-8 title is drawn as other characters";
  EXPECT_FALSE(utf8 == other);
}

}  // namespace
}  // namespace rq
