// Repetition, the fifty-move rule and insufficient material.
#pragma once

#include "board/position.h"

namespace tarn {

constexpr int FiftyMoveLimit = 100;           // half-moves
constexpr int InsufficientMaterialWeight = 266;  // half a rook: a lone minor piece is below it

// How many earlier positions of the game, same side to move and within the
// reversible part, have this position's key. `history[p]` is the key at ply p.
int repetitionCount(const Position& pos, const Key* history);

// Fifty moves as the game sees it: the counter has reached 100.
inline bool fiftyMoveRuleReached(const Position& pos) { return pos.fiftyCounter >= FiftyMoveLimit; }

// The game's draw: no pawns, both sides below half a rook, at most one minor piece in all.
bool insufficientMaterial(const Position& pos);

// The search's draw: no pawns, both sides below half a rook, side to move not in check
// (so a minor piece each also counts).
bool insufficientMaterialInSearch(const Position& pos);

}  // namespace tarn
