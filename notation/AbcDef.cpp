// Key and rhythm tables.
#include "AbcDef.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/ByteText.h"
#include "platform/Numbers.h"

namespace rq {

const std::array<std::string_view, 18> kRhythmRows = {
    "---=%Undefined",
    "Rel=%Reel",
    "Jig=%Jig%Double Jig%DblJig",
    "Sjg=%Single Jig",
    "Sld=%Slide",
    "Slp=%Slip jig%Slipjig",
    "Plk=%Polka",
    "Hp=%Hornpipe",
    "Flg=%Fling",
    "Bnd=%Barndance%Barn Dance",
    "Hgl=%Highland",
    "Srl=%Slow reel%Slowreel",
    "Maz=%Mazurka",
    "Wlz=%Waltz%Valse",
    "Set=%Set Dance%SetDance",
    "Air=%Air%Song",
    "Mc=%March",
    "Spy=%Strathspey",
};

const std::array<std::string_view, 15> kKeyRows = {
    "7=%C#%A#m%G#Mix%D#Dor%C#Maj%A#min",
    "6=%F#%D#m%C#Mix%G#Dor%F#Maj%D#min",
    "5=%B%G#m%F#Mix%C#Dor%BMaj%G#min",
    "4=%E%C#m%BMix%F#Dor%EMaj%C#min",
    "3=%A%F#m%EMix%BDor%AMaj%F#min",
    "2=%D%Bm%AMix%EDor%HP%Hp%DMaj%Bmin",
    "1=%G%Em%DMix%ADor%GMaj%Emin",
    "0=%C%Am%GMix%DDor%CMaj%Amin",
    "-1=%F%Dm%CMix%GDor%FMaj%Dmin",
    "-2=%Bb%Gm%FMix%CDor%BbMaj%Gmin",
    "-3=%Eb%Cm%BbMix%FDor%EbMaj%Cmin",
    "-4=%Ab%Fm%EbMix%BbDor%AbMaj%Fmin",
    "-5=%Db%Bbm%AbMix%EbDor%DbMaj%Bbmin",
    "-6=%Gb%Ebm%DbMix%AbDor%GbMaj%Ebmin",
    "-7=%Cb%Abm%GbMix%DbDor%CbMaj%Abmin",
};

const std::array<std::string_view, 60> kOtherKeyRows = {
    "AMaj=A",   "Amaj=A",   "A#min=A#m", "A#Min=A#m", "AbMaj=Ab",  "Abmaj=Ab",  "Abmin=Abm",
    "AbMin=Abm", "Amin=Am", "AMin=Am",   "BMaj=B",    "Bmaj=B",    "BbMaj=Bb",  "Bbmaj=Bb",
    "Bbmin=Bbm", "BbMin=Bbm", "Bmin=Bm", "BMin=Bm",   "CMaj=C",    "Cmaj=C",    "C#Maj=C#",
    "C#maj=C#", "C#min=C#m", "C#Min=C#m", "CbMaj=Cb", "Cbmaj=Cb",  "Cmin=Cm",   "CMin=Cm",
    "DMaj=D",   "Dmaj=D",   "D#min=D#m", "D#Min=D#m", "DbMaj=Db",  "Dbmaj=Db",  "Dmin=Dm",
    "DMin=Dm",  "EMaj=E",   "Emaj=E",    "EbMaj=Eb",  "Ebmaj=Eb",  "Ebmin=Ebm", "EbMin=Ebm",
    "Emin=Em",  "EMin=Em",  "FMaj=F",    "Fmaj=F",    "F#Maj=F#",  "F#maj=F#",  "F#min=F#m",
    "F#Min=F#m", "Fmin=Fm", "FMin=Fm",   "GMaj=G",    "Gmaj=G",    "G#min=G#m", "G#Min=G#m",
    "GbMaj=Gb", "Gbmaj=Gb", "Gmin=Gm",   "GMin=Gm",
};

const std::array<std::string_view, 62> KeyNames = {
    "",      "A",     "A#m",   "Ab",    "AbDor", "Abm",   "AbMix", "ADor",  "Am",    "AMix",
    "B",     "Bb",    "BbDor", "Bbm",   "BbMix", "BDor",  "Bm",    "BMix",  "C",     "C#",
    "C#Dor", "C#m",   "C#Mix", "Cb",    "CDor",  "Cm",    "CMix",  "D",     "D#Dor", "D#m",
    "Db",    "DbDor", "DbMix", "DDor",  "Dm",    "Dmix",  "E",     "Eb",    "EbDor", "Ebm",
    "EbMix", "EDor",  "Em",    "EMix",  "F",     "F#",    "F#Dor", "F#m",   "F#Mix", "FDor",
    "Fm",    "FMix",  "G",     "G#Dor", "G#m",   "G#Mix", "Gb",    "GbMix", "GDor",  "Gm",
    "GMix",  "Hp ",
};

namespace {

// Each row lower-cased with a trailing "%", so "%name%" finds any spelling in it.
template <size_t N>
std::vector<std::string> LowerRows(const std::array<std::string_view, N>& rows) {
  std::vector<std::string> out;
  out.reserve(N);
  for (auto row : rows) out.push_back(ToLowerAscii(row) + "%");
  return out;
}

const std::vector<std::string>& LowerKeyRows() {
  static const auto rows = LowerRows(kKeyRows);
  return rows;
}

const std::vector<std::string>& LowerRhythmRows() {
  static const auto rows = LowerRows(kRhythmRows);
  return rows;
}

// " a a#m ab abdor ... gm gmix hp "
const std::string& KeyIndexWords() {
  static const std::string words = [] {
    std::string w = " ";
    for (size_t i = 1; i < KeyNames.size(); ++i) {
      w += ToLowerAscii(TrimBlanks(KeyNames[i]));
      w += ' ';
    }
    return w;
  }();
  return words;
}

struct WordHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using KeyWordMap = std::unordered_map<std::string, int, WordHash, std::equal_to<>>;

// Every key word with its sharps.
const KeyWordMap& KeyWords() {
  static const KeyWordMap words = [] {
    KeyWordMap map;
    const auto add = [&map](const std::string& word) { map.emplace(word, GetKeySharps(word)); };
    for (auto row : kKeyRows) {
      // Spellings after "=%": major, minor (tonic + "m"), mixolydian, dorian.
      std::vector<std::string> parts;
      size_t p = row.find("=%") + 2;
      while (p <= row.size()) {
        const size_t q = row.find('%', p);
        parts.emplace_back(row.substr(p, (q == std::string_view::npos ? row.size() : q) - p));
        if (q == std::string_view::npos) break;
        p = q + 1;
      }
      const std::string& major = parts[0];
      const std::string minor = parts[1].substr(0, parts[1].size() - 1);
      const std::string mix = parts[2].substr(0, parts[2].size() - 3);
      const std::string dor = parts[3].substr(0, parts[3].size() - 3);
      for (const auto& w : {major, major + "Maj", major + "maj", minor + "m", minor + "min",
                            minor + "Min", mix + "Mix", mix + "mix", dor + "Dor", dor + "dor"}) {
        add(w);
      }
    }
    for (const char* w : {"Hp", "hp", "HP"}) add(w);
    // The modes the rows do not spell, on every tonic whose key fits seven sharps or flats.
    struct Spelled { const char* suffix; KeyMode mode; };
    static constexpr Spelled kOtherModes[] = {
        {"Lyd", KeyMode::kLydian},  {"lyd", KeyMode::kLydian},  {"Phr", KeyMode::kPhrygian},
        {"phr", KeyMode::kPhrygian}, {"Loc", KeyMode::kLocrian}, {"loc", KeyMode::kLocrian},
        {"Aeo", KeyMode::kAeolian}, {"aeo", KeyMode::kAeolian}, {"Ion", KeyMode::kIonian},
        {"ion", KeyMode::kIonian}};
    for (const char letter : std::string_view("ABCDEFG")) {
      for (const char* accidental : {"", "#", "b"}) {
        const std::string tonic = std::string(1, letter) + accidental;
        for (const Spelled& m : kOtherModes) {
          if (const auto sharps = ModalKeySharps(tonic, m.mode)) map.emplace(tonic + m.suffix, *sharps);
        }
      }
    }
    return map;
  }();
  return words;
}

// Sharps a mode adds to the major key of its tonic.
int ModeShift(KeyMode mode) {
  switch (mode) {
    case KeyMode::kMajor:
    case KeyMode::kIonian: return 0;
    case KeyMode::kMinor:
    case KeyMode::kAeolian: return -3;
    case KeyMode::kMixolydian: return -1;
    case KeyMode::kDorian: return -2;
    case KeyMode::kLydian: return 1;
    case KeyMode::kPhrygian: return -4;
    case KeyMode::kLocrian: return -5;
  }
  return 0;
}

// The suffix that names a tonic in a mode in the key-name table. Ionian is the major
// key and aeolian the minor; lydian, phrygian and locrian have no names there and are
// filed under their tonic, as the key's first word alone would be.
std::string_view KeyNameSuffix(KeyMode mode) {
  switch (mode) {
    case KeyMode::kMinor:
    case KeyMode::kAeolian: return "m";
    case KeyMode::kMixolydian: return "Mix";
    case KeyMode::kDorian: return "Dor";
    default: return "";
  }
}

}  // namespace

int FindKeyIndex(std::string_view name) {
  const std::string needle = " " + ToLowerAscii(name) + " ";
  const std::string& words = KeyIndexWords();
  const size_t p = words.find(needle);
  if (p == std::string::npos) return 0;
  // The number of blanks up to and including the match's leading blank.
  return static_cast<int>(std::count(words.begin(), words.begin() + static_cast<long>(p) + 1, ' '));
}

int FindRhythm(std::string_view name) {
  const std::string needle = "%" + std::string(name) + "%";
  const auto& rows = LowerRhythmRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].find(needle) != std::string::npos) return static_cast<int>(i);
  }
  return 0;
}

