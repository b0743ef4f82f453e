// Row layout: clef and key at fixed places, every other symbol spread with one
// integer gap; the division's leftover pixels go out one at a time along the row,
// the last symbol taking what is still left, so the row ends exactly at its right
// edge, a small margin inside the width. A row whose symbols do not fit even at the
// closest gap is drawn with a smaller music font, so its end stays in view.
#include "score/ScoreLine.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "score/InkCanvas.h"
#include "score/NoteGroups.h"
#include "score/ScoreCanvas.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq {
namespace {

constexpr int kClefX = 10;  // the least clef inset, the screen staff's own left
constexpr int kFirstMusic = 2;  // symbols before this index are the clef and key
constexpr int kSmallestFont = 8;

// The canvas at another music font height for a while, with the number heights
// scaled alike; everything is put back at the end of the scope.
class FontScope {
 public:
  FontScope(TDrawCtxt& ctx, int height)
      : ctx_(ctx), saved_(ctx.Canvas->Font()), number_(ctx.NumberHeight), tuplet_(ctx.TupletHeight) {
    active_ = height > 0 && height != saved_.height && saved_.height > 0;
    if (!active_) return;
    ctx.Canvas->SetFontHeight(height);
    ctx.NumberHeight = number_ * height / saved_.height;
    ctx.TupletHeight = tuplet_ * height / saved_.height;
  }
  ~FontScope() {
    if (!active_) return;
    ctx_.Canvas->SetFont(saved_);
    ctx_.NumberHeight = number_;
    ctx_.TupletHeight = tuplet_;
  }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  TDrawCtxt& ctx_;
  CanvasFont saved_;
  int number_;
  int tuplet_;
  bool active_ = false;
};

}  // namespace

int RowMargin(const TDrawCtxt& ctx) { return ctx.LineSpace; }
int ClefX(const TDrawCtxt& ctx) { return std::max(kClefX, ctx.LineSpace / 2); }
int ClefGap(const TDrawCtxt& ctx) { return ctx.LineSpace; }
int KeyGap(const TDrawCtxt& ctx) { return ctx.LineSpace * 3 / 2; }
int ClosestGap(const TDrawCtxt& ctx) { return std::max(1, ctx.LineSpace / 2); }

// What the row's symbols take at one font height.
struct TScoreLine::Extent {
  int startX = 0;  // the clef and key with their gaps
  int total = 0;   // the symbols after them, without gaps
  int notes = 0;   // gap-taking notes
  int margin = 0;
  int closestGap = 0;
};

// Leaves the context's staff metrics at the height measured.
TScoreLine::Extent TScoreLine::MeasureAt(TDrawCtxt& ctx, int fontHeight, int rowHeight) {
  const FontScope font(ctx, fontHeight);
  ctx.SetStaffMetrics(rowHeight);
  Extent e;
  // In staff spaces, so that screen and paper keep the same proportions: a space
  // after the clef, one and a half after the key signature (none is drawn in C).
  const int key = Symbols[1]->Measure(ctx, 0);
  e.startX = ClefX(ctx) + Symbols[0]->Measure(ctx, 0) + ClefGap(ctx) + (key > 0 ? key + KeyGap(ctx) : 0);
  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    const int w = Symbols[i]->Measure(ctx, 0);
    if (TakesGap(w)) e.notes += Symbols[i]->NoteCount();
    e.total += std::abs(w);
  }
  e.margin = RowMargin(ctx);
  e.closestGap = ClosestGap(ctx);
  return e;
}

bool TScoreLine::FitsAt(TDrawCtxt& ctx, int fontHeight, int rowHeight, int width) {
  const Extent e = MeasureAt(ctx, fontHeight, rowHeight);
  return e.notes < 2 || e.startX + e.total + (e.notes - 1) * e.closestGap <= width - e.margin;
}

// The canvas font when the row fits at it, else the largest smaller height that fits
// (the smallest one tried when none does). Searched from an estimate, since the widths
// grow about in proportion with the font.
int TScoreLine::FittingFont(TDrawCtxt& ctx, int rowHeight, int width) {
  const int base = ctx.Canvas->Font().height;
  const Extent e = MeasureAt(ctx, base, rowHeight);
  const int64_t needed = int64_t{e.startX} + e.total + int64_t{e.notes - 1} * e.closestGap;
  if (e.notes < 2 || needed <= width - e.margin || base <= kSmallestFont) return base;
  const int64_t estimate = int64_t{base} * std::max(width - e.margin, 1) / needed;
  int font = static_cast<int>(std::clamp<int64_t>(estimate, kSmallestFont, base - 1));
  while (font > kSmallestFont && !FitsAt(ctx, font, rowHeight, width)) --font;
  while (font + 1 < base && FitsAt(ctx, font + 1, rowHeight, width)) ++font;
  return font;
}

