// Bar lines from lines, filled rectangles and dots; key, meter and clef from the music font.
#include "score/Signs.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

constexpr int kMaxKeyAccidentals = 7;
// Staff steps of the key signature's accidentals on the treble staff: sharps F C G D
// A E B, flats B E A D G C F.
constexpr std::array<int, kMaxKeyAccidentals> kSharpSteps = {11, 8, 12, 9, 6, 10, 7};
constexpr std::array<int, kMaxKeyAccidentals> kFlatSteps = {7, 10, 6, 9, 5, 8, 4};

// Bar lines are drawn, not written: these glyphs only give their widths.
const char* BarWidthGlyph(int barKind) {
  switch (barKind) {
    case kBarThin: return "l";
    case kBarThinThick: return "[lllll";
    case kBarRepeatEnd:
    case kBarRepeatStart: return "]";
    case kBarRepeatBoth: return "]]";
    case kBarThinThin: return "llll";
    default: return "";
  }
}

// Geometry of one bar: its left edge, width and the top and bottom staff lines.
struct BarFrame {
  TDrawCtxt& ctx;
  const RowRect& rect;
  int xa;
  int w;
  int lt;
  int yT;
  int yB;

  void Thin(int x) const { DrawVLine(ctx, x, yT, yB); }
  void Thick(int x1, int x2) const {
    ctx.Canvas->SetBrushColor(kBlack);
    ctx.Canvas->FillRect(x1, yT, x2, yB);
  }
  // Two dots in the two middle spaces.
  void Dots(int x) const {
    const int mid = rect.Top + ctx.StaffMid;
    ctx.Canvas->TextOut(x, mid - ctx.LineSpace / 2 - ctx.GlyphOffset, ".");
    ctx.Canvas->TextOut(x, mid + ctx.LineSpace / 2 - ctx.GlyphOffset, ".");
  }
};

void DrawBar(const BarFrame& f, int barKind) {
  const int xa = f.xa, w = f.w, lt = f.lt;
  switch (barKind) {
    case kBarThin:
      f.Thin(lt < 2 ? xa + w - 1 : xa + w - lt + 1);
      break;
    case kBarThinThick: {
      const int h = w - w / 2;
      f.Thin(xa + h - 3 * lt);
      f.Thick(xa + h, xa + w);
      break;
    }
    case kBarRepeatEnd: {
      const int h = w - w / 3;
      f.Dots(xa + h - 9 * lt);
      f.Thin(xa + h - 3 * lt);
      f.Thick(xa + h, xa + w);
      break;
    }
    case kBarRepeatStart: {
      const int h = w / 3;
      f.Thick(xa, xa + h);
      f.Thin(xa + h + 2 * lt);
      f.Dots(xa + h + 5 * lt);
      break;
    }
    case kBarThinThin:
      f.Thin(xa);
      f.Thin(xa + w - lt);
      break;
    case kBarRepeatBoth: {
      const int a = (w / 5) * 2;
      const int b = (w / 5) * 3;
      f.Dots(xa + a - 8 * lt);
      f.Thin(xa + a - 3 * lt);
      f.Thick(xa + a, xa + b);
      f.Thin(xa + b + 2 * lt);
      f.Dots(xa + b + 5 * lt);
      break;
    }
    default:
      break;
  }
  f.ctx.Canvas->SetBrushColor(kWhite);
}

BarFrame FrameOf(TDrawCtxt& ctx, const RowRect& rect, int x, int width) {
  return {ctx, rect, rect.Left + x, width, ctx.LineThickness,
          rect.Top + ctx.StaffMid - 2 * ctx.LineSpace, rect.Top + ctx.StaffMid + 2 * ctx.LineSpace};
}

int KeyCount(int sharps) { return std::abs(std::clamp(sharps, -kMaxKeyAccidentals, kMaxKeyAccidentals)); }

}  // namespace

int TSymbBarre::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  Width = ctx.Canvas->TextWidth(BarWidthGlyph(BarKind));
  return Width;
}

void TSymbBarre::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  X = x;
  Measure(ctx, 0);
  DrawBar(FrameOf(ctx, rect, x, Width), BarKind);
}

namespace {

// The canvas in the bold face of ending numbers for a while; the music font comes
// back at its height afterwards.
class NumberFont {
 public:
  explicit NumberFont(TDrawCtxt& ctx) : canvas_(*ctx.Canvas), saved_(canvas_.Font().height) {
    canvas_.SetFont({kNumberFace, ctx.NumberHeight, true});
  }
  ~NumberFont() { canvas_.SetFont({kMusicFace, saved_, false}); }
  NumberFont(const NumberFont&) = delete;
  NumberFont& operator=(const NumberFont&) = delete;

 private:
  ScoreCanvas& canvas_;
  int saved_;
};

}  // namespace

TBarreSection::Parts TBarreSection::Place(ScoreCanvas& canvas, int x) const {
  const int tw = canvas.TextWidth("2");
  // The hook stands half a digit left of the number, a third of one for the first ending.
  const int hookGap = Number != 1 ? tw / 2 : tw / 3;
  Parts p;
  p.numberWidth = canvas.TextWidth(std::to_string(Number));
  p.numberHeight = canvas.TextHeight("2");
  if (BarKind == kBarNone) {
    p.hook = x;
    p.number = x + hookGap;
  } else {
    // Centred on the bar.
    p.number = x + Width / 2 - tw / 2;
    p.hook = p.number - hookGap;
  }
  // Like the bracket, the number never passes the row's end.
  if (RowRight >= 0) p.number = std::min(p.number, RowRight - p.numberWidth);
  // At least two digits long; over the music up to the next bar when the row says
  // where that is.
  p.right = p.hook + 2 * tw;
  if (BracketEnd >= 0) p.right = std::max(p.right, BracketEnd);
  if (RowRight >= 0) p.right = std::min(p.right, RowRight);
  return p;
}

