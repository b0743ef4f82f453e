// The ABC syntax highlighter over a QTextDocument.
#include "screens/SynAbcSyn.h"

#include <QTextBlock>

namespace rq {
namespace {

QTextCharFormat FormatOf(const TSynHighlighterAttributes& a) {
  QTextCharFormat format;
  if (const QColor bg = WinColorToQColor(a.Background); bg.isValid()) format.setBackground(bg);
  if (const QColor fg = WinColorToQColor(a.Foreground); fg.isValid()) format.setForeground(fg);
  format.setFontWeight(a.Bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(a.Italic);
  return format;
}

}  // namespace

TSynAbcSyn::TSynAbcSyn(QTextDocument* document) : QSyntaxHighlighter(document) {
  for (int i = 0; i < kAttributeCount; ++i) {
    attributes_[static_cast<size_t>(i)] = DefaultAttribute(i);
    formats_[static_cast<size_t>(i)] = FormatOf(attributes_[static_cast<size_t>(i)]);
  }
}

TSynHighlighterAttributes TSynAbcSyn::DefaultAttribute(int index) {
  struct Row { int32_t background, foreground; bool bold; };
  static constexpr Row kRows[kAttributeCount] = {
      {kClNone, kClBlack, false},                  // hclText
      {kClNone, kClGreen, true},                   // hclAbcKey
      {kClNone, kClPurple, false},                 // hclAbcKeyData
      {kClNone, kClNavy, false},                   // hclAbcMstKeyData
      {kClSilver, kClBlack, false},                // hclComment
      {kClWhite, kClBlack, false},                 // hclIdent
      {kClNone, kClNavy, true},                    // hclBarre
      {kClNone, kClRed, false},                    // hclNote
      {kClNone, kClMaroon, true},                  // hclNoteSymbol
      {kClNone, WinRgb(0x52, 0x52, 0x52), true},   // hclSymbol
      {kClRed, kClYellow, false},                  // hclError
      {kClGray, kClWhite, false},                  // hclChord
      {kClNone, WinRgb(0x80, 0x00, 0xFF), true},   // hclTuplet
      {kClNone, kClFuchsia, false},                // hclSlur
      {kClGreen, kClLime, false},                  // hclGrace
      {kClNone, WinRgb(0x80, 0x00, 0xFF), true},   // hclStraight
  };
  if (index < 0 || index >= kAttributeCount) return {};
  const Row& row = kRows[index];
  return {row.background, row.foreground, row.bold, false};
}

int TSynAbcSyn::AttributeOfKind(int kind) {
  switch (kind) {
    case kTokField: return hclAbcKey;
    case kTokMainValue: return hclAbcMstKeyData;
    case kTokValue: return hclAbcKeyData;
    case kTokComment: return hclComment;
    case kTokBar: return hclBarre;
    case kTokNote: return hclNote;
    case kTokNoteSymbol: return hclNoteSymbol;
    case kTokText: return hclText;
    case kTokSymbol: return hclSymbol;
    case kTokError: return hclError;
    case kTokChord: return hclChord;
    case kTokTuplet: return hclTuplet;
    case kTokSlur: return hclSlur;
    case kTokGrace: return hclGrace;
    case kTokStraight: return hclStraight;
    default: return -1;
  }
}

TSynHighlighterAttributes TSynAbcSyn::Attribute(int index) const {
  if (index < 0 || index >= kAttributeCount) return {};
  return attributes_[static_cast<size_t>(index)];
}

void TSynAbcSyn::SetAttribute(int index, const TSynHighlighterAttributes& attribute) {
  if (index < 0 || index >= kAttributeCount) return;
  attributes_[static_cast<size_t>(index)] = attribute;
  formats_[static_cast<size_t>(index)] = FormatOf(attribute);
  if (document() != nullptr) rehighlight();
}

void TSynAbcSyn::highlightBlock(const QString& text) {
  // The scanner reads bytes by the ASCII rules of ABC; every other character goes
  // to its default handler alike, so one byte per UTF-16 unit keeps the positions.
  bytes_.resize(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    bytes_[static_cast<size_t>(i)] = static_cast<char>(u < 0x80 ? u : 0x80);
  }
  // The first block has no state (-1): a text starts in the header.
  scanner_.SetState(previousBlockState());
  for (scanner_.SetLine(bytes_, currentBlock().blockNumber() + 1); !scanner_.GetEol(); scanner_.Next()) {
    const int attribute = AttributeOfKind(scanner_.GetTokenKind());
    if (attribute >= 0) {
      setFormat(scanner_.GetTokenPos(), scanner_.GetTokenLength(), formats_[static_cast<size_t>(attribute)]);
    }
  }
  setCurrentBlockState(scanner_.GetState());
}

}  // namespace rq
