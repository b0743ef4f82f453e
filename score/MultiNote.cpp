// Chords: members share one head column after the widest accidental; a note a second
// from the note before it (counted from the stem's start) moves to the other side of
// the stem. A beamed chord joins its heads with a connector that the beam's stem
// continues; a stand-alone chord draws its stem through its heads and ends it with the
// font's stem-and-flags glyph at the head nearest the flag.
#include "score/MultiNote.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

constexpr int kMiddleLine = 7;
constexpr int kQuarterIndex = 16;
constexpr int kHalfClass = 5;

std::string Glyph(unsigned char code) { return std::string(1, static_cast<char>(code)); }

}  // namespace

// Where the pieces of a chord go, relative to its x.
struct TMultiNote::Placement {
  int accWidth = 0;          // the accidentals' columns, with their pixel
  std::vector<int> accX;     // each member's accidental from the chord's x
  int column = 0;            // the heads' column
  int stemX = 0;             // the stem (up: inside the column's right edge)
  std::vector<int> offsets;  // each member's head from the column
  int dotsX = 0;             // where the dots start: right of every head
  int width = 0;
};

void TMultiNote::AddNote(std::unique_ptr<TSimpleNote> note) {
  note->Kind = kSymbolInChord;
  Notes.push_back(std::move(note));
}

bool TMultiNote::AllBeamable() const {
  return std::none_of(Notes.begin(), Notes.end(), [](const auto& n) { return n->DurIndex >= kQuarterIndex; });
}

int TMultiNote::GetPitch() const { return ValidIndex(Main) ? Notes[static_cast<size_t>(Main)]->Pitch : 0; }

int TMultiNote::GetDurIndex() const {
  int longest = 0;
  for (const auto& note : Notes) longest = std::max(longest, note->DurIndex);
  return longest;
}

void TMultiNote::SetStemDir(int dir) {
  StemDir = dir;
  for (auto& note : Notes) note->SetStemDir(dir);
  Main = dir < 0 ? Top : Bottom;
}

void TMultiNote::Prepare() {
  Main = 0;
  StemDir = 0;
  Top = 0;
  Bottom = 0;
  if (Notes.empty()) return;
  if (Notes.size() < 2) {
    StemDir = Notes.front()->StemDir;
  } else {
    int low = 999;
    int high = -999;
    int far = 0;
    for (size_t i = 0; i < Notes.size(); ++i) {
      const int pitch = Notes[i]->Pitch;
      if (pitch < low) {
        low = pitch;
        Bottom = static_cast<int>(i);
      }
      if (pitch > high) {
        high = pitch;
        Top = static_cast<int>(i);
      }
      if (std::abs(pitch - kMiddleLine) > far) {
        far = std::abs(pitch - kMiddleLine);
        Main = static_cast<int>(i);
        StemDir = Notes[i]->StemDir;
      }
    }
  }
  for (auto& note : Notes) {
    note->SetStemDir(StemDir);
    if (Kind != kSymbolAlone) note->Kind = Kind;
  }
}

bool TMultiNote::ShowsStem() const { return Kind == kSymbolInChord && GetDurIndex() / 4 < kWholeClass; }

