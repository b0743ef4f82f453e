// Colours as the settings store them: Windows colour values $00BBGGRR, system
// colours as negative values, and $1FFFFFFF for "no colour".
#pragma once

#include <cstdint>

#include <QColor>

namespace rq {

constexpr int32_t kClNone = 0x1FFFFFFF;

constexpr int32_t WinRgb(int r, int g, int b) { return (b << 16) | (g << 8) | r; }

// The named colours of the platform.
constexpr int32_t kClBlack = 0x000000;
constexpr int32_t kClMaroon = 0x000080;
constexpr int32_t kClGreen = 0x008000;
constexpr int32_t kClNavy = 0x800000;
constexpr int32_t kClPurple = 0x800080;
constexpr int32_t kClGray = 0x808080;
constexpr int32_t kClSilver = 0xC0C0C0;
constexpr int32_t kClRed = 0x0000FF;
constexpr int32_t kClLime = 0x00FF00;
constexpr int32_t kClYellow = 0x00FFFF;
constexpr int32_t kClFuchsia = 0xFF00FF;
constexpr int32_t kClWhite = 0xFFFFFF;

// System colours.
constexpr int32_t kClActiveCaption = static_cast<int32_t>(0x80000002);

// The colour to draw with; invalid for "no colour" and for system colours that
// have no counterpart in the application's palette.
QColor WinColorToQColor(int32_t color);

}  // namespace rq
