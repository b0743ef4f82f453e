// Row layout: clef and key at fixed places, every other symbol spread with one
// integer gap; the division's leftover pixels go out one at a time along the row,
// the last symbol taking what is still left, so the row ends exactly at the width.
#include "score/ScoreLine.h"

#include <cstdlib>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

constexpr int kClefX = 10;
constexpr int kSignGap = 10;
constexpr int kFirstMusic = 2;  // symbols before this index are the clef and key
constexpr QRgb kStaffGrey = 0xFFC0C0C0;

}  // namespace

void TScoreLine::Layout(TDrawCtxt& ctx, int rowHeight, int width) {
  if (!HasClef || Symbols.size() < 2) return;
  ctx.SetStaffMetrics(rowHeight);
  StartX = Symbols[0]->Measure(ctx, 0) + kSignGap + Symbols[1]->Measure(ctx, 0) + kSignGap;
  int notes = 0;
  int total = 0;
  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    notes += Symbols[i]->NoteCount();
    const int w = Symbols[i]->Measure(ctx, 0);
    if (w < 0) notes -= 1;  // a grace group takes no gap
    total += std::abs(w);
  }
  if (total >= 1 && notes >= 2 && total < width) {
    const int free = width - StartX - total;
    Spacing = free / (notes - 1);
    Remainder = free % (notes - 1);
  }
}

void TScoreLine::Draw(TDrawCtxt& ctx, const RowRect& rect, int rowHeight, int width) {
  if (Symbols.size() < 2) return;
  Layout(ctx, rowHeight, width);
  Symbols[0]->Draw(ctx, rect, kClefX);
  Symbols[1]->Draw(ctx, rect, kClefX + Symbols[0]->Measure(ctx, 0));

  int x = StartX;
  int rem = Remainder;
  const size_t count = Symbols.size() - kFirstMusic;
  // The accumulator is single precision on purpose: it decides which symbols take
  // the leftover pixels, and thirds land differently in double.
  const float step = count > 0 ? static_cast<float>(rem) / static_cast<float>(count) : 0.0f;
  float acc = 0.0f;
  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    TScoreSymbol& symbol = *Symbols[i];
    if (rem > 0) {
      if (i + 1 == Symbols.size()) {
        x += rem;
        rem = 0;
      } else {
        acc += step;
        if (acc > 1.0f) {
          const int t = static_cast<int>(acc);
          acc -= static_cast<float>(t);
          x += t;
          rem -= t;
        }
        if (rem < 0) rem = 0;
      }
    }
    symbol.Spacing = Spacing;
    symbol.Draw(ctx, rect, x);
    const int w = symbol.Measure(ctx, Spacing);
    x += w >= 0 ? w + Spacing : -w;
  }
}

void PaintScoreRow(TDrawCtxt& ctx, TScoreLine* row, const RowRect& rect, int rowHeight, int width) {
  ScoreCanvas& canvas = *ctx.Canvas;
  canvas.SetBrushColor(kWhite);
  canvas.FillRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
  if (row == nullptr || row->Symbols.empty()) return;
  const int fontH = canvas.Font().height;
  const int mid = rowHeight / 2;
  const int ls = static_cast<int>(fontH / 12.0) + 1;
  canvas.SetPenColor(kStaffGrey);
  for (int k = -2; k <= 2; ++k) {
    const int y = rect.Top + mid + k * ls;
    canvas.Line(rect.Left + 10, y, rect.Left + width, y);
  }
  canvas.SetPenColor(kBlack);
  row->Draw(ctx, rect, rowHeight, width);
}

}  // namespace rq
