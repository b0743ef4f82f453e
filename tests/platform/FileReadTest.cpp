// Whole-file reads take only plain files and tell "no such file" from every other
// reason a file cannot be read; text reads take only 8-bit text.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/FileRead.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

class FileRead : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  const fs::path dir = fs::temp_directory_path() / ("rq_fileread_" + std::to_string(::getpid()));
};

TEST_F(FileRead, PlainFilesAreReadWhole) {
  const std::string bytes("X:1\r\n\0\xff\n", 7);
  std::ofstream(Path("tunes.abc"), std::ios::binary) << bytes;
  fs::create_symlink(Path("tunes.abc"), Path("link.abc"));
  for (const char* name : {"tunes.abc", "link.abc"}) {
    const FileReadResult read = ReadRegularFile(Path(name));
    EXPECT_EQ(read.status, FileReadStatus::Read) << name;
    EXPECT_EQ(read.bytes, bytes) << name;
  }
  std::ofstream(Path("empty.abc"), std::ios::binary);
  EXPECT_EQ(ReadRegularFile(Path("empty.abc")).status, FileReadStatus::Read);
  // A file longer than its look-up said (the kernel's files say 0) is read to its
  // end, past the first probe: the buffer grows only then.
  const FileReadResult maps = ReadRegularFile("/proc/self/smaps");
  ASSERT_EQ(maps.status, FileReadStatus::Read);
  EXPECT_GT(maps.bytes.size(), 4096u);
  EXPECT_EQ(maps.bytes.back(), '\n');
}

// Only a name that leads nowhere is missing; everything else is an error with its
// reason, and a pipe or a device is refused without being read from.
TEST_F(FileRead, OnlyNoSuchFileIsMissing) {
  fs::create_symlink(Path("gone.abc"), Path("dangling.abc"));
  for (const std::string& path : {Path("nothere.abc"), Path("no/such/folder.abc"), Path("dangling.abc")}) {
    const FileReadResult read = ReadRegularFile(path);
    EXPECT_EQ(read.status, FileReadStatus::Missing) << path;
    EXPECT_EQ(read.error, "") << path;
  }

  std::ofstream(Path("plain.abc")) << "x";
  fs::create_directory(Path("folder.abc"));
  ASSERT_EQ(::mkfifo(Path("pipe.abc").c_str(), 0600), 0);
  fs::create_symlink(Path("loop.abc"), Path("loop.abc"));
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = Path("socket.abc");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const struct {
    std::string path;
    const char* reason;
  } refused[] = {
      {Path("folder.abc"), "it is a folder, not a file"},
      {Path("pipe.abc"), "it is a pipe, not a file"},
      {"/dev/zero", "it is a device, not a file"},
      {Path("socket.abc"), "it is a socket, not a file"},
      {Path("loop.abc"), "Too many levels of symbolic links"},
      {Path("plain.abc/inside.abc"), "Not a directory"},
  };
  for (const auto& r : refused) {
    const FileReadResult read = ReadRegularFile(r.path);
    EXPECT_EQ(read.status, FileReadStatus::Failed) << r.path;
    EXPECT_EQ(read.error, "Cannot read \"" + r.path + "\": " + r.reason);
    EXPECT_EQ(read.bytes, "");
  }
  ::close(sock);
}

// Text in 16 or 32 bits and binary files are told by a byte-order mark or a NUL byte
// in the first block; 8-bit text with NUL bytes further on is text.
TEST(TextFiles, OnlyEightBitTextIsText) {
  const std::string tune = "X:1\nT:Reel\nK:D\nDFAF|\n";
  std::string utf16le, utf16be, utf32le;
  for (char c : tune) {
    utf16le += std::string{c, '\0'};
    utf16be += std::string{'\0', c};
    utf32le += std::string{c, '\0', '\0', '\0'};
  }
  const std::string lateNul = std::string(kTextProbeBytes, 'a') + '\0';
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;  // a word of the reason; "" for text
  } cases[] = {
      {"UTF-16 LE with its mark", "\xFF\xFE" + utf16le, "UTF-16"},
      {"UTF-16 BE with its mark", "\xFE\xFF" + utf16be, "UTF-16"},
      {"UTF-32 LE with its mark", std::string("\xFF\xFE\0\0", 4) + utf32le, "UTF-32"},
      {"UTF-32 BE with its mark", std::string("\0\0\xFE\xFF", 4), "UTF-32"},
      {"UTF-16 without a mark", utf16le, "NUL"},
      {"a NUL byte last in the first block", lateNul.substr(1), "NUL"},
      {"a binary file", std::string("\x7F" "ELF\x02\x01\x01\0", 8), "NUL"},
      {"a NUL byte after the first block", lateNul, ""},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + tune, ""},
      {"Windows-1252", "T:Caf\xE9 \xFF\xFE", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    const std::string reason = NotEightBitTextReason(c.bytes);
    if (*c.reason) {
      EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
    } else {
      EXPECT_EQ(reason, "") << c.what;
    }
  }
}

// The text reader refuses what is no text with the plain-file reader's "Cannot read"
// error and its bytes, and reads text and missing files as that reader does.
TEST_F(FileRead, TheTextReaderRefusesWhatIsNoText) {
  std::ofstream(Path("utf16.abc"), std::ios::binary) << std::string("\xFF\xFEX\0:\0", 6);
  const FileReadResult refused = ReadTextFile(Path("utf16.abc"));
  EXPECT_EQ(refused.status, FileReadStatus::Failed);
  EXPECT_EQ(refused.error, "Cannot read \"" + Path("utf16.abc") + "\": " + NotEightBitTextReason("\xFF\xFE"));
  EXPECT_EQ(refused.bytes, "");

  const std::string text = "X:1\r\n" + std::string(kTextProbeBytes, 'z') + '\0';
  std::ofstream(Path("text.abc"), std::ios::binary) << text;
  const FileReadResult read = ReadTextFile(Path("text.abc"));
  EXPECT_EQ(read.status, FileReadStatus::Read);
  EXPECT_EQ(read.bytes, text);
  EXPECT_EQ(ReadTextFile(Path("nothere.abc")).status, FileReadStatus::Missing);
  fs::create_directory(Path("folder.abc"));
  EXPECT_EQ(ReadTextFile(Path("folder.abc")).error, ReadRegularFile(Path("folder.abc")).error);
}

}  // namespace
}  // namespace rq
