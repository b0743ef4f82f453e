#include "screens/TuneRow.h"

#include <QPainter>

#include "controls/ImageList.h"
#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "notation/AbcDef.h"
#include "platform/WinColor.h"
#include "screens/DisplayText.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int kRhythmCellWidth = 83;
constexpr int kRhythmTextX = 28;
constexpr int kKeyBoxLeft = 49;
constexpr int kKeyTextX = 52;
constexpr int kTitleX = 84;
constexpr int kTitleRightGap = 10;
constexpr int kScoreBoxLeft = 14;
constexpr int kScoreBoxRight = 26;
constexpr int kScoreTextX = 16;
constexpr int kNewImageX = 13;
constexpr int kLargestBoxedScore = 8;

const QColor kSelectedFocused(0x6D, 0xA7, 0xE7);
const QColor kFramePen(0x80, 0x80, 0x80);

// A filled rectangle whose outline lies on its own edge pixels.
void Box(QPainter& p, const QRect& r, const QColor& fill, const QColor& frame) {
  p.fillRect(r, fill);
  p.setPen(frame);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

// Text with its cell's top-left corner at (x, y).
void TextOut(QPainter& p, int x, int y, const QString& text, const QColor& color) {
  p.setPen(color);
  p.drawText(x, y + p.fontMetrics().ascent(), text);
}

}  // namespace

bool ReadTuneRow(const TAbcFile& file, int row, TTuneRow& out) {
  const TAbcRec* rec = file.GetRec(row);
  if (!rec) return false;
  out.title = DisplayText(file.TitleOfRec(rec));
  out.rhythm = rec->GetRhythmIndex();
  out.key = rec->GetKeyIndex();
  out.marks = rec->GetFlags();
  out.score = rec->GetSearchScore();
  return true;
}

QColor ScoreBoxColor(int score) {
  if (score >= 7) return QColor(0x00, 0xFF, 0x00);
  if (score >= 5) return QColor(0xFF, 0xFF, 0x00);
  return QColor(0xC0, 0xC0, 0xC0);
}

void DrawTuneRow(QPainter& p, const QRect& cell, const TTuneRow& row, unsigned state, bool resultView,
                 const TImageList* images, const QColor& background) {
  const int x = cell.left();
  const int y = cell.top();
  p.fillRect(cell, background);

  QColor titleColor = Qt::black;
  QColor titleBack = background;
  if ((state & gdSelected) && (state & gdFocused)) {
    titleBack = kSelectedFocused;
  } else if (state & gdSelected) {
    titleColor = Qt::red;
  }
  const QRect titleRect(QPoint(x + kTitleX, y), QPoint(cell.right() - kTitleRightGap, cell.bottom()));
  p.fillRect(titleRect, titleBack);
  p.save();
  p.setClipRect(titleRect);
  TextOut(p, titleRect.left(), y, row.title, titleColor);
  p.restore();

  const QColor rhythmCell = WinColorToQColor(ColorRhythmCell);
  Box(p, QRect(x, y, kRhythmCellWidth, cell.height()), rhythmCell, rhythmCell);
  TextOut(p, x + kRhythmTextX, y, QString::fromStdString(GetRhythmCode(row.rhythm)), Qt::black);

  Box(p, QRect(QPoint(x + kKeyBoxLeft, y - 1), QPoint(x + kRhythmCellWidth - 1, cell.bottom())),
      WinColorToQColor(ColorKeyCell), rhythmCell);
  const bool keyKnown = row.key > 0 && row.key < static_cast<int>(KeyNames.size());
  const QString key = keyKnown ? QString::fromLatin1(KeyNames[static_cast<size_t>(row.key)].data(),
                                                      static_cast<qsizetype>(KeyNames[static_cast<size_t>(row.key)].size()))
                               : QStringLiteral("-?-");
  TextOut(p, x + kKeyTextX, y, key, Qt::black);

  if (images) p.drawPixmap(x, y, images->Image((row.marks & kMarked) ? imgMarked : imgUnmarked));
  if (resultView && row.score <= kLargestBoxedScore) {
    Box(p, QRect(QPoint(x + kScoreBoxLeft, y), QPoint(x + kScoreBoxRight - 1, cell.bottom())), ScoreBoxColor(row.score),
        kFramePen);
    TextOut(p, x + kScoreTextX, y, QString::number(row.score), Qt::black);
  } else if ((row.marks & kAddedThisRun) && images) {
    p.drawPixmap(x + kNewImageX, y, images->Image(imgNew));
  }
}

}  // namespace rq
