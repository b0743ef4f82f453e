// Recording canvas: every call kept in order, with deterministic text metrics.
#include "score/RecordingCanvas.h"

namespace rq {
namespace {

CanvasCall Call(CanvasOp op, int x1 = 0, int y1 = 0, int x2 = 0, int y2 = 0) {
  CanvasCall call;
  call.op = op;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  return call;
}

}  // namespace

void RecordingCanvas::SetFont(const CanvasFont& font) {
  font_ = font;
  CanvasCall call = Call(CanvasOp::Font);
  call.font = font;
  Record(std::move(call));
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text) {
  if (font_.family == kMusicFace) musicTexts.emplace_back(text);
  CanvasCall call = Call(CanvasOp::Text, x, y);
  call.text = std::string(text);
  call.font = font_;
  Record(std::move(call));
}

int RecordingCanvas::TextWidth(std::string_view text) {
  const bool music = font_.family == kMusicFace;
  if (music) musicTexts.emplace_back(text);
  int width = 0;
  for (const char c : text) {
    const auto it = widths_.find(c);
    if (music && it != widths_.end()) {
      width += tableHeight_ > 0 ? it->second * font_.height / tableHeight_ : it->second;
    } else {
      width += font_.height / 3;
    }
  }
  return width;
}

int RecordingCanvas::TextHeight(std::string_view /*text*/) { return font_.height; }

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  CanvasCall call = Call(CanvasOp::Line, x1, y1, x2, y2);
  call.color = pen_;
  Record(std::move(call));
}

void RecordingCanvas::FillRect(int x1, int y1, int x2, int y2) {
  CanvasCall call = Call(CanvasOp::Fill, x1, y1, x2, y2);
  call.color = brush_;
  Record(std::move(call));
}

void RecordingCanvas::SetPenColor(QRgb color) {
  pen_ = color;
  Colour(CanvasOp::PenColor, color);
}

void RecordingCanvas::SetBrushColor(QRgb color) {
  brush_ = color;
  Colour(CanvasOp::BrushColor, color);
}

void RecordingCanvas::SetTextColor(QRgb color) {
  Colour(CanvasOp::TextColor, color);
}

void RecordingCanvas::Colour(CanvasOp op, QRgb color) {
  CanvasCall call = Call(op);
  call.color = color;
  Record(std::move(call));
}

std::vector<CanvasCall> RecordingCanvas::Calls(CanvasOp op) const {
  std::vector<CanvasCall> out;
  for (const auto& c : calls) {
    if (c.op == op) out.push_back(c);
  }
  return out;
}

}  // namespace rq
