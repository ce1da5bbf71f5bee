// Base of the two-view (symmetric) networks: each side sees the board from its
// own side, with its own pieces in the own section of the inputs and the
// opponent's in the other section. Both views share the input layer and the
// first hidden layer, so a position and its colour-flipped twin with the other
// side to move give the same two views, exchanged.
#pragma once

#include <string>

#include "eval/nn/chess_base_net.h"
#include "eval/nn/features.h"

namespace tarn::nn {

class SymNet : public ChessBaseNet {
 public:
  SymNet(std::string name, InputKind kind, int viewWidth, PieceTypeSlots slots, int maxImbalance = Unlimited,
         int outputScale = 21);

  void buildFeatureTable() override;
  int Forward(int16_t* activations) const override;
  // The two-view classes take their inputs from the feature table alone.
  int featureIndex(int pieceType, Color c, int square, bool mirrored) const override { return 0; }

  int pieceTypeA() const { return slots_.a; }
  int pieceTypeB() const { return slots_.b; }
  int pieceTypeC() const { return slots_.c; }

 protected:
  // Feature counts, feature table and the four layers of an evaluation network:
  // inputs → viewWidth per view, viewWidth → 16 per view, 32 → 16, 16 → 1.
  void buildEvaluationLayers(int ownFeatures, int otherFeatures);

  PieceTypeSlots slots_;
};

}  // namespace tarn::nn
