// The editor's line scanner: one line of ABC text into tokens of a kind each, by the
// parser's token rules, with the range (header, body or the text after the music) carried
// from line to line.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "notation/AbcRules.h"

namespace rq {

// Token kinds; each is drawn with one attribute of the highlighter.
enum AbcTokenKind : uint8_t {
  kTokEol = 0,         // end of line
  kTokField = 1,       // field letter with its colon; an E: field with its number
  kTokMainValue = 2,   // X:, T:, R: values of the header; valid K:, M:, L:, P:, V: values
  kTokValue = 3,       // values of the other header fields
  kTokComment = 4,     // "%" and the rest of the line
  kTokBar = 6,         // bar lines and numbered endings
  kTokNote = 7,        // note or rest with its octave marks and length
  kTokNoteSymbol = 8,  // brackets, chord plus signs, decorations, accidentals
  kTokLineBreak = 9,   // CR or LF inside a line
  kTokText = 10,       // plain text
  kTokSymbol = 11,     // "}", continuation, bowings u and v
  kTokError = 12,      // anything that breaks a rule
  kTokChord = 13,      // chord symbol with both quotes
  kTokTuplet = 14,     // "(" with its digit
  kTokSlur = 15,       // "(" without a tuplet digit; the "-" of a tie
  kTokGrace = 16,      // whole grace group
  kTokStraight = 17,   // broken-rhythm signs
};

// kRangeText: the text after the music's end, up to the next tune's header.
enum AbcRange : uint8_t { kRangeHeader = 1, kRangeBody = 2, kRangeText = 3 };

// What a line hands to the next (the editor keeps it as the block state): its
// range, plus kBrokenCarry when a body line ended on a note that a broken-rhythm
// sign at the start of the next line may pair, or kBrokenSignCarry when it ended on
// a sign whose pair the first note of the next line completes, and kRepeatEndCarry
// when it ended on a closing repeat that an ending number first on the next line
// belongs to.
constexpr int kBrokenCarry = 4;
constexpr int kBrokenSignCarry = 8;
constexpr int kRepeatEndCarry = 16;
constexpr int RangeOfState(int state) {
  const int range = state > 0 ? state & ~(kBrokenCarry | kBrokenSignCarry | kRepeatEndCarry) : 0;
  return range == kRangeBody || range == kRangeText ? range : kRangeHeader;
}

struct AbcToken {
  int start = 0;   // 0-based
  int length = 0;
  int kind = kTokEol;
  bool operator==(const AbcToken&) const = default;
};

// Scans one line at a time: SetLine, then Next until GetEol. Only the state (the
// range, the broken-rhythm carry and a closing repeat at the line's end) crosses
// lines; everything else restarts with each line.
class AbcLineScanner {
 public:
  // The state of the line before; anything that is neither a body nor a text state
  // is the header.
  void SetState(int state) {
    range_ = RangeOfState(state);
    carry_ = range_ == kRangeBody && (state & kBrokenCarry) != 0;
    signCarry_ = range_ == kRangeBody && (state & kBrokenSignCarry) != 0;
    repeatEnd_ = range_ == kRangeBody && (state & kRepeatEndCarry) != 0;
  }
  // The state after the line, once its end was reached.
  int GetState() const {
    return range_ | (carry_ ? kBrokenCarry : 0) | (signCarry_ ? kBrokenSignCarry : 0) |
           (repeatEnd_ ? kRepeatEndCarry : 0);
  }
  void SetRange(int range) { SetState(RangeOfState(range)); }
  void ResetRange() { SetState(kRangeHeader); }
  int GetRange() const { return range_; }

  // Starts a line (bytes; it ends at its first NUL) and reads its first token.
  void SetLine(std::string_view line, int lineNumber = 0);
  void Next();

  bool GetEol() const { return tokenId_ == kTokEol; }
  int GetTokenKind() const { return tokenId_; }
  int GetTokenPos() const { return tokenPos_; }
  int GetTokenLength() const { return run_ - tokenPos_; }
  std::string_view GetToken() const;
  int LineNumber() const { return lineNumber_; }

 private:
  unsigned char At(int i) const;
  unsigned char Cur() const { return At(run_); }
  void Dispatch();
  bool StartsHeaderText(unsigned char c) const;
  void SpanTo(int end, int kind);
  void RestOfLine(int kind);

  void OnEndOfLine();
  void OnText();
  void OnDefault();
  void OnContinuation();
  void OnLetter();
  void HeaderRoutine();
  void BodyRoutine();
  void SkipFieldRest(int kind);
  void ReadNote();
  void ReadBarRest();
  bool MarksANote() const;
  void ReadKey();
  void ReadMeter();
  void ReadUnitLength();
  void ReadPartDef();
  void ReadPartMark();
  void ReadVoice();
  int ReadFieldValueEnd() const;
  void OnBar();
  void OnAccidental();
  void OnDecoration();
  void OnBroken();
  void OnBracketOpen();
  void OnBracketClose();
  void OnPlus();
  void OnChordSymbol();
  void OnTuplet();
  void OnGraceOpen();

  std::string_view line_;
  int range_ = kRangeHeader;
  int run_ = 0;
  int lineNumber_ = 0;
  int tokenPos_ = 0;
  int tokenId_ = kTokEol;
  int fieldLetter_ = 0;  // 0 none, a letter, or 255: the value was read, the rest is an error
  bool keySeen_ = false;
  bool inBracket_ = false;
  bool inPlus_ = false;
  bool carry_ = false;  // into the line on SetLine, out of it at its end
  bool signCarry_ = false;  // likewise
  bool lineEndSign_ = false;  // a sign taken whose pair's second note is on the next line
  BrokenRhythmState broken_;
  // A closing repeat ended the line before (on SetLine), or is the line's last token so far.
  bool repeatEnd_ = false;
  bool endingMayStart_ = false;  // the line before ended on a closing repeat
  int barKind_ = 0;              // of the token just read, when it is a bar line
  int tieAnchor_ = -1;           // one past the last note or chord: a "-" there is a tie
};

// The tokens of one line (the end of line left out); `state` goes in as the state
// of the line before and comes out as this line's.
void ScanAbcLine(std::string_view line, int& state, std::vector<AbcToken>& tokens);

}  // namespace rq
