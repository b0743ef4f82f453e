// Numbered endings drawn with the real fonts, as the screen and the printer draw them:
// no ending's number or bracket meets a note head, in the tunes where they used to
// and in every corpus tune with endings.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Corpus.h"
#include "notation/AbcParser.h"
#include "platform/ByteText.h"
#include "score/MultiNote.h"
#include "score/MusicFont.h"
#include "score/NoteGroups.h"
#include "score/PageLayout.h"
#include "score/PagePrint.h"
#include "score/PainterCanvas.h"
#include "score/ScorePage.h"
#include "score/ScoreZoom.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq::test {
namespace {

// Draws through another canvas and keeps the cells of the ending numbers written and
// the bracket lines drawn in their face.
class NumberCanvas : public ScoreCanvas {
 public:
  explicit NumberCanvas(ScoreCanvas& inner) : inner_(inner) {}
  void SetFont(const CanvasFont& font) override { inner_.SetFont(font); }
  const CanvasFont& Font() const override { return inner_.Font(); }
  void TextOut(int x, int y, std::string_view text) override {
    if (Font().family == kNumberFace) parts.emplace_back(x, y, inner_.TextWidth(text), inner_.TextHeight(text));
    inner_.TextOut(x, y, text);
  }
  int TextWidth(std::string_view text) override { return inner_.TextWidth(text); }
  int TextHeight(std::string_view text) override { return inner_.TextHeight(text); }
  void Line(int x1, int y1, int x2, int y2) override {
    if (Font().family == kNumberFace && y1 == y2) parts.emplace_back(std::min(x1, x2), y1, std::abs(x2 - x1), 1);
    inner_.Line(x1, y1, x2, y2);
  }
  void FillRect(int x1, int y1, int x2, int y2) override { inner_.FillRect(x1, y1, x2, y2); }
  void SetPenColor(QRgb color) override { inner_.SetPenColor(color); }
  void SetBrushColor(QRgb color) override { inner_.SetBrushColor(color); }
  void SetTextColor(QRgb color) override { inner_.SetTextColor(color); }

  std::vector<QRect> parts;

 private:
  ScoreCanvas& inner_;
};

// Every note head of the symbol.
void CollectHeads(const TScoreSymbol& symbol, std::vector<const TSimpleNote*>& heads) {
  if (const auto* note = dynamic_cast<const TSimpleNote*>(&symbol)) {
    if (!note->IsRest()) heads.push_back(note);
  } else if (const auto* chord = dynamic_cast<const TMultiNote*>(&symbol)) {
    for (const auto& member : chord->Notes) heads.push_back(member.get());
  } else if (const auto* group = dynamic_cast<const TGroupSymbol*>(&symbol)) {
    for (const auto& child : group->Children) CollectHeads(*child, heads);
  } else if (const auto* tuplet = dynamic_cast<const TGrpTuplet*>(&symbol)) {
    for (const auto& member : tuplet->Members) CollectHeads(*member, heads);
  }
}

bool HasEnding(const TScoreLine& row) {
  return std::any_of(row.Symbols.begin(), row.Symbols.end(),
                     [](const auto& s) { return dynamic_cast<const TBarreSection*>(s.get()) != nullptr; });
}

// A surface to draw rows on: the score view's (font 60, thin lines) or a printed A4
// page's at 300 dots per inch.
struct Surface {
  const char* name;
  int font, rowHeight, width;
  bool printer;
};

Surface ScreenSurface() { return {"screen", kScoreZoomMin, 100, 680, false}; }
Surface PrinterSurface() {
  const PageMetrics m = PrinterMetrics(PageSettings{}, 2480, 3508);
  return {"printer", m.FontHeight, m.RowHeight, m.Width, true};
}

// The rows of the tune with an ending whose number or bracket meets a head, as text.
std::vector<std::string> Crowded(const TLines& tune, const Surface& surface) {
  TAbcParser parser;
  parser.Parse(tune);
  TScorePage page;
  page.Build(parser.Elements());
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter painter(&image);
  PainterCanvas canvas(painter, {kMusicFace, surface.font, false});
  NumberCanvas numbers(canvas);
  TDrawCtxt ctx = surface.printer ? PageContext(canvas, surface.font) : ScreenContext(canvas, BeamThicknessFor(surface.font));
  ctx.Canvas = &numbers;
  std::vector<std::string> crowded;
  const RowRect rect{0, 0, surface.width, surface.rowHeight};
  for (size_t r = 0; r < page.Rows.size(); ++r) {
    TScoreLine& row = *page.Rows[r];
    if (!HasEnding(row)) continue;
    numbers.parts.clear();
    row.Draw(ctx, rect, surface.rowHeight, surface.width);
    std::vector<const TSimpleNote*> heads;
    for (const auto& symbol : row.Symbols) CollectHeads(*symbol, heads);
    for (const TSimpleNote* head : heads) {
      // One staff space high, a head glyph wide.
      const QRect box(head->HeadX, ctx.StaffY(head->Pitch) - ctx.LineSpace / 2, ctx.HeadWidth, ctx.LineSpace + 1);
      if (std::any_of(numbers.parts.begin(), numbers.parts.end(), [&box](const QRect& p) { return p.intersects(box); })) {
        crowded.push_back("row " + std::to_string(r + 1) + " head at " + std::to_string(head->HeadX));
      }
    }
  }
  return crowded;
}

// The tunes that showed it (a bare second ending opening its row on a note above the
// staff, brackets over notes above the staff), then every corpus tune.
TEST(EndingNumbers, ClearOfTheHeadsTheyStandOver) {
  ASSERT_TRUE(RegisterMusicFont());
  std::vector<TLines> tunes = {
      SplitLines("X:1\nK:D\n|: d2 fa d'4 :|\n2 ab cd e4|]\n"),
      SplitLines("X:1\nK:D\n|: d2 fa d4 |1 f2 ed c4 :|2 b2 ag f4|]\n"),
      SplitLines("X:1\nK:G\n|: G2 B2 d4 | [1 c'2 b2 a4 :| [2 a'2 g'2 g4 |]\n"),
  };
  if (corpus::Available()) {
    const auto all = corpus::Tunes();
    tunes.insert(tunes.end(), all.begin(), all.end());
  }
  for (const Surface& surface : {ScreenSurface(), PrinterSurface()}) {
    int failures = 0;
    for (size_t i = 0; i < tunes.size() && failures < 10; ++i) {
      const std::vector<std::string> crowded = Crowded(tunes[i], surface);
      if (crowded.empty()) continue;
      ++failures;
      ADD_FAILURE() << surface.name << ": " << tunes[i].front() << " " << tunes[i].back() << ", " << crowded.front();
    }
  }
}

}  // namespace
}  // namespace rq::test
