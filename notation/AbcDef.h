// Key and rhythm vocabulary: the tables and the look-ups over them.
#pragma once

#include <array>
#include <cstdint>
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
// (case-sensitive), or nullopt when the value is not one: a spelling of the key
// list's rows, "Hp", or a tonic with one of the modes "Lyd", "Phr", "Loc", "Aeo",
// "Ion" (or in lower case), or a tonic with a mode attached as AttachedMode reads it,
// whose key has at most seven sharps or flats.
std::optional<int> KeyWordSharps(std::string_view value);

// The modes by the words musicians write: major and minor are ionian and aeolian
// under their usual names.
enum class KeyMode : uint8_t {
  kMajor, kMinor, kIonian, kAeolian, kMixolydian, kDorian, kLydian, kPhrygian, kLocrian
};

// A mode word after a tonic and blanks ("Mixolydian", "minor", "DOR"): at least three
// letters, of which the first three, in any case, name the mode; nullopt for any other word.
std::optional<KeyMode> ModeOfWord(std::string_view word);

// Whether text is a tonic: a letter A to G with an optional "#" or "b".
bool IsTonic(std::string_view text);

// A tonic with its mode written attached, in any case ("EM", "Gm", "EDorian",
// "Glydian", "AMIX"): a lone "m" or "M" is minor, anything else a mode word as
// ModeOfWord reads it. Nullopt for any other word.
struct TonicMode {
  std::string_view tonic;
  KeyMode mode;
};
std::optional<TonicMode> AttachedMode(std::string_view word);

// The sharps of a tonic in a mode ("A", Mixolydian -> 2), or nullopt when the key
// would need more than seven sharps or flats or the tonic is not one.
std::optional<int> ModalKeySharps(std::string_view tonic, KeyMode mode);

// The key-name index of a K: value as the tune index reads it (leading blanks
// already removed): its first word, folded by NormalizeKeyName; a tonic followed
// by blanks and a mode word, or with the mode attached, is named with that mode
// ("A Mixolydian" -> AMix, "E Minor" -> Em, "EDorian" -> EDor), ionian as the major
// key and aeolian as the minor ("G Ionian" -> G, "A aeolian" -> Am); the modes the
// table has no names for go under their tonic ("D phrygian", "Flydian" -> D, F).
int KeyIndexOfField(std::string_view value);

}  // namespace rq
