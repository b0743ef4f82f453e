// The ".abc" association under temporary XDG folders, and the font sizes offered.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/FontSizes.h"
#include "platform/RegisterFile.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file below a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = Read(entry.path());
  }
  return files;
}

class RegisterFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  // The program's own association, with update commands that are only noted.
  TRegisterFile Association() {
    TRegisterFile association(folders_, [this](const std::string& program, const std::vector<std::string>& args) {
      commands_.push_back(program + " " + args.at(0));
      return DesktopCommandResult{installed_, true, ""};
    });
    association.SetFileExtension("abc");
    association.AppName = "Reelquill";
    association.MimeType = "text/vnd.abc";
    association.TypeComment = "ABC music notation";
    association.OpenWith = "/opt/my tunes/reelquill";
    association.Icons = {{16, "png of 16"}, {48, "png of 48"}};
    return association;
  }
  void Associate() {
    TRegisterFile association = Association();
    association.Unregister();
    association.Register();
  }

  QTemporaryDir dir_;
  const fs::path root_ = dir_.path().toStdString();
  const XdgFolders folders_{(root_ / "data").string(), (root_ / "config").string()};
  const fs::path desktop_ = root_ / "data/applications/reelquill.desktop";
  const fs::path package_ = root_ / "data/mime/packages/reelquill-abc.xml";
  const fs::path mimeApps_ = root_ / "config/mimeapps.list";
  bool installed_ = true;
  std::vector<std::string> commands_;
};

// The desktop entry starts the program with the files and shows its icon, the package
// names the type of "*.abc", the icon in each size is the program's and the type's,
// the default is ours; then the desktop's caches are updated. Associating again
// leaves the very same files; commands that are not installed are skipped.
TEST_F(RegisterFileTest, WritesEntryTypeAndDefaultOnce) {
  Associate();
  EXPECT_EQ(Read(desktop_),
            "[Desktop Entry]\nType=Application\nName=Reelquill\nExec=\"/opt/my tunes/reelquill\" %F\n"
            "Icon=reelquill\nTerminal=false\nMimeType=text/vnd.abc;\nCategories=AudioVideo;Audio;\n");
  for (const char* size : {"16", "48"}) {
    const fs::path icons = root_ / "data/icons/hicolor" / (std::string(size) + "x" + size);
    EXPECT_EQ(Read(icons / "apps/reelquill.png"), std::string("png of ") + size);
    EXPECT_EQ(Read(icons / "mimetypes/text-vnd.abc.png"), std::string("png of ") + size);
  }
  const std::string package = Read(package_);
  EXPECT_NE(package.find("<mime-type type=\"text/vnd.abc\">"), std::string::npos) << package;
  EXPECT_NE(package.find("<glob pattern=\"*.abc\"/>"), std::string::npos) << package;
  EXPECT_EQ(Read(mimeApps_), "[Default Applications]\ntext/vnd.abc=reelquill.desktop;\n");
  const std::string data = folders_.dataHome;
  EXPECT_EQ(commands_, (std::vector<std::string>{"update-mime-database " + data + "/mime",
                                                 "update-desktop-database " + data + "/applications"}));
  const auto first = Snapshot(root_);
  installed_ = false;
  Associate();
  EXPECT_EQ(Snapshot(root_), first);
}

