// The ABC parser: the lines of one tune into a positioned list of elements.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "notation/AbcClass.h"
#include "notation/AbcRules.h"
#include "platform/ByteText.h"

namespace rq {

class ElementArena;

// One instance serves the whole program; its results stay valid until the next Parse.
// Parsing never fails: malformed text is dropped or replaced by a default.
class TAbcParser {
 public:
  TAbcParser();
  ~TAbcParser();
  TAbcParser(const TAbcParser&) = delete;
  TAbcParser& operator=(const TAbcParser&) = delete;

  // Parses one tune (or several tunes' text joined). Always returns 0.
  int Parse(const TLines& lines);
  int Parse(std::span<const std::string_view> lines);
  // Parses only the first `count` lines of a tune (the line after them is still
  // looked at, as the full parse looks at it), for readers that need only the
  // opening. The first SettledCount() elements are then exactly those of the full
  // parse, links included: no line after the opening can change them.
  // With `maxElements`, it stops between two tokens once that many elements are
  // read, in the middle of a line if need be (a line of megabytes stays a bounded
  // parse). The tokens read are those of the whole parse: the rest of the line is
  // looked at as the whole parse looks at it.
  int ParseOpening(std::span<const std::string_view> lines, size_t count, size_t maxElements = 0);
  // The tune's text up to at most `maxElements` elements; when that cuts it, only
  // the settled elements are kept, so each one is as the whole parse makes it.
  int ParseBounded(const TLines& lines, size_t maxElements);
  // After Parse, every element; after ParseOpening, the leading elements that the
  // rest of the tune cannot change.
  size_t SettledCount() const { return settled_; }
  // The last parse stopped at its element bound before the end of its text.
  bool Cut() const { return cut_; }

  // The elements in text order, owned by the parser until the next Parse.
  std::span<const TAbc* const> Elements() const {
    return {reinterpret_cast<const TAbc* const*>(elements_.data()), elements_.size()};
  }
  size_t ElementCount() const { return elements_.size(); }

  // First non-empty T:, C: and R: values of the header.
  const std::string& Title() const { return title_; }
  const std::string& Composer() const { return composer_; }
  const std::string& Rhythm() const { return rhythm_; }
  // Meter of the last header M: (4/4 when none, or when it was not valid).
  int MeterNum() const { return meterNum_; }
  int MeterDen() const { return meterDen_; }

 private:
  void BeginParse();
  void DestroyElements();
  void ScanLine(std::string_view line);
  // Scans lines[0..count) until the element bound cuts the text; true when it did.
  bool ScanLines(std::span<const std::string_view> lines, size_t count);
  bool AtBound() const { return maxElements_ != 0 && elements_.size() >= maxElements_; }
  // The first element of a chord or inline field left open where the text was cut.
  size_t OpenBracketAtCut() const;
  // `opening`: the text parsed stops before the tune's end (ParseOpening).
  void PostPass(bool opening = false);
  // The first element that a link from beyond the opening could still reach.
  size_t ReachFromBeyond(size_t settled) const;
  template <typename T, typename... Args>
  T* Append(Args&&... args);

  // The character at a column; 0 (the line's end) past the last one.
  unsigned char At(int col) const {
    const auto i = static_cast<size_t>(col - 1);
    return i < line_.size() ? static_cast<unsigned char>(line_[i]) : 0;
  }
  unsigned char Cur() const { return At(col_); }
  // Columns from..to-1 of the line (clamped to it); EndCol is one past the last.
  std::string_view Span(int from, int to) const {
    const auto b = std::min(static_cast<size_t>(from - 1), line_.size());
    const auto e = std::min(static_cast<size_t>(to - 1), line_.size());
    return line_.substr(b, e > b ? e - b : 0);
  }
  int EndCol() const { return static_cast<int>(line_.size()) + 1; }
  // The 0-based index of a column, for the shared token rules.
  static size_t Index(int col) { return static_cast<size_t>(col - 1); }
  int Pos(int col) const;
  void Dispatch(unsigned char c);

  // Dispatch targets.
  void OnEndOfLine();
  void OnSkipOne();
  void OnLineBreak();
  void OnChordSymbol();
  void OnComment();
  void OnTuplet();
  void OnPlus();
  void OnDecoration();
  void OnLetter();
  void OnBroken();
  void OnAccidental();
  void OnBracketOpen();
  void OnContinuation();
  void OnBracketClose();
  // Multiplies the lengths of the notes of the chord just closed.
  void ScaleChord(AbcLength length);
  void OnGraceOpen();
  void OnGraceClose();
  void OnDefault();

  // Header and field reading.
  void HeaderRoutine();
  void SkipToLineEnd();
  void ReadTextField(std::string& target);
  void ReadIndex();
  void ReadKey();
  void ReadMeter(bool header);
  void ReadUnitLength();
  void ReadPartDef();
  void ReadPartMark();
  void ReadVoice();
  std::string_view ReadFieldValue();
  bool StartsHeaderText(unsigned char c) const;
  bool IsFieldTerminator(unsigned char c) const;

  // Body reading.
  void BodyRoutine();
  void SkipFieldRest();
  void ReadNote();
  void ReadBarRest();
  void ReadBar();
  void ReadLineStartEnding();
  void MarkTie();
  void MarkTied(size_t i);

  // Post-pass steps.
  void LinkBroken(size_t i);
  // Returns where the tuplet's walk stopped: the list's size when the list ended
  // before the tuplet did.
  size_t LinkTuplet(size_t i);
  // Returns false when the list ended before the group did.
  bool LinkGrace(size_t i);
  void LinkEnding(size_t i);
  // The bar line that an ending at `i` stands right after (only blanks, line ends,
  // fields and the like between), or the element count when there is none.
  size_t BarBefore(size_t i) const;
  // Whether only blanks stand between the line's start and the element at `i`.
  bool OpensLine(size_t i) const;
  // A note or rest outside grace groups (once the grace groups are linked).
  bool IsMainNote(size_t i) const;
  // Links tied notes; returns the first note still tying on at the end (the element
  // count when none is).
  size_t LinkTies();

  std::unique_ptr<ElementArena> arena_;
  std::vector<TAbc*> elements_;
  std::vector<TAbc*> owningText_;  // elements whose destructor must run
  std::vector<size_t> linked_;      // indexes of the elements the post-pass links
  std::vector<size_t> tied_;        // indexes of the notes a "-" ties, linked last
  size_t settled_ = 0;              // see SettledCount
  size_t maxElements_ = 0;          // the bound of ParseOpening, 0 for none
  bool cut_ = false;                // see Cut

  int mode_ = 0;  // 0 nothing read, 1 header, 2 body, 3 text after the music
  std::string_view line_;  // the line being scanned; it ends at its first NUL
  std::string_view nextLine_;  // the line after it (empty after the last)
  int col_ = 1;
  int tokenStart_ = 1;
  int valueStart_ = 1;
  int lineNo_ = 1;
  bool inBracket_ = false;
  bool inPlus_ = false;
  int fieldLetter_ = 0;  // 0 none, a letter, or 255: the value was read, skip the rest
  bool keySeen_ = false;
  BrokenRhythmState broken_;
  int pendingAccidental_ = 0;
  int pendingDecoration_ = 0;
  bool inGrace_ = false;
  bool repeatEndsLine_ = false;  // the line before ended on a closing repeat

  std::string title_, composer_, rhythm_;
  int meterNum_ = 4;
  int meterDen_ = 4;
};

}  // namespace rq
