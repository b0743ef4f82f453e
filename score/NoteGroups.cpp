// Grace, beam and tuplet groups. A beam is sloped when the notes run steadily from
// the first to the last (no leap above a fourth), flat otherwise; secondary beams
// join the shorter notes, with half-way stubs where a short note stands alone.
#include "score/NoteGroups.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "score/MultiNote.h"
#include "score/ScoreCanvas.h"
#include "score/SimpleNote.h"

namespace rq {
namespace {

constexpr int kMiddleLine = 7;
// Secondary beam levels: notes with a duration index below the level take that beam.
constexpr int kSecondBeam = 12;
constexpr int kThirdBeam = 8;
constexpr int kFourthBeam = 4;
constexpr int kMaxLeapForSlope = 4;

// Nearest integer, halves to even; clamped into int so no slope can overflow.
int RoundPx(double v) {
  v = std::nearbyint(v);
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(v);
}

// The drawing of one group's stems and beams, in canvas coordinates.
class BeamPainter {
 public:
  BeamPainter(TDrawCtxt& ctx, const RowRect& rect, const std::vector<std::unique_ptr<TGenNote>>& notes,
              int stemDir)
      : ctx_(ctx), rect_(rect), notes_(notes), stemDir_(stemDir), len_(BeamStemLength(ctx, stemDir)) {}

  int Len() const { return len_; }
  int Y(int pitch) const { return rect_.Top + ctx_.StaffY(pitch); }
  int Pitch(size_t i) const { return notes_[i]->GetPitch(); }
  int StemX(size_t i) const {
    int x = notes_[i]->GetHeadX() + rect_.Left;
    if (notes_[i]->GetStemDir() < 0) x += ctx_.HeadWidth;
    return x;
  }
  // Where child i's stem is drawn: the head's left edge, or inside its right edge.
  int StemLineX(size_t i) const {
    int x = notes_[i]->GetHeadX() + rect_.Left;
    if (notes_[i]->GetStemDir() < 0) x += ctx_.HeadWidth - ctx_.StemOffset;
    return x;
  }

  // BeamThickness lines growing from the given line towards the heads.
  void BeamLine(int xa, int ya, int xb, int yb) const {
    if (stemDir_ < 0) {
      xa -= ctx_.StemOffset;
      xb -= ctx_.StemOffset;
    }
    for (int k = 0; k < ctx_.BeamThickness; ++k) {
      if (stemDir_ == 1) {
        ctx_.Canvas->Line(xa, ya - k, xb, yb - k);
      } else {
        ctx_.Canvas->Line(xa, ya + k, xb, yb + k);
      }
    }
  }

  // Segments and stubs of one secondary beam level; slope is the beam's dy/dx
  // (0 for a flat beam) and y0 its height at the first stem.
  void SecondaryBeams(int level, int y0, int y1, double slope) const {
    int d = ctx_.BeamThickness + ctx_.BeamThickness / 2;
    if (level == kThirdBeam) d *= 2;
    if (level == kFourthBeam) d *= 3;
    const auto shift = [&](int y) { return len_ > 0 ? y + len_ - d : y + len_ + d; };
    const bool sloped = slope != 0.0;
    const size_t n = notes_.size();
    int state = 0;  // 1: a segment from the left reaches the next stem
    int yc = y0;    // the beam's height at stem i (sloped beams)
    for (size_t i = 0; i < n; ++i) {
      const bool last = i + 1 == n;
      int xa = StemX(i);
      int xb = last ? xa : StemX(i + 1);
      const int ycNext = last ? yc : yc + RoundPx(slope * std::abs(xb - xa));
      if (notes_[i]->GetDurIndex() < level) {
        const bool joinsNext = !last && notes_[i + 1]->GetDurIndex() < level;
        bool draw = true;
        bool back = last;  // a stub reaching half way back to the previous stem
        if (joinsNext) {
          state = 1;
        } else if (!last && state == 1) {
          // The segment from the left already reaches this note: the level ends here
          // (a deeper level shows its own stub), so the neighbour keeps its own beams.
          draw = false;
          state = 0;
        } else if (!last) {
          // A lone stub points on, or back to the dotted partner before it.
          back = i > 0 && notes_[i]->StubDir < 0;
          if (!back) xb = xa + std::abs(xb - xa) / 2;
          state = 0;
        }
        if (back) {
          xb = StemX(i);
          xa = xb - std::abs(xb - StemX(i - 1)) / 2;
        }
        if (draw) {
          int ya = sloped ? yc : y0;
          int yb = sloped ? 0 : y1;
          if (sloped) {
            const int rise = RoundPx(slope * std::abs(xb - xa));
            if (back) ya = yc - rise;
            yb = ya + rise;
          }
          BeamLine(xa, shift(ya), xb, shift(yb));
        }
      }
      yc = ycNext;
    }
  }

