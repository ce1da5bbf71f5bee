// Static exchange evaluation: does a move win at least `threshold` when both
// sides keep capturing on its destination with their least valuable piece?
#pragma once

#include "board/position.h"

namespace tarn {

bool seeAtLeast(const Position& pos, Move m, int threshold);

}  // namespace tarn
