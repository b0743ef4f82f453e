// Printed pages drawn: the rows of a page (title rows and staff rows) on a painter,
// and a print job on any paged device (a printer, a PDF file) with a footer per page.
#pragma once

#include <QPageLayout>
#include <functional>
#include <string>

#include "score/DrawCtxt.h"
#include "score/PageLayout.h"

class QPainter;
class QPagedPaintDevice;

namespace rq {

class PainterCanvas;

// The fonts of a title row as parts of the row height: the title, bold, and the
// composer's line below it. Pages use smaller ones than the preview.
struct TitleFonts {
  int titleDivisor;
  int composerDivisor;
};
inline constexpr TitleFonts kPrintTitleFonts{4, 5};
inline constexpr TitleFonts kPreviewTitleFonts{3, 4};

// The one-line imprint at the foot of every printed page.
inline constexpr const char* kPrintFooter = "Printed with Reelquill 2.0";

// A PDF file's page: A4 upright, without margins, at this resolution.
QPageLayout DefaultPageLayout();
inline constexpr int kPdfResolution = 600;

// The drawing context of a page surface whose music font is `fontHeight` high.
TDrawCtxt PageContext(PainterCanvas& canvas, int fontHeight);

// The footer line, its text cell `height` high with its top-left at (x, y).
void PaintFooter(QPainter& painter, int x, int y, int height);

// Paints one row into its cell: a title row's title and composer, or a staff row's
// black staff and music. The paper is not painted; on a vector device the music is
// held back until the canvas is flushed.
void PaintPageRow(QPainter& painter, TDrawCtxt& ctx, TGenScoreLine& row, const RowRect& cell, TitleFonts fonts);

// The room each row's ink needs beyond its cell on this page surface: none for
// title rows.
std::vector<RowRoom> PageRowRooms(TDrawCtxt& ctx, PageRows& rows, int rowHeight, int width);

struct PrintOutcome {
  int Pages = 0;      // pages that reached the printer or the file
  std::string Error;  // empty when the job was printed whole
  bool Ok() const { return Error.empty(); }
};

// Called after each page with its number (from 1).
using PageHook = std::function<void(int page)>;

// Prints the rows page by page as PlanPages places them below the border. The metrics are taken once, from the device's page, and stay
// the job's own. An empty job opens nothing and prints no page.
PrintOutcome PrintPages(QPagedPaintDevice& device, PageRows& rows, const PageSettings& settings,
                        const PageHook& pageDone = {});

// Prints the rows into a PDF file, written atomically: whole or not at all, a failed
// job leaves an earlier file as it was. The reason of a failure names the file.
PrintOutcome PrintPagesToPdf(const std::string& path, PageRows& rows, const PageSettings& settings,
                             const QPageLayout& layout = DefaultPageLayout(), const PageHook& pageDone = {});

}  // namespace rq