  void AllSecondaryBeams(int y0, int y1, double slope) const {
    for (int level : {kSecondBeam, kThirdBeam, kFourthBeam}) SecondaryBeams(level, y0, y1, slope);
  }

 private:
  TDrawCtxt& ctx_;
  const RowRect& rect_;
  const std::vector<std::unique_ptr<TGenNote>>& notes_;
  int stemDir_;
  int len_;
};

}  // namespace

int BeamStemLength(const TDrawCtxt& ctx, int stemDir) {
  return static_cast<int>(stemDir * (ctx.HeadHeight / 3.0 - 2.0));
}

// ---- Grace groups ----

namespace {

constexpr int kGracePercent = 62;  // grace notes' size against full ones

// A beamed grace group's notes are full-size bare heads and accidentals drawn at the
// grace size: the canvas font and the glyph offset shrink for the scope.
class GraceSize {
 public:
  explicit GraceSize(TDrawCtxt& ctx)
      : ctx_(ctx), height_(ctx.Canvas->Font().height), offset_(ctx.GlyphOffset) {
    const int small = std::max(1, height_ * kGracePercent / 100);
    ctx.Canvas->SetFontHeight(small);
    ctx.GlyphOffset = small / 2;
    HeadWidth = ctx.Canvas->TextWidth("\xF6");
  }
  ~GraceSize() {
    ctx_.Canvas->SetFontHeight(height_);
    ctx_.GlyphOffset = offset_;
  }
  GraceSize(const GraceSize&) = delete;
  GraceSize& operator=(const GraceSize&) = delete;

  int HeadWidth = 0;

 private:
  TDrawCtxt& ctx_;
  int height_;
  int offset_;
};

}  // namespace

int GraceGap(const TDrawCtxt& ctx) { return std::max(1, ctx.LineSpace / 4); }

bool TGroupGrace::Beamed() const { return Children.size() >= 2; }

void TGroupGrace::MarkBare() {
  const bool bare = Beamed();
  for (auto& child : Children) {
    if (auto* grace = dynamic_cast<TGraceNote*>(child.get())) grace->Bare = bare;
  }
}

int TGroupGrace::Measure(TDrawCtxt& ctx, int /*spacing*/) {
  MarkBare();
  const int gap = GraceGap(ctx);
  // Half a line space after the group keeps its last stem off the main note's head.
  const int after = ctx.LineSpace / 2;
  // A beamed group's notes are measured at the size they are drawn.
  std::optional<GraceSize> size;
  if (Beamed()) size.emplace(ctx);
  return -(TGroupSymbol::Measure(ctx, gap) + after);
}

void TGroupGrace::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  MarkBare();
  const int gap = GraceGap(ctx);
  if (Beamed()) {
    DrawBeamed(ctx, rect, x, gap);
  } else {
    for (auto& child : Children) {
      child->Draw(ctx, rect, x);
      x += child->Measure(ctx, 0) + gap;
    }
  }
  ctx.Canvas->SetTextColor(kBlack);
  if (Slashed && !Children.empty()) {
    // The small glyph's stem rises about two and a quarter line spaces at the right
    // of a head 62 % as wide as a full one; the stroke rises across it. In a beamed
    // group it crosses the first stem short of the next head.
    const TGenNote& first = *Children.front();
    const int head = ctx.HeadWidth * kGracePercent / 100;
    const int y = rect.Top + ctx.StaffY(first.GetPitch());
    const int x0 = rect.Left + first.GetHeadX();
    ctx.Canvas->SetPenColor(kBlack);
    if (Beamed()) {
      ctx.Canvas->Line(firstStem_ - head * 3 / 4, y - ctx.LineSpace, firstStem_ + head / 4, y - 2 * ctx.LineSpace);
    } else {
      ctx.Canvas->Line(x0 - head / 4, y - ctx.LineSpace, x0 + head + head / 2, y - 2 * ctx.LineSpace);
    }
  }
}