// Another program's entry, type package and place in the lists stay; the default
// goes back to the program that had it before us, and only when it is ours.
TEST_F(RegisterFileTest, UnregisterRemovesOnlyOurOwn) {
  const fs::path other = root_ / "data/applications/other.desktop";
  const fs::path otherType = root_ / "data/mime/packages/abc-editor.xml";
  const fs::path otherIcon = root_ / "data/icons/hicolor/48x48/apps/other.png";
  Write(other, "[Desktop Entry]\nName=Other\nMimeType=text/vnd.abc;\n");
  Write(otherIcon, "their png");
  Write(otherType, "<mime-info><mime-type type=\"text/vnd.abc\"/></mime-info>\n");
  Write(mimeApps_,
        "[Default Applications]\ntext/plain=gedit.desktop\ntext/vnd.abc=other.desktop\n\n"
        "[Added Associations]\ntext/vnd.abc=other.desktop;reelquill.desktop;\n");
  Associate();
  EXPECT_EQ(Read(mimeApps_),
            "[Default Applications]\ntext/plain=gedit.desktop\ntext/vnd.abc=reelquill.desktop;other.desktop;\n\n"
            "[Added Associations]\ntext/vnd.abc=other.desktop;\n");

  Association().Unregister();
  EXPECT_FALSE(fs::exists(desktop_));
  EXPECT_FALSE(fs::exists(package_));
  EXPECT_EQ(Snapshot(root_ / "data/icons"),
            (std::map<std::string, std::string>{{"hicolor/48x48/apps/other.png", "their png"}}));
  EXPECT_EQ(Read(other), "[Desktop Entry]\nName=Other\nMimeType=text/vnd.abc;\n");
  EXPECT_EQ(Read(otherType), "<mime-info><mime-type type=\"text/vnd.abc\"/></mime-info>\n");
  EXPECT_EQ(Read(mimeApps_),
            "[Default Applications]\ntext/plain=gedit.desktop\ntext/vnd.abc=other.desktop;\n\n"
            "[Added Associations]\ntext/vnd.abc=other.desktop;\n");

  // The user made another program the default afterwards: it stays the default.
  Associate();
  Write(mimeApps_, "[Default Applications]\ntext/vnd.abc=other.desktop;reelquill.desktop;\n");
  Association().Unregister();
  EXPECT_EQ(Read(mimeApps_), "[Default Applications]\ntext/vnd.abc=other.desktop;\n");
}

// An update command that fails is an exception with its reason.
TEST_F(RegisterFileTest, FailuresAreReported) {
  TRegisterFile failing(folders_, [](const std::string& program, const std::vector<std::string>&) {
    return DesktopCommandResult{true, false, program + " failed: bad package"};
  });
  failing.SetFileExtension(".abc");
  failing.OpenWith = "/usr/bin/reelquill";
  try {
    failing.Register();
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "update-mime-database failed: bad package");
  }
  // Unset names fall back to the program file's name and the extension.
  EXPECT_NE(Read(package_).find("<comment>abc File</comment>"), std::string::npos);
}

// Paths that need quoting on an Exec line: the entry's own escapes, then the quoting rules.
TEST(DesktopExecArgument, QuotesAndEscapes) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"/usr/bin/reelquill", R"("/usr/bin/reelquill")"},
      {"/opt/my tunes/rq", R"("/opt/my tunes/rq")"},
      {"/opt/a\"b/rq", R"("/opt/a\\"b/rq")"},
      {"/opt/$HOME/rq", R"("/opt/\\$HOME/rq")"},
      {"/opt/a\\b/rq", R"("/opt/a\\\\b/rq")"},
      {"/opt/100%/rq", R"("/opt/100%%/rq")"},
  };
  for (const auto& c : cases) EXPECT_EQ(DesktopExecArgument(c.path), c.expected) << c.path;
}

TEST(XdgFolders, FollowTheEnvironment) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DATA_HOME", "/x/data", 1);
  setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: not taken
  const XdgFolders folders = XdgFolders::FromEnvironment();
  EXPECT_EQ(folders.dataHome, "/x/data");
  EXPECT_EQ(folders.configHome, home + "/.config");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
}

// The desktop's own tool reads our package: "*.abc" becomes our type.
TEST_F(RegisterFileTest, MimeDatabaseTakesThePackage) {
  TRegisterFile association(folders_);
  association.SetFileExtension(".abc");
  association.MimeType = "text/vnd.abc";
  association.OpenWith = "/usr/bin/reelquill";
  association.Register();
  const fs::path globs = root_ / "data/mime/globs2";
  if (!fs::exists(globs)) GTEST_SKIP() << "update-mime-database is not installed";
  EXPECT_NE(Read(globs).find("text/vnd.abc:*.abc"), std::string::npos) << Read(globs);
}

TEST(FontSizes, ScalableFixedAndUnknown) {
  EXPECT_EQ(GetFontSizes("DejaVu Sans Mono").size(), 16);
  EXPECT_EQ(GetFontSizes("dejavu sans mono"), GetFontSizes("DejaVu Sans Mono"));
  EXPECT_TRUE(GetFontSizes("No Such Font").isEmpty());
  // Two strikes that give the same point size are offered once, in ascending order.
  EXPECT_EQ(FixedFontSizes({12, 9, 12, 10}), (QStringList{"9", "10", "12"}));
}

}  // namespace
}  // namespace rq
