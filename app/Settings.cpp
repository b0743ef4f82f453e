#include "app/Settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "platform/ProgramFolder.h"
#include "score/PageLayout.h"

namespace rq {
namespace {

constexpr const char* kGlobal = "global";
constexpr const char* kMidi = "MIDI";
constexpr const char* kPlayer = "player";
constexpr const char* kEditor = "editor";
constexpr const char* kPosition = "POSITION";

// [MIDI] in file order: the output and its sound, a program per channel, the delay
// before playing. A patch key names its channel's entry of MidiPatch.
struct MidiKey {
  const char* key;
  int32_t def;
  std::atomic<int> MidiSettings::*field;  // null for a patch
  size_t channel = 0;
};
constexpr MidiKey kMidiKeys[] = {
    {"midiport", 0, &MidiSettings::MidiPort},   {"pitch", 0, &MidiSettings::MidiPitch},
    {"speed", 100, &MidiSettings::MidiSpeed},   {"volume", 100, &MidiSettings::MidiVolume},
    {"octave", 0, &MidiSettings::MidiOctave},
    {"patch_0", 0, nullptr, 0},   {"patch_1", 0, nullptr, 1},   {"patch_2", 0, nullptr, 2},
    {"patch_3", 0, nullptr, 3},   {"patch_4", 0, nullptr, 4},   {"patch_5", 0, nullptr, 5},
    {"patch_6", 0, nullptr, 6},   {"patch_7", 0, nullptr, 7},   {"patch_8", 0, nullptr, 8},
    {"patch_9", 0, nullptr, 9},   {"patch_10", 0, nullptr, 10}, {"patch_11", 0, nullptr, 11},
    {"patch_12", 0, nullptr, 12}, {"patch_13", 0, nullptr, 13}, {"patch_14", 0, nullptr, 14},
    {"patch_15", 0, nullptr, 15},
    {"syntdelay", 0, &MidiSettings::SyntDelay},
};

// The setting a [MIDI] key stands for (const or not, after the settings given).
template <class Midi>
auto& MidiValue(Midi& midi, const MidiKey& k) {
  return k.field ? midi.*k.field : midi.MidiPatch[k.channel];
}

// The integer fields of [player] and the converter setting each fills.
struct PlayerKey {
  const char* key;
  int32_t def;
  std::atomic<int> MidiSettings::*field;
};
constexpr PlayerKey kPlayerKeys[] = {
    {"graceon", 1, &MidiSettings::GraceOn},     {"lnote", 64, &MidiSettings::LNote},
    {"mnote", 92, &MidiSettings::MNote},        {"hnote", 127, &MidiSettings::HNote},
    {"accnote", 80, &MidiSettings::AccNote},    {"grcsimple", 6, &MidiSettings::GrcSimple},
    {"grcmulti", 3, &MidiSettings::GrcMulti},
};

// [global] integers after "printer", in file order.
struct GlobalKey {
  const char* key;
  int32_t def;
  int32_t TSettings::*field;
};
constexpr GlobalKey kGlobalKeys[] = {
    {"hruler", 680, &TSettings::HRuler}, {"vruler", 144, &TSettings::VRuler},
    {"scrzoom", 4, &TSettings::ScrZoom}, {"pfsize", 40, &TSettings::PfSize},
    {"pfrow", 32, &TSettings::PfRow},    {"pfborder", 32, &TSettings::PfBorder},
    {"pfmargin", 30, &TSettings::PfMargin},
};

}  // namespace

std::array<TSynHighlighterAttributes, TSynAbcSyn::kAttributeCount> TSettings::DefaultAttributes() {
  std::array<TSynHighlighterAttributes, TSynAbcSyn::kAttributeCount> a;
  for (int i = 0; i < TSynAbcSyn::kAttributeCount; ++i) a[static_cast<size_t>(i)] = TSynAbcSyn::DefaultAttribute(i);
  return a;
}

std::string SettingsPath() { return ProgramFile(kSettingsFileName); }

void ParseAttributeLine(std::string_view line, TSynHighlighterAttributes& attribute) {
  size_t comma = line.find(',');
  if (comma == std::string_view::npos) return;
  attribute.Background = IniStrToIntDef(line.substr(0, comma), kClNone);
  line.remove_prefix(comma + 1);
  if ((comma = line.find(',')) == std::string_view::npos) return;
  attribute.Foreground = IniStrToIntDef(line.substr(0, comma), kClNone);
  line.remove_prefix(comma + 1);
  if ((comma = line.find(',')) == std::string_view::npos) return;
  attribute.Bold = line.substr(0, comma) == "1";
  line.remove_prefix(comma + 1);
  attribute.Italic = line == "1";
}

std::string FormatAttributeLine(const TSynHighlighterAttributes& a) {
  return std::to_string(a.Background) + "," + std::to_string(a.Foreground) + (a.Bold ? ",1," : ",0,") +
         (a.Italic ? "1" : "0");
}

void LoadSettings(const IniFile& ini, TSettings& s, MidiSettings& midi, int printerCount) {
  midi.MidiReady = false;
  s.AbcLibPath = ini.ReadString(kGlobal, "abclibpath", "");
  s.PrinterIndex = ini.ReadInteger(kGlobal, "printer", 0);
  if (printerCount > 0 && s.PrinterIndex >= printerCount) s.PrinterIndex = 0;
  for (const auto& g : kGlobalKeys) s.*g.field = ini.ReadInteger(kGlobal, g.key, g.def);
  // The page settings are brought into their sliders' ranges as they are read: the
  // preview, the printer and the file written back at quit all see the same values.
  const PageSettings page = ClampPageSettings({s.PfSize, s.PfRow, s.PfBorder, s.PfMargin});
  s.PfSize = page.FontSize;
  s.PfRow = page.RowHeight;
  s.PfBorder = page.Border;
  s.PfMargin = page.LeftMargin;
  s.LangFiles = ini.ReadSectionValues("langfile");
  std::error_code ec;
  if (!s.AbcLibPath.empty() && !std::filesystem::is_directory(s.AbcLibPath, ec)) s.AbcLibPath.clear();
  // The language is read by the main window before anything else; kept here too
  // so that a full write gives it back.
  s.LangFileName = ini.ReadString(kGlobal, "lang", "");

  for (const auto& m : kMidiKeys) MidiValue(midi, m) = ini.ReadInteger(kMidi, m.key, m.def);
  for (const auto& p : kPlayerKeys) midi.*p.field = ini.ReadInteger(kPlayer, p.key, p.def);

  s.EditFontName = ini.ReadString(kEditor, "fontname", "courier");
  s.EditFontSize = ini.ReadInteger(kEditor, "fontsize", 10);
  s.EditBackground = ini.ReadInteger(kEditor, "c_background", 12511228);
  s.EditForeground = ini.ReadInteger(kEditor, "c_foreground", 0);
  for (int i = 0; i < TSynAbcSyn::kAttributeCount; ++i) {
    ParseAttributeLine(ini.ReadString(kEditor, std::to_string(i), ""), s.Attributes[static_cast<size_t>(i)]);
  }
}

void SaveSettings(IniFile& ini, const TSettings& s, const MidiSettings& midi) {
  ini.WriteString(kGlobal, "abclibpath", s.AbcLibPath);
  ini.WriteInteger(kGlobal, "printer", s.PrinterIndex);
  ini.WriteString(kGlobal, "lang", s.LangFileName);
  for (const auto& g : kGlobalKeys) ini.WriteInteger(kGlobal, g.key, s.*g.field);

  for (const auto& m : kMidiKeys) ini.WriteInteger(kMidi, m.key, MidiValue(midi, m));
  for (const auto& p : kPlayerKeys) ini.WriteInteger(kPlayer, p.key, midi.*p.field);

  ini.WriteString(kEditor, "fontname", s.EditFontName);
  ini.WriteInteger(kEditor, "fontsize", s.EditFontSize);
  ini.WriteInteger(kEditor, "c_background", s.EditBackground);
  ini.WriteInteger(kEditor, "c_foreground", s.EditForeground);
  for (int i = 0; i < TSynAbcSyn::kAttributeCount; ++i) {
    ini.WriteString(kEditor, std::to_string(i), FormatAttributeLine(s.Attributes[static_cast<size_t>(i)]));
  }
}

FileWriteResult SaveSettingsFile(const std::string& path, const TSettings& settings, const MidiSettings& midi,
                                 const std::function<void(IniFile&)>& alsoWrite) {
  std::string error;
  auto ini = IniFile::Load(path, &error);
  // A file that exists but cannot be read is not replaced: what it holds would be lost.
  if (!ini) return {false, error};
  SaveSettings(*ini, settings, midi);
  if (alsoWrite) alsoWrite(*ini);
  return ini->Save();
}

TWindowPlacement ReadPlacement(const IniFile& ini) {
  TWindowPlacement p;
  const std::string normPos = ini.ReadString(kPosition, "NormPos", "");
  int32_t v[4];
  size_t from = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = normPos.find(',', from);
    v[i] = IniStrToIntDef(std::string_view(normPos).substr(from, comma - from), INT32_MIN);
    if (v[i] == INT32_MIN) return p;
    from = comma == std::string::npos ? normPos.size() : comma + 1;
  }
  // A placement with no size (or a hand-edited one turned inside out) is not used.
  if (v[2] <= v[0] || v[3] <= v[1]) return p;
  p.valid = true;
  p.left = v[0];
  p.top = v[1];
  p.right = v[2];
  p.bottom = v[3];
  p.showCmd = ini.ReadInteger(kPosition, "ShowCmd", 1);
  return p;
}

