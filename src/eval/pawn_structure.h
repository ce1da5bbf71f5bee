// Pawn structure: the per-colour pawn score and the pawn facts the other terms
// use, cached by pawn key because pawns move rarely.
#pragma once

#include <cstdint>
#include <memory>

#include "board/position.h"
#include "eval/packed_score.h"

namespace tarn {

struct PawnEntry {
  uint32_t check;                // upper half of the pawn key
  PackedScore score[2];          // pawn material, squares and structure, own point of view
  uint8_t halfOpenFiles[2];      // files without a pawn of that colour
  uint8_t halfOpenCount[2];
  Bitboard blocked;              // pawns with a pawn of either colour right in front
  Bitboard passed[2];
  Bitboard attacks[2];           // squares the colour's pawns attack
  Bitboard attackSpan[2];        // squares the colour's pawns may ever attack
  int8_t shelterKing[2];         // king square the cached shelter belongs to, -1 for none
  int16_t shelterValue[2];
  uint32_t unused;
};
static_assert(sizeof(PawnEntry) == 88, "pawn cache entries are 88 bytes");

class PawnCache {
 public:
  static constexpr int Size = 65536;
  PawnCache();
  void clear();
  PawnEntry& probe(const Position& pos);

 private:
  std::unique_ptr<PawnEntry[]> entries;
};

}  // namespace tarn
