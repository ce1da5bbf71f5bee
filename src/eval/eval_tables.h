// Tables the evaluation builds once at start-up: the piece-square table (kept in
// the position record's running sum) and the pawn-structure masks.
#pragma once

#include "board/types.h"
#include "eval/packed_score.h"

namespace tarn {

struct EvalMasks {
  Bitboard adjacentFiles[8];
  Bitboard forwardFile[2][64];     // squares in front of s on its file, from colour c's side
  Bitboard passedSpan[2][64];      // forward squares on s's file and the adjacent files
  Bitboard attackSpan[2][64];      // forward squares on the adjacent files only
  Bitboard shelterZone[2][64];     // files around a king on s, ranks in front of it
};

extern EvalMasks evalMasks;

// Square of s as seen from colour c's side (rank flip for Black).
constexpr int relativeSquare(Color c, int s) { return c == White ? s : s ^ 56; }
// Index into a 32-entry square group for a piece of colour c on s.
constexpr int squareGroupIndex(Color c, int s) {
  const int r = relativeSquare(c, s);
  const int f = fileOf(r);
  return rowOf(r) * 4 + (f < 4 ? f : 7 - f);
}

// Builds the masks and the piece-square table from the current parameters.
void initEvalTables();

}  // namespace tarn
