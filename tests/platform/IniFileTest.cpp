#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/IniFile.h"

namespace rq {
namespace {

TEST(IniStrToIntDef, ReadsAsTheSettingsWereAlwaysRead) {
  struct Case { const char* text; int32_t expected; };
  const Case cases[] = {
      {"12", 12},       {"-12", -12},     {"+7", 7},          {"  42", 42},       {"$1F", 31},
      {"0x1F", 31},     {"0X1f", 31},     {"-$1F", -31},      {"$FFFFFFFF", -1},  {"$1FFFFFFF", 536870911},
      {"2147483647", 2147483647},         {"-2147483648", INT32_MIN},             {"2147483648", -9},
      {"$100000000", -9}, {"12 ", -9},    {"1.5", -9},        {"", -9},           {"$", -9},
      {"0x", -9},       {"-", -9},        {"twelve", -9},
  };
  for (const auto& c : cases) EXPECT_EQ(IniStrToIntDef(c.text, -9), c.expected) << c.text;
}

TEST(IniFile, ReadsWithWindowsRules) {
  const IniFile ini = IniFile::FromBytes("x.ini",
                                         "; a comment\r\n"
                                         "[Global]\r\n"
                                         "  Speed = 120  \r\n"
                                         "speed=999\r\n"
                                         "name=\"  quoted  \"\r\n"
                                         "path=C:\\abc\\tunes,more\r\n"
                                         "eq=a=b\r\n"
                                         "half=\"open\r\n"
                                         "no equals sign\r\n"
                                         ";hidden=1\r\n"
                                         "empty=\r\n"
                                         "[ Other ]\r\n"
                                         "speed=5\r\n");
  EXPECT_EQ(ini.ReadInteger("global", "SPEED", 0), 120) << "names without case, first one wins";
  EXPECT_EQ(ini.ReadString("GLOBAL", "name", ""), "  quoted  ");
  EXPECT_EQ(ini.ReadString("global", "path", ""), "C:\\abc\\tunes,more") << "no escapes, no lists";
  EXPECT_EQ(ini.ReadString("global", "eq", ""), "a=b");
  EXPECT_EQ(ini.ReadString("global", "half", ""), "\"open");
  EXPECT_EQ(ini.ReadString("global", "hidden", "d"), "d");
  EXPECT_EQ(ini.ReadString("global", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("other", "speed", 0), 5);
  EXPECT_EQ(ini.ReadInteger("nowhere", "speed", 3), 3);
  EXPECT_EQ(ini.ReadSection("global"),
            (std::vector<std::string>{"Speed", "name", "path", "eq", "half", "empty"}));
  EXPECT_EQ(ini.ReadSectionValues("global"),
            (std::vector<std::string>{"Speed=120", "name=  quoted  ", "path=C:\\abc\\tunes,more", "eq=a=b",
                                      "half=\"open"}));
  EXPECT_TRUE(ini.SectionExists("other"));
  EXPECT_FALSE(IniFile::FromBytes("", "[empty]\n; only a comment\n").SectionExists("empty"));
}

TEST(IniFile, WritingKeepsEverythingElse) {
  const std::string original =
      "; settings\n"
      "[global]\n"
      "hruler=680\n"
      "unknown=keep me\n"
      "\n"
      "[MIDI]\n"
      "Speed=100\n";
  IniFile ini = IniFile::FromBytes("x.ini", original);
  EXPECT_EQ(ini.ToBytes(), original) << "read and written unchanged";
  ini.WriteInteger("GLOBAL", "hruler", 700);
  ini.WriteString("global", "lang", "francais.lng");
  ini.WriteInteger("midi", "speed", 80);
  ini.WriteInteger("player", "graceon", 1);
  EXPECT_EQ(ini.ToBytes(),
            "; settings\n"
            "[global]\n"
            "hruler=700\n"
            "unknown=keep me\n"
            "lang=francais.lng\n"
            "\n"
            "[MIDI]\n"
            "Speed=80\n"
            "[player]\n"
            "graceon=1\n");
  ini.EraseSection("midi");
  EXPECT_FALSE(ini.ValueExists("MIDI", "Speed"));
  EXPECT_EQ(ini.ReadString("player", "graceon", ""), "1");
}

TEST(IniFile, EncodingAndLineEndsSurviveAWrite) {
  // Windows-1252 bytes ("Fran\xe7" is not UTF-8) read as text and written back as they were.
  IniFile latin = IniFile::FromBytes("x.ini", "[langfile]\r\nFran\xe7" "ais=fr.lng\r\n");
  EXPECT_EQ(latin.ReadSectionValues("langfile"), (std::vector<std::string>{"Fran\xc3\xa7" "ais=fr.lng"}));
  latin.WriteString("global", "lang", "fr.lng");
  EXPECT_EQ(latin.ToBytes(), "[langfile]\r\nFran\xe7" "ais=fr.lng\r\n[global]\r\nlang=fr.lng\r\n");
  latin.WriteString("global", "lang", "\xe2\x82\xac\xe4\xb8\xad");  // a character the code page lacks
  EXPECT_EQ(latin.ToBytes(), "[langfile]\r\nFran\xc3\xa7" "ais=fr.lng\r\n[global]\r\nlang=\xe2\x82\xac\xe4\xb8\xad\r\n");

  const IniFile utf8 = IniFile::FromBytes("x.ini", "[a]\nk=\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(utf8.ReadString("a", "k", ""), "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(utf8.ToBytes(), "[a]\nk=\xc3\xa9t\xc3\xa9");
}

// A missing file reads as empty; a folder where the file should be is refused with
// a reason, not read, and so is a pipe (it would block the start).
TEST(IniFile, LoadRefusesWhatIsNoFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("rq-ini-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  EXPECT_EQ(IniFile::Load((dir / "missing.ini").string())->ReadInteger("global", "hruler", 680), 680);
  const auto folder = dir / "folder.ini";
  std::filesystem::create_directories(folder);
  std::string error;
  EXPECT_FALSE(IniFile::Load(folder.string(), &error).has_value());
  EXPECT_NE(error.find("not a file"), std::string::npos);
  const auto pipe = dir / "pipe.ini";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(IniFile::Load(pipe.string(), &error).has_value());
  EXPECT_NE(error.find("pipe"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// A language section of tens of thousands of keys keeps the rules: each key once,
// the first value wins whatever the case, a repeated section is never read; and
// writing a key is seen by the next read.
TEST(IniFile, LargeSectionsKeepTheRules) {
  constexpr int kKeys = 50000;
  std::string text = "[Cmpstring]\n";
  for (int i = 0; i < kKeys; ++i) text += "k" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
  text += "K7=second\n[other]\nk1=other\n[CMPSTRING]\nk1=repeated\nextra=never\n";
  IniFile ini = IniFile::FromBytes("lang.lng", text);
  const std::vector<std::string> keys = ini.ReadSection("cmpstring");
  ASSERT_EQ(keys.size(), static_cast<size_t>(kKeys));
  EXPECT_EQ(keys.back(), "k49999");
  EXPECT_EQ(ini.ReadSectionValues("Cmpstring").size(), static_cast<size_t>(kKeys));
  EXPECT_EQ(ini.ReadString("cmpstring", "K49999", ""), "v49999");
  EXPECT_EQ(ini.ReadString("cmpstring", "extra", "none"), "none");
  EXPECT_EQ(ini.ReadString("other", "k1", ""), "other");

  ini.WriteString("cmpstring", "new", "n");
  ini.WriteString("cmpstring", "k1", "changed");
  EXPECT_EQ(ini.ReadString("CmpString", "new", ""), "n");
  EXPECT_EQ(ini.ReadString("cmpstring", "k1", ""), "changed");
  EXPECT_EQ(ini.ReadString("other", "k1", ""), "other");
  ini.EraseSection("cmpstring");
  EXPECT_FALSE(ini.SectionExists("cmpstring"));
  EXPECT_TRUE(ini.SectionExists("other"));
}

}  // namespace
}  // namespace rq
