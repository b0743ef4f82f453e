// abctool subcommands that draw (glyphs, render, gallery) need a Qt application;
// these helpers make one on the offscreen platform so no display is needed.
#pragma once

#include <QString>
#include <string>

class QApplication;
class QImage;
class QWidget;

namespace rq::tool {

// A Qt application for one subcommand, on the offscreen platform unless
// QT_QPA_PLATFORM is set. Make it at the start of the command: it is destroyed when
// the command returns, before any of Qt's own static objects (fonts, devices).
class GuiSession {
 public:
  GuiSession();
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

 private:
  QApplication* app_;
};

// Keeps Qt's own notes (a missing runtime folder, image codec warnings) off stderr,
// where the tool's one-line errors go; Qt's critical messages still pass. Call before
// the application object is made.
void QuietQtMessages();

// Encodes the image as PNG and writes it atomically: the file is whole or not there.
// Prints the reason and returns false when it cannot.
bool SavePng(const QImage& image, const std::string& path);

// Gallery: each control's file registers a painter that saves PNGs of the control in
// a few states into a folder. `abctool gallery DIR` runs them all.
using GalleryPainter = void (*)(const QString& dir);
struct RegisterGallery {
  RegisterGallery(const char* name, GalleryPainter paint);
};

// Lays out and paints a widget offscreen and saves it as DIR/NAME.png; prints the path.
// Returns false when the file cannot be written; the first failure prints why, and
// the later shots of the run are not attempted.
bool SaveWidgetShot(QWidget& widget, const QString& dir, const QString& name);

}  // namespace rq::tool
