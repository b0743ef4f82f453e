// Printed pages: the four page settings, the metrics of a printer page derived from
// them, and the rows of a print job (a title row per tune, then its staff rows).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/ScoreLine.h"
#include "score/ScorePage.h"

namespace rq {

class TAbcFile;

// The page settings, in half-millimetres of an A4 page: the music font size, the row
// height, the border on every side and the extra margin at the left.
struct PageSettings {
  int32_t FontSize = 40;
  int32_t RowHeight = 32;
  int32_t Border = 32;
  int32_t LeftMargin = 30;
  bool operator==(const PageSettings&) const = default;
};

struct SettingRange {
  int32_t Min;
  int32_t Max;
};
inline constexpr SettingRange kPageFontRange{20, 60};
inline constexpr SettingRange kPageRowRange{15, 60};
inline constexpr SettingRange kPageBorderRange{15, 100};
inline constexpr SettingRange kPageLeftRange{0, 200};

// Each value brought into its range: a settings file may hold anything.
PageSettings ClampPageSettings(const PageSettings& settings);

// Where a printer page puts things, in device pixels.
struct PageMetrics {
  float Scale = 1.0f;   // device pixels per tenth of a millimetre: page width / 2100
  int Border = 0;       // above the rows, and right and below them
  int Left = 0;         // left edge of the rows: the border and the extra margin
  int Width = 0;        // of a row
  int Height = 0;       // of the row area
  int RowHeight = 1;
  int FontHeight = 1;   // of the music font
  int RowsPerPage = 1;  // at least one, however tall a row is
  int FooterHeight = 1;  // font height of the footer line
  int FooterX = 0;       // top-left of the footer line
  int FooterY = 0;
};

// The metrics of a page of this printable size for these settings (clamped first).
PageMetrics PrinterMetrics(const PageSettings& settings, int pageWidth, int pageHeight);

// The pages a job of this many rows takes: 0 for none.
int PageCount(int rows, int rowsPerPage);

// The rows of a print job, in order: title rows and staff rows.
using PageRows = std::vector<std::unique_ptr<TGenScoreLine>>;

// A row on a page: its index in the job and the top of its cell of the usual height,
// from the top of the row area (the room above it lies just above that).
struct PlacedRow {
  size_t Index = 0;
  int Top = 0;
};
using PagePlan = std::vector<std::vector<PlacedRow>>;

// Stacks the rows on pages of the area's height, each row taking its cell and the
// room its ink needs (rooms[i], none where missing). A tune (its title row and the
// staff rows after it) that fits on one page but not on what is left of the current
// one starts on the next; a title row is never the last row of a page when music
// follows it; a row taller than a page still gets one. Every row is placed.
PagePlan PlanPages(const PageRows& rows, const std::vector<RowRoom>& rooms, int rowHeight, int areaHeight);

// Builds the rows of a print job with a parser of its own, so the shared parser keeps
// the tune on screen, its export and its playing.
class TPageRowBuilder {
 public:
  // A tune's title row (title and composer), then its staff rows without the empty
  // ones at its end: a tune without music gives its title row alone.
  void AddTune(const TLines& lines);
  // The tunes of a list's view in order: every one, or only the marked ones. A tune
  // whose lines cannot be copied is left out.
  void AddList(const TAbcFile& list, bool all);
  // The rows built so far; the builder starts empty again.
  PageRows Take();

 private:
  TAbcParser parser_;
  TScorePage page_;
  ScoreRows scratch_;
  PageRows rows_;
};

}  // namespace rq