void TScoreLine::Layout(TDrawCtxt& ctx, int rowHeight, int width) {
  if (!HasClef || Symbols.size() < 2) return;
  // A row is measured, then painted, at the same size: a second layout only sets the
  // context's metrics, the row keeps its font and the places found the first time.
  const LayoutKey key{ctx.Canvas->Font().height, width, Symbols.size()};
  if (key == layoutKey_) {
    const FontScope font(ctx, FontHeight);
    ctx.SetStaffMetrics(rowHeight);
    return;
  }
  layoutKey_ = key;
  FontHeight = FittingFont(ctx, rowHeight, width);
  const Extent e = MeasureAt(ctx, FontHeight, rowHeight);
  StartX = e.startX;
  RightEdge = width - e.margin;
  if (e.total >= 1 && e.notes >= 2) {
    const int free = RightEdge - StartX - e.total;
    Spacing = free / (e.notes - 1);
    Remainder = free % (e.notes - 1);
  }
}

int TScoreLine::SignX(TDrawCtxt& ctx, size_t index) {
  return index == 0 ? ClefX(ctx) : ClefX(ctx) + Symbols[0]->Measure(ctx, 0) + ClefGap(ctx);
}

void TScoreLine::Draw(TDrawCtxt& ctx, const RowRect& rect, int rowHeight, int width) {
  if (Symbols.size() < 2) return;
  Layout(ctx, rowHeight, width);
  DrawSymbols(ctx, rect);
}

void TScoreLine::DrawSymbols(TDrawCtxt& ctx, const RowRect& rect) {
  if (!HasClef || Symbols.size() < 2) return;
  const FontScope font(ctx, FontHeight);
  Symbols[0]->Draw(ctx, rect, SignX(ctx, 0));
  Symbols[1]->Draw(ctx, rect, SignX(ctx, 1));

  // Places first, so that an ending knows where the next bar stands.
  xs_.assign(Symbols.size(), 0);
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
    xs_[i] = x;
    symbol.Spacing = Spacing;
    const int w = symbol.Measure(ctx, Spacing);
    x += TakesGap(w) ? w + Spacing : -w;
  }

  CentreBarRests(ctx);
  PlaceEndings(ctx, rect);

  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) Symbols[i]->Draw(ctx, rect, xs_[i]);
  for (const TieArc& tie : Ties) DrawTie(ctx, rect, tie);
}

// Each ending's bracket reaches the next bar (or the row's end), and stands with its
// number above the ink of everything under them: the rest of the row is drawn once
// into an ink canvas first, at the places it is about to be drawn at.
void TScoreLine::PlaceEndings(TDrawCtxt& ctx, const RowRect& rect) {
  std::vector<TBarreSection*> endings(Symbols.size(), nullptr);
  bool any = false;
  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    endings[i] = dynamic_cast<TBarreSection*>(Symbols[i].get());
    any = any || endings[i] != nullptr;
  }
  if (!any) return;
  ScoreCanvas* canvas = ctx.Canvas;
  InkCanvas ink(*canvas);
  ink.KeepBoxes();
  ctx.Canvas = &ink;
  for (size_t i = 0; i < Symbols.size(); ++i) {
    if (endings[i] == nullptr) Symbols[i]->Draw(ctx, rect, i < kFirstMusic ? SignX(ctx, i) : xs_[i]);
  }
  for (const TieArc& tie : Ties) DrawTie(ctx, rect, tie);
  ctx.Canvas = canvas;

  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    TBarreSection* ending = endings[i];
    if (ending == nullptr) continue;
    ending->BracketEnd = RightEdge;
    for (size_t j = i + 1; j < Symbols.size(); ++j) {
      if (dynamic_cast<const TSymbBarre*>(Symbols[j].get()) != nullptr) {
        ending->BracketEnd = xs_[j] + Symbols[j]->GetWidth() / 2;
        break;
      }
    }
    ending->RowRight = RightEdge;
    const auto [left, right] = ending->Reach(ctx, xs_[i]);
    const int top = ink.TopWithin(rect.Left + left, rect.Left + right);
    ending->InkTop = top == INT_MAX ? TBarreSection::kNoInk : top - rect.Top;
  }
}

