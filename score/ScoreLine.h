// Score rows: a staff row owns its symbols and justifies them across a width; a
// title row stands at the top of a printed tune.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "score/ScoreSymbol.h"

namespace rq {

class TGenScoreLine {
 public:
  TGenScoreLine() = default;
  virtual ~TGenScoreLine() = default;
  TGenScoreLine(const TGenScoreLine&) = delete;
  TGenScoreLine& operator=(const TGenScoreLine&) = delete;

  // Draws the row inside rect; width is the width to fill from rect's left edge.
  virtual void Draw(TDrawCtxt& /*ctx*/, const RowRect& /*rect*/, int /*rowHeight*/, int /*width*/) {}

  int IsHeader = 0;
};

// The title row of a printed tune; the page preview fills and paints it.
class TScoreHeader : public TGenScoreLine {
 public:
  TScoreHeader() { IsHeader = 1; }

  std::string Title;
  std::string Composer;
};

// One staff row: the clef at index 0 and the key at index 1 once HasClef is set,
// then the other symbols in building order. Laid out again on every draw.
class TScoreLine : public TGenScoreLine {
 public:
  // Sets the context's staff metrics for the row height and the canvas font, and
  // the gap that makes the symbols fill the width (kept when they do not fit).
  void Layout(TDrawCtxt& ctx, int rowHeight, int width);
  // Lays the row out and draws its symbols; the owner draws the staff lines and
  // sets the context's thicknesses and number heights first.
  void Draw(TDrawCtxt& ctx, const RowRect& rect, int rowHeight, int width) override;

  std::vector<std::unique_ptr<TScoreSymbol>> Symbols;
  int Spacing = 10;   // the gap between notes
  int StartX = 0;     // x of the first symbol after the key
  int Remainder = 0;  // pixels left over by the gap division
  int HasClef = 0;    // the clef and key have been inserted
};

using ScoreRows = std::vector<std::unique_ptr<TScoreLine>>;

// What a score view paints in one row cell: white, then, for a row with symbols, the
// five staff lines in light grey from x 10 to the width, and the row over them.
void PaintScoreRow(TDrawCtxt& ctx, TScoreLine* row, const RowRect& rect, int rowHeight, int width);

}  // namespace rq
