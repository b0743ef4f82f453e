// Base behaviour of symbols and groups, and the thick-line primitives.
#include "score/ScoreSymbol.h"

#include "score/ScoreCanvas.h"

namespace rq {

void TGroupSymbol::AddChild(std::unique_ptr<TGenNote> child) {
  child->Kind = kSymbolInGroup;
  Children.push_back(std::move(child));
}

int TGroupSymbol::Measure(TDrawCtxt& ctx, int spacing) {
  Spacing = spacing;
  int width = 0;
  for (auto& child : Children) width += child->Measure(ctx, spacing);
  // An empty group takes no room (rather than a negative gap).
  if (!Children.empty()) width += (static_cast<int>(Children.size()) - 1) * spacing;
  Width = width;
  return width;
}

int TGroupSymbol::GetWidth() const {
  int width = 0;
  for (const auto& child : Children) width += child->GetWidth();
  if (!Children.empty()) width += (static_cast<int>(Children.size()) - 1) * Spacing;
  return width;
}

void DrawHLine(TDrawCtxt& ctx, int x1, int x2, int y) {
  for (int k = 0; k < ctx.LineThickness; ++k) ctx.Canvas->Line(x1, y + k, x2, y + k);
}

void DrawVLine(TDrawCtxt& ctx, int x, int y1, int y2) {
  for (int k = 0; k < ctx.LineThickness; ++k) ctx.Canvas->Line(x + k, y2, x + k, y1);
}

}  // namespace rq
