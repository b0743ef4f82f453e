#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "app/Settings.h"

namespace rq {
namespace {

struct Loaded {
  explicit Loaded(std::string_view bytes, int printers = 1) : ini(IniFile::FromBytes("RQUILL20.INI", bytes)) {
    LoadSettings(ini, settings, midi, printers);
  }
  IniFile ini;
  TSettings settings;
  MidiSettings midi;
};

TEST(Settings, PrinterIndexIsBoundedByTheInstalledPrinters) {
  struct Case { const char* value; int expected; };
  for (const Case c : {Case{"5", 0}, {"2", 0}, {"1", 1}}) {
    EXPECT_EQ(Loaded(std::string("[global]\nprinter=") + c.value + "\n", 2).settings.PrinterIndex, c.expected)
        << c.value << " of two printers";
  }
  Loaded none("[global]\nprinter=5\n", 0);
  EXPECT_EQ(none.settings.PrinterIndex, 5);
  SaveSettings(none.ini, none.settings, none.midi);
  EXPECT_EQ(none.ini.ReadInteger("global", "printer", 0), 5);
}

// Page settings out of their ranges are brought into them; a library folder that is
// gone is forgotten; language choices keep the first of names differing in case only.
TEST(Settings, ValuesOutOfReachAreCorrectedAtRead) {
  const Loaded f("[global]\npfsize=70\npfrow=5\npfborder=1000\npfmargin=-3\n");
  EXPECT_EQ(std::vector<int32_t>({f.settings.PfSize, f.settings.PfRow, f.settings.PfBorder, f.settings.PfMargin}),
            std::vector<int32_t>({60, 15, 100, 0}));
  const auto here = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(Loaded("[global]\nabclibpath=" + here + "\n").settings.AbcLibPath, here);
  EXPECT_EQ(Loaded("[global]\nabclibpath=/no/such/folder\n").settings.AbcLibPath, "");
  const Loaded langs("[langfile]\nFrancais=fr.lng\nNone=\nfrancais=other.lng\nDeutsch=de.lng\n");
  EXPECT_EQ(langs.settings.LangFiles, (std::vector<std::string>{"Francais=fr.lng", "Deutsch=de.lng"}));
}

TEST(Settings, AttributeLinesAreReadLeniently) {
  struct Case {
    const char* line;
    TSynHighlighterAttributes expected;
  };
  const TSynHighlighterAttributes start{11, 22, true, true};
  const Case cases[] = {
      {"", start},
      {"no comma", start},
      {"536870911,255,1,0", {kClNone, 255, true, false}},
      {"$FF,0x10,0,1", {255, 16, false, true}},
      {"7,8,1", {7, 8, start.Bold, start.Italic}},
      {"7,", {7, start.Foreground, start.Bold, start.Italic}},
      {"x,255,1,1", {kClNone, 255, true, true}},
      {"1,2,yes,true", {1, 2, false, false}},
  };
  for (const auto& c : cases) {
    TSynHighlighterAttributes a = start;
    ParseAttributeLine(c.line, a);
    EXPECT_EQ(a, c.expected) << c.line;
  }
  EXPECT_EQ(FormatAttributeLine({kClNone, 255, true, false}), "536870911,255,1,0");
}

TEST(Settings, AFullWriteKeepsWhatItDoesNotKnow) {
  Loaded f(
      "; my settings\r\n"
      "[global]\r\n"
      "hruler=700\r\n"
      "mine=keep\r\n"
      "[langfile]\r\n"
      "Francais=fr.lng\r\n"
      "[editor]\r\n"
      "3=1,2,1,1\r\n"
      "[POSITION]\r\n"
      "NormPos=10,20,810,620\r\n");
  EXPECT_EQ(f.settings.HRuler, 700);
  EXPECT_EQ(f.settings.Attributes[3], (TSynHighlighterAttributes{1, 2, true, true}));
  f.midi.MidiSpeed = 150;
  SaveSettings(f.ini, f.settings, f.midi);
  const IniFile back = IniFile::FromBytes("x", f.ini.ToBytes());
  EXPECT_EQ(back.ReadString("global", "mine", ""), "keep");
  EXPECT_EQ(back.ReadString("langfile", "Francais", ""), "fr.lng");
  EXPECT_EQ(back.ReadString("POSITION", "NormPos", ""), "10,20,810,620");
  EXPECT_EQ(back.ReadInteger("MIDI", "speed", 0), 150);
  EXPECT_EQ(back.ReadString("editor", "3", ""), "1,2,1,1");
  EXPECT_TRUE(f.ini.ToBytes().starts_with("; my settings\r\n[global]\r\nhruler=700\r\nmine=keep\r\n"));
}

TEST(Settings, AFreshFileHoldsEveryKeyInOrder) {
  Loaded f("");
  SaveSettings(f.ini, f.settings, f.midi);
  const std::string text = f.ini.ToBytes();
  const char* order[] = {"[global]",  "abclibpath=", "printer=0", "lang=",     "hruler=680", "pfmargin=30",
                         "[MIDI]",    "midiport=0",  "patch_0=0", "patch_15=0", "syntdelay=0", "[player]",
                         "graceon=1", "grcmulti=3",  "[editor]",  "fontname=courier", "c_foreground=0", "15="};
  size_t at = 0;
  for (const char* key : order) {
    const size_t found = text.find(key, at);
    ASSERT_NE(found, std::string::npos) << key;
    at = found;
  }
}

TEST(Settings, SavingToAFileKeepsItsOtherLinesAndReportsFailures) {
  const auto dir = std::filesystem::temp_directory_path() / ("rq-settings-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / kSettingsFileName).string();
  {
    std::ofstream(path) << "[POSITION]\nItem_0=/tunes.abc\n";
  }
  TSettings s;
  MidiSettings midi;
  midi.MidiVolume = 55;
  ASSERT_TRUE(SaveSettingsFile(path, s, midi));
  const auto back = IniFile::Load(path);
  EXPECT_EQ(back->ReadString("POSITION", "Item_0", ""), "/tunes.abc");
  EXPECT_EQ(back->ReadInteger("MIDI", "volume", 0), 55);

  const FileWriteResult failed = SaveSettingsFile((dir / "gone" / kSettingsFileName).string(), s, midi);
  EXPECT_FALSE(failed.ok);
  EXPECT_FALSE(failed.error.empty());
  std::filesystem::remove_all(dir);
}

TEST(Settings, PlacementAndRecentFiles) {
  IniFile ini("x");
  EXPECT_FALSE(ReadPlacement(ini).valid);
  WritePlacement(ini, {true, 3, 10, 20, 810, 620});
  const TWindowPlacement p = ReadPlacement(ini);
  EXPECT_TRUE(p.valid);
  EXPECT_EQ(p.showCmd, 3);
  EXPECT_EQ(p.right, 810);
  // Inside out, without width or height, or cut short: the default placement is used.
  for (const char* normPos : {"10,20,5,5", "10,20,10,620", "10,20,810,20", "1,2,3"}) {
    EXPECT_FALSE(ReadPlacement(IniFile::FromBytes("x", std::string("[POSITION]\nNormPos=") + normPos + "\n")).valid)
        << normPos;
  }

  std::vector<std::string> files;
  for (int i = 0; i < 20; ++i) AddRecentFile(files, "/tunes/" + std::to_string(i) + ".abc");
  AddRecentFile(files, "/tunes/10.abc");
  ASSERT_EQ(files.size(), 16u);
  EXPECT_EQ(files[0], "/tunes/10.abc");
  EXPECT_EQ(files[1], "/tunes/19.abc");
  EXPECT_EQ(std::count(files.begin(), files.end(), "/tunes/10.abc"), 1);
  WriteRecentFiles(ini, files);
  EXPECT_EQ(ReadRecentFiles(ini), files);
  WriteRecentFiles(ini, {"/only.abc"});
  EXPECT_EQ(ReadRecentFiles(ini), (std::vector<std::string>{"/only.abc"}));
}

}  // namespace
}  // namespace rq
