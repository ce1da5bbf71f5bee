// Squares from which each piece type of the side to move would give check.
#pragma once

#include "board/attacks.h"
#include "board/position.h"

namespace tarn {

// Indexed by piece type pawn..queen: where a piece of that type belonging to the
// side to move would attack the enemy king, with the current occupancy.
struct CheckInfo {
  Bitboard squares[5];
};

inline void buildCheckInfo(const Position& pos, CheckInfo& ci) {
  const Color us = pos.sideToMove;
  const int k = pos.kingSquare[~us];
  ci.squares[Pawn] = pawnAttackers(us, k);
  ci.squares[Knight] = knightAttacks(k);
  ci.squares[Bishop] = bishopAttacks(k, pos.occupied);
  ci.squares[Rook] = rookAttacks(k, pos.occupied);
  ci.squares[Queen] = ci.squares[Bishop] | ci.squares[Rook];
}

}  // namespace tarn
