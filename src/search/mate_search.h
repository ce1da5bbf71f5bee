// Mate-in-one finders for the search's shortcuts and mate-threat detection.
#pragma once

#include "board/position.h"

namespace tarn {

// A legal move of the side to move (not in check) that checkmates, or NullMove.
Move findMateInOne(const Position& pos);

// Whether `m` is legal in `pos` and checkmates.
bool isMatingMove(const Position& pos, Move m);

}  // namespace tarn
