// Bar lines from lines, filled rectangles and dots; key, meter and clef from the music font.
#include "score/Signs.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

constexpr int kMaxKeyAccidentals = 7;

// Bar lines are drawn, not written: these glyphs only give their widths.
const char* BarWidthGlyph(int barKind) {
  switch (barKind) {
    case kBarThin: return "l";
    case kBarThinThick: return "[lllll";
    case kBarRepeatEnd:
    case kBarRepeatStart: return "]";
    case kBarRepeatBoth: return "]]";
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

void TBarreSection::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  TSymbBarre::Draw(ctx, rect, x);
  ScoreCanvas& canvas = *ctx.Canvas;
  const BarFrame f = FrameOf(ctx, rect, x, Width);
  const int savedHeight = canvas.Font().height;
  canvas.SetFont({kNumberFace, ctx.NumberHeight, true});
  const int th = canvas.TextHeight("2");
  const int tw = canvas.TextWidth("2");
  int xo = f.w / 2 - tw / 2;
  canvas.TextOut(f.xa + xo, f.yT - th, std::to_string(Number));
  xo -= Number != 1 ? tw / 2 : tw / 3;
  DrawVLine(ctx, f.xa + xo, f.yT - th, f.yT - th / 6);
  DrawHLine(ctx, f.xa + xo, f.xa + xo + 2 * tw, f.yT - th);
  canvas.SetFont({kMusicFace, savedHeight, false});
}

int TSymKey::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  Width = Sharps == 0 ? 0 : KeyCount(Sharps) * ctx.Canvas->TextWidth(Sharps > 0 ? "#" : "b");
  return Width;
}

// The accidentals alternate between two heights, whatever their count: sharps on
// the top line and in the third space, flats on the middle line and in the top space.
void TSymKey::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  ScoreCanvas& canvas = *ctx.Canvas;
  Width = 0;
  X = x;
  const int base = rect.Top + ctx.StaffMid - ctx.GlyphOffset;
  const char* glyph = Sharps > 0 ? "#" : "b";
  const int glyphWidth = canvas.TextWidth(glyph);
  for (int i = 1; i <= KeyCount(Sharps); ++i) {
    const bool odd = i % 2 == 1;
    int y;
    if (Sharps > 0) {
      y = odd ? base - 2 * ctx.LineSpace : base - ctx.LineSpace / 2;
    } else {
      y = odd ? base : base - 2 * ctx.LineSpace + ctx.LineSpace / 2;
    }
    canvas.TextOut(rect.Left + X + Width, y, glyph);
    Width += glyphWidth;
  }
}

int TSymMeter::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  Width = ctx.Canvas->TextWidth(Symbol != kMeterNumbers ? "C" : "8");
  return Width;
}

void TSymMeter::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  ScoreCanvas& canvas = *ctx.Canvas;
  X = x;
  const int xa = rect.Left + x;
  const int y = rect.Top + ctx.StaffMid - ctx.GlyphOffset;
  if (Symbol == kMeterNumbers) {
    canvas.TextOut(xa, y - ctx.LineSpace, std::to_string(Num));
    canvas.TextOut(xa, y + ctx.LineSpace, std::to_string(Den));
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
