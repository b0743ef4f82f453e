// Score symbols: items of a staff row that measure their width and draw themselves
// at an x inside the row's rectangle, through the drawing context's canvas.
#pragma once

#include <memory>
#include <vector>

#include "score/DrawCtxt.h"

namespace rq {

// Kind of a symbol's membership.
enum SymbolKind : int {
  kSymbolAlone = 0,
  kSymbolInGroup = 1,  // member of a beam, tuplet or grace group
  kSymbolInChord = 2,  // chord member, or a stand-alone chord
};

class TScoreSymbol {
 public:
  TScoreSymbol() = default;
  virtual ~TScoreSymbol() = default;
  TScoreSymbol(const TScoreSymbol&) = delete;
  TScoreSymbol& operator=(const TScoreSymbol&) = delete;

  // Draws with the left edge at x (relative to rect.Left) and keeps what later
  // drawing needs (x, head x, beam ends).
  virtual void Draw(TDrawCtxt& ctx, const RowRect& rect, int x) = 0;
  // The width taken with the given gap between members; also stored in Width. A
  // negative result: this width is taken but no gap follows (grace groups).
  virtual int Measure(TDrawCtxt& ctx, int spacing) = 0;
  virtual int GetWidth() const = 0;
  // Justification gaps the symbol contributes.
  virtual int NoteCount() const { return 1; }

  int Width = 0;    // last measured width
  int Kind = kSymbolAlone;
  int Spacing = 0;  // the gap the row gives this symbol
};

class TSimpleSymbol : public TScoreSymbol {
 public:
  int GetWidth() const override { return Width; }

  int X = 0;  // where it was last drawn
};

// A note, rest or chord: what beams and chords ask of their members.
class TGenNote : public TSimpleSymbol {
 public:
  virtual int GetPitch() const = 0;
  virtual int GetStemDir() const = 0;  // +1 down (also 0), -1 up
  virtual int GetDurIndex() const = 0;
  virtual int GetHeadX() const = 0;
  virtual void SetStemDir(int dir) = 0;
  virtual void Prepare() = 0;

  // Which way a lone partial beam points: -1 back, +1 on, 0 by its place in the group
  // (a note shortened by broken rhythm points to its dotted partner).
  int StubDir = 0;
};

// A group of notes that owns its children (beam, tuplet and grace groups).
class TGroupSymbol : public TScoreSymbol {
 public:
  explicit TGroupSymbol(int spacing) { Spacing = spacing; }

  // The child becomes a group member.
  void AddChild(std::unique_ptr<TGenNote> child);

  int Measure(TDrawCtxt& ctx, int spacing) override;
  int GetWidth() const override;
  int NoteCount() const override { return static_cast<int>(Children.size()); }

  std::vector<std::unique_ptr<TGenNote>> Children;
};

// LineThickness horizontal 1-pixel lines from x1 to x2 at y, y + 1, ... (absolute
// canvas coordinates): ledger lines, bracket tops.
void DrawHLine(TDrawCtxt& ctx, int x1, int x2, int y);
// LineThickness vertical 1-pixel lines from (x + k, y2) towards (x + k, y1): stems,
// thin bars, chord connectors.
void DrawVLine(TDrawCtxt& ctx, int x, int y1, int y2);

}  // namespace rq
