// abctool print FILE -o OUT.pdf [--tune N]: every tune of the file (or tune N) printed
// into a PDF file as the program prints its print list with the default page
// settings: A4 without margins, a title row per tune, a footer line per page.
#include <cstdio>
#include <string>

#include "AbcTool.h"
#include "ToolGui.h"
#include "library/FileAbc.h"
#include "score/MusicFont.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"

namespace rq::tool {
namespace {

// What follows the command's name; the usage line is "abctool print ARGUMENTS".
constexpr const char* kPrintArgs = "FILE -o OUT.pdf [--tune N]";

int RunPrint(const Args& args) {
  const std::string usage = std::string("print ") + kPrintArgs;
  const auto out = OptionValue(args, "-o");
  if (!out) {
    std::fprintf(stderr, "usage: abctool %s\n", usage.c_str());
    return 2;
  }
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune", "-o"}, usage.c_str(), tunes); rc != 0) return rc;

  const GuiSession gui;
  if (!RegisterMusicFont()) {
    std::fprintf(stderr, "abctool: cannot load the music font %s\n", qPrintable(MusicFontPath()));
    return 1;
  }
  // The tunes go through a print list, as the program's do: kept in their order, ticked.
  auto list = TAbcPrint::CreateNew("printlist", nullptr);
  for (const ToolTune& tune : tunes) list->AddTunes(tune.lines, true, 0);
  TPageRowBuilder builder;
  builder.AddList(*list, true);
  PageRows rows = builder.Take();
  const PrintOutcome outcome = PrintPagesToPdf(*out, rows, PageSettings{});
  if (!outcome.Ok()) {
    std::fprintf(stderr, "abctool: %s\n", outcome.Error.c_str());
    return 1;
  }
  std::printf("%s: %zu tunes, %zu rows, %d pages\n", out->c_str(), tunes.size(), rows.size(), outcome.Pages);
  return 0;
}

const RegisterCommand kPrint{{"print", kPrintArgs, RunPrint}};

}  // namespace
}  // namespace rq::tool
