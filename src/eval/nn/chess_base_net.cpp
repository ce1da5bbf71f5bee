#include "eval/nn/chess_base_net.h"

#include <cstring>
#include <utility>

#include "eval/nn/accumulator_ops.h"
#include "eval/nn/features.h"
#include "eval/nn/kernels.h"

namespace tarn::nn {

ChessBaseNet::ChessBaseNet(std::string name, InputKind kind, int viewWidth, int maxImbalance, int outputScale)
    : kind_(kind), viewWidth_(viewWidth), maxImbalance_(maxImbalance), outputScale_(outputScale) {
  name_ = std::move(name);
  for (auto& row : featureTable_)
    for (int16_t& entry : row) entry = NoFeature;
}

void ChessBaseNet::buildLayers() { accumulatorLength_ = twoViews() ? 2 * viewWidth_ : viewWidth_; }

void ChessBaseNet::refreshAccumulator(const Position& pos, Accumulator& acc) const {
  nn::refreshAccumulator<ActiveKernels>(*this, pos, acc);
}

void ChessBaseNet::AddFeatures(const Position& pos, uint8_t* denseInput, Accumulator* acc,
                               const Layer& inputLayer) const {
  ActiveFeatures features;
  collectActiveFeatures(*this, pos, features);
  const int views = twoViews() ? 2 : 1;
  for (int v = 0; v < views; ++v) {
    for (int k = 0; k < features.count[v]; ++k) {
      const int input = features.index[v][k];
      if (denseInput) {
        denseInput[v * inputCount() + input] = 1;
      } else if (acc) {
        const int16_t* row = inputLayer.inputRow(input);
        ActiveKernels::addSubRows(acc->values + v * viewWidth_, &row, 1, nullptr, 0, viewWidth_);
      }
    }
  }
}

void ChessBaseNet::buildFeatureTable() {
  for (auto& row : featureTable_)
    for (int16_t& entry : row) entry = NoFeature;
  for (int c = White; c <= Black; ++c)
    for (int type = Pawn; type <= King; ++type)
      for (int s = 0; s < 64; ++s) {
        const PieceCode code = makePiece(Color(c), type);
        featureTable_[code][s] = int16_t(featureIndex(type, Color(c), s, false));
        featureTable_[code][64 + s] = int16_t(featureIndex(type, Color(c), s, true));
      }
}

}  // namespace tarn::nn
