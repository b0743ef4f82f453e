// The staff's non-note symbols: bar lines, numbered endings, key and time
// signatures and the treble clef.
#pragma once

#include "score/ScoreSymbol.h"

namespace rq {

// Bar kinds are the ABC element kinds.
enum BarKind : int {
  kBarThin = 31,
  kBarThinThick = 32,
  kBarRepeatEnd = 33,
  kBarRepeatStart = 34,
  kBarRepeatBoth = 35,
};

class TSymbBarre : public TSimpleSymbol {
 public:
  explicit TSymbBarre(int barKind) : BarKind(barKind) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;

  int BarKind;
};

// The bar that opens a numbered ending, with its number and a short bracket: the
// first ending opens with a thin bar, every other one with an end-repeat bar.
class TBarreSection : public TSymbBarre {
 public:
  explicit TBarreSection(int number)
      : TSymbBarre(number == 1 ? kBarThin : kBarRepeatEnd), Number(number) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override { return TSymbBarre::Measure(ctx, spacing); }

  int Number;
};

// Key signature: sharps (positive) or flats (negative), at most seven drawn.
class TSymKey : public TSimpleSymbol {
 public:
  explicit TSymKey(int sharps) : Sharps(sharps) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  int Measure(TDrawCtxt& ctx, int spacing) override;

  int Sharps;
};

enum MeterSymbol : int { kMeterNumbers = 0, kMeterCommon = 1, kMeterCut = 2 };

class TSymMeter : public TSimpleSymbol {
 public:
  TSymMeter(int num, int den, int symbol) : Num(num), Den(den), Symbol(symbol) {}

  void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) override;
  // One digit's width, whatever the numbers.
  int Measure(TDrawCtxt& ctx, int spacing) override;

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
