// Text form of score rows.
#include "score/ScoreDump.h"

#include "score/MultiNote.h"
#include "score/NoteGroups.h"
#include "score/Signs.h"
#include "score/SimpleNote.h"

namespace rq {
namespace {

// Staff step as an ABC note name: 1 is C, 8 is c, 15 is c'.
std::string PitchName(int pitch) {
  const int step = pitch - 1;
  int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
  const int letter = step - 7 * octave;
  std::string name(1, "CDEFGAB"[letter]);
  if (octave >= 1) {
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    name.append(static_cast<size_t>(octave - 1), '\'');
  } else {
    name.append(static_cast<size_t>(-octave), ',');
  }
  return name;
}

const char* AccidentalText(int accidental) {
  switch (accidental) {
    case kAccSharp: return "^";
    case kAccDoubleSharp: return "^^";
    case kAccFlat: return "_";
    case kAccDoubleFlat: return "__";
    case kAccNatural: return "=";
    default: return "";
  }
}

std::string DescribeNote(const TSimpleNote& note) {
  if (note.IsMultiBarRest()) return "Z:" + std::to_string(note.Bars);
  if (note.IsRest()) {
    return (note.Invisible ? "x:" : note.WholeBar ? "Z:" : "z:") + std::to_string(note.DurIndex);
  }
  std::string text = AccidentalText(note.Accidental) + PitchName(note.Pitch);
  return text + ":" + (note.Breve ? std::string(note.Dots() > 0 ? "breve." : "breve") : std::to_string(note.DurIndex));
}

const char* BarText(int kind) {
  switch (kind) {
    case kBarThin: return "|";
    case kBarThinThick: return "|]";
    case kBarThinThin: return "||";
    case kBarRepeatEnd: return ":|";
    case kBarRepeatStart: return "|:";
    case kBarRepeatBoth: return "::";
    default: return "?";
  }
}

template <typename Symbols>
std::string DescribeAll(const Symbols& symbols) {
  std::string text;
  for (const auto& symbol : symbols) {
    if (!text.empty()) text += ' ';
    text += DescribeSymbol(*symbol);
  }
  return text;
}

}  // namespace

std::string DescribeSymbol(const TScoreSymbol& symbol) {
  if (const auto* note = dynamic_cast<const TSimpleNote*>(&symbol)) {
    const bool grace = dynamic_cast<const TGraceNote*>(&symbol) != nullptr;
    return grace ? PitchName(note->Pitch).insert(0, AccidentalText(note->Accidental)) : DescribeNote(*note);
  }
  if (const auto* chord = dynamic_cast<const TMultiNote*>(&symbol)) {
    std::string text = "[";
    for (const auto& note : chord->Notes) {
      if (text.size() > 1) text += ' ';
      text += DescribeNote(*note);
    }
    return text + "]";
  }
  if (const auto* tuplet = dynamic_cast<const TGrpTuplet*>(&symbol)) {
    return "tuplet" + std::to_string(tuplet->Count) + "(" + DescribeAll(tuplet->Members) + ")";
  }
  if (const auto* beam = dynamic_cast<const TGroupNote*>(&symbol)) return "beam(" + DescribeAll(beam->Children) + ")";
  if (const auto* grace = dynamic_cast<const TGroupGrace*>(&symbol)) {
    return (grace->Slashed ? "grace(/" : "grace(") + DescribeAll(grace->Children) + ")";
  }
  if (const auto* ending = dynamic_cast<const TBarreSection*>(&symbol)) {
    // An ending's own bar goes unsaid; another bar it took over is written before it.
    const std::string number = "[" + std::to_string(ending->Number);
    if (ending->BarKind == kBarNone) return "bare" + number;
    if (ending->BarKind != TBarreSection(ending->Number).BarKind) return BarText(ending->BarKind) + number;
    return number;
  }
  if (const auto* bar = dynamic_cast<const TSymbBarre*>(&symbol)) return BarText(bar->BarKind);
  if (const auto* key = dynamic_cast<const TSymKey*>(&symbol)) {
    const int naturals = key->Naturals();
    return (naturals > 0 ? "nat:" + std::to_string(naturals) + " " : "") + "key:" + std::to_string(key->Sharps);
  }
  if (const auto* meter = dynamic_cast<const TSymMeter*>(&symbol)) {
    if (meter->Symbol == kMeterCommon) return "M:C";
    if (meter->Symbol == kMeterCut) return "M:C|";
    return "M:" + std::to_string(meter->Num) + "/" + std::to_string(meter->Den);
  }
  if (dynamic_cast<const TSymCSol*>(&symbol) != nullptr) return "clef";
  return "?";
}

std::string DescribeRow(const TScoreLine& row) {
  std::string text = DescribeAll(row.Symbols);
  for (const TieArc& tie : row.Ties) {
    text += " tie(" + (tie.From != nullptr ? DescribeNote(*tie.From) : std::string()) + "-" +
            (tie.To != nullptr ? DescribeNote(*tie.To) : std::string()) + ")";
  }
  return text;
}

std::string DescribeRows(const ScoreRows& rows) {
  std::string text;
  for (size_t i = 0; i < rows.size(); ++i) {
    text += std::to_string(i + 1) + ": " + DescribeRow(*rows[i]) + "\n";
  }
  return text;
}

}  // namespace rq
