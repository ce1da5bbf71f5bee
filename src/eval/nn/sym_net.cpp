#include "eval/nn/sym_net.h"

#include <cstring>
#include <utility>

#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"

namespace tarn::nn {

SymNet::SymNet(std::string name, InputKind kind, int viewWidth, PieceTypeSlots slots, int maxImbalance, int outputScale)
    : ChessBaseNet(std::move(name), kind, viewWidth, maxImbalance, outputScale), slots_(slots) {}

void SymNet::buildFeatureTable() {
  for (auto& row : featureTable_)
    for (int16_t& entry : row) entry = NoFeature;
  for (int c = White; c <= Black; ++c)
    for (int type = Pawn; type <= King; ++type) {
      const PieceCode code = makePiece(Color(c), type);
      for (int mirrors = 0; mirrors < 4; ++mirrors)
        for (int s = 0; s < 64; ++s) {
          const int column = s + 64 * mirrors;
          const int ownerSquare = c == Black ? s ^ 56 : s;
          for (int v = 0; v < 2; ++v) {
            const bool mirrored = (mirrors >> v) & 1;
            const int viewSquare = mirrored ? ownerSquare ^ 7 : ownerSquare;
            featureTable_[code][2 * column + v] =
                int16_t(twoViewFeatureIndex(type, viewSquare, v == c, slots_, ownFeatures_, otherFeatures_));
          }
        }
    }
}

int SymNet::Forward(int16_t* activations) const {
  Accumulator acc;
  std::memcpy(acc.values, activations, sizeof(acc.values));
  return forwardTwoView<ActiveKernels>(*this, acc);
}

void SymNet::buildEvaluationLayers(int ownFeatures, int otherFeatures) {
  ownFeatures_ = ownFeatures;
  otherFeatures_ = otherFeatures;
  ChessBaseNet::buildLayers();
  buildFeatureTable();
  appendLayer(ownFeatures + otherFeatures + 1, viewWidth_, false, true);
  appendLayer(viewWidth_, 16, false, false);
  appendLayer(32, 16, false, false);
  appendLayer(16, 1, true, false);
  allocateParameters();
}

}  // namespace tarn::nn
