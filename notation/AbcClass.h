// ABC elements: one token of a tune with its kind, its place in the text and its values.
#pragma once

#include <string>
#include <string_view>

namespace rq {

// Kind numbers; the converter and the score builder switch on them.
enum AbcKind : int {
  kAbcNote = 1,            // note or rest
  kAbcBackSlash = 4,       // line continuation
  kAbcBracketOpen = 11,    // "[" of a chord or inline field, or the first "+" of a plus chord
  kAbcBracketClose = 12,   // "]" or the closing "+"
  kAbcBrokenLess = 17,     // "<"
  kAbcBrokenGreater = 18,  // ">"
  kAbcTuplet = 25,
  kAbcGraceStart = 26,
  kAbcGraceEnd = 27,
  kAbcBarSingle = 31,
  kAbcBarDouble = 32,      // double or thick bar
  kAbcBarRepeatEnd = 33,
  kAbcBarRepeatStart = 34,
  kAbcBarRepeatBoth = 35,
  kAbcBarSection = 36,     // numbered ending
  kAbcChordSymbol = 51,    // text in double quotes
  kAbcSpace = 80,
  kAbcEOL = 81,
  kAbcFieldK = 111,
  kAbcFieldL = 112,
  kAbcFieldM = 113,
  kAbcFieldPDef = 116,     // P: in the header: part sequence
  kAbcFieldV = 122,
  kAbcFieldX = 124,
  kAbcFieldPMark = 127,    // P: in the body: part mark
  kAbcTupletOff = 255,     // tuplet whose group was broken by a blank
};

// A bar line that is no numbered ending.
constexpr bool IsPlainBar(int kind) { return kind >= kAbcBarSingle && kind <= kAbcBarRepeatBoth; }

// The only error the parser records: a grace group interrupted before its end.
constexpr int kAbcErrGraceBroken = 159;

// Tie flags of a note: a "-" ties it to the next note of its pitch, which continues it.
constexpr int kTieStart = 1;
constexpr int kTieEnd = 2;

// A position is line * 1000 + column, both from 1.
constexpr int AbcPos(int line, int col) { return line * 1000 + col; }

class TAbc {
 public:
  TAbc(int start, int end, int kind) : Start(start), End(end), Kind(kind) {}
  virtual ~TAbc() = default;
  TAbc(const TAbc&) = delete;
  TAbc& operator=(const TAbc&) = delete;

  // One-line description for diagnostics (bytes; "°" is the Windows-1252 byte 0xB0).
  virtual std::string Dump() const;
  virtual int SetInt(int value);
  virtual int SetStr(std::string_view value);

  bool IsBar() const { return Kind >= kAbcBarSingle && Kind <= kAbcBarSection; }

  int Start;
  int End;
  int Kind;
  int Error = 0;

