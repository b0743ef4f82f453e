// Notes, rests and grace notes: glyph choice, measuring and drawing.
#include "score/SimpleNote.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

// Lengths in 64ths of an eighth note: a class doubles every four entries, each
// entry of a class adds a dot.
constexpr std::array<int64_t, kDurIndexCount - 1> kDurations = {
    8,   12,  14,  15,  16,  24,  28,  30,  32,  48,  56,  60,  64,  96,
    112, 120, 128, 192, 224, 240, 256, 384, 448, 480, 512, 768, 896};

constexpr int kBareHeadClass = 7;

constexpr std::array<unsigned char, 8> kStemDown = {0x90, 'R', 'X', 'E', 'Q', 'H', 'w', 0xF6};
// 0x91 is the sixty-fourth with its stem up.
constexpr std::array<unsigned char, 8> kStemUp = {0x91, 'r', 'x', 'e', 'q', 'h', 'w', 0xF6};
// 0x92 is the sixty-fourth rest, so that it never shows as a note; 0xEF the whole
// rest, which hangs from its line where the half rest sits on its own.
constexpr std::array<unsigned char, 7> kRests = {0x92, 0xA8, 0xC5, 0xE4, 'g', 0xEE, 0xEF};
constexpr unsigned char kWholeRest = 0xEF;
constexpr unsigned char kBareHead = 0xF6;
constexpr unsigned char kBareHalfHead = 0xF7;
constexpr unsigned char kStemUpCodes = 0xA0;    // + class 0..5
constexpr unsigned char kStemDownCodes = 0xB0;  // + class 0..5
constexpr int kHalfClass = 5;
constexpr int kFourthLine = 9;
// Length of a multi-bar rest in line spaces.
constexpr int kMultiBarRestSpaces = 4;

std::string Glyph(unsigned char code) { return std::string(1, static_cast<char>(code)); }

}  // namespace

int DurationIndex(int num, int den) {
  const int64_t v = (64 / int64_t{std::max(den, 1)}) * int64_t{num};
  const auto it = std::lower_bound(kDurations.begin(), kDurations.end(), v);
  return static_cast<int>(it - kDurations.begin());
}

unsigned char HeadGlyphCode(int durClass, bool stemUp) {
  const auto c = static_cast<size_t>(std::clamp(durClass, 0, kBareHeadClass));
  return stemUp ? kStemUp[c] : kStemDown[c];
}

unsigned char RestGlyphCode(int durClass) {
  return kRests[static_cast<size_t>(std::clamp(durClass, 0, static_cast<int>(kRests.size()) - 1))];
}

unsigned char BareHeadCode(int durClass) {
  if (durClass >= kWholeClass) return 'w';
  return durClass == kHalfClass ? kBareHalfHead : kBareHead;
}

unsigned char StemGlyphCode(int durClass, bool stemUp) {
  if (durClass >= kWholeClass) return 0;
  const int c = std::max(durClass, 0);
  return static_cast<unsigned char>((stemUp ? kStemUpCodes : kStemDownCodes) + c);
}

TSimpleNote::TSimpleNote(int pitch, int deco, int kind, int den, int num, int accidental)
    : Pitch(pitch), Accidental(accidental), StemDir(pitch >= 8 ? 1 : -1), Deco(deco) {
  Kind = kind;
  Width = -1;
  SetDuration(num, den);
  // Sixteen eighths or more are a breve: a whole head between double side lines, with
  // a dot from twenty-four on, never a whole note with three dots.
  if (Pitch != kRestPitch && den >= 1 && int64_t{num} >= int64_t{16} * den) {
    Breve = true;
    DurIndex = kWholeClass * 4 + (int64_t{num} >= int64_t{24} * den ? 1 : 0);
  }
}

int TSimpleNote::BreveSide(const TDrawCtxt& ctx) const {
  return Breve ? 3 * ctx.LineThickness + std::max(1, ctx.LineSpace / 4) : 0;
}

