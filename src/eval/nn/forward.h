// The layers after the input layer, for the three network layouts.
//
// Two-view networks: both views of the accumulator are clamped at 0; layer 1 runs
// on view 0 (outputs 0..15) and, with the same weights, on view 1 (outputs
// 16..31); layer 2 (32 → 16) and layer 3 (16 → 1) follow. The result is the
// raw int16 output from White's point of view.
//
// General network: layer 1 on accumulator entries 0..319 and layer 2 on 320..639
// (inputs clamped at 0, both linear) give h1 and h2; the pawn-structure outputs
// of view 0 are added to h1[0..13] and those of view 1 to h2[0..13] (wrapping);
// all 32 values are clamped at 0; then layer 3 (32 → 16) and layer 4 (16 → 1).
//
// Pawn-structure network: each view of its accumulator, clamped at 0, goes
// through its linear layer 1; the first 14 outputs of each view are kept.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "eval/nn/accumulator.h"
#include "eval/nn/chess_base_net.h"
#include "eval/nn/pawn_net_entry.h"

namespace tarn::nn {

template <class K>
int forwardTwoView(const ChessBaseNet& net, const Accumulator& acc);

// A null pawn entry counts as all zeros.
template <class K>
int forwardWithPawnInput(const ChessBaseNet& net, const Accumulator& acc, const PawnNetEntry* pawnEntry);

// Fills the two 14-value halves of a pawn-structure cache entry for the position.
template <class K>
void computePawnStructure(const ChessBaseNet& pawnNet, const Position& pos, PawnNetEntry& entry);

}  // namespace tarn::nn
