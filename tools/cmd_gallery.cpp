// abctool gallery DIR: a PNG of each custom control in a few states, for a look.
#include <QApplication>
#include <QDir>
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
  const GuiSession gui;
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

GuiSession::GuiSession() {
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