// Group members show bare heads for the group's stems and beams, chord members bare
// heads of their length for the chord's one stem.
std::string TSimpleNote::GetHeadGlyph() const {
  const int durClass = DurIndex / 4;
  if (IsRest()) return Glyph(WholeBar ? kWholeRest : RestGlyphCode(durClass));
  if (Kind == kSymbolInGroup) return Glyph(HeadGlyphCode(kBareHeadClass, false));
  if (Kind == kSymbolInChord) return Glyph(BareHeadCode(durClass));
  return Glyph(HeadGlyphCode(durClass, StemDir == -1));
}

std::string TSimpleNote::GetAccGlyph() const {
  switch (Accidental) {
    case kAccDoubleSharp: return Glyph(0xDC);
    case kAccSharp: return "#";
    case kAccFlat: return "b";
    case kAccDoubleFlat: return Glyph(0xBA);
    case kAccNatural: return "n";
    default: return {};
  }
}

std::string TGraceNote::GetHeadGlyph() const { return Bare ? Glyph(0xF6) : ";"; }

std::string TGraceNote::GetAccGlyph() const {
  if (Bare && Accidental != kAccDoubleSharp && Accidental != kAccDoubleFlat) return TSimpleNote::GetAccGlyph();
  if (Bare) return {};
  switch (Accidental) {
    case kAccSharp: return "I";
    case kAccFlat: return "i";
    case kAccNatural: return "N";
    default: return {};
  }
}

int TSimpleNote::AccidentalWidth(TDrawCtxt& ctx) const {
  const std::string acc = GetAccGlyph();
  return acc.empty() ? 0 : ctx.Canvas->TextWidth(acc) + 1;
}

int TSimpleNote::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  if (IsMultiBarRest()) {
    Width = kMultiBarRestSpaces * ctx.LineSpace;
    return Width;
  }
  ScoreCanvas& canvas = *ctx.Canvas;
  int width = AccidentalWidth(ctx) + 2 * BreveSide(ctx);
  width += canvas.TextWidth(GetHeadGlyph());
  width += Dots() * (canvas.TextWidth(".") + 1);
  Width = width;
  return width;
}

void TSimpleNote::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  DrawParts(ctx, rect, x, x + AccidentalWidth(ctx) + BreveSide(ctx), -1);
}

void TSimpleNote::DrawParts(TDrawCtxt& ctx, const RowRect& rect, int accX, int headX, int dotsX) {
  if (Invisible) {
    // Its place in the row stays empty: the measured width is kept.
    X = HeadX = headX;
    return;
  }
  if (IsMultiBarRest()) {
    DrawMultiBarRest(ctx, rect, headX);
    return;
  }
  ScoreCanvas& canvas = *ctx.Canvas;
  // Rests stand on the middle line; the whole rest hangs from the fourth.
  int y = ctx.StaffY(Pitch);
  if (IsRest()) y = IsWholeRest() ? ctx.StaffY(kFourthLine) : ctx.StaffMid;
  y -= ctx.GlyphOffset;
  X = std::min(accX, headX);
  const std::string acc = GetAccGlyph();
  if (!acc.empty()) canvas.TextOut(rect.Left + accX, rect.Top + y, acc);
  HeadX = headX;
  const std::string head = GetHeadGlyph();
  canvas.TextOut(rect.Left + HeadX, rect.Top + y, head);
  int dotX = dotsX >= 0 ? dotsX : HeadX + canvas.TextWidth(head) + BreveSide(ctx);
  if (Breve) {
    // Two upright lines each side of the head, across its height.
    const int lt = ctx.LineThickness;
    const int side = BreveSide(ctx);
    const int top = rect.Top + y + ctx.GlyphOffset - ctx.LineSpace * 3 / 4;
    const int bottom = rect.Top + y + ctx.GlyphOffset + ctx.LineSpace * 3 / 4;
    const int right = rect.Left + HeadX + canvas.TextWidth(head) + side - 3 * lt;
    for (const int lineX : {rect.Left + HeadX - side, rect.Left + HeadX - side + 2 * lt, right, right + 2 * lt}) {
      DrawVLine(ctx, lineX, top, bottom);
    }
  }
  for (int d = 0; d < Dots(); ++d) {
    dotX += 1;
    canvas.TextOut(rect.Left + dotX, rect.Top + y - 1, ".");
    dotX += canvas.TextWidth(".");
  }
  Width = dotX - X;
  if (IsRest()) return;
  DrawSigns(ctx, rect, y);
  DrawLedgerLines(ctx, rect);
  canvas.SetPenColor(kBlack);
}

