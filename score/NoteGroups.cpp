// Grace, beam and tuplet groups. A beam is sloped when the notes run steadily from
// the first to the last (no leap above a fourth), flat otherwise; secondary beams
// join the shorter notes, with half-way stubs where a short note stands alone.
#include "score/NoteGroups.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "score/ScoreCanvas.h"

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
        bool draw = true;
        if (last) {
          xa = xb - std::abs(xb - StemX(i - 1)) / 2;
        } else if (notes_[i + 1]->GetDurIndex() < level) {
          state = 1;
        } else if (state != 1) {
          xb = xa + std::abs(xb - xa) / 2;
          state = 0;
        } else {
          // The segment from the left already reaches this note: the level ends here
          // (a deeper level shows its own stub), so the neighbour keeps its own beams.
          draw = false;
          state = 0;
        }
        if (draw) {
          int ya = sloped ? yc : y0;
          int yb = sloped ? 0 : y1;
          if (sloped) {
            const int rise = RoundPx(slope * std::abs(xb - xa));
            if (last) ya = yc - rise;
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

int TGroupGrace::Measure(TDrawCtxt& ctx, int /*spacing*/) { return -TGroupSymbol::Measure(ctx, 1); }

void TGroupGrace::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  for (auto& child : Children) {
    child->Draw(ctx, rect, x);
    x += child->Measure(ctx, 0) + 1;
  }
  ctx.Canvas->SetTextColor(kBlack);
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

int TGrpTuplet::Measure(TDrawCtxt& ctx, int spacing) {
  if (Children.empty()) {
    Width = 0;
    return 0;
  }
  return TGroupNote::Measure(ctx, spacing);
}

void TGrpTuplet::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  TGroupNote::Draw(ctx, rect, x);
  // The number sits on the beam, which only a group of two or more has.
  if (Children.size() < 2) return;
  ScoreCanvas& canvas = *ctx.Canvas;
  const int savedHeight = canvas.Font().height;
  canvas.SetFont({kNumberFace, ctx.TupletHeight, true});
  const std::string number = std::to_string(Count);
  const int len = BeamStemLength(ctx, Children.front()->GetStemDir());
  const int th = canvas.TextHeight(number);
  const int tw = canvas.TextWidth(number);
  const int xm = (BeamX1 - BeamX0) / 2 + BeamX0 - tw / 2;
  int ym = BeamY1;
  if (BeamY0 != BeamY1) {
    const double slope = std::tan(std::atan2(BeamY1 - BeamY0, BeamX1 - BeamX0));
    ym = RoundPx(slope * (std::abs(BeamX1 - BeamX0) / 2)) + BeamY0;
  }
  if (Children.front()->GetStemDir() >= 0) {
    canvas.TextOut(xm, ym + len + 1, number);
  } else {
    canvas.TextOut(xm, ym + len - th, number);
  }
  canvas.SetTextColor(kBlack);
  canvas.SetFont({kMusicFace, savedHeight, false});
}

}  // namespace rq
