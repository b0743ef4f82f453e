// The ABC editor's syntax highlighter: colours each line by the parser's token rules,
// with the range (header, body or the text after the music) and the broken-rhythm
// carry kept in the block state from line to line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include "notation/AbcLineScanner.h"
#include "platform/WinColor.h"

namespace rq {

// One display attribute. Colours are Windows colour values; kClNone leaves the
// editor's own colour.
struct TSynHighlighterAttributes {
  int32_t Background = kClWhite;
  int32_t Foreground = kClBlack;
  bool Bold = false;
  bool Italic = false;
  bool operator==(const TSynHighlighterAttributes&) const = default;
};

class TSynAbcSyn : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  // Attribute indexes, as the settings file and the options dialog number them.
  enum AttributeIndex {
    hclText,
    hclAbcKey,
    hclAbcKeyData,
    hclAbcMstKeyData,
    hclComment,
    hclIdent,  // never used for a token
    hclBarre,
    hclNote,
    hclNoteSymbol,
    hclSymbol,
    hclError,
    hclChord,
    hclTuplet,
    hclSlur,
    hclGrace,
    hclStraight,
  };
  static constexpr int kAttributeCount = 16;

  // Starts with the editor's attribute values (DefaultAttribute).
  explicit TSynAbcSyn(QTextDocument* document = nullptr);

  // The attribute of an index 0..15; out of range reads as a plain attribute.
  TSynHighlighterAttributes Attribute(int index) const;
  // Replaces the attribute of an index 0..15 and recolours the document at once;
  // an index out of range changes nothing.
  void SetAttribute(int index, const TSynHighlighterAttributes& attribute);

  // The editor's initial value of each attribute.
  static TSynHighlighterAttributes DefaultAttribute(int index);
  // The attribute a token kind is drawn with; -1 for the end of line and line breaks.
  static int AttributeOfKind(int kind);

  // An attribute of the highlighter's own that no token uses.
  const TSynHighlighterAttributes& InternAtt() const { return internAtt_; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  std::array<TSynHighlighterAttributes, kAttributeCount> attributes_;
  std::array<QTextCharFormat, kAttributeCount> formats_;
  TSynHighlighterAttributes internAtt_{WinRgb(0xBB, 0xD9, 0xFD), kClBlack, false, false};
  AbcLineScanner scanner_;
  std::string bytes_;  // the block's text as the scanner reads it
};

}  // namespace rq
