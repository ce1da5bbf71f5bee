#include "board/draw_rules.h"

#include <algorithm>

namespace tarn {

int repetitionCount(const Position& pos, const Key* history) {
  int count = 0;
  const int last = std::max(0, int(pos.ply) - int(pos.fiftyCounter));
  for (int q = int(pos.ply) - 2; q >= last; q -= 2)
    if (history[q] == pos.key) ++count;
  return count;
}

namespace {

bool bothSidesBelowHalfARook(const Position& pos) {
  return !pos.pieceBB[Pawn] && (pos.material[White].weight & WeightValueMask) < InsufficientMaterialWeight &&
         (pos.material[Black].weight & WeightValueMask) < InsufficientMaterialWeight;
}

}  // namespace

bool insufficientMaterial(const Position& pos) {
  return bothSidesBelowHalfARook(pos) && (pos.material[White].weight >> 12) + (pos.material[Black].weight >> 12) <= 1;
}

bool insufficientMaterialInSearch(const Position& pos) { return bothSidesBelowHalfARook(pos) && !pos.checkers; }

}  // namespace tarn
