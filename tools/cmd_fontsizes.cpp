// abctool fontsizes FAMILY: the sizes the options dialog offers for a font, one a line.
#include <cstdio>

#include <QString>

#include "AbcTool.h"
#include "ToolGui.h"
#include "platform/FontSizes.h"

namespace rq::tool {
namespace {

int RunFontSizes(const Args& args) {
  const auto family = FirstPositional(args, {});
  if (!family) {
    std::fprintf(stderr, "usage: abctool fontsizes FAMILY\n");
    return 2;
  }
  const GuiSession gui;
  for (const QString& size : GetFontSizes(QString::fromStdString(*family))) std::printf("%s\n", qPrintable(size));
  return 0;
}

const RegisterCommand kFontSizes{{"fontsizes", "FAMILY", RunFontSizes}};

}  // namespace
}  // namespace rq::tool
