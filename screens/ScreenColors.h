// Colours of the screens' panels, tabs and rhythm and key boxes, as Windows colour
// values ($BBGGRR); platform/WinColor.h turns them into QColors.
#pragma once

#include <cstdint>

namespace rq {

inline constexpr int32_t ColorFrame = 0x84C6EA;
inline constexpr int32_t ColorRhythmCell = 0x97D9FD;
inline constexpr int32_t ColorPane = 0xBEE7FC;
inline constexpr int32_t ColorKeyCell = 0x5EA5F4;

}  // namespace rq
