// A chord: several notes on one stem, stand-alone or as a member of a beam group.
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
  // The head x of the first member showing an accidental, else of the first member.
  int GetHeadX() const override;
  // Every member takes the direction; the stem attaches to the member nearest the beam.
  void SetStemDir(int dir) override;
  // Finds the top, bottom and main members; the member farthest from the middle
  // line gives the chord its stem direction.
  void Prepare() override;

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The widest member's width; not stored.
  int Measure(TDrawCtxt& ctx, int spacing) override;

  std::vector<std::unique_ptr<TSimpleNote>> Notes;
  int Main = -1;
  int StemDir = 0;
  int Top = 0;
  int Bottom = 0;

 private:
  bool ValidIndex(int i) const { return i >= 0 && i < static_cast<int>(Notes.size()); }
};

}  // namespace rq
