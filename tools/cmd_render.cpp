// abctool render FILE --tune N -o OUT.png: a tune's score rows painted offscreen with
// the music font, as the score view paints them. abctool rows FILE [--tune N]: the
// rows and their symbols as text.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

#include "AbcTool.h"
#include "ToolGui.h"
#include "notation/AbcParser.h"
#include "platform/Cp1252.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/ScoreDump.h"
#include "score/ScorePage.h"
#include "score/ScoreZoom.h"

namespace rq::tool {
namespace {

// What follows the command's name; the usage line is "abctool NAME ARGUMENTS".
constexpr const char* kRenderArgs = "FILE --tune N -o OUT.png [--width W --height H --font F]";
constexpr const char* kRowsArgs = "FILE [--tune N]";
// The score view's defaults: row width 680, rows of 80 pixels, music font 60.
constexpr int kDefaultWidth = 680;
constexpr int kDefaultRowHeight = 80;
constexpr int kDefaultFont = 60;
constexpr int kTitleHeight = 34;
// The image stays within what image readers and memory allow; rows beyond are left
// out (and said so).
constexpr int64_t kMaxImageHeight = 32767;
constexpr int64_t kMaxImagePixels = int64_t{1} << 26;

// "--name N" as a number in [low, high]; the default when absent; nullopt when bad.
std::optional<int> IntOption(const Args& args, const std::string& name, int fallback, int low, int high) {
  const auto text = OptionValue(args, name);
  if (!text) return fallback;
  int value = 0;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (ec != std::errc{} || end != text->data() + text->size() || value < low || value > high) {
    std::fprintf(stderr, "abctool: %s wants a number from %d to %d\n", name.c_str(), low, high);
    return std::nullopt;
  }
  return value;
}

int RunRender(const Args& args) {
  const std::vector<std::string> valueOptions = {"--tune", "-o", "--width", "--height", "--font"};
  const std::string usage = std::string("render ") + kRenderArgs;
  const auto out = OptionValue(args, "-o");
  if (!out) {
    std::fprintf(stderr, "usage: abctool %s\n", usage.c_str());
    return 2;
  }
  const auto width = IntOption(args, "--width", kDefaultWidth, 100, 8000);
  const auto rowHeight = IntOption(args, "--height", kDefaultRowHeight, 40, 1000);
  const auto fontSize = IntOption(args, "--font", kDefaultFont, 8, 400);
  if (!width || !rowHeight || !fontSize) return 2;
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, valueOptions, usage.c_str(), tunes); rc != 0) return rc;

  const GuiSession gui;
  if (!RegisterMusicFont()) {
    std::fprintf(stderr, "abctool: cannot load the music font %s\n", qPrintable(MusicFontPath()));
    return 1;
  }
  TAbcParser parser;
  parser.Parse(tunes.front().lines);
  TScorePage page;
  page.Build(parser.Elements());

  // Each row takes the room its ink needs, as in the score view: measured first.
  std::vector<RowRoom> rooms;
  {
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    PainterCanvas canvas(painter, {kMusicFace, *fontSize, false});
    TDrawCtxt ctx = ScreenContext(canvas, BeamThicknessFor(*fontSize));
    for (auto& row : page.Rows) rooms.push_back(RowInkRoom(ctx, row.get(), *rowHeight, *width));
  }
  const size_t allRows = page.Rows.size();
  const int64_t room = std::min(kMaxImageHeight, kMaxImagePixels / *width) - kTitleHeight;
  int rows = 0;
  int64_t rowsHeight = 0;
  while (static_cast<size_t>(rows) < allRows) {
    const int next = rooms[static_cast<size_t>(rows)].Height(*rowHeight);
    if (rowsHeight + next > room) break;
    rowsHeight += next;
    ++rows;
  }
  const int imageHeight = kTitleHeight + static_cast<int>(rowsHeight);
  QImage image(*width, imageHeight, QImage::Format_RGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "abctool: not enough memory for a %d x %d image\n", *width, imageHeight);
    return 1;
  }
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QFont title("Liberation Serif");
    title.setPixelSize(19);
    title.setBold(true);
    painter.setFont(title);
    // Each field decoded on its own, as the score view shows it.
    const auto shown = [](const std::string& bytes) { return QString::fromStdString(DisplayUtf8(bytes)); };
    QString heading = shown(parser.Title());
    if (!parser.Rhythm().empty()) heading += "  (" + shown(parser.Rhythm()) + ")";
    if (!parser.Composer().empty()) heading += "  " + shown(parser.Composer());
    painter.drawText(QRect(10, 0, *width - 20, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, heading);

    PainterCanvas canvas(painter, {kMusicFace, *fontSize, false});
    TDrawCtxt ctx = ScreenContext(canvas, BeamThicknessFor(*fontSize));
    int top = kTitleHeight;
    for (int r = 0; r < rows; ++r) {
      const RowRoom& extra = rooms[static_cast<size_t>(r)];
      const RowRect rect{0, top + extra.above, *width, top + extra.above + *rowHeight};
      PaintScoreRow(ctx, page.Rows[static_cast<size_t>(r)].get(), rect, *rowHeight, *width);
      top += extra.Height(*rowHeight);
    }
  }
  if (!SavePng(image, *out)) return 1;
  if (static_cast<size_t>(rows) < allRows) {
    std::printf("%s: X:%d, the first %d of %zu rows (an image holds no more)\n", out->c_str(), tunes.front().number,
                rows, allRows);
  } else {
    std::printf("%s: X:%d, %d rows\n", out->c_str(), tunes.front().number, rows);
  }
  return 0;
}

int RunRows(const Args& args) {
  std::vector<ToolTune> tunes;
  if (const int rc = LoadTunes(args, {"--tune"}, (std::string("rows ") + kRowsArgs).c_str(), tunes); rc != 0) return rc;
  TAbcParser parser;
  TScorePage page;
  for (const ToolTune& tune : tunes) {
    parser.Parse(tune.lines);
    page.Build(parser.Elements());
    std::printf("== X:%d %s\n%s", tune.number, parser.Title().c_str(), DescribeRows(page.Rows).c_str());
  }
  return 0;
}

const RegisterCommand kRender{{"render", kRenderArgs, RunRender}};
const RegisterCommand kRows{{"rows", kRowsArgs, RunRows}};

}  // namespace
}  // namespace rq::tool
