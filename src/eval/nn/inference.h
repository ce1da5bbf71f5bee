// What the evaluation and the search call: network selection, the accumulator
// of each ply, and the raw network output.
//
// Per ply the search keeps an Accumulator and the index of the network it was
// built for. After a move it asks the evaluation for the new network index; if
// it equals the parent's, it copies the parent's accumulator and calls update,
// otherwise refresh (nothing when the index is −1). After a null move it copies
// the parent's accumulator and calls flipSideToMove. The evaluation then calls
// evaluate with the pawn-structure entry (getPawnInput) when the network
// usesPawnInput, and scales the raw output with the network's outputScale.
//
// Raw outputs are int16 values from White's point of view. Every function reads
// only the process-wide networks, which are immutable after loadNetworks, so
// search threads call them concurrently without locks.
#pragma once

#include <cassert>

#include "board/position.h"
#include "eval/nn/accumulator.h"
#include "eval/nn/accumulator_ops.h"
#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"
#include "eval/nn/network_set.h"
#include "eval/nn/pawn_net_cache.h"

namespace tarn::nn {

// ---- Selection and constants ----

// Index of the first list network whose rule applies to the position, or −1
// (always −1 without pawns). The rules read the material words and the bishops'
// square colours, which is what the material key covers.
int selectNetwork(const Position& pos);

// A list network: name(), loaded(), maxImbalance(), outputScale(), usesPawnInput().
inline const ChessBaseNet& network(int netIndex) {
  assert(netIndex >= 0 && netIndex < ListNetworkCount);
  return networks().list(netIndex);
}

// ---- Accumulators ----

inline void refresh(int netIndex, const Position& pos, Accumulator& acc) {
  refreshAccumulator<ActiveKernels>(network(netIndex), pos, acc);
}

// acc holds the parent's accumulator for the same network; `before` is the
// position the move was made in, `after` the result.
inline void update(int netIndex, Move move, const Position& before, Accumulator& acc, const Position& after) {
  updateAccumulator<ActiveKernels>(network(netIndex), move, before, acc, after);
}

// After a null move; newSide is the side to move now.
inline void flipSideToMove(int netIndex, Color newSide, Accumulator& acc) {
  flipSideToMove<ActiveKernels>(network(netIndex), newSide, acc);
}

// ---- Output ----

// The raw output. `pawnEntry` is read only by the general network (null counts as zeros).
inline int evaluate(int netIndex, const Accumulator& acc, const PawnNetEntry* pawnEntry) {
  const ChessBaseNet& net = network(netIndex);
  return net.usesPawnInput() ? forwardWithPawnInput<ActiveKernels>(net, acc, pawnEntry)
                             : forwardTwoView<ActiveKernels>(net, acc);
}

// Refresh and evaluate in one go, for callers without an accumulator at hand.
inline int evaluatePosition(int netIndex, const Position& pos, const PawnNetEntry* pawnEntry) {
  Accumulator acc;
  refresh(netIndex, pos, acc);
  return evaluate(netIndex, acc, pawnEntry);
}

}  // namespace tarn::nn