TMultiNote::Placement TMultiNote::Place(TDrawCtxt& ctx) const {
  ScoreCanvas& canvas = *ctx.Canvas;
  Placement p;
  const int durClass = GetDurIndex() / 4;
  const char* family = durClass >= kWholeClass ? "w" : durClass == kHalfClass ? "h" : "q";
  const int shift = StemInset(canvas.TextWidth(family));
  const bool up = StemDir < 0;

  // Seconds, counted from the stem's start: the lowest note with the stem up, the
  // highest with it down; a note a second from an unmoved one moves across the stem.
  std::vector<size_t> order(Notes.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return Notes[a]->Pitch < Notes[b]->Pitch; });
  if (!up) std::reverse(order.begin(), order.end());
  p.offsets.assign(Notes.size(), 0);
  bool moved = false;
  bool anyLeft = false;
  for (size_t k = 1; k < order.size(); ++k) {
    const int step = std::abs(Notes[order[k]]->Pitch - Notes[order[k - 1]]->Pitch);
    moved = step == 1 && !moved;
    if (moved) {
      p.offsets[order[k]] = up ? shift : -shift;
      anyLeft = anyLeft || !up;
    }
  }

  // Accidentals from the top down, each in the column nearest the heads where the
  // others stand at least a sixth away, so none is drawn over another.
  int widest = 0;
  for (const auto& note : Notes) widest = std::max(widest, note->AccidentalWidth(ctx));
  std::vector<int> accColumn(Notes.size(), 0);
  std::vector<std::vector<int>> columns;  // the pitches in each column
  std::vector<size_t> downward(order.begin(), order.end());
  std::stable_sort(downward.begin(), downward.end(),
                   [&](size_t a, size_t b) { return Notes[a]->Pitch > Notes[b]->Pitch; });
  for (const size_t i : downward) {
    if (Notes[i]->AccidentalWidth(ctx) == 0) continue;
    const int pitch = Notes[i]->Pitch;
    size_t c = 0;
    while (c < columns.size() &&
           std::any_of(columns[c].begin(), columns[c].end(), [&](int other) { return std::abs(other - pitch) < 6; })) {
      ++c;
    }
    if (c == columns.size()) columns.emplace_back();
    columns[c].push_back(pitch);
    accColumn[i] = static_cast<int>(c);
  }
  const int columnCount = static_cast<int>(columns.size());
  p.accWidth = columnCount * widest;
  p.accX.assign(Notes.size(), 0);
  for (size_t i = 0; i < Notes.size(); ++i) {
    p.accX[i] = (columnCount - 1 - accColumn[i]) * widest + widest - Notes[i]->AccidentalWidth(ctx);
  }
  p.column = p.accWidth + (anyLeft ? shift : 0);
  p.stemX = up ? p.column + shift : p.column;
  int headsRight = p.column;
  int dots = 0;
  for (size_t i = 0; i < Notes.size(); ++i) {
    headsRight = std::max(headsRight, p.column + p.offsets[i] + canvas.TextWidth(Notes[i]->GetHeadGlyph()));
    dots = std::max(dots, Notes[i]->Dots());
  }
  p.dotsX = headsRight;
  p.width = headsRight + dots * (canvas.TextWidth(".") + 1);
  if (ShowsStem()) p.width = std::max(p.width, p.column + canvas.TextWidth(Glyph(StemGlyphCode(durClass, up))));
  return p;
}

int TMultiNote::Measure(TDrawCtxt& ctx, int spacing) {
  Spacing = spacing;
  return Notes.empty() ? 0 : Place(ctx).width;
}

void TMultiNote::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  X = x;
  if (Notes.empty()) return;
  const Placement p = Place(ctx);
  ColumnX = x + p.column;
  for (size_t i = 0; i < Notes.size(); ++i) {
    TSimpleNote& note = *Notes[i];
    note.DrawParts(ctx, rect, x + p.accX[i], ColumnX + p.offsets[i], x + p.dotsX);
  }
  if (!ValidIndex(Top) || !ValidIndex(Bottom)) return;
  const int stemX = rect.Left + x + p.stemX;
  if (ShowsStem()) {
    DrawStem(ctx, rect, stemX);
    return;
  }
  if (!AllBeamable() || Kind == kSymbolInChord) return;
  // A beamed chord: the beam's stem starts at the member nearest the beam.
  const int yLow = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(Bottom)]->Pitch);
  const int yHigh = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(Top)]->Pitch);
  DrawVLine(ctx, stemX, yHigh, yLow);
  // The connector's lines leave out one end each; this line covers both.
  ctx.Canvas->Line(stemX, yHigh, stemX, yLow);
}

// The stem runs from the head at its start to the head at its end, where the glyph
// of the stem's free length and its flags is drawn in the heads' column.
void TMultiNote::DrawStem(TDrawCtxt& ctx, const RowRect& rect, int stemX) {
  const bool up = StemDir < 0;
  const int start = up ? Bottom : Top;
  const int end = up ? Top : Bottom;
  const int yStart = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(start)]->Pitch);
  const int yEnd = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(end)]->Pitch);
  if (yStart != yEnd) {
    DrawVLine(ctx, stemX, std::min(yStart, yEnd), std::max(yStart, yEnd));
    ctx.Canvas->Line(stemX, yStart, stemX, yEnd);
  }
  const std::string stem = Glyph(StemGlyphCode(GetDurIndex() / 4, up));
  ctx.Canvas->TextOut(rect.Left + ColumnX, yEnd - ctx.GlyphOffset, stem);
}

}  // namespace rq
