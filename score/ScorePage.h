// The score builder: the elements of one parsed tune become staff rows, one per ABC
// body line, with beamed runs, chords, grace notes, tuplets, bars and signs.
#pragma once

#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "notation/AbcClass.h"
#include "notation/TieBoard.h"
#include "score/ScoreLine.h"

namespace rq {

class TGenNote;
class TGroupGrace;
class TGroupNote;
class TGrpTuplet;
class TMultiNote;
class TSimpleNote;
class TSymbBarre;

class TScorePage {
 public:
  TScorePage();
  ~TScorePage();
  TScorePage(const TScorePage&) = delete;
  TScorePage& operator=(const TScorePage&) = delete;

  // Builds the page's own rows. Returns 0.
  int Build(std::span<const TAbc* const> elements) { return BuildInto(elements, Rows); }
  // Replaces the rows of list with the rows of the elements. Returns 0.
  int BuildInto(std::span<const TAbc* const> elements, ScoreRows& list);

  ScoreRows Rows;

 private:
  void OnElement(const TAbc& element, ScoreRows& list);
  void OnNote(const TAbcNote& note);
  void OnChordEnd();
  void OnEndOfLine(ScoreRows& list);
  void OnKey(const TAbcKey_K& key);
  void OnMeter(const TAbcKey_M& meter);
  void OnTuplet(const TAbcTuplet& tuplet);
  // A numbered ending, merged with a bar just before it.
  void OnSection(const TAbcBarSection& ending);
  void OnGraceStart(const TAbcGrace& grace);

  // Places the held note or chord; ends the beam run and a pending continuation.
  void FlushHeld();
  // FlushHeld, and closes the open tuplet: bars, blanks, ends of line and fields end a
  // tuplet early; rests and grace notes inside it do not.
  void EndTuplet();
  // One member (note, rest or chord) has been placed: the tuplet closes after its last.
  void CountTupletMember();
  // Puts the clef and key at the front of a row that has none yet.
  void EnsureClefKey(TScoreLine& row);
  // A new beam group, starting with the held symbol.
  void OpenBeam();
  // A beamable note or chord: held when it may start a run, else added to the run's
  // group (opened with the held symbol when this is the second).
  void JoinBeamRun(std::unique_ptr<TGenNote> symbol);
  // Into the open tuplet, else into the row.
  void Append(std::unique_ptr<TScoreSymbol> symbol);
  // A note's length in eighth notes, after broken rhythm and the tune's unit length.
  void EighthLength(const TAbcNote& note, int& num, int& den) const;
  // One bar of the current meter in eighth notes; 4/4 without a meter.
  void BarLength(int& num, int& den) const;
  // Whether a rest of num/den eighths fills a bar of the current meter.
  bool FillsBar(int num, int den) const;
  // A placed head of a tied or tying note: the arc from the head it continues, and
  // the head kept for the next note or chord.
  void TieHead(const TAbcNote& note, TSimpleNote* head);

  std::unique_ptr<TGenNote> Held;
  TScoreLine* Row = nullptr;
  int TupletLeft = 0;
  int BeamCount = 0;
  bool Continued = false;
  int Key = 0;
  bool keySeen_ = false;
  std::unique_ptr<TGrpTuplet> Tuplet;  // open, not yet in its row
  TGroupNote* Beam = nullptr;
  TGroupGrace* Grace = nullptr;
  std::unique_ptr<TMultiNote> Chord;
  bool graceMode_ = false;
  bool chordMode_ = false;
  // The unit note length's denominator: the L: field, else the latest meter's default.
  int unitDen_ = 8;
  bool unitGiven_ = false;
  // The current meter, for rests that fill a bar (0/0 before any).
  int meterNum_ = 0;
  int meterDen_ = 0;
  // A broken-rhythm sign since the last note: the next note is the pair's second.
  bool afterBrokenSign_ = false;
  // A head that a "-" ties to the next note or chord, with the row it stands in.
  struct TieStart {
    const TSimpleNote* head;
    TScoreLine* row;
  };
  TieBoard<TieStart> ties_;
  // The chord's notes and heads, tied once the chord is placed (a chord never closed is dropped).
  std::vector<std::pair<const TAbcNote*, TSimpleNote*>> chordHeads_;
  // The last bar or ending with no note, key or meter after it.
  TSymbBarre* lastBar_ = nullptr;
  // No bar or ending written since the last note, rest, chord, grace group or tuplet
  // (or since the start).
  bool noteSinceBar_ = true;
  // The key before a change between rows, for the next row's naturals (0: none).
  int keyBefore_ = 0;
};

}  // namespace rq
