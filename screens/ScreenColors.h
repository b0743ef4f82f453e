// Colours of the screens' panels, tabs and rhythm and key boxes, as Windows colour
// values ($BBGGRR); platform/WinColor.h turns them into QColors.
#pragma once

#include <QPalette>
#include <QWidget>
#include <cstdint>

#include "platform/WinColor.h"

namespace rq {

inline constexpr int32_t ColorFrame = 0x84C6EA;
inline constexpr int32_t ColorRhythmCell = 0x97D9FD;
inline constexpr int32_t ColorPane = 0xBEE7FC;
inline constexpr int32_t ColorKeyCell = 0x5EA5F4;

// Fills a widget's background with a colour value; `lists` colours the background
// of texts and lists too (QPalette::Base), which the widget's children inherit.
inline void PaintBackground(QWidget* w, int32_t colour, bool lists = false) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, WinColorToQColor(colour));
  if (lists) p.setColor(QPalette::Base, WinColorToQColor(colour));
  w->setPalette(p);
}

}  // namespace rq
