// The general network: one view of 705 inputs, mirrored by the White king, a
// 640-wide input layer split into two halves of 320, and the pawn-structure
// network's outputs joining after the first hidden layers.
#pragma once

#include "eval/nn/chess_base_net.h"

namespace tarn::nn {

class ChessNet : public ChessBaseNet {
 public:
  ChessNet();

  void buildLayers() override;
  // Pawns on the board and at least 4 pieces, or at least 3 with two or more queens.
  bool Applies(const Position& pos) const override;
  // The stack is not a plain chain: Forward runs the pawn-input pass with no pawn input.
  int Forward(int16_t* activations) const override;
  int evaluateWithPawnInput(const Accumulator& acc, const PawnNetEntry* pawnEntry) const override;
  int featureIndex(int pieceType, Color c, int square, bool mirrored) const override;
};

}  // namespace tarn::nn