std::string GetRhythmName(int index) {
  if (index < 0 || index >= static_cast<int>(kRhythmRows.size())) return "---";
  const std::string_view row = kRhythmRows[static_cast<size_t>(index)];
  const size_t p = row.find("=%");
  if (p == std::string_view::npos) return "---";
  const std::string_view rest = row.substr(p + 2, 50);
  const size_t q = rest.find('%');
  return std::string(q == std::string_view::npos ? rest.substr(0, 40) : rest.substr(0, q));
}

std::string GetRhythmCode(int index) {
  if (index < 0 || index >= static_cast<int>(kRhythmRows.size())) return "---";
  const std::string_view row = kRhythmRows[static_cast<size_t>(index)];
  const size_t p = row.find("=%");
  if (p == std::string_view::npos) return "---";
  return std::string(row.substr(0, p));
}

int GetKeySharps(std::string_view name) {
  const std::string needle = "%" + ToLowerAscii(name) + "%";
  for (const auto& row : LowerKeyRows()) {
    if (row.find(needle) == std::string::npos) continue;
    return ParseInt(std::string_view(row).substr(0, row.find("=%"))).value_or(0);
  }
  return 0;
}

std::string NormalizeKeyName(std::string_view name) {
  for (auto row : kOtherKeyRows) {
    const size_t eq = row.find('=');
    if (row.substr(0, eq) == name) return std::string(row.substr(eq + 1));
  }
  return std::string(name);
}

