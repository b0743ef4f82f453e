// The music font beside the executable: it holds every code the score draws, and
// drawn for real its ink lands where the metrics say.
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <memory>
#include <set>

#include "ScoreTestHelpers.h"
#include "score/MultiNote.h"
#include "score/MusicFont.h"
#include "score/PainterCanvas.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq::test {
namespace {

// Every kind of symbol in every state that picks a different glyph.
std::vector<std::unique_ptr<TSimpleSymbol>> EverySymbol() {
  std::vector<std::unique_ptr<TSimpleSymbol>> all;
  for (const int den : {8, 4, 2, 1})
    for (const int num : {1, 2, 4, 8, 15})
      for (const int kind : {kSymbolAlone, kSymbolInGroup, kSymbolInChord})
        for (const int pitch : {4, 10, kRestPitch})
          for (const int deco : {kDecoRoll, kDecoStaccato})
            all.push_back(std::make_unique<TSimpleNote>(pitch, deco, kind, den, num, kAccNone));
  for (int acc = -2; acc <= 3; ++acc) {
    all.push_back(std::make_unique<TSimpleNote>(5, 0, 0, 1, 1, acc));
    all.push_back(std::make_unique<TGraceNote>(5, 0, 1, 1, 1, acc));
  }
  // Chords of every length with the stem up and down: their stems and flags.
  for (const int den : {8, 4, 2, 1})
    for (const int num : {1, 2, 4, 8})
      for (const int pitch : {3, 11}) {
        auto chord = std::make_unique<TMultiNote>();
        chord->AddNote(std::make_unique<TSimpleNote>(pitch, 0, kSymbolAlone, den, num, kAccNone));
        chord->AddNote(std::make_unique<TSimpleNote>(pitch + 1, 0, kSymbolAlone, den, num, kAccNone));
        chord->Prepare();
        all.push_back(std::move(chord));
      }
  for (int kind = kBarThin; kind <= kBarRepeatBoth; ++kind) all.push_back(std::make_unique<TSymbBarre>(kind));
  all.push_back(std::make_unique<TSymbBarre>(kBarThinThin));
  for (const int number : {1, 2}) all.push_back(std::make_unique<TBarreSection>(number));
  for (const int sharps : {7, -7}) all.push_back(std::make_unique<TSymKey>(sharps));
  all.push_back(std::make_unique<TSymMeter>(1234567890, 8, kMeterNumbers));
  all.push_back(std::make_unique<TSymMeter>(4, 4, kMeterCommon));
  all.push_back(std::make_unique<TSymMeter>(2, 2, kMeterCut));
  all.push_back(std::make_unique<TSymCSol>());
  return all;
}

TEST(MusicFont, HoldsEveryCodeTheScoreDraws) {
  RecordedStaff s;
  for (auto& symbol : EverySymbol()) {
    symbol->Measure(s.ctx, 0);
    symbol->Draw(s.ctx, s.rect, 0);
  }
  std::set<unsigned char> codes;
  for (const auto& text : s.canvas.musicTexts) {
    for (const char c : text) codes.insert(static_cast<unsigned char>(c));
  }
  ASSERT_GE(codes.size(), 58u);
  const QRawFont font(MusicFontPath(), 60);
  ASSERT_TRUE(font.isValid()) << qPrintable(MusicFontPath());
  EXPECT_EQ(font.familyName(), kMusicFace);
  for (const unsigned char code : codes) {
    EXPECT_TRUE(font.supportsCharacter(QChar(0xF000 + code))) << "code 0x" << std::hex << int{code};
  }
}

// A stem-up quarter on the middle line, a stem-down one below, a thin bar and the
// clef, drawn with the real font at the largest screen size.
TEST(MusicFont, InkWhereTheMetricsSay) {
  ASSERT_TRUE(RegisterMusicFont());
  QImage image(400, 240, QImage::Format_RGB32);
  image.fill(Qt::white);
  TDrawCtxt ctx;
  const RowRect rect{0, 0, 400, 240};
  TSimpleNote up(7, 0, 0, 1, 2, kAccNone);
  TSimpleNote down(9, 0, 0, 1, 2, kAccNone);
  TSymbBarre bar(kBarThin);
  TSymCSol clef;
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter, {kMusicFace, 113, false});
    ctx.Canvas = &canvas;
    ctx.SetStaffMetrics(240);
    up.Draw(ctx, rect, 100);
    down.Draw(ctx, rect, 160);
    bar.Draw(ctx, rect, 220);
    clef.Draw(ctx, rect, 260);
  }
  ASSERT_GE(ctx.HeadWidth, 12);
  const int mid = ctx.StaffMid;
  const int ls = ctx.LineSpace;
  const int hw = ctx.HeadWidth;

  // The up-stem quarter: a head around the middle line, a stem at the right three
  // spaces up, nothing under the head.
  const int headCentre = up.HeadX + (hw - ctx.StemOffset) / 2;
  EXPECT_TRUE(Inked(image, headCentre, mid));
  EXPECT_FALSE(InkIn(image, up.HeadX, mid + ls, up.HeadX + hw, mid + 5 * ls));
  const int stemX = up.HeadX + hw - ctx.StemOffset;
  EXPECT_TRUE(InkIn(image, stemX - 2, mid - 3 * ls, stemX + 3, mid - 3 * ls + 1));
  EXPECT_FALSE(InkIn(image, up.HeadX, mid - 3 * ls, stemX - 3, mid - 3 * ls + 1));

  // The stem-down quarter on the C space: its stem at the head's left edge.
  const int downY = ctx.StaffY(9);
  EXPECT_TRUE(Inked(image, down.HeadX + (hw - ctx.StemOffset) / 2, downY));
  EXPECT_TRUE(InkIn(image, down.HeadX, downY + 3 * ls, down.HeadX + 3, downY + 3 * ls + 1));
  EXPECT_FALSE(InkIn(image, down.HeadX, downY - 5 * ls, down.HeadX + hw, downY - ls));

  // The thin bar: one column from just below the top line down to the bottom line.
  const int barX = 220 + bar.Width - 1;
  EXPECT_TRUE(Inked(image, barX, mid + 2 * ls));
  EXPECT_TRUE(Inked(image, barX, mid - 2 * ls + 1));
  EXPECT_FALSE(Inked(image, barX, mid - 2 * ls));
  EXPECT_FALSE(Inked(image, barX + 1, mid));
  EXPECT_FALSE(Inked(image, barX - 1, mid));

  // The clef reaches above the staff and below it, within its measured width.
  EXPECT_TRUE(InkIn(image, 260, mid - 4 * ls, 260 + clef.Width, mid - 2 * ls));
  EXPECT_TRUE(InkIn(image, 260, mid + 2 * ls + 2, 260 + clef.Width, mid + 5 * ls));
  EXPECT_FALSE(InkIn(image, 260 + clef.Width + 1, 0, 300, 240));
}

}  // namespace
}  // namespace rq::test
