// abctool gallery DIR: a PNG of each custom control in a few states, for a look.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "AbcTool.h"
#include "ToolGui.h"
#include "platform/AtomicFile.h"

namespace rq::tool {
namespace {

struct GalleryEntry {
  const char* name;
  GalleryPainter paint;
};

std::vector<GalleryEntry>& Galleries() {
  static std::vector<GalleryEntry> entries;
  return entries;
}

// One gallery run: the shots written so far, and whether one could not be written.
bool galleryFailed = false;
std::vector<std::string> galleryShots;

// The topmost folder of `dir` that does not exist yet (empty when `dir` exists):
// everything below it is made by this run.
std::filesystem::path FirstMissingFolder(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::path missing;
  for (std::filesystem::path p = std::filesystem::absolute(dir, ec); !p.empty() && !std::filesystem::exists(p, ec);
       p = p.parent_path()) {
    missing = p;
    if (p == p.parent_path()) break;
  }
  return missing;
}

QtMessageHandler defaultQtHandler = nullptr;

void PassCriticalOnly(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtCriticalMsg && type != QtFatalMsg) return;
  if (defaultQtHandler) defaultQtHandler(type, context, text);
  else std::fprintf(stderr, "abctool: %s\n", qPrintable(text));
}

int RunGallery(const Args& args) {
  const auto dir = FirstPositional(args, {});
  if (!dir) {
    std::fprintf(stderr, "usage: abctool gallery DIR\n");
    return 2;
  }
  const GuiSession gui;
  const QString out = QString::fromStdString(*dir);
  const std::filesystem::path made = FirstMissingFolder(*dir);
  if (!QDir().mkpath(out)) {
    std::fprintf(stderr, "abctool: Cannot make the folder \"%s\"\n", dir->c_str());
    return 1;
  }
  for (const auto& g : Galleries()) g.paint(out);
  if (!galleryFailed) return 0;
  // A failed run takes back what it wrote: the folder is as it was.
  std::error_code ec;
  for (const auto& shot : galleryShots) std::filesystem::remove(shot, ec);
  if (!made.empty()) std::filesystem::remove_all(made, ec);
  return 1;
}

const RegisterCommand kGallery{{"gallery", "DIR", RunGallery}};

}  // namespace

RegisterGallery::RegisterGallery(const char* name, GalleryPainter paint) {
  Galleries().push_back({name, paint});
}

void QuietQtMessages() {
  const QtMessageHandler previous = qInstallMessageHandler(PassCriticalOnly);
  if (previous != PassCriticalOnly) defaultQtHandler = previous;
}

bool SavePng(const QImage& image, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    std::fprintf(stderr, "abctool: cannot encode a %d x %d image as PNG\n", image.width(), image.height());
    return false;
  }
  const FileWriteResult written =
      WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!written) {
    std::fprintf(stderr, "abctool: %s\n", written.error.c_str());
    return false;
  }
  return true;
}

GuiSession::GuiSession() {
  QuietQtMessages();
  static int argc = 1;
  static char name[] = "abctool";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  app_ = new QApplication(argc, argv);
}

GuiSession::~GuiSession() { delete app_; }

bool SaveWidgetShot(QWidget& widget, const QString& dir, const QString& name) {
  widget.ensurePolished();
  if (widget.layout() == nullptr && widget.size().isEmpty()) widget.adjustSize();
  widget.setAttribute(Qt::WA_DontShowOnScreen);
  widget.show();
  QApplication::processEvents();
  if (galleryFailed) return false;
  const QString path = QDir(dir).filePath(name + ".png");
  galleryFailed = !SavePng(widget.grab().toImage(), path.toStdString());
  if (galleryFailed) return false;
  galleryShots.push_back(path.toStdString());
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace rq::tool
