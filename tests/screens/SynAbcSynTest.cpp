// The highlighter on a document: formats by token kind, the range in the block
// state, and attributes changed while the text is shown.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "screens/SynAbcSyn.h"

namespace rq {
namespace {

// The format drawn at a position of a block; an empty format where none is set.
QTextCharFormat FormatAt(const QTextDocument& doc, int blockNumber, int pos) {
  const QTextBlock block = doc.findBlockByNumber(blockNumber);
  for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
    if (pos >= r.start && pos < r.start + r.length) return r.format;
  }
  return {};
}

std::vector<int> BlockStates(const QTextDocument& doc) {
  std::vector<int> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) out.push_back(b.userState());
  return out;
}

class SynAbcSynTest : public ::testing::Test {
 protected:
  void Show(const QString& text) {
    doc.setPlainText(text);
    // Offscreen, the first pass does not run by itself.
    hl.rehighlight();
  }
  QTextDocument doc;
  TSynAbcSyn hl{&doc};
};

TEST_F(SynAbcSynTest, TokensAreDrawnWithTheirAttributes) {
  Show("X:1\nK:Hx\n\"Am\"a2|{g}B");
  // "K:" bold green, the unknown key yellow on red.
  EXPECT_EQ(FormatAt(doc, 1, 0).foreground().color(), QColor(0, 0x80, 0));
  EXPECT_EQ(FormatAt(doc, 1, 0).fontWeight(), QFont::Bold);
  EXPECT_EQ(FormatAt(doc, 1, 2).background().color(), QColor(0xFF, 0, 0));
  EXPECT_EQ(FormatAt(doc, 1, 2).foreground().color(), QColor(0xFF, 0xFF, 0));
  // Chord symbol white on gray, note red with no background of its own, grace lime on green.
  EXPECT_EQ(FormatAt(doc, 2, 1).background().color(), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(FormatAt(doc, 2, 4).foreground().color(), QColor(0xFF, 0, 0));
  EXPECT_FALSE(FormatAt(doc, 2, 4).hasProperty(QTextFormat::BackgroundBrush));
  EXPECT_EQ(FormatAt(doc, 2, 8).background().color(), QColor(0, 0x80, 0));
  EXPECT_EQ(FormatAt(doc, 2, 8).foreground().color(), QColor(0, 0xFF, 0));
}

// Values that a tab ends are drawn as values, not errors; a bar right before an
// ending's bracket and the ending are both drawn as bars.
TEST_F(SynAbcSynTest, TabsAfterValuesAndABarBeforeAnEnding) {
  Show("X:1\nM:9/8\t\nK:D\t% comment\n|:A8|[1 B8||[2 c8||");
  const QColor navy(0, 0, 0x80);
  for (const int block : {1, 2}) {
    EXPECT_EQ(FormatAt(doc, block, 2).foreground().color(), navy) << block;
    EXPECT_FALSE(FormatAt(doc, block, 2).hasProperty(QTextFormat::BackgroundBrush)) << block;
  }
  for (const int pos : {10, 11, 12, 13}) {
    EXPECT_EQ(FormatAt(doc, 3, pos).foreground().color(), navy) << pos;
    EXPECT_EQ(FormatAt(doc, 3, pos).fontWeight(), QFont::Bold) << pos;
  }
}

TEST_F(SynAbcSynTest, PositionsCountCharactersNotBytes) {
  Show("T:\u00C9amonn a Chnoic\nK:G\n\"\u00E9\"a");
  // The whole title is a header value, and the note after the chord symbol is red.
  EXPECT_EQ(FormatAt(doc, 0, 2).foreground().color(), QColor(0, 0, 0x80));
  EXPECT_EQ(FormatAt(doc, 0, 16).foreground().color(), QColor(0, 0, 0x80));
  EXPECT_EQ(FormatAt(doc, 2, 3).foreground().color(), QColor(0xFF, 0, 0));
}

TEST_F(SynAbcSynTest, TheRangeFollowsEditsAcrossBlocks) {
  QPlainTextEdit edit;
  TSynAbcSyn editHl(edit.document());
  edit.setPlainText("X:1\nK:G\nabc\nK:G");
  editHl.rehighlight();
  // A body line that ends on a note also carries that to the next line, where a
  // broken-rhythm sign may pair it.
  EXPECT_EQ(BlockStates(*edit.document()), (std::vector<int>{1, 2, kRangeBody | kBrokenCarry, 2}));
  EXPECT_EQ(FormatAt(*edit.document(), 2, 0).foreground().color(), QColor(0xFF, 0, 0));

  // A new X: line turns what follows back into a header: "abc" is plain text there,
  // and the body starts again after the next K: line.
  QTextCursor cursor(edit.document()->findBlockByNumber(2));
  cursor.insertText("X:2\n");
  EXPECT_EQ(BlockStates(*edit.document()), (std::vector<int>{1, 2, 1, 1, 2}));
  EXPECT_EQ(FormatAt(*edit.document(), 3, 0).foreground().color(), QColor(0, 0, 0));
}

TEST_F(SynAbcSynTest, AttributesChangeLiveByIndex) {
  Show("X:1\nK:G\nabc");
  TSynHighlighterAttributes note = hl.Attribute(TSynAbcSyn::hclNote);
  note.Background = WinRgb(0x12, 0x34, 0x56);
  note.Foreground = kClNone;
  note.Italic = true;
  hl.SetAttribute(TSynAbcSyn::hclNote, note);

  const QTextCharFormat f = FormatAt(doc, 2, 1);
  EXPECT_EQ(f.background().color(), QColor(0x12, 0x34, 0x56));
  EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush));  // the editor's own colour
  EXPECT_TRUE(f.fontItalic());
  EXPECT_EQ(f.fontWeight(), QFont::Normal);

  // Indexes out of range change nothing and read as a plain attribute.
  hl.SetAttribute(16, note);
  hl.SetAttribute(-1, note);
  EXPECT_EQ(hl.Attribute(16), TSynHighlighterAttributes{});
  EXPECT_EQ(hl.Attribute(0), TSynAbcSyn::DefaultAttribute(0));
}

}  // namespace
}  // namespace rq