std::optional<int> KeyWordSharps(std::string_view value) {
  const auto it = KeyWords().find(value);
  if (it != KeyWords().end()) return it->second;
  if (const auto attached = AttachedMode(value)) return ModalKeySharps(attached->tonic, attached->mode);
  return std::nullopt;
}

std::optional<KeyMode> ModeOfWord(std::string_view word) {
  if (word.size() < 3) return std::nullopt;
  for (const char c : word) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return std::nullopt;
  }
  struct Named { std::string_view prefix; KeyMode mode; };
  static constexpr Named kModes[] = {
      {"maj", KeyMode::kMajor},      {"min", KeyMode::kMinor},    {"ion", KeyMode::kIonian},
      {"aeo", KeyMode::kAeolian},    {"mix", KeyMode::kMixolydian}, {"dor", KeyMode::kDorian},
      {"lyd", KeyMode::kLydian},     {"phr", KeyMode::kPhrygian}, {"loc", KeyMode::kLocrian}};
  const std::string prefix = ToLowerAscii(word.substr(0, 3));
  for (const Named& m : kModes) {
    if (m.prefix == prefix) return m.mode;
  }
  return std::nullopt;
}

bool IsTonic(std::string_view text) {
  if (text.empty() || text.size() > 2 || text[0] < 'A' || text[0] > 'G') return false;
  return text.size() == 1 || text[1] == '#' || text[1] == 'b';
}

std::optional<TonicMode> AttachedMode(std::string_view word) {
  const size_t tonicSize = word.size() >= 2 && (word[1] == '#' || word[1] == 'b') ? 2 : 1;
  if (word.size() <= tonicSize || !IsTonic(word.substr(0, tonicSize))) return std::nullopt;
  const std::string_view tonic = word.substr(0, tonicSize);
  const std::string_view mode = word.substr(tonicSize);
  if (mode == "m" || mode == "M") return TonicMode{tonic, KeyMode::kMinor};
  if (const auto named = ModeOfWord(mode)) return TonicMode{tonic, *named};
  return std::nullopt;
}

std::optional<int> ModalKeySharps(std::string_view tonic, KeyMode mode) {
  if (!IsTonic(tonic)) return std::nullopt;
  // Sharps of the major keys on A to G; a sharp adds seven, a flat takes seven away.
  static constexpr int kLetterSharps[] = {3, 5, 0, 2, 4, -1, 1};
  int sharps = kLetterSharps[tonic[0] - 'A'] + ModeShift(mode);
  if (tonic.size() == 2) sharps += tonic[1] == '#' ? 7 : -7;
  if (sharps < -7 || sharps > 7) return std::nullopt;
  return sharps;
}

int KeyIndexOfField(std::string_view value) {
  // A blank or a tab ends the key word, as in the parser.
  constexpr std::string_view kBlanks = " \t";
  const std::string_view word = value.substr(0, value.find_first_of(kBlanks));
  if (IsTonic(word) && word.size() < value.size()) {
    std::string_view rest = value.substr(word.size());
    rest.remove_prefix(std::min(rest.find_first_not_of(kBlanks), rest.size()));
    rest = rest.substr(0, std::min(rest.find_first_of(kBlanks), rest.find('%')));
    if (const auto mode = ModeOfWord(rest)) return FindKeyIndex(std::string(word) + std::string(KeyNameSuffix(*mode)));
  }
  if (const int index = FindKeyIndex(NormalizeKeyName(word))) return index;
  if (const auto attached = AttachedMode(word)) {
    return FindKeyIndex(std::string(attached->tonic) + std::string(KeyNameSuffix(attached->mode)));
  }
  return 0;
}

}  // namespace rq
