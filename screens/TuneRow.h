// One row of the tune list as the browser draws it: the mark, the rhythm code, the
// key box and the title; in the result view the search score in a coloured box.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <cstdint>
#include <vector>

class QPainter;

namespace rq {

class TAbcFile;
class TImageList;

// Images of the browser's image list that rows and tabs use.
enum BrowserImage {
  imgUnmarked = 0,
  imgMarked = 1,
  imgNew = 2,
  imgList = 3,
  imgResult = 7,
};

// Where a row's title starts, after the mark, the rhythm code and the key box.
inline constexpr int kTuneRowTitleX = 84;

// What a row shows of one tune.
struct TTuneRow {
  QString title;
  int rhythm = 0;     // rhythm index
  int key = 0;        // key-name index, 0 unknown
  uint8_t marks = 0;  // the record's flags
  uint8_t score = 0;  // search score
};

// Reads the tune at a view row; false when the row holds none.
bool ReadTuneRow(const TAbcFile& file, int row, TTuneRow& out);

// Draws rows into cells. The texts every row repeats (rhythm codes, key names,
// scores) are laid out once per font and kept.
class TTuneRowPainter {
 public:
  // Draws a row into `cell`: `state` holds TGridDrawState flags, `resultView` shows
  // search scores. The key box reaches one pixel above the cell, over the line
  // between two rows. `images` may be null (no marks drawn).
  void Draw(QPainter& painter, const QRect& cell, const TTuneRow& row, unsigned state, bool resultView,
            const TImageList* images, const QColor& background);

 private:
  // About the rows of a few screens of a big list.
  static constexpr qsizetype kTitlesKept = 4096;

  void Prepare(const QFont& font);
  QStaticText LaidOut(const QString& text) const;
  const QStaticText& Title(const QString& text, int width);

  QFont font_;
  bool prepared_ = false;
  QHash<QString, QStaticText> titles_;
  int titleWidth_ = 0;
  std::vector<QStaticText> rhythms_;
  std::vector<QStaticText> keys_;  // by key-name index; 0 is "-?-"
  std::vector<QStaticText> scores_;
};

// The colour of a search score's box: silver for 0-4, yellow for 5-6, green for 7-8.
QColor ScoreBoxColor(int score);

}  // namespace rq
