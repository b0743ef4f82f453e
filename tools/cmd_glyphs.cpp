// abctool glyphs OUT.png: every glyph of the music font at its code, on a bit of
// staff and labelled, for a look.
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cstdio>
#include <vector>

#include "AbcTool.h"
#include "ToolGui.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"

namespace rq::tool {
namespace {

constexpr int kFontHeight = 96;
constexpr int kCellW = 150;
constexpr int kCellH = 190;
constexpr int kColumns = 8;

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
  GuiApp();
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
  QImage image(kColumns * kCellW, rows * kCellH, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, kFontHeight, false});
    for (size_t i = 0; i < codes.size(); ++i) {
      const int col = static_cast<int>(i) % kColumns;
      const int row = static_cast<int>(i) / kColumns;
      DrawCell(painter, canvas, col * kCellW, row * kCellH, codes[i]);
    }
  }
  // The tool's application object outlives main(); Qt cannot drop application
  // fonts that late, so drop them now.
  QFontDatabase::removeAllApplicationFonts();
  if (!image.save(QString::fromStdString(*out), "PNG")) {
    std::fprintf(stderr, "abctool: cannot write %s\n", out->c_str());
    return 1;
  }
  std::printf("%s: %zu glyphs\n", out->c_str(), codes.size());
  return 0;
}

const RegisterCommand kGlyphs{{"glyphs", "OUT.png", RunGlyphs}};

}  // namespace
}  // namespace rq::tool
