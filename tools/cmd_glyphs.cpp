// abctool glyphs OUT.png: every glyph of the music font at its code, on a bit of
// staff and labelled, then two staves of score symbols drawn with it, for a look.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cstdio>
#include <memory>
#include <vector>

#include "AbcTool.h"
#include "ToolGui.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq::tool {
namespace {

constexpr int kFontHeight = 96;
constexpr int kCellW = 150;
constexpr int kCellH = 190;
constexpr int kColumns = 8;
constexpr int kRowHeight = 170;
constexpr int kGap = 14;

using Row = std::vector<std::unique_ptr<TSimpleSymbol>>;

Row Signs() {
  Row row;
  row.push_back(std::make_unique<TSymCSol>());
  row.push_back(std::make_unique<TSymKey>(3));
  row.push_back(std::make_unique<TSymMeter>(6, 8, kMeterNumbers));
  row.push_back(std::make_unique<TSymbBarre>(kBarRepeatStart));
  row.push_back(std::make_unique<TSimpleNote>(13, kDecoRoll, kSymbolAlone, 1, 2, kAccNone));
  row.push_back(std::make_unique<TSimpleNote>(5, kDecoStaccato, kSymbolAlone, 1, 1, kAccSharp));
  row.push_back(std::make_unique<TSimpleNote>(9, 0, kSymbolAlone, 2, 1, kAccNatural));
  row.push_back(std::make_unique<TSimpleNote>(0, 0, kSymbolAlone, 4, 1, kAccFlat));
  row.push_back(std::make_unique<TSymbBarre>(kBarThin));
  row.push_back(std::make_unique<TSimpleNote>(11, 0, kSymbolAlone, 1, 3, kAccNone));
  row.push_back(std::make_unique<TSimpleNote>(kRestPitch, 0, kSymbolAlone, 1, 2, kAccNone));
  row.push_back(std::make_unique<TBarreSection>(1));
  row.push_back(std::make_unique<TSimpleNote>(8, 0, kSymbolAlone, 1, 6, kAccNone));
  row.push_back(std::make_unique<TSymbBarre>(kBarRepeatEnd));
  row.push_back(std::make_unique<TBarreSection>(2));
  row.push_back(std::make_unique<TSimpleNote>(6, 0, kSymbolAlone, 1, 8, kAccNone));
  row.push_back(std::make_unique<TSymbBarre>(kBarThinThick));
  return row;
}

Row Lengths() {
  Row row;
  row.push_back(std::make_unique<TSymKey>(-4));
  row.push_back(std::make_unique<TSymMeter>(4, 4, kMeterCommon));
  for (int den : {8, 4, 2, 1}) {
    row.push_back(std::make_unique<TSimpleNote>(4, 0, kSymbolAlone, den, 1, kAccNone));
    row.push_back(std::make_unique<TSimpleNote>(10, 0, kSymbolAlone, den, 1, kAccNone));
  }
  for (int num : {2, 4, 8}) row.push_back(std::make_unique<TSimpleNote>(num == 8 ? 7 : 10, 0, kSymbolAlone, 1, num, kAccNone));
  row.push_back(std::make_unique<TSymbBarre>(kBarRepeatBoth));
  for (int den : {8, 4, 2, 1}) row.push_back(std::make_unique<TSimpleNote>(kRestPitch, 0, kSymbolAlone, den, 1, kAccNone));
  for (int num : {2, 4, 8}) row.push_back(std::make_unique<TSimpleNote>(kRestPitch, 0, kSymbolAlone, 1, num, kAccNone));
  row.push_back(std::make_unique<TGraceNote>(9, 0, kSymbolInGroup, 1, 1, kAccSharp));
  row.push_back(std::make_unique<TGraceNote>(8, 0, kSymbolInGroup, 1, 1, kAccFlat));
  row.push_back(std::make_unique<TSimpleNote>(7, 0, kSymbolAlone, 1, 2, kAccNone));
  return row;
}

void DrawStaff(QPainter& painter, TDrawCtxt& ctx, Row& row, int top, int width) {
  const RowRect rect{0, top, width, top + kRowHeight};
  painter.setPen(QColor(0x80, 0x80, 0x80));
  for (int k = -2; k <= 2; ++k) {
    const int y = top + ctx.StaffMid + k * ctx.LineSpace;
    painter.drawLine(10, y, width - 10, y);
  }
  int x = 16;
  for (auto& symbol : row) {
    symbol->Draw(ctx, rect, x);
    x += symbol->Measure(ctx, 0) + kGap;
  }
}


void DrawCell(QPainter& painter, PainterCanvas& canvas, int left, int top, unsigned char code) {
  const int lineSpace = kFontHeight / 12 + 1;
  const int mid = top + kCellH / 2 - 10;
  painter.setPen(QColor(0xC0, 0xC0, 0xC0));
  for (int k = -2; k <= 2; ++k) painter.drawLine(left + 8, mid + k * lineSpace, left + kCellW - 8, mid + k * lineSpace);
  const std::string glyph(1, static_cast<char>(code));
  canvas.TextOut(left + kCellW / 2 - canvas.TextWidth(glyph) / 2, mid - kFontHeight / 2, glyph);
  painter.setPen(Qt::darkBlue);
  painter.setFont(QFont("DejaVu Sans", 11));
  const QString label = code >= 0x21 && code < 0x7F
                            ? QString("0x%1  %2").arg(code, 2, 16, QChar('0')).arg(QChar(code))
                            : QString("0x%1").arg(code, 2, 16, QChar('0'));
  painter.drawText(QRect(left, top + kCellH - 26, kCellW, 22), Qt::AlignCenter, label);
  painter.setPen(QColor(0xE0, 0xE0, 0xE0));
  painter.drawRect(left, top, kCellW - 1, kCellH - 1);
}

int RunGlyphs(const Args& args) {
  const auto out = FirstPositional(args, {});
  if (!out) {
    std::fprintf(stderr, "usage: abctool glyphs OUT.png\n");
    return 2;
  }
  // Not the tool's shared application object: that one is destroyed at exit, after
  // Qt's font database, and with an application font registered its destruction
  // reads freed memory. This one goes before main() returns.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QuietQtMessages();
  int argc = 1;
  char name[] = "abctool";
  char* argv[] = {name, nullptr};
  const QGuiApplication app(argc, argv);
  const QRawFont raw(MusicFontPath(), kFontHeight);
  if (!raw.isValid() || !RegisterMusicFont()) {
    std::fprintf(stderr, "abctool: cannot load the music font %s\n", qPrintable(MusicFontPath()));
    return 1;
  }
  std::vector<unsigned char> codes;
  for (int c = 0; c < 256; ++c) {
    if (raw.supportsCharacter(QChar(0xF000 + c))) codes.push_back(static_cast<unsigned char>(c));
  }
  const int rows = (static_cast<int>(codes.size()) + kColumns - 1) / kColumns;
  std::vector<Row> staves;
  staves.push_back(Signs());
  staves.push_back(Lengths());
  const int width = kColumns * kCellW;
  QImage image(width, rows * kCellH + static_cast<int>(staves.size()) * kRowHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, kFontHeight, false});
    for (size_t i = 0; i < codes.size(); ++i) {
      const int col = static_cast<int>(i) % kColumns;
      const int row = static_cast<int>(i) / kColumns;
      DrawCell(painter, canvas, col * kCellW, row * kCellH, codes[i]);
    }
    TDrawCtxt ctx;
    ctx.Canvas = &canvas;
    ctx.SetStaffMetrics(kRowHeight);
    ctx.SetNumberHeights();
    for (size_t i = 0; i < staves.size(); ++i) {
      DrawStaff(painter, ctx, staves[i], rows * kCellH + static_cast<int>(i) * kRowHeight, width);
    }
  }
  if (!SavePng(image, *out)) return 1;
  std::printf("%s: %zu glyphs\n", out->c_str(), codes.size());
  return 0;
}

const RegisterCommand kGlyphs{{"glyphs", "OUT.png", RunGlyphs}};

}  // namespace
}  // namespace rq::tool