int TBarreSection::Measure(TDrawCtxt& ctx, int spacing) {
  if (BarKind != kBarNone) return TSymbBarre::Measure(ctx, spacing);
  const NumberFont font(ctx);
  const Parts p = Place(*ctx.Canvas, 0);
  Width = p.number + p.numberWidth;
  return Width;
}

std::pair<int, int> TBarreSection::Reach(TDrawCtxt& ctx, int x) {
  Measure(ctx, 0);
  const NumberFont font(ctx);
  const Parts p = Place(*ctx.Canvas, x);
  return {std::min(p.hook, p.number), std::max(p.right, p.number + p.numberWidth) + ctx.LineThickness};
}

void TBarreSection::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  X = x;
  if (BarKind != kBarNone) {
    TSymbBarre::Draw(ctx, rect, x);
  } else {
    Measure(ctx, 0);
  }
  const BarFrame f = FrameOf(ctx, rect, x, Width);
  const NumberFont font(ctx);
  const Parts p = Place(*ctx.Canvas, x);
  // The number's cell hangs under the bracket, above the top line and above the ink
  // under it; the cell's descent keeps the digit itself a little higher.
  int top = f.yT - p.numberHeight;
  if (InkTop != kNoInk) top = std::min(top, rect.Top + InkTop - p.numberHeight);
  ctx.Canvas->TextOut(rect.Left + p.number, top, std::to_string(Number));
  DrawVLine(ctx, rect.Left + p.hook, top, top + p.numberHeight - p.numberHeight / 6);
  DrawHLine(ctx, rect.Left + p.hook, rect.Left + p.right, top);
}

int TSymKey::Naturals() const {
  const int before = KeyCount(Previous);
  if (before == 0) return 0;
  const bool sameSide = (Previous > 0) == (Sharps > 0) && Sharps != 0;
  return sameSide ? std::max(0, before - KeyCount(Sharps)) : before;
}

// Half a line space between the naturals and the new signature: side by side at their
// advance widths, a natural's stem touches the first sharp.
int TSymKey::NaturalsGap(const TDrawCtxt& ctx) const { return Naturals() > 0 && Sharps != 0 ? ctx.LineSpace / 2 : 0; }

int TSymKey::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  Width = Naturals() * ctx.Canvas->TextWidth("n") + NaturalsGap(ctx);
  if (Sharps != 0) Width += KeyCount(Sharps) * ctx.Canvas->TextWidth(Sharps > 0 ? "#" : "b");
  return Width;
}

// The naturals at the steps of the accidentals they cancel, then each accidental at
// its own staff step, one glyph width right of the one before.
void TSymKey::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  ScoreCanvas& canvas = *ctx.Canvas;
  Width = 0;
  X = x;
  const int naturals = Naturals();
  if (naturals > 0) {
    const auto& steps = Previous > 0 ? kSharpSteps : kFlatSteps;
    const int naturalWidth = canvas.TextWidth("n");
    for (int i = KeyCount(Previous) - naturals; i < KeyCount(Previous); ++i) {
      const int y = rect.Top + ctx.StaffY(steps[static_cast<size_t>(i)]) - ctx.GlyphOffset;
      canvas.TextOut(rect.Left + X + Width, y, "n");
      Width += naturalWidth;
    }
    Width += NaturalsGap(ctx);
  }
  const char* glyph = Sharps > 0 ? "#" : "b";
  const auto& steps = Sharps > 0 ? kSharpSteps : kFlatSteps;
  const int glyphWidth = canvas.TextWidth(glyph);
  for (int i = 0; i < KeyCount(Sharps); ++i) {
    const int y = rect.Top + ctx.StaffY(steps[static_cast<size_t>(i)]) - ctx.GlyphOffset;
    canvas.TextOut(rect.Left + X + Width, y, glyph);
    Width += glyphWidth;
  }
}

int TSymMeter::InkWidth(TDrawCtxt& ctx) const {
  ScoreCanvas& canvas = *ctx.Canvas;
  if (Symbol != kMeterNumbers) return canvas.TextWidth("C");
  return std::max(canvas.TextWidth(std::to_string(Num)), canvas.TextWidth(std::to_string(Den)));
}

int TSymMeter::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  // A line space of room after the numbers, besides the row's gap, so the first note
  // after a meter never crowds it.
  Width = InkWidth(ctx) + ctx.LineSpace;
  return Width;
}

void TSymMeter::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  ScoreCanvas& canvas = *ctx.Canvas;
  X = x;
  Measure(ctx, 0);
  const int ink = InkWidth(ctx);
  const int xa = rect.Left + x;
  const int y = rect.Top + ctx.StaffMid - ctx.GlyphOffset;
  if (Symbol == kMeterNumbers) {
    const std::string num = std::to_string(Num);
    const std::string den = std::to_string(Den);
    canvas.TextOut(xa + (ink - canvas.TextWidth(num)) / 2, y - ctx.LineSpace, num);
    canvas.TextOut(xa + (ink - canvas.TextWidth(den)) / 2, y + ctx.LineSpace, den);
  } else {
    canvas.TextOut(xa, y, Symbol == kMeterCommon ? "c" : "C");
  }
}

int TSymCSol::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  Width = ctx.Canvas->TextWidth("&");
  return Width;
}

void TSymCSol::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  Width = ctx.Canvas->TextWidth("&");
  X = x;
  ctx.Canvas->TextOut(rect.Left + X, rect.Top + ctx.ClefY - ctx.GlyphOffset, "&");
}

}  // namespace rq
