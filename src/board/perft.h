// Leaf counting over the legal move tree, the usual check of a move generator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/position.h"

namespace tarn {

// Number of leaf nodes of the legal move tree of the given depth (>= 1).
uint64_t perft(const Position& pos, int depth);

struct PerftDivision {
  Move move;
  uint64_t nodes;
};

// Per root move counts at `depth` (>= 1), in generation order.
std::vector<PerftDivision> perftDivide(const Position& pos, int depth);

// The report perft-debugging tools read: "e2e4: 20" lines, a blank line and
// "Nodes searched: N".
std::string perftReport(const Position& pos, int depth);

}  // namespace tarn
