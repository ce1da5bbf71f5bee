#include "eval/nn/pawn_net_cache.h"

#include <cstring>

#include "board/zobrist.h"
#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"
#include "eval/nn/network_set.h"

namespace tarn::nn {

void PawnNetCache::clear() { std::memset(entries, 0, sizeof(entries)); }

uint64_t pawnNetKey(const Position& pos, uint32_t materialKey) {
  const uint64_t m = materialKey;
  return pos.pawnKey ^ zobrist.pieceKey[WKing][pos.kingSquare[White]] ^ zobrist.pieceKey[BKing][pos.kingSquare[Black]] ^
         zobrist.castleKey[pos.castlingRights] ^ (m << 32) ^ (m >> 15) ^ m;
}

const PawnNetEntry& getPawnInput(PawnNetCache& cache, const Position& pos, uint32_t materialKey) {
  const uint64_t key = pawnNetKey(pos, materialKey);
  PawnNetEntry& entry = cache.entries[key & (PawnNetCacheSize - 1)];
  const uint32_t check = uint32_t(key >> 32);
  if (entry.filled && entry.check == check) return entry;
  computePawnStructure<ActiveKernels>(networks().pawnNet(), pos, entry);
  entry.check = check;
  entry.filled = 1;
  return entry;
}

}  // namespace tarn::nn
