// The program's settings file "RQUILL20.INI" beside the executable: read once at
// start, written back only when the user confirms quitting. The MIDI and player
// values live in a MidiSettings, the others here.
#pragma once

#include <array>
#include <functional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiSettings.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "screens/SynAbcSyn.h"

namespace rq {

inline constexpr const char* kSettingsFileName = "RQUILL20.INI";

struct TSettings {
  // [global]
  std::string AbcLibPath;
  int32_t PrinterIndex = 0;
  std::string LangFileName;
  int32_t HRuler = 680;
  int32_t VRuler = 144;
  int32_t ScrZoom = 4;
  int32_t PfSize = 40;
  int32_t PfRow = 32;
  int32_t PfBorder = 32;
  int32_t PfMargin = 30;
  // [langfile]: "display name=file name" lines, offered by the options dialog.
  std::vector<std::string> LangFiles;
  // [editor]
  std::string EditFontName = "courier";
  int32_t EditFontSize = 10;
  int32_t EditBackground = 12511228;  // $BEE7FC
  int32_t EditForeground = 0;
  std::array<TSynHighlighterAttributes, TSynAbcSyn::kAttributeCount> Attributes = DefaultAttributes();

  static std::array<TSynHighlighterAttributes, TSynAbcSyn::kAttributeCount> DefaultAttributes();
};

// The settings file's path: the folder of the running program.
std::string SettingsPath();

// Reads every setting in its order; what is missing keeps its default. A printer
// index past the installed printers reads as 0 (kept when none is installed); a
// library folder that no longer exists is forgotten.
void LoadSettings(const IniFile& ini, TSettings& settings, MidiSettings& midi, int printerCount);

// Writes every setting in its order; keys the program does not know stay as they are.
void SaveSettings(IniFile& ini, const TSettings& settings, const MidiSettings& midi);

// Writes the settings into the file at `path`, keeping what else it holds, in one
// atomic write. A failure is returned with its reason; the caller tells the user
// and quits all the same (the tune files were handled before).
// `alsoWrite` adds what else the file keeps (the window placement, the recent files).
FileWriteResult SaveSettingsFile(const std::string& path, const TSettings& settings, const MidiSettings& midi,
                                 const std::function<void(IniFile&)>& alsoWrite = {});

// Reads a highlighter attribute line "background,foreground,bold,italic" onto an
// attribute: a line without a comma changes nothing, a line cut short keeps what
// was read, a colour that is not a number becomes "no colour".
void ParseAttributeLine(std::string_view line, TSynHighlighterAttributes& attribute);
std::string FormatAttributeLine(const TSynHighlighterAttributes& attribute);

// The main window's placement and the recent files, kept in the same file.
struct TWindowPlacement {
  bool valid = false;
  int32_t showCmd = 1;  // 1 normal, 3 maximized
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
TWindowPlacement ReadPlacement(const IniFile& ini);
void WritePlacement(IniFile& ini, const TWindowPlacement& placement);

inline constexpr int kRecentFilesMax = 16;
std::vector<std::string> ReadRecentFiles(const IniFile& ini);
void WriteRecentFiles(IniFile& ini, const std::vector<std::string>& files);
// Puts a name first, dropping an equal one further down and the oldest past 16.
void AddRecentFile(std::vector<std::string>& files, const std::string& name);

}  // namespace rq
