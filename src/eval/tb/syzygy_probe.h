// The probing algorithms on our positions: the raw table look-ups, the capture
// and en-passant resolution around them, distance to zeroing with its one-ply
// search, and the choice of a root move.
//
// Tables store some values only as lower bounds (where a capture is best) and
// know nothing of en passant, so every answer here comes from the table value
// combined with a search over the captures. Any missing or damaged table on
// the way makes the whole probe fail: nothing is guessed.
#pragma once

#include "board/position.h"

namespace tarn::syzygy {

// Failure of a probe (a needed table is missing or unusable).
constexpr int ProbeFailed = -1000000;

// -2..2 for the side to move, the fifty-move counter taken as 0; ProbeFailed.
// `zeroingBest`, when given, tells whether a capture (or the en-passant
// capture) is what achieves the value.
int probeWdlValue(const Position& pos, bool* zeroingBest = nullptr);

// Signed distance to zeroing in plies (positive when the side to move wins,
// beyond 100 for results the fifty-move rule spoils); ProbeFailed.
int probeDtzValue(const Position& pos);

// The root probe: the position's distance to zeroing and the move that keeps
// its result best (NullMove when there is no legal move); false when it fails.
bool probeRootMove(const Position& pos, Move& move, int& dtz);

}  // namespace tarn::syzygy