 protected:
  // Appends " ****** ERR=n" when an error is set.
  std::string WithError(std::string text) const;
};

class TAbcSpace : public TAbc {
 public:
  explicit TAbcSpace(int count) : TAbc(0, 0, kAbcSpace), Count(count) {}
  std::string Dump() const override;
  int Count;
};

class TAbcEOL : public TAbc {
 public:
  TAbcEOL() : TAbc(0, 0, kAbcEOL) {}
  std::string Dump() const override;
};

class TAbcBackSlash : public TAbc {
 public:
  TAbcBackSlash(int start, int end) : TAbc(start, end, kAbcBackSlash) {}
  std::string Dump() const override;
};

// A field element; MST is 1 for K:, L:, M: and header P:, 0 for X:, V: and body P:.
class TAbcKey : public TAbc {
 public:
  TAbcKey(int start, int end, int kind, int mst) : TAbc(start, end, kind), MST(mst) {}
  int MST;
};

class TAbcKey_X : public TAbcKey {
 public:
  TAbcKey_X(int start, int end, int number) : TAbcKey(start, end, kAbcFieldX, 0), Number(number) {}
  std::string Dump() const override;
  int SetInt(int value) override;
  int Number;
};

class TAbcKey_M : public TAbcKey {
 public:
  TAbcKey_M(int start, int end, int num, int den, int symbol)
      : TAbcKey(start, end, kAbcFieldM, 1), Num(num), Den(den), Symbol(symbol) {}
  std::string Dump() const override;
  int Num;
  int Den;
  int Symbol;  // 0 numeric, 1 "C", 2 "C|"
};

class TAbcKey_K : public TAbcKey {
 public:
  TAbcKey_K(int start, int end, int sharps) : TAbcKey(start, end, kAbcFieldK, 1), Sharps(sharps) {}
  std::string Dump() const override;
  int Sharps;  // -7..7, flats negative
};

class TAbcKey_L : public TAbcKey {
 public:
  TAbcKey_L(int start, int end, int den) : TAbcKey(start, end, kAbcFieldL, 1), Num(1), Den(den) {}
  std::string Dump() const override;
  int Num;
  int Den;  // 4, 8, 16 or 32
};

class TAbcKey_P_Def : public TAbcKey {
 public:
  TAbcKey_P_Def(int start, int end, std::string_view text)
      : TAbcKey(start, end, kAbcFieldPDef, 1), Text(text) {}
  std::string Dump() const override;
  int SetStr(std::string_view value) override;
  std::string Text;  // upper-case letters and digits
};

class TAbcKey_P_Mark : public TAbcKey {
 public:
  TAbcKey_P_Mark(int start, int end, char letter)
      : TAbcKey(start, end, kAbcFieldPMark, 0), Letter(letter) {}
  std::string Dump() const override;
  char Letter;  // "A" to "Z"
};

class TAbcKey_V : public TAbcKey {
 public:
  TAbcKey_V(int start, int end, int number) : TAbcKey(start, end, kAbcFieldV, 0), Number(number) {}
  std::string Dump() const override;
  int Number;
};

class TAbcNote : public TAbc {
 public:
  TAbcNote(int start, int end, int noteIndex, int accidental, int octave, int decoration,
           int lenNum, int lenDen)
      : TAbc(start, end, kAbcNote), NoteIndex(noteIndex), Accidental(accidental), Octave(octave),
        Decoration(decoration), LenNum(lenNum), LenDen(lenDen) {}
  std::string Dump() const override;
  bool IsRest() const { return NoteIndex == 15; }

  int NoteIndex;    // place in "CDEFGABcdefgabz", 1-based; 15 is the rest (also "x" and "Z")
  int Accidental;   // 0 none, 1 "^", 2 "^^", -1 "_", -2 "__", 3 "="
  int Octave;       // -2..2
  int Decoration;   // 0 none, 1 roll, 2 staccato, -1 every rest
  int LenNum;
  int LenDen;
  int Tuplet = 0;      // p of the covering tuplet
  int Straight = 0;    // signed broken-rhythm shift
  int GraceCount = 0;  // notes in the closed grace group holding this note
  bool Invisible = false;  // an "x" rest: it takes its time but is not drawn
  int Bars = 0;        // a "Z" rest: the whole bars it lasts, from 1; 0 for other notes
  int Tie = 0;         // kTieStart and kTieEnd flags
};

class TAbcBar : public TAbc {
 public:
  TAbcBar(int start, int end, int kind) : TAbc(start, end, kind) {}
  std::string Dump() const override;
  int Skip = 0;  // 1 when a numbered ending follows this bar
  bool DoubleThin = false;  // "||": two thin lines, where kind 32 is otherwise thin-thick
};

class TAbcBarSection : public TAbcBar {
 public:
  TAbcBarSection(int start, int end, int number) : TAbcBar(start, end, kAbcBarSection), Number(number) {}
  std::string Dump() const override;
  int Number;
  // The token holds a bar line of its own ("|1", ":|2", ":|[2"); "[1" holds none.
  bool OwnBar = false;
};

class TAbcStraight : public TAbc {
 public:
  TAbcStraight(int start, int end, int kind, int count) : TAbc(start, end, kind), Count(count) {}
  std::string Dump() const override;
  int Count;  // 1 or 2
};

class TAbcChordSym : public TAbc {
 public:
  TAbcChordSym(int start, int end, int kind) : TAbc(start, end, kind) {}
  std::string Dump() const override;
};

class TAbcTuplet : public TAbc {
 public:
  TAbcTuplet(int start, int end, int p) : TAbc(start, end, kAbcTuplet), P(p) {}
  std::string Dump() const override;
  int P;
};

class TAbcAccord : public TAbc {
 public:
  TAbcAccord(int start, int end, std::string_view text) : TAbc(start, end, kAbcChordSymbol), Text(text) {}
  std::string Dump() const override;
  std::string Text;
};

class TAbcGrace : public TAbc {
 public:
  TAbcGrace(int start, int end, int startFlag)
      : TAbc(start, end, startFlag == 1 ? kAbcGraceStart : kAbcGraceEnd) {}
  std::string Dump() const override;
  bool Acciaccatura = false;  // a start written "{/": its first note is drawn slashed
};

}  // namespace rq
