// Windows colour values to Qt colours.
#include "platform/WinColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace rq {
namespace {

// System colours ($80000000 + index) by the palette role that plays the same part.
bool SystemColorRole(int index, QPalette::ColorRole& role) {
  switch (index) {
    case 4: role = QPalette::Window; return true;            // menu
    case 5: role = QPalette::Base; return true;              // window background
    case 7: role = QPalette::WindowText; return true;        // menu text
    case 8: role = QPalette::Text; return true;              // window text
    case 13: role = QPalette::Highlight; return true;
    case 14: role = QPalette::HighlightedText; return true;
    case 15: role = QPalette::Button; return true;           // button face
    case 16: role = QPalette::Dark; return true;             // button shadow
    case 18: role = QPalette::ButtonText; return true;
    case 20: role = QPalette::Light; return true;            // button highlight
    case 23: role = QPalette::ToolTipText; return true;
    case 24: role = QPalette::ToolTipBase; return true;
    default: return false;
  }
}

// The active window's title bar. No palette role carries it (the desktop draws title
// bars), so it takes the value Windows gives it.
constexpr int kActiveCaptionIndex = 2;
constexpr QRgb kActiveCaptionRgb = 0x99B4D1;

}  // namespace

QColor WinColorToQColor(int32_t color) {
  if (color == kClNone) return {};
  if (color < 0) {
    if ((color & 0xFF) == kActiveCaptionIndex) return QColor::fromRgb(kActiveCaptionRgb);
    QPalette::ColorRole role;
    if (!SystemColorRole(color & 0xFF, role)) return {};
    return QGuiApplication::palette().color(role);
  }
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

}  // namespace rq
