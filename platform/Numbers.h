// Number reading and rounding with the meanings the program's stored data rely on.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

namespace rq {

// An optional "+" or "-" then decimal digits only, nothing else; a value outside the
// 32-bit range is not a number. Never overflows.
std::optional<int32_t> ParseInt(std::string_view text);

// ParseInt, or `def` when the text is not a number. Also takes "$" followed by
// hexadecimal digits, as the settings files were written with.
int32_t StrToIntDef(std::string_view text, int32_t def);

// Reads the leading decimal digits of `text` (no sign). Returns nullopt when there
// is no digit or the value passes `limit`; `used` receives the number of digits read.
std::optional<int64_t> ReadDigits(std::string_view text, int64_t limit, size_t* used = nullptr);

// Round to nearest, halves to even (the default floating-point rounding).
inline int32_t RoundHalfEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

// Toward zero, also for negatives.
inline int32_t Trunc(double x) { return static_cast<int32_t>(x); }

template <typename T>
constexpr T ClampTo(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace rq
