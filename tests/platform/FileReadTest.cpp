// Whole-file reads take only plain files and tell "no such file" from every other
// reason a file cannot be read.
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

}  // namespace
}  // namespace rq
