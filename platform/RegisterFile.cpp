#include "platform/RegisterFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/ByteText.h"
#include "platform/IniFile.h"

namespace rq {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultGroup = "Default Applications";
constexpr const char* kAddedGroup = "Added Associations";
constexpr int kCommandTimeoutMs = 30'000;

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) return user->pw_dir;
  return "/";
}

// An XDG variable counts only when it holds an absolute path.
std::string XdgFolder(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  return HomeFolder() + "/" + fallback;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A desktop entry's string value keeps one line: line breaks become their escapes.
std::string EntryValue(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

void WriteOrThrow(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) throw std::runtime_error("Cannot make the folder of \"" + path + "\": " + ec.message());
  const FileWriteResult written = WriteFileAtomically(path, bytes);
  if (!written) throw std::runtime_error(written.error);
}

// True when the file was there and is gone now.
bool RemoveOrThrow(const std::string& path) {
  std::error_code ec;
  const bool removed = fs::remove(path, ec);
  if (ec) throw std::runtime_error("Cannot remove \"" + path + "\": " + ec.message());
  return removed;
}

// The desktop entries of a mimeapps.list value, in order, without empty items.
std::vector<std::string> DesktopIds(const std::string& value) {
  std::vector<std::string> ids;
  size_t from = 0;
  while (from <= value.size()) {
    const size_t semicolon = std::min(value.find(';', from), value.size());
    if (semicolon > from) ids.push_back(value.substr(from, semicolon - from));
    from = semicolon + 1;
  }
  return ids;
}

std::string JoinedIds(const std::vector<std::string>& ids) {
  std::string value;
  for (const std::string& id : ids) value += id + ";";
  return value;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  return {XdgFolder("XDG_DATA_HOME", ".local/share"), XdgFolder("XDG_CONFIG_HOME", ".config")};
}

DesktopCommandResult RunDesktopCommand(const std::string& program, const std::vector<std::string>& args) {
  DesktopCommandResult result;
  const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
  if (path.isEmpty()) return result;
  result.found = true;
  QStringList arguments;
  for (const std::string& arg : args) arguments << QString::fromStdString(arg);
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(path, arguments);
  if (!process.waitForFinished(kCommandTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    result.error = program + " did not finish: " + process.errorString().toStdString();
    return result;
  }
  result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  if (!result.ok) {
    const std::string output = QString::fromLocal8Bit(process.readAll()).trimmed().toStdString();
    result.error = program + " failed" + (output.empty() ? std::string() : ": " + output);
  }
  return result;
}

std::string DesktopExecArgument(const std::string& path) {
  // Inside the quotes '"', '`', '$' and '\' take a backslash; then the string value
  // doubles every backslash, and '%' is written '%%' so it is no field code.
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$') quoted += std::string("\\\\") + c;
    else if (c == '\\') quoted += "\\\\\\\\";
    else if (c == '%') quoted += "%%";
    else if (c == '\n') quoted += "\\n";
    else quoted += c;
  }
  return quoted + "\"";
}

TRegisterFile::TRegisterFile(XdgFolders folders, DesktopCommandRunner run)
    : folders_(std::move(folders)), run_(std::move(run)) {}

void TRegisterFile::SetFileExtension(const std::string& value) {
  fileExtension_ = value.starts_with('.') ? value : "." + value;
}

std::string TRegisterFile::DesktopId() const {
  std::string name = AppName.empty() ? fs::path(OpenWith).stem().string() : AppName;
  return ToLowerAscii(name) + ".desktop";
}

std::string TRegisterFile::EntryStem() const { return fs::path(DesktopId()).stem().string(); }

std::string TRegisterFile::TypePackageStem() const { return EntryStem() + "-" + fileExtension_.substr(1); }

std::string TRegisterFile::DesktopEntryPath() const { return folders_.dataHome + "/applications/" + DesktopId(); }

std::string TRegisterFile::MimePackagePath() const {
  return folders_.dataHome + "/mime/packages/" + TypePackageStem() + ".xml";
}

std::string TRegisterFile::MimeAppsPath() const { return folders_.configHome + "/mimeapps.list"; }

std::string TRegisterFile::AppIconPath(int size) const {
  return IconFolder(size) + "/apps/" + EntryStem() + ".png";
}

std::string TRegisterFile::TypeIconPath(int size) const {
  std::string name = MimeType;
  std::replace(name.begin(), name.end(), '/', '-');
  return IconFolder(size) + "/mimetypes/" + name + ".png";
}

std::string TRegisterFile::IconFolder(int size) const {
  const std::string side = std::to_string(size);
  return folders_.dataHome + "/icons/hicolor/" + side + "x" + side;
}

void TRegisterFile::FillDefaults() {
  const std::string bare = fileExtension_.substr(1);
  if (MimeType.empty()) MimeType = "application/x-" + ToLowerAscii(bare);
  if (TypeComment.empty()) TypeComment = bare + " File";
  if (AppName.empty()) AppName = fs::path(OpenWith).stem().string();
}

void TRegisterFile::UpdateMimeApps(bool first) {
  const std::string path = MimeAppsPath();
  std::string error;
  std::optional<IniFile> list = IniFile::Load(path, &error);
  if (!list) throw std::runtime_error(error);
  const std::string ours = DesktopId();
  for (const char* group : {kDefaultGroup, kAddedGroup}) {
    if (!list->ValueExists(group, MimeType)) continue;
    std::vector<std::string> ids = DesktopIds(list->ReadString(group, MimeType, ""));
    if (std::erase(ids, ours) == 0) continue;
    if (ids.empty()) list->DeleteKey(group, MimeType);
    else list->WriteString(group, MimeType, JoinedIds(ids));
  }
  if (first) {
    std::vector<std::string> ids = DesktopIds(list->ReadString(kDefaultGroup, MimeType, ""));
    ids.insert(ids.begin(), ours);
    list->WriteString(kDefaultGroup, MimeType, JoinedIds(ids));
  }
  if (list->Modified()) WriteOrThrow(path, list->ToBytes());
}

void TRegisterFile::RunUpdates() {
  const std::pair<const char*, std::string> commands[] = {
      {"update-mime-database", folders_.dataHome + "/mime"},
      {"update-desktop-database", folders_.dataHome + "/applications"},
  };
  for (const auto& [program, folder] : commands) {
    const DesktopCommandResult result = run_(program, {folder});
    if (result.found && !result.ok) throw std::runtime_error(result.error);
  }
}

bool TRegisterFile::Unregister() {
  if (fileExtension_.empty()) throw std::runtime_error("TRegisterFile.FileExtension property has not been set");
  if (AppName.empty() && OpenWith.empty()) throw std::runtime_error("TRegisterFile.OpenWith has not been set");
  FillDefaults();
  bool changed = RemoveOrThrow(DesktopEntryPath());
  changed = RemoveOrThrow(MimePackagePath()) || changed;
  for (const IconImage& icon : Icons) {
    RemoveOrThrow(AppIconPath(icon.size));
    RemoveOrThrow(TypeIconPath(icon.size));
  }
  UpdateMimeApps(false);
  if (changed) RunUpdates();
  return true;
}

bool TRegisterFile::Register() {
  if (fileExtension_.empty()) throw std::runtime_error("TRegisterFile.FileExtension has not been set");
  if (OpenWith.empty()) throw std::runtime_error("TRegisterFile.OpenWith has not been set");
  FillDefaults();
  WriteOrThrow(MimePackagePath(),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"" + XmlEscaped(MimeType) + "\">\n"
               "    <comment>" + XmlEscaped(TypeComment) + "</comment>\n"
               "    <sub-class-of type=\"text/plain\"/>\n"
               "    <glob pattern=\"*" + XmlEscaped(fileExtension_) + "\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n");
  for (const IconImage& icon : Icons) {
    WriteOrThrow(AppIconPath(icon.size), icon.png);
    WriteOrThrow(TypeIconPath(icon.size), icon.png);
  }
  const std::string iconLine = Icons.empty() ? "" : "Icon=" + EntryStem() + "\n";
  WriteOrThrow(DesktopEntryPath(),
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=" + EntryValue(AppName) + "\n"
               "Exec=" + DesktopExecArgument(OpenWith) + " %F\n"
               + iconLine +
               "Terminal=false\n"
               "MimeType=" + EntryValue(MimeType) + ";\n"
               "Categories=AudioVideo;Audio;\n");
  UpdateMimeApps(true);
  RunUpdates();
  return true;
}

}  // namespace rq