// Small bare heads with their stems up to two beams, level above the highest head.
void TGroupGrace::DrawBeamed(TDrawCtxt& ctx, const RowRect& rect, int x, int gap) {
  int headWidth = 0;
  {
    const GraceSize size(ctx);
    headWidth = size.HeadWidth;
    for (auto& child : Children) {
      child->Draw(ctx, rect, x);
      x += child->Measure(ctx, 0) + gap;
    }
  }
  int highest = INT_MAX;
  for (const auto& child : Children) highest = std::min(highest, ctx.StaffY(child->GetPitch()));
  const int beamTop = rect.Top + highest - ctx.LineSpace * 5 / 2;
  const int lt = ctx.LineThickness;
  const int beam = std::max(1, ctx.BeamThickness * kGracePercent / 100);
  int first = 0;
  int last = 0;
  for (size_t i = 0; i < Children.size(); ++i) {
    // Inside the head's advance, as the note glyphs put their up-stems.
    const int stemX = rect.Left + Children[i]->GetHeadX() + StemInset(headWidth) - lt;
    DrawVLine(ctx, stemX, beamTop, rect.Top + ctx.StaffY(Children[i]->GetPitch()));
    if (i == 0) first = firstStem_ = stemX;
    last = stemX + lt;
  }
  ScoreCanvas& canvas = *ctx.Canvas;
  canvas.SetBrushColor(kBlack);
  canvas.FillRect(first, beamTop, last, beamTop + beam);
  const int second = beamTop + beam + std::max(1, beam * 2 / 3);
  canvas.FillRect(first, second, last, second + beam);
  canvas.SetBrushColor(kWhite);
}

// ---- Beam groups ----

void TGroupNote::SetCommonStem() {
  StemDir = 0;
  if (Children.size() > 1) {
    StemDir = Children.front()->GetStemDir();
    int far = 0;
    for (const auto& child : Children) {
      const int distance = std::abs(child->GetPitch() - kMiddleLine);
      if (distance > far) {
        far = distance;
        StemDir = child->GetStemDir();
      }
    }
  }
  for (auto& child : Children) child->SetStemDir(StemDir);
}

int TGroupNote::Measure(TDrawCtxt& ctx, int spacing) {
  SetCommonStem();
  return TGroupSymbol::Measure(ctx, spacing);
}

void TGroupNote::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  for (auto& child : Children) {
    child->Draw(ctx, rect, x);
    x += child->Measure(ctx, 0) + Spacing;
  }
  ctx.Canvas->SetTextColor(kBlack);
  if (Children.size() >= 2) DrawStemsAndBeams(ctx, rect);
}

