// A chord: several notes on one stem, stand-alone or as a member of a beam group.
// Its heads share a column; a note a second from its neighbour stands on the other
// side of the stem. A stand-alone chord draws its own stem and flags.
#pragma once

#include <memory>
#include <vector>

#include "score/SimpleNote.h"

namespace rq {

class TMultiNote : public TGenNote {
 public:
  TMultiNote() { Kind = kSymbolInChord; }

  // The note becomes a chord member.
  void AddNote(std::unique_ptr<TSimpleNote> note);
  // Every member shorter than a quarter note, as a beamed note must be (true for an
  // empty chord): a beamed quarter would read as an eighth.
  bool AllBeamable() const;

  int GetPitch() const override;  // the pitch of the member the stem attaches to
  int GetStemDir() const override { return StemDir; }
  int GetDurIndex() const override;  // the longest member's
  // The x of the heads' column (where the stem side of the heads lies) from the last draw.
  int GetHeadX() const override { return ColumnX; }
  // Every member takes the direction; the stem attaches to the member nearest the beam.
  void SetStemDir(int dir) override;
  // Finds the top, bottom and main members; the member farthest from the middle
  // line gives the chord its stem direction.
  void Prepare() override;

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // Accidentals, heads on both sides of the stem, the stand-alone stem and flags, and
  // the dots; not stored.
  int Measure(TDrawCtxt& ctx, int spacing) override;

  std::vector<std::unique_ptr<TSimpleNote>> Notes;
  int Main = -1;
  int StemDir = 0;
  int Top = 0;
  int Bottom = 0;
  int ColumnX = 0;  // the heads' column from the last draw, relative to the row

 private:
  struct Placement;
  Placement Place(TDrawCtxt& ctx) const;
  bool ValidIndex(int i) const { return i >= 0 && i < static_cast<int>(Notes.size()); }
  bool ShowsStem() const;
  void DrawStem(TDrawCtxt& ctx, const RowRect& rect, int stemX);
};

}  // namespace rq
