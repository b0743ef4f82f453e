// Score rows as text, for abctool and tests: one line per row, one word per symbol.
#pragma once

#include <string>

#include "score/ScoreLine.h"

namespace rq {

// A symbol as a word: notes as ABC pitches with their duration index ("^c:12",
// "z:16", "Z:16" for a rest that fills its bar), chords in brackets, groups as
// beam(...), tuplet3(...), grace(...), bars as ABC bars ("||" two thin lines, "|]"
// thin and thick), "[1" for an ending, "clef", "key:2", "M:6/8", "M:C", "M:C|".
std::string DescribeSymbol(const TScoreSymbol& symbol);
// The row's symbols separated by blanks, then its ties: "tie(c:16-c:16)" between two
// heads, "tie(c:16-)" to the row's end, "tie(-c:16)" from its start.
std::string DescribeRow(const TScoreLine& row);
// Every row on its own line, numbered from 1.
std::string DescribeRows(const ScoreRows& rows);

}  // namespace rq
