// Pages: rows stacked from the top border at the left margin, a footer line near the
// bottom left; the music through the score canvas, titles as text of the page.
#include "score/PagePrint.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "score/PainterCanvas.h"

namespace rq {
namespace {

// Text of the page in the number face, its cell `height` high, top-left at (x, y).
void PageText(QPainter& painter, int x, int y, int height, bool bold, const QString& text) {
  const QFont font = PainterCanvas::QtFont({kNumberFace, height, bold}, painter.device());
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(x, y + QFontMetricsF(font, painter.device()).ascent()), text);
}

QString Decoded(const std::string& bytes) { return QString::fromStdString(DisplayUtf8(bytes)); }

void PaintTitleRow(QPainter& painter, const TScoreHeader& header, const RowRect& cell, TitleFonts fonts) {
  const int rowHeight = cell.Bottom - cell.Top;
  const int mid = rowHeight / 2;
  const int titleHeight = rowHeight / fonts.titleDivisor;
  const int composerHeight = rowHeight / fonts.composerDivisor;
  if (titleHeight > 0) {
    PageText(painter, cell.Left + 12, cell.Top + mid - titleHeight / 2, titleHeight, true, Decoded(header.Title));
  }
  if (composerHeight > 0 && !header.Composer.empty()) {
    PageText(painter, cell.Left + 12, cell.Top + mid + composerHeight, composerHeight, true,
             Decoded(header.Composer));
  }
}

}  // namespace

void PaintFooter(QPainter& painter, int x, int y, int height) {
  PageText(painter, x, y, height, false, QString::fromLatin1(kPrintFooter));
}

QPageLayout DefaultPageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

TDrawCtxt PageContext(PainterCanvas& canvas, int fontHeight) {
  TDrawCtxt ctx;
  ctx.Canvas = &canvas;
  canvas.SetFont({kMusicFace, fontHeight, false});
  ctx.BeamThickness = std::max(1, fontHeight / 26);
  ctx.LineThickness = std::max(1, fontHeight / 100);
  ctx.SetNumberHeights();
  return ctx;
}

void PaintPageRow(QPainter& painter, TDrawCtxt& ctx, TGenScoreLine& row, const RowRect& cell, TitleFonts fonts) {
  if (row.IsHeader) {
    PaintTitleRow(painter, static_cast<const TScoreHeader&>(row), cell, fonts);
    return;
  }
  const int rowHeight = cell.Bottom - cell.Top;
  PaintScoreRow(ctx, static_cast<TScoreLine*>(&row), cell, rowHeight, cell.Right - cell.Left, kPageStaff);
}

std::vector<RowRoom> PageRowRooms(TDrawCtxt& ctx, PageRows& rows, int rowHeight, int width) {
  std::vector<RowRoom> rooms(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i]->IsHeader) rooms[i] = RowInkRoom(ctx, static_cast<TScoreLine*>(rows[i].get()), rowHeight, width);
  }
  return rooms;
}

PrintOutcome PrintPages(QPagedPaintDevice& device, PageRows& rows, const PageSettings& settings,
                        const PageHook& pageDone) {
  PrintOutcome outcome;
  if (rows.empty()) return outcome;
  QPainter painter;
  if (!painter.begin(&device)) {
    outcome.Error = "the printer could not be opened";
    return outcome;
  }
  const PageMetrics m = PrinterMetrics(settings, device.width(), device.height());
  PainterCanvas canvas(painter, {kMusicFace, m.FontHeight, false});
  TDrawCtxt ctx = PageContext(canvas, m.FontHeight);
  const PagePlan plan = PlanPages(rows, PageRowRooms(ctx, rows, m.RowHeight, m.Width), m.RowHeight, m.Height);
  for (const auto& page : plan) {
    if (outcome.Pages > 0 && !device.newPage()) {
      outcome.Error = "the printer could not start page " + std::to_string(outcome.Pages + 1);
      break;
    }
    for (const PlacedRow& placed : page) {
      const int top = m.Border + placed.Top;
      const RowRect cell{m.Left, top, m.Left + m.Width, top + m.RowHeight};
      PaintPageRow(painter, ctx, *rows[placed.Index], cell, kPrintTitleFonts);
    }
    // The page's music goes out at once: a few long glyph runs and fills are much
    // less for the device to write (and compress) than a few per row.
    canvas.Flush();
    PaintFooter(painter, m.FooterX, m.FooterY, m.FooterHeight);
    ++outcome.Pages;
    if (pageDone) pageDone(outcome.Pages);
  }
  if (!painter.end() && outcome.Ok()) outcome.Error = "the printer could not finish the job";
  return outcome;
}

PrintOutcome PrintPagesToPdf(const std::string& path, PageRows& rows, const PageSettings& settings,
                             const QPageLayout& layout, const PageHook& pageDone) {
  PrintOutcome outcome;
  if (rows.empty()) return outcome;
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Reelquill 2"));
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(layout);
    outcome = PrintPages(writer, rows, settings, pageDone);
  }
  // A file not written holds no page.
  if (!outcome.Ok()) return {0, "Cannot write \"" + path + "\": " + outcome.Error};
  const FileWriteResult written =
      WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!written) return {0, written.error};
  return outcome;
}

}  // namespace rq
