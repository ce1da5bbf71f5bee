// Building and maintaining accumulators: the per-node hot path.
//
// These functions take the network as a plain ChessBaseNet and branch on its
// input kind, so the search pays no virtual call per node. They are templates on
// the kernel set (ScalarKernels, Avx2Kernels) so that tests and benchmarks can
// run both; the engine uses ActiveKernels.
//
// Incremental update after a move. With P the moving piece, X the code on the
// target square and c the side that moved, the parent's accumulator becomes the
// child's by: removing P on from and X on to (or the pawn taken en passant behind
// the target), adding P — or the promotion piece of colour c — on to, and moving
// the side-to-move input. A full refresh is needed instead when the mirroring of
// a view changes (the White king crossing between files d and e; in two-view
// networks also the Black king) and on castling (the king moving onto its own
// rook), which moves two pieces.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "eval/nn/accumulator.h"
#include "eval/nn/chess_base_net.h"

namespace tarn::nn {

// Active inputs per view (view 1 unused for the one-view network): one per
// occupied square, however odd the set-up position, plus the side-to-move input
// or the twenty material inputs.
constexpr int MaxActiveFeatures = 64 + 20;

struct ActiveFeatures {
  int count[2];
  int16_t index[2][MaxActiveFeatures];
};

void collectActiveFeatures(const ChessBaseNet& net, const Position& pos, ActiveFeatures& features);

// acc = biases + rows of all active features, per view.
template <class K>
void refreshAccumulator(const ChessBaseNet& net, const Position& pos, Accumulator& acc);

// acc holds the parent's accumulator (for `before`); brings it to `after`.
// A null move is passed on to flipSideToMove.
template <class K>
void updateAccumulator(const ChessBaseNet& net, Move move, const Position& before, Accumulator& acc,
                       const Position& after);

// After a null move: moves the side-to-move input to `newSide`'s view (one view:
// switches input 704 on for Black to move, off for White).
template <class K>
void flipSideToMove(const ChessBaseNet& net, Color newSide, Accumulator& acc);

}  // namespace tarn::nn
