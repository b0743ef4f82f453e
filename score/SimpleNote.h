// A note or rest on the staff, and the grace note: a pitch step and a length become
// a glyph of the music font with its accidental, dots, roll or staccato and ledger lines.
#pragma once

#include <string>

#include "score/ScoreSymbol.h"

namespace rq {

// Accidental codes of the ABC note.
enum NoteAccidental : int {
  kAccDoubleFlat = -2,
  kAccFlat = -1,
  kAccNone = 0,
  kAccSharp = 1,
  kAccDoubleSharp = 2,
  kAccNatural = 3,
};

enum NoteDeco : int { kDecoRoll = 1, kDecoStaccato = 2 };

// Duration index 0..27 of a length num/den in eighth notes: the first entry of the
// table 8, 12, 14, 15, 16, 24, ... 896 (in 64ths of an eighth) not below the length.
// Index div 4 is the class (0 sixty-fourth ... 6 whole), index mod 4 the dots.
// Any num and den give an index in range; a den below 1 counts as 1.
int DurationIndex(int num, int den);
inline constexpr int kDurIndexCount = 28;

// Music font codes of heads by class (0..7, 7 the bare head) and of rests (0..6).
unsigned char HeadGlyphCode(int durClass, bool stemUp);
unsigned char RestGlyphCode(int durClass);

class TSimpleNote : public TGenNote {
 public:
  TSimpleNote(int pitch, int deco, int kind, int den, int num, int accidental);

  void SetDuration(int num, int den) { DurIndex = DurationIndex(num, den); }
  bool IsRest() const { return Pitch == kRestPitch; }

  int GetPitch() const override { return Pitch; }
  int GetStemDir() const override { return StemDir; }
  int GetDurIndex() const override { return DurIndex; }
  int GetHeadX() const override { return HeadX; }
  void SetStemDir(int dir) override { StemDir = dir; }
  void Prepare() override {}

  virtual std::string GetHeadGlyph() const;
  virtual std::string GetAccGlyph() const;  // empty when none is drawn

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;

  int Pitch;
  int Accidental;
  int StemDir;   // +1 down, -1 up; set at creation, replaced by groups and chords
  int DurIndex = 0;
  int HeadX = 0;  // head glyph's x from the last draw, relative to the row
  int Deco;

 private:
  void DrawSigns(TDrawCtxt& ctx, const RowRect& rect, int y);
  void DrawLedgerLines(TDrawCtxt& ctx, const RowRect& rect);
};

// A grace note: a small note glyph and small accidentals.
class TGraceNote : public TSimpleNote {
 public:
  using TSimpleNote::TSimpleNote;
  std::string GetHeadGlyph() const override;
  std::string GetAccGlyph() const override;
};

}  // namespace rq
