// The surface the score draws on: text at a cell's top-left, text extents, 1-pixel
// lines and filled rectangles in the current font and colours. One implementation
// paints with QPainter (screen, preview, printer); another records every call.
#pragma once

#include <QRgb>
#include <string>
#include <string_view>

namespace rq {

// Face of the score's own font; its glyph for code c sits at U+F000 + c.
inline constexpr const char* kMusicFace = "MusicalSymbols";
// Face of the numbers over endings and tuplets.
inline constexpr const char* kNumberFace = "Times New Roman";

inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kWhite = 0xFFFFFFFF;

struct CanvasFont {
  std::string family = kMusicFace;
  int height = 0;  // cell height in pixels (ascent + descent)
  bool bold = false;
  bool operator==(const CanvasFont&) const = default;
};

class ScoreCanvas {
 public:
  virtual ~ScoreCanvas() = default;

  virtual void SetFont(const CanvasFont& font) = 0;
  virtual const CanvasFont& Font() const = 0;

  // Text is bytes: in the music font each byte is a glyph code, in a text face a
  // Latin-1 character. Text never fills its cell's background.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;

  // A 1-pixel line in the pen colour from (x1, y1) up to, not including, (x2, y2).
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // Fills x1 <= x < x2, y1 <= y < y2 with the brush colour.
  virtual void FillRect(int x1, int y1, int x2, int y2) = 0;

  virtual void SetPenColor(QRgb color) = 0;
  virtual void SetBrushColor(QRgb color) = 0;
  virtual void SetTextColor(QRgb color) = 0;
  // Draws whatever the canvas holds back; before the painter is used directly.
  virtual void Flush() {}

  void SetFontHeight(int height) {
    CanvasFont f = Font();
    f.height = height;
    SetFont(f);
  }
};

}  // namespace rq
