// A canvas that draws nothing and keeps every call, for tests: text widths come from
// a table (a fixed default per character) and grow with the font, heights are the
// font height.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "score/ScoreCanvas.h"

namespace rq {

enum class CanvasOp { Text, Line, Fill, Font, PenColor, BrushColor, TextColor };

struct CanvasCall {
  CanvasOp op;
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  std::string text;  // Text
  CanvasFont font;   // the font in use (Text) or chosen (Font)
  QRgb color = 0;    // Fill: the brush; Line: the pen; the colour calls: the colour
};

class RecordingCanvas : public ScoreCanvas {
 public:
  explicit RecordingCanvas(const CanvasFont& font = {kMusicFace, 60, false})
      : font_(font), tableHeight_(font.height) {}

  void SetFont(const CanvasFont& font) override;
  const CanvasFont& Font() const override { return font_; }
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  void SetPenColor(QRgb color) override;
  void SetBrushColor(QRgb color) override;
  void SetTextColor(QRgb color) override;

  // Width of one character in the music font at the canvas's first height (at other
  // heights in proportion); other characters and faces measure a third of the font
  // height.
  void SetCharWidth(char code, int width) { widths_[code] = width; }

  // The calls of one kind, in order.
  std::vector<CanvasCall> Calls(CanvasOp op) const;
  void Clear() { calls.clear(); }

  std::vector<CanvasCall> calls;
  // Every string measured or written in the music font.
  std::vector<std::string> musicTexts;

 private:
  void Record(CanvasCall call) { calls.push_back(std::move(call)); }
  void Colour(CanvasOp op, QRgb color);

  CanvasFont font_;
  int tableHeight_;
  std::map<char, int> widths_;
  QRgb pen_ = kBlack;
  QRgb brush_ = kWhite;
};

}  // namespace rq
