// Key and rhythm vocabulary: the tables and the look-ups over them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace rq {

// Rhythm list: row number = rhythm index; "code=%name%alias...". Row 0 is "Undefined".
extern const std::array<std::string_view, 18> kRhythmRows;

// Key list, 7 sharps down to 7 flats: "sharps=%major%minor%mix%dorian%...".
extern const std::array<std::string_view, 15> kKeyRows;

// Key aliases "name=value": "Maj"/"maj" spellings to the tonic, "min"/"Min" to "m".
extern const std::array<std::string_view, 60> kOtherKeyRows;

// Display names of keys; index 1..61 is the key-name index stored in tune records,
// index 0 means unknown. Entry 61 is "Hp " with a trailing blank.
extern const std::array<std::string_view, 62> KeyNames;

// Key-name index (1..61) of a key name, case-insensitive; 0 when unknown.
int FindKeyIndex(std::string_view name);

// Rhythm index of a rhythm name (callers pass it lower-cased); 0 when none matches.
int FindRhythm(std::string_view name);
std::string GetRhythmName(int index);
std::string GetRhythmCode(int index);

// Signed count of sharps of a key spelling, case-insensitive; 0 (C) when unknown.
int GetKeySharps(std::string_view name);

// "AMaj" -> "A", "Bbmin" -> "Bbm"; any other spelling comes back unchanged.
std::string NormalizeKeyName(std::string_view name);

// The sharps of a word a K: field may hold to be read as a known key
// (case-sensitive), or nullopt when the value is not one.
std::optional<int> KeyWordSharps(std::string_view value);

}  // namespace rq
