// Groups of notes drawn together: grace groups, beam groups with their stems and
// beams, and tuplets (a beam group with its number).
#pragma once

#include "score/ScoreSymbol.h"

namespace rq {

// Small notes packed 1 pixel apart before a main note; the row gives no gap after them.
class TGroupGrace : public TGroupSymbol {
 public:
  TGroupGrace() : TGroupSymbol(1) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The packed width, negated: the row adds no gap after a grace group.
  int Measure(TDrawCtxt& ctx, int spacing) override;
  int NoteCount() const override { return 1; }
};

// Notes of an eighth or shorter under one stem direction, joined by one to four beams.
class TGroupNote : public TGroupSymbol {
 public:
  explicit TGroupNote(int spacing = 0) : TGroupSymbol(spacing) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // Gives every member the common stem direction, then measures as a group.
  int Measure(TDrawCtxt& ctx, int spacing) override;

  // The main beam's reference ends in canvas coordinates, from the last draw.
  int BeamX0 = 0;
  int BeamY0 = 0;
  int BeamX1 = 0;
  int BeamY1 = 0;
  int StemDir = 0;

 private:
  void SetCommonStem();
  void DrawStemsAndBeams(TDrawCtxt& ctx, const RowRect& rect);
};

// A beam group with its tuplet number centred over (or under) the main beam.
class TGrpTuplet : public TGroupNote {
 public:
  explicit TGrpTuplet(int count) : Count(count) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;

  int Count;
};

// Stem length of a beam group, positive downward.
int BeamStemLength(const TDrawCtxt& ctx, int stemDir);

}  // namespace rq
