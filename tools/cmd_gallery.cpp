// abctool gallery DIR: a PNG of each custom control in a few states, for a look.
#include <QApplication>
#include <QDir>
#include <QInputDevice>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <vector>

#include "AbcTool.h"
#include "ToolGui.h"

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

int RunGallery(const Args& args) {
  const auto dir = FirstPositional(args, {});
  if (!dir) {
    std::fprintf(stderr, "usage: abctool gallery DIR\n");
    return 2;
  }
  GuiApp();
  const QString out = QString::fromStdString(*dir);
  if (!QDir().mkpath(out)) {
    std::fprintf(stderr, "abctool: cannot make folder %s\n", dir->c_str());
    return 1;
  }
  for (const auto& g : Galleries()) g.paint(out);
  return 0;
}

const RegisterCommand kGallery{{"gallery", "DIR", RunGallery}};

}  // namespace

RegisterGallery::RegisterGallery(const char* name, GalleryPainter paint) {
  Galleries().push_back({name, paint});
}

QApplication& GuiApp() {
  static int argc = 1;
  static char name[] = "abctool";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's list of input devices must outlive the application, which deletes the
  // devices it registered there (the offscreen platform registers a mouse as soon
  // as a shown window gets the pointer): make the list first, so it goes last.
  QInputDevice::devices();
  static QApplication app(argc, argv);
  return app;
}

bool SaveWidgetShot(QWidget& widget, const QString& dir, const QString& name) {
  widget.ensurePolished();
  if (widget.layout() == nullptr && widget.size().isEmpty()) widget.adjustSize();
  widget.setAttribute(Qt::WA_DontShowOnScreen);
  widget.show();
  QApplication::processEvents();
  const QString path = QDir(dir).filePath(name + ".png");
  const bool ok = widget.grab().save(path, "PNG");
  if (ok) {
    std::printf("%s\n", qPrintable(path));
  } else {
    std::fprintf(stderr, "abctool: cannot write %s\n", qPrintable(path));
  }
  return ok;
}

}  // namespace rq::tool
