// The staff's non-note symbols: bar lines, numbered endings, key and time
// signatures and the treble clef.
#pragma once

#include <climits>
#include <utility>

#include "score/ScoreSymbol.h"

namespace rq {

// Bar kinds are the ABC element kinds, and one of the score's own: the double bar of
// two thin lines (ABC "||"; the element kind 32 also stands for "|]").
enum BarKind : int {
  kBarNone = 0,  // an ending whose bar ends the row before: number and bracket only
  kBarThin = 31,
  kBarThinThick = 32,
  kBarRepeatEnd = 33,
  kBarRepeatStart = 34,
  kBarRepeatBoth = 35,
  kBarThinThin = 131,
};

class TSymbBarre : public TSimpleSymbol {
 public:
  explicit TSymbBarre(int barKind) : BarKind(barKind) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;

  int BarKind;
};

// The bar that opens a numbered ending, with its number and a bracket: the first
// ending opens with a thin bar, every other one with an end-repeat bar, unless the
// builder gives it the bar written before it or none. Without a bar the ending takes
// the room of its hook and number, so the note after it stands clear of the number.
class TBarreSection : public TSymbBarre {
 public:
  explicit TBarreSection(int number)
      : TSymbBarre(number == 1 ? kBarThin : kBarRepeatEnd), Number(number) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;
  // The columns the hook, number and bracket cover when the ending is drawn at x,
  // from the row's left edge: left <= x < right. Measures the ending first.
  std::pair<int, int> Reach(TDrawCtxt& ctx, int x);

  static constexpr int kNoInk = INT_MAX;

  int Number;
  // Set by the row before each draw, relative to its left edge: where the bracket
  // should reach (the next bar, or the row's end) and the row's right edge, which
  // nothing passes. Negative: a bracket two digits long, as drawn alone.
  int BracketEnd = -1;
  int RowRight = -1;
  // Set by the row before each draw, from its top: the highest ink under the number
  // and bracket, which both stand clear above; kNoInk where nothing reaches them.
  int InkTop = kNoInk;

 private:
  // Where the parts go when drawn at x, from the row's left edge, measured in the
  // number font.
  struct Parts {
    int hook = 0;
    int number = 0;
    int numberWidth = 0;
    int numberHeight = 0;
    int right = 0;
  };
  Parts Place(ScoreCanvas& canvas, int x) const;
};

// Key signature: sharps (positive) or flats (negative), at most seven drawn. A change
// from a key with accidentals it does not keep draws naturals for those first.
class TSymKey : public TSimpleSymbol {
 public:
  explicit TSymKey(int sharps, int previous = 0) : Sharps(sharps), Previous(previous) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;
  // How many of the previous key's accidentals are cancelled by naturals.
  int Naturals() const;
  int NaturalsGap(const TDrawCtxt& ctx) const;

  int Sharps;
  int Previous;  // the key in force before this one
};

enum MeterSymbol : int { kMeterNumbers = 0, kMeterCommon = 1, kMeterCut = 2 };

class TSymMeter : public TSimpleSymbol {
 public:
  TSymMeter(int num, int den, int symbol) : Num(num), Den(den), Symbol(symbol) {}

  // Each number centred over the other.
  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // The wider of the two numbers and a line space of room after them.
  int Measure(TDrawCtxt& ctx, int spacing) override;
  // The wider of the two numbers (the sign's width for C and C|).
  int InkWidth(TDrawCtxt& ctx) const;

  int Num;
  int Den;
  int Symbol;
};

// Treble clef.
class TSymCSol : public TSimpleSymbol {
 public:
  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;
};

}  // namespace rq
