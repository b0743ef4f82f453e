// Diagnostic texts and value setters of the ABC elements.
#include "AbcClass.h"

namespace rq {
namespace {

std::string N(int v) { return std::to_string(v); }

}  // namespace

std::string TAbc::Dump() const { return "test"; }
int TAbc::SetInt(int) { return 0; }
int TAbc::SetStr(std::string_view) { return 0; }

std::string TAbc::WithError(std::string text) const {
  if (Error >= 1) text += " ****** ERR=" + N(Error);
  return text;
}

std::string TAbcSpace::Dump() const { return "SPACE ========= : N=" + N(Count); }

std::string TAbcEOL::Dump() const {
  return "EOL =*=======*=                   --------------------------------";
}

std::string TAbcBackSlash::Dump() const { return "** BCK SLASH"; }

std::string TAbcKey_X::Dump() const { return "INDEX (X) : " + N(Number); }

int TAbcKey_X::SetInt(int value) {
  Number = value;
  return 0;
}

std::string TAbcKey_L::Dump() const {
  return "LONG: MST=" + N(MST) + " M:" + N(Num) + " D:" + N(Den);
}

std::string TAbcKey_M::Dump() const {
  return "METER: MST=" + N(MST) + " M:" + N(Num) + " D:" + N(Den);
}

std::string TAbcKey_P_Def::Dump() const { return "PART DEF: MST=" + N(MST) + " DEF:" + Text; }

int TAbcKey_P_Def::SetStr(std::string_view value) {
  Text = value;
  return 0;
}

std::string TAbcKey_V::Dump() const { return "Voice: N\xB0=" + N(Number); }

std::string TAbcKey_P_Mark::Dump() const {
  return "PART MARK: MST=" + N(MST) + " MRK:" + std::string(1, Letter);
}

std::string TAbcKey_K::Dump() const { return WithError("KEY: MST=" + N(MST) + " VK:" + N(Sharps)); }

std::string TAbcNote::Dump() const {
  return WithError("NOTE: " + N(NoteIndex) + " [" + N(LenNum) + "/" + N(LenDen) + "] PIT=" +
                   N(Accidental) + " OCT=" + N(Octave) + " GRC/STK=" + N(Decoration) +
                   " TUP=" + N(Tuplet) + " STR=" + N(Straight) + (Tie != 0 ? " TIE=" + N(Tie) : "") +
                   (Bars != 0 ? " BARS=" + N(Bars) : ""));
}

std::string TAbcBar::Dump() const { return "BAR: Type:" + N(Kind) + " skip :" + N(Skip); }

std::string TAbcBarSection::Dump() const { return "SECTION: N\xB0:" + N(Number); }

std::string TAbcStraight::Dump() const {
  return WithError("STRAIGHT: Type:" + N(Kind) + " NBR:" + N(Count));
}

std::string TAbcTuplet::Dump() const { return "TUPLET: (" + N(P) + ")"; }

std::string TAbcGrace::Dump() const { return WithError("GRACE GROUPE: (" + N(Kind) + ")"); }

std::string TAbcAccord::Dump() const { return "ACCORD: " + Text; }

std::string TAbcChordSym::Dump() const { return WithError("CHORD: "); }

}  // namespace rq
