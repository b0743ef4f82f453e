#include "screens/TuneRow.h"

#include <QFontMetrics>
#include <QPainter>

#include "controls/ImageList.h"
#include "controls/ListGrid.h"
#include "library/FileAbc.h"
#include "notation/AbcDef.h"
#include "platform/Cp1252.h"
#include "platform/WinColor.h"
#include "screens/ScreenColors.h"

namespace rq {
namespace {

constexpr int kRhythmCellWidth = 83;
constexpr int kRhythmTextX = 28;
constexpr int kKeyBoxLeft = 49;
constexpr int kKeyTextX = 52;
constexpr int kTitleX = kTuneRowTitleX;
constexpr int kTitleRightGap = 10;
constexpr int kScoreBoxLeft = 14;
constexpr int kScoreBoxRight = 26;
constexpr int kScoreTextX = 16;
constexpr int kNewImageX = 13;
constexpr int kLargestBoxedScore = 8;

const QColor kSelectedFocused(0x6D, 0xA7, 0xE7);
const QColor kFramePen(0x80, 0x80, 0x80);

// A filled rectangle whose outline lies on its own edge pixels: two fills, which
// draw faster than a pen.
void Box(QPainter& p, const QRect& r, const QColor& fill, const QColor& frame) {
  p.fillRect(r, frame);
  if (fill != frame) p.fillRect(r.adjusted(1, 1, -1, -1), fill);
}

}  // namespace

bool ReadTuneRow(const TAbcFile& file, int row, TTuneRow& out) {
  const TAbcRec* rec = file.GetRec(row);
  if (!rec) return false;
  out.title = QString::fromStdString(DisplayUtf8(file.TitleViewOfRec(rec)));
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

QStaticText TTuneRowPainter::LaidOut(const QString& text) const {
  QStaticText laidOut(text);
  laidOut.setTextFormat(Qt::PlainText);
  laidOut.prepare(QTransform(), font_);
  return laidOut;
}

// Titles are laid out once and kept while they are likely to be drawn again, cut
// after the last character that fits the width.
const QStaticText& TTuneRowPainter::Title(const QString& text, int width) {
  if (width != titleWidth_) {
    titles_.clear();
    titleWidth_ = width;
  }
  if (const auto it = titles_.constFind(text); it != titles_.cend()) return *it;
  if (titles_.size() >= kTitlesKept) titles_.clear();
  const QFontMetrics metrics(font_);
  qsizetype fits = text.size();
  while (fits > 0 && metrics.horizontalAdvance(text.left(fits)) > width) --fits;
  return *titles_.insert(text, LaidOut(text.left(fits)));
}

void TTuneRowPainter::Prepare(const QFont& font) {
  font_ = font;
  prepared_ = true;
  titles_.clear();
  auto laidOut = [this](const QString& text) { return LaidOut(text); };
  rhythms_.clear();
  for (size_t i = 0; i < kRhythmRows.size(); ++i) {
    rhythms_.push_back(laidOut(QString::fromStdString(GetRhythmCode(static_cast<int>(i)))));
  }
  keys_ = {laidOut(QStringLiteral("-?-"))};
  for (size_t i = 1; i < KeyNames.size(); ++i) {
    keys_.push_back(laidOut(QString::fromLatin1(KeyNames[i].data(), static_cast<qsizetype>(KeyNames[i].size()))));
  }
  scores_.clear();
  for (int score = 0; score <= kLargestBoxedScore; ++score) scores_.push_back(laidOut(QString::number(score)));
}

void TTuneRowPainter::Draw(QPainter& p, const QRect& cell, const TTuneRow& row, unsigned state, bool resultView,
                           const TImageList* images, const QColor& background) {
  if (!prepared_ || p.font() != font_) Prepare(p.font());
  const int x = cell.left();
  const int y = cell.top();
  // The rhythm cell covers the row's first pixels.
  p.fillRect(cell.adjusted(kRhythmCellWidth, 0, 0, 0), background);

  QColor titleColor = Qt::black;
  QColor titleBack = background;
  if ((state & gdSelected) && (state & gdFocused)) {
    titleBack = kSelectedFocused;
  } else if (state & gdSelected) {
    titleColor = Qt::red;
  }
  const QRect titleRect(QPoint(x + kTitleX, y), QPoint(cell.right() - kTitleRightGap, cell.bottom()));
  if (titleBack != background) p.fillRect(titleRect, titleBack);
  p.setPen(titleColor);
  p.drawStaticText(titleRect.topLeft(), Title(row.title, titleRect.width()));

  const QColor rhythmCell = WinColorToQColor(ColorRhythmCell);
  Box(p, QRect(x, y, kRhythmCellWidth, cell.height()), rhythmCell, rhythmCell);
  p.setPen(Qt::black);
  const auto rhythm = static_cast<size_t>(row.rhythm);
  p.drawStaticText(x + kRhythmTextX, y, rhythms_[rhythm < rhythms_.size() ? rhythm : 0]);

  Box(p, QRect(QPoint(x + kKeyBoxLeft, y - 1), QPoint(x + kRhythmCellWidth - 1, cell.bottom())),
      WinColorToQColor(ColorKeyCell), rhythmCell);
  p.setPen(Qt::black);
  const auto key = static_cast<size_t>(row.key);
  p.drawStaticText(x + kKeyTextX, y, keys_[key < keys_.size() ? key : 0]);

  if (images) p.drawPixmap(x, y, images->Image((row.marks & kMarked) ? imgMarked : imgUnmarked));
  if (resultView && row.score <= kLargestBoxedScore) {
    Box(p, QRect(QPoint(x + kScoreBoxLeft, y), QPoint(x + kScoreBoxRight - 1, cell.bottom())), ScoreBoxColor(row.score),
        kFramePen);
    p.setPen(Qt::black);
    p.drawStaticText(x + kScoreTextX, y, scores_[row.score]);
  } else if ((row.marks & kAddedThisRun) && images) {
    p.drawPixmap(x + kNewImageX, y, images->Image(imgNew));
  }
}

}  // namespace rq
