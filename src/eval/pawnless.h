// Endings without pawns, scored by rules: mating patterns drive the weak king to
// the edge, and balances known to be drawish are scaled down.
#pragma once

#include "board/position.h"

namespace tarn {

// Side-to-move score of a position without pawns.
int evaluatePawnless(const Position& pos);

}  // namespace tarn
