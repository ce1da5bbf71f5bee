// The pawn-structure network cache of one search thread.
//
// The pawn-structure network's outputs depend only on the pawns, both king
// squares, the castling rights and the material (through the material key), so
// they are computed once per such combination and kept in a 65,536-entry table
// of 64-byte entries. Key:
//   pawnKey ^ pieceKey[White king][square] ^ pieceKey[Black king][square]
//   ^ castleKey[rights] ^ (m << 32) ^ (m >> 15) ^ m,   m = material key (u32)
// The entry index is the low 16 bits; the entry's check holds the upper 32.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "eval/nn/pawn_net_entry.h"

namespace tarn::nn {

constexpr int PawnNetCacheSize = 65536;

// Owned by the evaluation context; 4 MB, so allocate it on the heap.
struct PawnNetCache {
  PawnNetEntry entries[PawnNetCacheSize];

  // Forgets every entry; with the other hash tables at a new game.
  void clear();
};

uint64_t pawnNetKey(const Position& pos, uint32_t materialKey);

// The entry for the position, computed with the process-wide pawn-structure
// network on a miss.
const PawnNetEntry& getPawnInput(PawnNetCache& cache, const Position& pos, uint32_t materialKey);

}  // namespace tarn::nn
