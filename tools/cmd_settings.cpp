// abctool settings FILE: every setting of a settings file as the program reads it.
#include <QPrinterInfo>
#include <cstdio>
#include <string>

#include "AbcTool.h"
#include "ToolGui.h"
#include "app/Settings.h"

namespace rq::tool {
namespace {

int RunSettings(const Args& args) {
  const auto path = FirstPositional(args, {});
  if (!path) {
    std::fprintf(stderr, "usage: abctool settings FILE\n");
    return 2;
  }
  const auto bytes = ReadInputBytes(*path);
  if (!bytes) return 1;
  const IniFile ini = IniFile::FromBytes(*path, *bytes);
  const GuiSession gui;
  const int printers = static_cast<int>(QPrinterInfo::availablePrinterNames().size());
  TSettings s;
  MidiSettings midi;
  LoadSettings(ini, s, midi, printers);

  auto text = [](const char* section, const char* key, const std::string& value) {
    std::printf("[%s] %s = %s\n", section, key, value.c_str());
  };
  auto number = [&](const char* section, const char* key, int value) { text(section, key, std::to_string(value)); };
  text("global", "abclibpath", s.AbcLibPath);
  number("global", "printer", s.PrinterIndex);
  text("global", "lang", s.LangFileName);
  number("global", "hruler", s.HRuler);
  number("global", "vruler", s.VRuler);
  number("global", "scrzoom", s.ScrZoom);
  number("global", "pfsize", s.PfSize);
  number("global", "pfrow", s.PfRow);
  number("global", "pfborder", s.PfBorder);
  number("global", "pfmargin", s.PfMargin);
  for (const auto& entry : s.LangFiles) text("langfile", "", entry);
  number("MIDI", "midiport", midi.MidiPort);
  number("MIDI", "pitch", midi.MidiPitch);
  number("MIDI", "speed", midi.MidiSpeed);
  number("MIDI", "volume", midi.MidiVolume);
  number("MIDI", "octave", midi.MidiOctave);
  for (int c = 0; c < 16; ++c) {
    text("MIDI", ("patch_" + std::to_string(c)).c_str(), std::to_string(midi.MidiPatch[static_cast<size_t>(c)]));
  }
  number("MIDI", "syntdelay", midi.SyntDelay);
  number("player", "graceon", midi.GraceOn);
  number("player", "lnote", midi.LNote);
  number("player", "mnote", midi.MNote);
  number("player", "hnote", midi.HNote);
  number("player", "accnote", midi.AccNote);
  number("player", "grcsimple", midi.GrcSimple);
  number("player", "grcmulti", midi.GrcMulti);
  text("editor", "fontname", s.EditFontName);
  number("editor", "fontsize", s.EditFontSize);
  number("editor", "c_background", s.EditBackground);
  number("editor", "c_foreground", s.EditForeground);
  for (int i = 0; i < TSynAbcSyn::kAttributeCount; ++i) {
    text("editor", std::to_string(i).c_str(), FormatAttributeLine(s.Attributes[static_cast<size_t>(i)]));
  }
  const TWindowPlacement p = ReadPlacement(ini);
  if (p.valid) {
    std::printf("[POSITION] window = %d,%d,%d,%d show %d\n", p.left, p.top, p.right, p.bottom, p.showCmd);
  }
  for (const auto& f : ReadRecentFiles(ini)) text("POSITION", "recent", f);
  return 0;
}

const RegisterCommand kSettings({"settings", "FILE", RunSettings});

}  // namespace
}  // namespace rq::tool
