// Groups of notes drawn together: grace groups, beam groups with their stems and
// beams, and tuplets (members under one number).
#pragma once

#include <memory>
#include <vector>

#include "score/ScoreSymbol.h"

namespace rq {

// The gap between grace notes: a quarter of a line space, at least a pixel.
int GraceGap(const TDrawCtxt& ctx);

// Small notes packed a grace gap apart before a main note; the row gives no gap after them.
class TGroupGrace : public TGroupSymbol {
 public:
  TGroupGrace() : TGroupSymbol(1) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The packed width and half a line space, negated: the row adds no gap after a
  // grace group.
  int Measure(TDrawCtxt& ctx, int spacing) override;
  int NoteCount() const override { return 1; }

  bool Slashed = false;  // an acciaccatura: a stroke through the first note's stem and flag

 private:
  // Two notes or more are beamed: small bare heads, stems and two beams.
  bool Beamed() const;
  void MarkBare();
  void DrawBeamed(TDrawCtxt& ctx, const RowRect& rect, int x, int gap);

  int firstStem_ = 0;  // canvas x of the first stem of a beamed group, from the last draw
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

// A tuplet: its members (notes, rests, chords and beam groups, with grace groups
// among them) placed one after another as in a row, under one number: on the beam's
// side when one beam holds every member, else over a bracket above the members.
class TGrpTuplet : public TScoreSymbol {
 public:
  explicit TGrpTuplet(int count) : Count(count) {}

  void Add(std::unique_ptr<TScoreSymbol> member) { Members.push_back(std::move(member)); }
  // Notes, rests and chords in the members (grace notes do not count).
  int NoteCount() const override;

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The members' widths and the gaps between them, none after a grace group.
  int Measure(TDrawCtxt& ctx, int spacing) override;
  int GetWidth() const override { return Width; }

  std::vector<std::unique_ptr<TScoreSymbol>> Members;
  int Count;

 private:
  void DrawNumberOnBeam(TDrawCtxt& ctx, const TGroupNote& beam);
  void DrawBracket(TDrawCtxt& ctx, const RowRect& rect);
};

// Stem length of a beam group, positive downward.
int BeamStemLength(const TDrawCtxt& ctx, int stemDir);

// Whether a symbol takes the gap after it in a row or tuplet: grace groups (negative
// widths) and symbols of no width do not.
inline bool TakesGap(int measuredWidth) { return measuredWidth > 0; }

}  // namespace rq