void TGroupNote::DrawStemsAndBeams(TDrawCtxt& ctx, const RowRect& rect) {
  const size_t n = Children.size();
  StemDir = Children.front()->GetStemDir();
  const BeamPainter beam(ctx, rect, Children, StemDir);
  const int len = beam.Len();

  size_t iMax = 0;
  size_t iMin = 0;
  int maxStep = 0;
  for (size_t i = 0; i < n; ++i) {
    if (beam.Pitch(i) > beam.Pitch(iMax)) iMax = i;
    if (beam.Pitch(i) < beam.Pitch(iMin)) iMin = i;
    if (i > 0) maxStep = std::max(maxStep, std::abs(beam.Pitch(i) - beam.Pitch(i - 1)));
  }
  BeamX0 = beam.StemX(0);
  BeamX1 = beam.StemX(n - 1);
  const bool steady = (iMin == 0 && iMax == n - 1) || (iMax == 0 && iMin == n - 1);
  // Ends that share an x have no slope to follow: such a beam lies flat.
  const bool sloped = steady && beam.Pitch(iMax) != beam.Pitch(iMin) && maxStep <= kMaxLeapForSlope &&
                      BeamX0 != BeamX1;

  ctx.Canvas->SetPenColor(kBlack);
  if (!sloped) {
    const int ref = Children.front()->GetStemDir() >= 0 ? beam.Pitch(iMin) : beam.Pitch(iMax);
    const int yb = beam.Y(ref);
    BeamY0 = BeamY1 = yb;
    beam.BeamLine(BeamX0, yb + len, BeamX1, yb + len);
    beam.AllSecondaryBeams(BeamY0, BeamY1, 0.0);
    for (size_t i = 0; i < n; ++i) {
      const int end = Children[i]->GetStemDir() >= 0 ? yb + len - 1 : yb + len;
      DrawVLine(ctx, beam.StemLineX(i), beam.Y(beam.Pitch(i)), end);
    }
    return;
  }

  BeamY0 = beam.Y(beam.Pitch(0));
  BeamY1 = beam.Y(beam.Pitch(n - 1));
  beam.BeamLine(BeamX0, BeamY0 + len, BeamX1, BeamY1 + len);
  const double slope = std::tan(std::atan2(BeamY1 - BeamY0, BeamX1 - BeamX0));
  beam.AllSecondaryBeams(BeamY0, BeamY1, slope);
  for (size_t i = 0; i < n; ++i) {
    const int x = beam.StemLineX(i);
    int end = RoundPx(slope * (x - BeamX0)) + BeamY0;
    end += Children[i]->GetStemDir() >= 0 ? -1 : 1;
    DrawVLine(ctx, x, beam.Y(beam.Pitch(i)), end + len);
  }
}

// ---- Tuplets ----

namespace {

// The one beam group that holds every counted member of a tuplet, if any.
const TGroupNote* SoleBeam(const std::vector<std::unique_ptr<TScoreSymbol>>& members) {
  const TGroupNote* beam = nullptr;
  for (const auto& member : members) {
    if (dynamic_cast<const TGroupGrace*>(member.get()) != nullptr) continue;
    const auto* group = dynamic_cast<const TGroupNote*>(member.get());
    if (group == nullptr || beam != nullptr || group->Children.size() < 2) return nullptr;
    beam = group;
  }
  return beam;
}

// The highest y a note's ink reaches: its head, or the end of an up-stem.
int NoteTop(const TDrawCtxt& ctx, int pitch, bool stemUp) {
  if (pitch == kRestPitch) return ctx.StaffMid - 2 * ctx.LineSpace;
  const int y = ctx.StaffY(pitch);
  return stemUp ? y - ctx.HeadHeight / 3 : y - ctx.LineSpace;
}

// The highest ink of a member (relative to the row), for the bracket above.
int MemberTop(const TDrawCtxt& ctx, const TScoreSymbol& member) {
  int top = ctx.StaffMid;
  if (const auto* group = dynamic_cast<const TGroupSymbol*>(&member)) {
    for (const auto& child : group->Children) top = std::min(top, MemberTop(ctx, *child));
  } else if (const auto* chord = dynamic_cast<const TMultiNote*>(&member)) {
    for (const auto& note : chord->Notes) top = std::min(top, NoteTop(ctx, note->Pitch, chord->StemDir < 0));
  } else if (const auto* note = dynamic_cast<const TGenNote*>(&member)) {
    top = NoteTop(ctx, note->GetPitch(), note->GetStemDir() < 0);
  }
  return top;
}

}  // namespace

int TGrpTuplet::NoteCount() const {
  int notes = 0;
  for (const auto& member : Members) {
    if (dynamic_cast<const TGroupGrace*>(member.get()) == nullptr) notes += member->NoteCount();
  }
  return notes;
}

int TGrpTuplet::Measure(TDrawCtxt& ctx, int spacing) {
  Spacing = spacing;
  int width = 0;
  bool gapAfter = false;
  for (auto& member : Members) {
    const int w = member->Measure(ctx, spacing);
    gapAfter = TakesGap(w);
    width += gapAfter ? w + spacing : -w;
  }
  if (gapAfter) width -= spacing;
  Width = width;
  return width;
}

