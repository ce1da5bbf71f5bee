// Making moves in place: copy-make, there is no unmake.
//
// A caller that needs the position before the move keeps a copy of the record
// and copies it back. All key, material and score changes are incremental.
#pragma once

#include <cstdint>

#include "board/check_info.h"
#include "board/position.h"

namespace tarn {

// Where make-move prefetches the transposition-table bucket of the new position.
struct PrefetchHandle {
  const void* base;  // first bucket
  uint64_t mask;     // bucket index mask; buckets are 64 bytes
};

// Plays a pseudo-legal, legal move. `newCheckers` is what givesCheck returned for
// it; the result is the new position's checkers.
Bitboard makeMove(Position& pos, Move m, Bitboard newCheckers, const PrefetchHandle* table = nullptr);

// makeMove for callers where speed does not matter: works out the checkers itself.
Bitboard makeMoveChecked(Position& pos, Move m);

// Passes the move to the opponent; only made by a side not in check.
void makeNullMove(Position& pos);

// Pieces that will give check after the move (0 when none). Call before makeMove.
Bitboard givesCheck(const Position& pos, Move m, const CheckInfo& ci);

}  // namespace tarn
