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
// A head without a stem, as chords draw them: filled, open (class 5) or whole (6 up).
unsigned char BareHeadCode(int durClass);
// A chord's stem with its flags, without a head, drawn at the head its stem ends at;
// 0 for a whole note, which has no stem.
unsigned char StemGlyphCode(int durClass, bool stemUp);
inline constexpr int kWholeClass = 6;

class TSimpleNote : public TGenNote {
 public:
  TSimpleNote(int pitch, int deco, int kind, int den, int num, int accidental);

  void SetDuration(int num, int den) { DurIndex = DurationIndex(num, den); }
  bool IsRest() const { return Pitch == kRestPitch; }
  // A rest drawn as the whole rest: whole-note rests and rests that fill their bar.
  bool IsWholeRest() const { return IsRest() && (WholeBar || DurIndex / 4 >= kWholeClass); }
  // A rest of two or more whole bars, drawn as one bar with its count.
  bool IsMultiBarRest() const { return IsRest() && Bars >= 2; }

  int GetPitch() const override { return Pitch; }
  int GetStemDir() const override { return StemDir; }
  int GetDurIndex() const override { return DurIndex; }
  int GetHeadX() const override { return HeadX; }
  void SetStemDir(int dir) override { StemDir = dir; }
  void Prepare() override {}

  virtual std::string GetHeadGlyph() const;
  virtual std::string GetAccGlyph() const;  // empty when none is drawn

  // Accidental, head and dots side by side from x.
  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The accidental at accX and the head at headX; the dots start at dotsX, or right
  // after the head when dotsX is negative. Chords place their members so.
  void DrawParts(TDrawCtxt& ctx, const RowRect& rect, int accX, int headX, int dotsX);
  int Measure(TDrawCtxt& ctx, int spacing) override;
  // The accidental's width and the pixel after it; 0 without one.
  int AccidentalWidth(TDrawCtxt& ctx) const;
  // The room of a breve's side lines on either side of its head; 0 for other notes.
  int BreveSide(const TDrawCtxt& ctx) const;
  int Dots() const { return WholeBar && IsRest() ? 0 : DurIndex % 4; }

  int Pitch;
  int Accidental;
  int StemDir;   // +1 down, -1 up; set at creation, replaced by groups and chords
  int DurIndex = 0;
  int HeadX = 0;  // head glyph's x from the last draw, relative to the row
  int Deco;
  bool WholeBar = false;  // a rest that fills its bar: the whole rest, without dots
  bool Invisible = false;  // an invisible rest: measured as a rest, nothing drawn
  int Bars = 0;            // the whole bars of a "Z" rest; 0 for other notes and rests
  bool Breve = false;      // drawn as a breve (its index that of a whole note)

 private:
  void DrawMultiBarRest(TDrawCtxt& ctx, const RowRect& rect, int x);
  void DrawSigns(TDrawCtxt& ctx, const RowRect& rect, int y);
  void DrawLedgerLines(TDrawCtxt& ctx, const RowRect& rect);
};

// A grace note: a small note glyph and small accidentals.
class TGraceNote : public TSimpleNote {
 public:
  using TSimpleNote::TSimpleNote;
  std::string GetHeadGlyph() const override;
  std::string GetAccGlyph() const override;

  // In a beamed group: the bare full-size head and accidentals, which the group draws
  // at the grace size; alone, the small note with its stem and flag.
  bool Bare = false;
};

}  // namespace rq
