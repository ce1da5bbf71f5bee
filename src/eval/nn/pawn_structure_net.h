// The auxiliary pawn-structure network: two views of the pawns, the kings and
// twenty material inputs, one linear hidden layer. It has no output of its own;
// the general network adds its hidden values (through the pawn-structure cache).
#pragma once

#include "eval/nn/sym_net.h"

namespace tarn::nn {

class PawnStructureNet : public SymNet {
 public:
  PawnStructureNet();
  void buildLayers() override;
  // Never in the selection list; it serves every position the general network sees.
  bool Applies(const Position& pos) const override { return true; }
  // Its result is a vector (see computePawnStructure), not one value.
  int Forward(int16_t* activations) const override { return 0; }
};

}  // namespace tarn::nn