void TGrpTuplet::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  for (auto& member : Members) {
    member->Spacing = Spacing;
    member->Draw(ctx, rect, x);
    const int w = member->Measure(ctx, Spacing);
    x += TakesGap(w) ? w + Spacing : -w;
  }
  // A number for a group of two or more.
  if (NoteCount() < 2) return;
  ScoreCanvas& canvas = *ctx.Canvas;
  const int savedHeight = canvas.Font().height;
  canvas.SetFont({kNumberFace, ctx.TupletHeight, true});
  if (const TGroupNote* beam = SoleBeam(Members)) {
    DrawNumberOnBeam(ctx, *beam);
  } else {
    DrawBracket(ctx, rect);
  }
  canvas.SetTextColor(kBlack);
  canvas.SetFont({kMusicFace, savedHeight, false});
}

// Centred over the beam, on the stems' side: under a beam below the notes, above a
// beam over them.
void TGrpTuplet::DrawNumberOnBeam(TDrawCtxt& ctx, const TGroupNote& beam) {
  ScoreCanvas& canvas = *ctx.Canvas;
  const std::string number = std::to_string(Count);
  const int stemDir = beam.Children.front()->GetStemDir();
  const int len = BeamStemLength(ctx, stemDir);
  const int th = canvas.TextHeight(number);
  const int tw = canvas.TextWidth(number);
  const int xm = (beam.BeamX1 - beam.BeamX0) / 2 + beam.BeamX0 - tw / 2;
  int ym = beam.BeamY1;
  if (beam.BeamY0 != beam.BeamY1) {
    const double slope = std::tan(std::atan2(beam.BeamY1 - beam.BeamY0, beam.BeamX1 - beam.BeamX0));
    ym = RoundPx(slope * (std::abs(beam.BeamX1 - beam.BeamX0) / 2)) + beam.BeamY0;
  }
  canvas.TextOut(xm, stemDir >= 0 ? ym + len + 1 : ym + len - th, number);
}

// Members that one beam does not hold: a bracket over them, from the first member's
// left edge to the last one's right edge, hooked down at both ends, with the number
// in a gap at its middle, above the staff and every stem.
void TGrpTuplet::DrawBracket(TDrawCtxt& ctx, const RowRect& rect) {
  ScoreCanvas& canvas = *ctx.Canvas;
  const std::string number = std::to_string(Count);
  const TScoreSymbol* first = nullptr;
  const TScoreSymbol* last = nullptr;
  int top = ctx.StaffMid - 2 * ctx.LineSpace;
  for (const auto& member : Members) {
    if (dynamic_cast<const TGroupGrace*>(member.get()) != nullptr) continue;
    if (first == nullptr) first = member.get();
    last = member.get();
    top = std::min(top, MemberTop(ctx, *member));
  }
  const auto xOf = [](const TScoreSymbol& s) {
    const auto* simple = dynamic_cast<const TSimpleSymbol*>(&s);
    return simple != nullptr ? simple->X : -1;
  };
  int x0 = xOf(*first);
  int x1 = xOf(*last);
  // Groups keep no x of their own: their first and last notes do.
  if (const auto* group = dynamic_cast<const TGroupSymbol*>(first)) x0 = group->Children.front()->X;
  if (const auto* group = dynamic_cast<const TGroupSymbol*>(last)) {
    x1 = group->Children.back()->X;
    last = group->Children.back().get();
  }
  x0 += rect.Left;
  x1 += rect.Left + std::max(last->Width, ctx.HeadWidth);
  const int th = canvas.TextHeight(number);
  const int tw = canvas.TextWidth(number);
  const int hook = std::max(ctx.LineSpace / 2, 2);
  const int y = std::max(rect.Top + top - ctx.LineSpace, rect.Top + th / 2 + 1);
  const int xm = x0 + (x1 - x0) / 2;
  const int gap = std::max(ctx.LineSpace / 3, 1);
  canvas.SetPenColor(kBlack);
  DrawHLine(ctx, x0, xm - tw / 2 - gap, y);
  DrawHLine(ctx, xm + tw - tw / 2 + gap, x1, y);
  DrawVLine(ctx, x0, y, y + hook);
  DrawVLine(ctx, x1 - ctx.LineThickness, y, y + hook);
  canvas.TextOut(xm - tw / 2, y - th / 2, number);
}

}  // namespace rq
