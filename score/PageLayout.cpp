// Page metrics scale with the page width (a slider unit is 5 × width / 2100 device
// pixels, half a millimetre on A4); every conversion to pixels truncates.
#include "score/PageLayout.h"

#include <algorithm>
#include <utility>

#include "library/FileAbc.h"

namespace rq {
namespace {

int32_t Clamp(int32_t value, SettingRange range) { return std::clamp(value, range.Min, range.Max); }

// A slider value in device pixels.
int ToDevice(int32_t value, float scale) { return static_cast<int>(value * 5 * static_cast<double>(scale)); }

}  // namespace

PageSettings ClampPageSettings(const PageSettings& s) {
  return {Clamp(s.FontSize, kPageFontRange), Clamp(s.RowHeight, kPageRowRange), Clamp(s.Border, kPageBorderRange),
          Clamp(s.LeftMargin, kPageLeftRange)};
}

PageMetrics PrinterMetrics(const PageSettings& settings, int pageWidth, int pageHeight) {
  const PageSettings s = ClampPageSettings(settings);
  PageMetrics m;
  m.Scale = static_cast<float>(pageWidth) / 2100.0f;
  m.Border = ToDevice(s.Border, m.Scale);
  m.Left = ToDevice(s.LeftMargin, m.Scale) + m.Border;
  m.Width = std::max(1, pageWidth - m.Left - m.Border);
  m.Height = std::max(0, pageHeight - 2 * m.Border);
  m.RowHeight = std::max(1, ToDevice(s.RowHeight, m.Scale));
  m.FontHeight = std::max(1, ToDevice(s.FontSize, m.Scale));
  // A row taller than the row area still gets a page of its own: the job always ends.
  m.RowsPerPage = std::max(1, m.Height / m.RowHeight);
  m.FooterHeight = std::max(1, m.FontHeight / 5);
  m.FooterX = pageWidth * 5 / 100;
  m.FooterY = pageHeight - pageHeight * 5 / 100;
  return m;
}

int PageCount(int rows, int rowsPerPage) {
  if (rows <= 0) return 0;
  const int perPage = std::max(1, rowsPerPage);
  return (rows + perPage - 1) / perPage;
}

PagePlan PlanPages(const PageRows& rows, const std::vector<RowRoom>& rooms, int rowHeight, int areaHeight) {
  const auto height = [&](size_t i) { return i < rooms.size() ? rooms[i].Height(rowHeight) : rowHeight; };
  PagePlan plan;
  int y = 0;
  const auto newPage = [&] {
    plan.emplace_back();
    y = 0;
  };
  newPage();
  size_t i = 0;
  while (i < rows.size()) {
    // The tune starting here: a title row and the staff rows up to the next title.
    size_t end = i + 1;
    int tuneHeight = height(i);
    while (end < rows.size() && !rows[end]->IsHeader) tuneHeight += height(end++);
    if (y > 0 && y + tuneHeight > areaHeight && tuneHeight <= areaHeight) newPage();
    for (; i < end; ++i) {
      int needed = height(i);
      // A title goes with the first row of its music.
      if (rows[i]->IsHeader && i + 1 < end) needed += height(i + 1);
      if (y > 0 && y + needed > areaHeight) newPage();
      const int above = i < rooms.size() ? rooms[i].above : 0;
      plan.back().push_back({i, y + above});
      y += height(i);
    }
  }
  return plan;
}

void TPageRowBuilder::AddTune(const TLines& lines) {
  parser_.Parse(lines);
  page_.BuildInto(parser_.Elements(), scratch_);
  auto header = std::make_unique<TScoreHeader>();
  header->Title = parser_.Title();
  header->Composer = parser_.Composer();
  rows_.push_back(std::move(header));
  // Only this tune's staff rows are looked at: never the title row before them.
  while (!scratch_.empty() && scratch_.back()->Symbols.empty()) scratch_.pop_back();
  for (auto& row : scratch_) rows_.push_back(std::move(row));
  scratch_.clear();
}

void TPageRowBuilder::AddList(const TAbcFile& list, bool all) {
  TLines lines;
  for (int32_t row = 0; row < list.FilterList.Count(); ++row) {
    const TAbcRec* rec = list.GetRec(row);
    if (!rec || (!all && !rec->IsMarked())) continue;
    if (list.CopyTuneLines(row, lines, true) < 0) continue;
    AddTune(lines);
  }
}

PageRows TPageRowBuilder::Take() { return std::exchange(rows_, {}); }

}  // namespace rq
