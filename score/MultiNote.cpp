// Chords: members share one head column after the first accidental; a beamed chord
// joins its heads with a connector that the beam's stem continues.
#include "score/MultiNote.h"

#include <algorithm>
#include <cstdlib>

#include "score/ScoreCanvas.h"

namespace rq {
namespace {

constexpr int kMiddleLine = 7;
constexpr int kQuarterIndex = 16;

// The width an accidental takes before its head, 0 without one.
int AccidentalWidth(TDrawCtxt& ctx, const TSimpleNote& note) {
  const std::string acc = note.GetAccGlyph();
  return acc.empty() ? 0 : ctx.Canvas->TextWidth(acc) + 1;
}

}  // namespace

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

int TMultiNote::GetHeadX() const {
  if (Notes.empty()) return 0;
  for (const auto& note : Notes) {
    if (!note->GetAccGlyph().empty()) return note->HeadX;
  }
  return Notes.front()->HeadX;
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

int TMultiNote::Measure(TDrawCtxt& ctx, int spacing) {
  Spacing = spacing;
  int widest = 0;
  for (auto& note : Notes) widest = std::max(widest, note->Measure(ctx, spacing));
  return widest;
}

void TMultiNote::Draw(TDrawCtxt& ctx, const RowRect& rect, int x) {
  X = x;
  if (Notes.empty()) return;
  int accW = 0;
  for (const auto& note : Notes) {
    accW = AccidentalWidth(ctx, *note);
    if (accW > 0) break;
  }
  // Each accidental stands left of the common head column.
  for (auto& note : Notes) note->Draw(ctx, rect, x + accW - AccidentalWidth(ctx, *note));

  if (!AllBeamable() || Kind == kSymbolInChord) return;
  if (!ValidIndex(Top) || !ValidIndex(Bottom)) return;
  const int yLow = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(Bottom)]->Pitch);
  const int yHigh = rect.Top + ctx.StaffY(Notes[static_cast<size_t>(Top)]->Pitch);
  const TSimpleNote& first = *Notes.front();
  int sx = first.HeadX + rect.Left;
  if (first.StemDir < 0) sx += ctx.HeadWidth - ctx.StemOffset;
  DrawVLine(ctx, sx, yHigh, yLow);
  // The connector's lines leave out one end each; this line covers both.
  ctx.Canvas->Line(sx, yHigh, sx, yLow);
}

}  // namespace rq
