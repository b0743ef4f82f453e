// The names of the 128 General MIDI programs, program 0 first.
#pragma once

#include <array>
#include <string_view>

namespace rq {

extern const std::array<std::string_view, 128> kInstrumentNames;

}  // namespace rq
