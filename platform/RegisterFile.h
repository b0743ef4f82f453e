// A file-extension association on a Linux desktop: a desktop entry that starts the
// program with the files (Exec with %F), a shared-mime-info package naming the type
// of "*.ext", the user's default application for that type in mimeapps.list, and
// the program's icon in the hicolor theme for the program and the type's files;
// then the desktop's update commands, where present. All of it lives under the
// user's XDG folders, and only our own files and entries are ever removed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rq {

// The user's XDG data and config folders: XDG_DATA_HOME and XDG_CONFIG_HOME when
// they hold absolute paths, else ~/.local/share and ~/.config.
struct XdgFolders {
  std::string dataHome;
  std::string configHome;
  static XdgFolders FromEnvironment();
};

// How one of the desktop's update commands went.
struct DesktopCommandResult {
  bool found = false;  // the command is installed
  bool ok = false;     // it ran and succeeded
  std::string error;   // why not, for the user
};
using DesktopCommandRunner =
    std::function<DesktopCommandResult(const std::string& program, const std::vector<std::string>& args)>;
// Runs an installed command from PATH and waits for it (30 s at most).
DesktopCommandResult RunDesktopCommand(const std::string& program, const std::vector<std::string>& args);

// A path as one argument of a desktop entry's Exec line: quoted, with the
// characters that quoting and the entry's string rules reserve escaped.
std::string DesktopExecArgument(const std::string& path);

class TRegisterFile {
 public:
  explicit TRegisterFile(XdgFolders folders = XdgFolders::FromEnvironment(),
                         DesktopCommandRunner run = RunDesktopCommand);

  // "abc" and ".abc" both give ".abc".
  void SetFileExtension(const std::string& value);
  const std::string& FileExtension() const { return fileExtension_; }

  std::string OpenWith;     // full path of the program file; required
  std::string AppName;      // the name the desktop shows; default: the program file's name
  std::string MimeType;     // default: "application/x-" and the extension without its "."
  std::string TypeComment;  // default: the extension without its "." and " File"
  // The program's icon as PNG files, one per size in pixels (square); none: no icon.
  struct IconImage {
    int size = 0;
    std::string png;
  };
  std::vector<IconImage> Icons;

  // The desktop entry's name: the application name in lower case and ".desktop".
  std::string DesktopId() const;
  std::string DesktopEntryPath() const;
  std::string MimePackagePath() const;
  std::string MimeAppsPath() const;
  // The icon of one size: the program's (apps/, named as the desktop entry), and the
  // type's files (mimetypes/, the type's name with "-" for "/").
  std::string AppIconPath(int size) const;
  std::string TypeIconPath(int size) const;

  // Removes our desktop entry, type package and icons, and our desktop entry from the
  // type's default and added applications (the default goes back to whoever came
  // after us). Another program's files and entries stay. Throws std::runtime_error
  // when the extension is not set or a file cannot be changed.
  bool Unregister();
  // Writes the type package, the icons, the desktop entry and our place first in the
  // type's default applications (keeping the others after it), then runs the desktop's
  // update commands that are installed. Throws std::runtime_error when a required
  // field is missing, a file cannot be written or an update command fails; what was
  // written before stays.
  bool Register();

 private:
  void FillDefaults();
  // The desktop entry's name without ".desktop": the program's icon is named so too.
  std::string EntryStem() const;
  std::string TypePackageStem() const;
  std::string IconFolder(int size) const;
  // Takes our desktop entry out of the type's lists in mimeapps.list, and puts it
  // first among the type's default applications when `first`.
  void UpdateMimeApps(bool first);
  void RunUpdates();

  XdgFolders folders_;
  DesktopCommandRunner run_;
  std::string fileExtension_;
};

}  // namespace rq
