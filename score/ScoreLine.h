// Score rows: a staff row owns its symbols and justifies them across a width; a
// title row stands at the top of a printed tune.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "score/ScoreCanvas.h"
#include "score/ScoreSymbol.h"

namespace rq {

class TSimpleNote;

// A tie: a flat arc between two heads of the row, or from a head to the row's end
// (To null) or from the row's start to a head (From null). The heads are the row's own.
struct TieArc {
  const TSimpleNote* From = nullptr;
  const TSimpleNote* To = nullptr;
};

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
  // Sets the context's staff metrics for the row height and the row's font, and the
  // gap that makes the symbols fill the width less a small margin. A row too wide for
  // that even at the closest gap is given a smaller font than the canvas's (FontHeight);
  // the canvas font itself is left as it was.
  void Layout(TDrawCtxt& ctx, int rowHeight, int width);
  // Lays the row out and draws its symbols; the owner draws the staff lines and
  // sets the context's thicknesses and number heights first.
  void Draw(TDrawCtxt& ctx, const RowRect& rect, int rowHeight, int width) override;
  // Draws the symbols of a row just laid out, at the row's font (the canvas font and
  // the number heights are put back afterwards).
  void DrawSymbols(TDrawCtxt& ctx, const RowRect& rect);

  std::vector<std::unique_ptr<TScoreSymbol>> Symbols;
  std::vector<TieArc> Ties;  // drawn over the symbols
  int Spacing = 10;   // the gap between notes
  int StartX = 0;     // x of the first symbol after the key
  int Remainder = 0;  // pixels left over by the gap division
  int HasClef = 0;    // the clef and key have been inserted
  int FontHeight = 0; // the music font height of the last layout
  int RightEdge = 0;  // where the row's music ends at the last layout: width less the margin

 private:
  struct Extent;
  Extent MeasureAt(TDrawCtxt& ctx, int fontHeight, int rowHeight);
  bool FitsAt(TDrawCtxt& ctx, int fontHeight, int rowHeight, int width);
  int FittingFont(TDrawCtxt& ctx, int rowHeight, int width);
  void DrawTie(TDrawCtxt& ctx, const RowRect& rect, const TieArc& tie) const;
  // The clef's (0) or the key's (1) x.
  int SignX(TDrawCtxt& ctx, size_t index);
  void PlaceEndings(TDrawCtxt& ctx, const RowRect& rect);
  void CentreBarRests(TDrawCtxt& ctx);

  std::vector<int> xs_;  // the symbols' x in the draw under way
  // The canvas font, width and symbol count of the last layout, whose font and places
  // the row still holds.
  struct LayoutKey {
    int base = 0;
    int width = 0;
    size_t symbols = 0;
    bool operator==(const LayoutKey&) const = default;
  };
  LayoutKey layoutKey_;
};

// The margin a row keeps from the right edge of its width, and the closest gap
// between notes before a row is drawn smaller, both for the context's line space.
int RowMargin(const TDrawCtxt& ctx);
// The clef's left edge, and the gaps after the clef and after a key signature.
int ClefX(const TDrawCtxt& ctx);
int ClefGap(const TDrawCtxt& ctx);
int KeyGap(const TDrawCtxt& ctx);
int ClosestGap(const TDrawCtxt& ctx);

using ScoreRows = std::vector<std::unique_ptr<TScoreLine>>;

// The room a row's ink needs beyond its cell of the usual height: a row whose beams,
// stems, ledger lines or brackets reach past its cell is given that much more above
// or below, with a quarter line space to spare, so no two rows' ink ever meet.
struct RowRoom {
  int above = 0;
  int below = 0;
  int Height(int rowHeight) const { return rowHeight + above + below; }
  bool operator==(const RowRoom&) const = default;
};
// Lays the row out in the width and measures its ink (nothing is drawn): none for an
// empty row. The context's canvas gives the fonts and widths.
RowRoom RowInkRoom(TDrawCtxt& ctx, TScoreLine* row, int rowHeight, int width);

// How a row's staff is drawn: the score view's light grey lines from x 10 on a white
// cell, or a printed page's black lines from the cell's left edge on the paper as it is.
struct StaffStyle {
  QRgb colour = 0xFFC0C0C0;
  int left = 10;
  bool fillCell = true;
};
inline constexpr StaffStyle kPageStaff{kBlack, 0, false};

// What a score view paints in one row cell: white, then, for a row with symbols, the
// five staff lines up to the row's end, at the row's own size, and the row over them.
void PaintScoreRow(TDrawCtxt& ctx, TScoreLine* row, const RowRect& rect, int rowHeight, int width,
                   const StaffStyle& style = {});

}  // namespace rq