// A thick bar on the middle line between two short uprights, the count of bars
// centred above the staff in the digits of endings.
void TSimpleNote::DrawMultiBarRest(TDrawCtxt& ctx, const RowRect& rect, int x) {
  ScoreCanvas& canvas = *ctx.Canvas;
  X = HeadX = x;
  Measure(ctx, 0);
  const int left = rect.Left + x;
  const int right = left + Width;
  const int mid = rect.Top + ctx.StaffMid;
  const int thickness = std::max(2, ctx.LineSpace / 2);
  canvas.SetBrushColor(kBlack);
  canvas.FillRect(left, mid - thickness / 2, right, mid - thickness / 2 + thickness);
  DrawVLine(ctx, left, mid - ctx.LineSpace, mid + ctx.LineSpace);
  DrawVLine(ctx, right - ctx.LineThickness, mid - ctx.LineSpace, mid + ctx.LineSpace);
  const int savedHeight = canvas.Font().height;
  canvas.SetFont({kNumberFace, ctx.NumberHeight, true});
  const std::string number = std::to_string(Bars);
  const int top = mid - 2 * ctx.LineSpace;
  canvas.TextOut(left + (Width - canvas.TextWidth(number)) / 2, top - canvas.TextHeight(number), number);
  canvas.SetFont({kMusicFace, savedHeight, false});
}

// Roll above the staff or the note; staccato on the side away from the stem.
void TSimpleNote::DrawSigns(TDrawCtxt& ctx, const RowRect& rect, int y) {
  if (Deco == kDecoRoll) {
    int yd = ctx.StaffMid - ctx.GlyphOffset - 3 * ctx.LineSpace;
    if (StemDir == 1 && Pitch >= 12) yd = y - ctx.LineSpace;
    if (StemDir != 1 && Pitch >= 5) yd = y - ctx.GlyphOffset / 2 - 2 * ctx.LineSpace;
    ctx.Canvas->TextOut(rect.Left + HeadX, rect.Top + yd, "~");
  } else if (Deco == kDecoStaccato) {
    const int yd = StemDir == 1 ? y - ctx.LineSpace : y + ctx.LineSpace;
    ctx.Canvas->TextOut(rect.Left + HeadX, rect.Top + yd, ".");
  }
}

void TSimpleNote::DrawLedgerLines(TDrawCtxt& ctx, const RowRect& rect) {
  const int ext = (ctx.HeadWidth * 30) / 100;
  const int x1 = rect.Left + HeadX - ext;
  const int x2 = rect.Left + HeadX + ctx.HeadWidth + ext - ctx.StemOffset;
  // One line per two steps beyond the top (11) or bottom (3) line; counted in 64
  // bits so no pitch overflows.
  const int64_t pitch = Pitch;
  const int64_t above = pitch >= 13 ? (pitch - 11) / 2 : 0;
  const int64_t below = pitch < 2 ? (3 - pitch) / 2 : 0;
  for (int64_t j = 1; j <= above; ++j) {
    DrawHLine(ctx, x1, x2, rect.Top + ctx.StaffMid - 2 * ctx.LineSpace - static_cast<int>(j) * ctx.LineSpace);
  }
  for (int64_t j = 1; j <= below; ++j) {
    DrawHLine(ctx, x1, x2, rect.Top + ctx.StaffMid + 2 * ctx.LineSpace + static_cast<int>(j) * ctx.LineSpace);
  }
}

}  // namespace rq