void WritePlacement(IniFile& ini, const TWindowPlacement& p) {
  ini.WriteInteger(kPosition, "ShowCmd", p.showCmd);
  ini.WriteString(kPosition, "NormPos",
                  std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.right) + "," +
                      std::to_string(p.bottom));
}

std::vector<std::string> ReadRecentFiles(const IniFile& ini) {
  std::vector<std::string> files;
  for (int i = 0; i < kRecentFilesMax; ++i) {
    const std::string name = ini.ReadString(kPosition, "Item_" + std::to_string(i), "");
    if (name.empty()) break;
    if (std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
  }
  return files;
}

void WriteRecentFiles(IniFile& ini, const std::vector<std::string>& files) {
  for (int i = 0; i < kRecentFilesMax; ++i) {
    const auto at = static_cast<size_t>(i);
    const bool used = at < files.size();
    // A shorter list clears the entries after it.
    if (used || ini.ValueExists(kPosition, "Item_" + std::to_string(i))) {
      ini.WriteString(kPosition, "Item_" + std::to_string(i), used ? files[at] : "");
      ini.WriteInteger(kPosition, "User_" + std::to_string(i), 0);
    }
  }
}

void AddRecentFile(std::vector<std::string>& files, const std::string& name) {
  std::erase(files, name);
  files.insert(files.begin(), name);
  if (files.size() > static_cast<size_t>(kRecentFilesMax)) files.resize(kRecentFilesMax);
}

}  // namespace rq
