// Piece counts of both colours as the selection rules read them: from the
// position's material words, not from the bitboards, so that selection agrees with
// the material key the evaluation caches it under.
#pragma once

#include "board/position.h"

namespace tarn::nn {

struct MaterialCounts {
  int count[2][5];  // [colour][pawn..queen], from the signature word's fields
  int pieces[2];    // non-pawn pieces, kings not counted
  int nonPawn[2];   // non-pawn material in full units

  explicit MaterialCounts(const Position& pos) {
    for (int c = 0; c < 2; ++c) {
      const unsigned signature = pos.material[c].signature;
      const unsigned weight = pos.material[c].weight;
      count[c][Pawn] = int(signature & 15);
      count[c][Knight] = int((signature >> 4) & 7);
      count[c][Bishop] = int((signature >> 7) & 7);
      count[c][Rook] = int((signature >> 10) & 7);
      count[c][Queen] = int((signature >> 13) & 7);
      pieces[c] = int(weight >> 12);
      nonPawn[c] = 2 * int(weight & WeightValueMask) - PieceValue[Pawn] * count[c][Pawn];
    }
  }

  int pawnsOnBoard() const { return count[White][Pawn] + count[Black][Pawn]; }
  int piecesOnBoard() const { return pieces[White] + pieces[Black]; }
  int ofType(int type) const { return count[White][type] + count[Black][type]; }
};

}  // namespace tarn::nn
