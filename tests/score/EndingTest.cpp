// Numbered endings drawn with the real fonts, as the screen and the printer draw them:
// no ending's number or bracket meets a note head, in the tunes where they used to
// and in every corpus tune with endings.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
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

struct Box {
  int left, top, right, bottom;  // right and bottom excluded
  bool Meets(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// Draws through another canvas and keeps the cells of the ending numbers written and
// the bracket lines drawn in their face.
class NumberCanvas : public ScoreCanvas {
 public:
  explicit NumberCanvas(ScoreCanvas& inner) : inner_(inner) {}
  void SetFont(const CanvasFont& font) override { inner_.SetFont(font); }
  const CanvasFont& Font() const override { return inner_.Font(); }
  void TextOut(int x, int y, std::string_view text) override {
    if (Font().family == kNumberFace) numbers.push_back({x, y, x + inner_.TextWidth(text), y + inner_.TextHeight(text)});
    inner_.TextOut(x, y, text);
  }
  int TextWidth(std::string_view text) override { return inner_.TextWidth(text); }
  int TextHeight(std::string_view text) override { return inner_.TextHeight(text); }
  void Line(int x1, int y1, int x2, int y2) override {
    if (Font().family == kNumberFace && y1 == y2) brackets.push_back({std::min(x1, x2), y1, std::max(x1, x2), y1 + 1});
    inner_.Line(x1, y1, x2, y2);
  }
  void FillRect(int x1, int y1, int x2, int y2) override { inner_.FillRect(x1, y1, x2, y2); }
  void SetPenColor(QRgb color) override { inner_.SetPenColor(color); }
  void SetBrushColor(QRgb color) override { inner_.SetBrushColor(color); }
  void SetTextColor(QRgb color) override { inner_.SetTextColor(color); }

  std::vector<Box> numbers;
  std::vector<Box> brackets;

 private:
  ScoreCanvas& inner_;
};

// Every note head of the symbol: one staff space high, a head glyph wide.
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
    numbers.numbers.clear();
    numbers.brackets.clear();
    row.Draw(ctx, rect, surface.rowHeight, surface.width);
    std::vector<const TSimpleNote*> heads;
    for (const auto& symbol : row.Symbols) CollectHeads(*symbol, heads);
    for (const TSimpleNote* head : heads) {
      const int y = ctx.StaffY(head->Pitch);
      const Box box{head->HeadX, y - ctx.LineSpace / 2, head->HeadX + ctx.HeadWidth, y + ctx.LineSpace / 2 + 1};
      bool meets = false;
      for (const Box& n : numbers.numbers) meets = meets || n.Meets(box);
      for (const Box& b : numbers.brackets) meets = meets || b.Meets(box);
      if (meets) crowded.push_back("row " + std::to_string(r + 1) + " head at " + std::to_string(head->HeadX));
    }
  }
  return crowded;
}

// The tunes that showed it: a bare second ending opening its row on a note above the
// staff, and a bracket over a note above the staff.
TEST(EndingNumbers, ClearOfTheHeadsTheyStandOver) {
  ASSERT_TRUE(RegisterMusicFont());
  const char* tunes[] = {
      "X:1\nK:D\n|: d2 fa d'4 :|\n2 ab cd e4|]\n",
      "X:1\nK:D\n|: d2 fa d4 |1 f2 ed c4 :|2 b2 ag f4|]\n",
      "X:1\nK:G\n|: G2 B2 d4 | [1 c'2 b2 a4 :| [2 a'2 g'2 g4 |]\n",
  };
  for (const Surface& surface : {ScreenSurface(), PrinterSurface()}) {
    for (const char* tune : tunes) {
      EXPECT_EQ(Crowded(SplitLines(tune), surface), std::vector<std::string>{}) << surface.name << "\n" << tune;
    }
  }
}

// Every corpus tune's rows with endings, on screen and on paper.
TEST(EndingNumbers, ClearOfTheHeadsInTheCorpus) {
  RQ_SKIP_WITHOUT_CORPUS();
  ASSERT_TRUE(RegisterMusicFont());
  const auto tunes = corpus::Tunes();
  ASSERT_GT(tunes.size(), 100U);
  for (const Surface& surface : {ScreenSurface(), PrinterSurface()}) {
    int crowdedTunes = 0;
    for (const TLines& tune : tunes) {
      const std::vector<std::string> crowded = Crowded(tune, surface);
      if (crowded.empty()) continue;
      ++crowdedTunes;
      ADD_FAILURE() << surface.name << ": " << tune.front() << ", " << crowded.front();
      if (crowdedTunes >= 10) break;
    }
  }
}

}  // namespace
}  // namespace rq::test