// A tie lies just off its heads on the side away from the stem and bends out by half
// a line space: it leaves the first head's middle, runs flat, and comes back in at the
// second head's middle. A half tie runs flat from the head to the row's end, or from
// the row's start to the head.
void TScoreLine::DrawTie(TDrawCtxt& ctx, const RowRect& rect, const TieArc& tie) const {
  const TSimpleNote* head = tie.From != nullptr ? tie.From : tie.To;
  if (head == nullptr) return;
  const int side = head->StemDir < 0 ? 1 : -1;  // +1 below the head, -1 above
  const int y = rect.Top + ctx.StaffY(head->Pitch) + side * (ctx.LineSpace / 2 + 1);
  const int bend = side * std::max(1, ctx.LineSpace / 2);
  // A tie from the row before starts a little before the first note, clear of the
  // clef (a key of C leaves only the clef's gap before the first note).
  const int clefEnd = ClefX(ctx) + Symbols[0]->Measure(ctx, 0);
  const int rowStart = std::max(StartX - ctx.LineSpace, clefEnd + 1);
  const int x1 = rect.Left + (tie.From != nullptr ? tie.From->HeadX + ctx.HeadWidth / 2 : rowStart);
  const int x2 = rect.Left + (tie.To != nullptr ? tie.To->HeadX + ctx.HeadWidth / 2 : RightEdge);
  if (x2 <= x1) return;
  const int slope = std::min(ctx.LineSpace, (x2 - x1) / 3);
  const int flatFrom = tie.From != nullptr ? x1 + slope : x1;
  const int flatTo = tie.To != nullptr ? x2 - slope : x2;
  ScoreCanvas& canvas = *ctx.Canvas;
  if (tie.From != nullptr) canvas.Line(x1, y, flatFrom, y + bend);
  // The middle is drawn twice over, so the arc is thicker there than at its ends.
  canvas.Line(flatFrom, y + bend, flatTo, y + bend);
  canvas.Line(flatFrom, y + bend + side, flatTo, y + bend + side);
  if (tie.To != nullptr) canvas.Line(flatTo, y + bend, x2, y);
}

// A whole-bar rest alone between two bars (or a bar and the row's end) stands in the
// middle of its bar.
void TScoreLine::CentreBarRests(TDrawCtxt& ctx) {
  for (size_t i = kFirstMusic; i < Symbols.size(); ++i) {
    const auto* rest = dynamic_cast<const TSimpleNote*>(Symbols[i].get());
    if (rest == nullptr || !rest->IsRest() || !rest->WholeBar) continue;
    const bool barBefore = i == kFirstMusic || dynamic_cast<const TSymbBarre*>(Symbols[i - 1].get()) != nullptr;
    const bool barAfter = i + 1 == Symbols.size() || dynamic_cast<const TSymbBarre*>(Symbols[i + 1].get()) != nullptr;
    if (!barBefore || !barAfter) continue;
    const int left = i == kFirstMusic ? StartX : xs_[i - 1] + Symbols[i - 1]->Measure(ctx, Spacing);
    const int right = i + 1 == Symbols.size() ? RightEdge : xs_[i + 1];
    const int width = Symbols[i]->Measure(ctx, Spacing);
    xs_[i] = std::max(left, (left + right - width) / 2);
  }
}

RowRoom RowInkRoom(TDrawCtxt& ctx, TScoreLine* row, int rowHeight, int width) {
  if (row == nullptr || !row->HasClef || row->Symbols.size() < 2) return {};
  row->Layout(ctx, rowHeight, width);
  ScoreCanvas* canvas = ctx.Canvas;
  int top = 0;
  int bottom = 0;
  {
    InkCanvas ink(*canvas);
    ctx.Canvas = &ink;
    row->DrawSymbols(ctx, RowRect{0, 0, width, rowHeight});
    ctx.Canvas = canvas;
    if (ink.Empty()) return {};
    top = ink.Top();
    bottom = ink.Bottom();
  }
  // Half a line space between neighbours at the least: a quarter on each side.
  const int spare = std::max(1, ctx.LineSpace / 4);
  return {std::max(0, spare - top), std::max(0, bottom + spare - rowHeight)};
}

void PaintScoreRow(TDrawCtxt& ctx, TScoreLine* row, const RowRect& rect, int rowHeight, int width,
                   const StaffStyle& style) {
  ScoreCanvas& canvas = *ctx.Canvas;
  if (style.fillCell) {
    canvas.SetBrushColor(kWhite);
    canvas.FillRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
  }
  if (row == nullptr || row->Symbols.empty()) return;
  int mid = rowHeight / 2;
  int ls = static_cast<int>(canvas.Font().height / 12.0) + 1;
  int right = width;
  if (row->HasClef && row->Symbols.size() >= 2) {
    // The staff at the row's own size, ending where its music ends.
    row->Layout(ctx, rowHeight, width);
    mid = ctx.StaffMid;
    ls = ctx.LineSpace;
    right = row->RightEdge;
  }
  // Staff lines as heavy as ledger lines (the context's line thickness).
  canvas.SetPenColor(style.colour);
  for (int k = -2; k <= 2; ++k) DrawHLine(ctx, rect.Left + style.left, rect.Left + right, rect.Top + mid + k * ls);
  canvas.SetPenColor(kBlack);
  row->DrawSymbols(ctx, rect);
}

}  // namespace rq
