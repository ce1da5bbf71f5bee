// A network with a chess input encoding: the feature table that maps every
// (piece, square, mirroring) to input rows, the accumulator geometry, and the
// constants the evaluation reads after selection.
//
// Feature table: int16 [14][512], row = piece code (colour × 8 + type; rows 6, 7
// unused). One-view networks: column s holds the input for square s unmirrored,
// column 64 + s mirrored. Two-view networks: column f = s + 64 × m0 + 128 × m1
// (m0, m1 = whether view 0, view 1 is mirrored) holds a pair at 2f and 2f + 1:
// the input in view 0, then in view 1. NoFeature (−1) marks pieces the network
// has no input for; they are skipped, so a network fed a position outside its
// selection rule still evaluates safely (to a meaningless value).
#pragma once

#include <climits>
#include <cstdint>
#include <string>

#include "eval/nn/neural_net_base.h"

namespace tarn::nn {

// How a network's inputs are laid out; the hot paths branch on this, not on virtual calls.
enum class InputKind : uint8_t {
  OneView,        // the general network
  TwoViews,       // the endgame networks
  PawnStructure,  // two views, pawns and kings only, no side-to-move input, 20 material inputs
};

constexpr int32_t Unlimited = INT_MAX;

class ChessBaseNet : public NeuralNetBase {
 public:
  ChessBaseNet(std::string name, InputKind kind, int viewWidth, int maxImbalance, int outputScale);

  // Only sets the accumulator length; concrete classes do the rest and call this.
  void buildLayers() override;
  void refreshAccumulator(const Position& pos, Accumulator& acc) const override;
  // With no dense vector: adds the rows of all active features to `acc`. With one:
  // sets the active inputs to 1 instead ([view][inputCount] bytes, zeroed by the caller).
  virtual void AddFeatures(const Position& pos, uint8_t* denseInput, Accumulator* acc, const Layer& inputLayer) const;
  virtual void buildFeatureTable();
  // Input of a piece for the one-view encoding; meaningful only in the general network.
  virtual int featureIndex(int pieceType, Color c, int square, bool mirrored) const = 0;

  // ---- Constants and geometry ----
  InputKind inputKind() const { return kind_; }
  bool twoViews() const { return kind_ != InputKind::OneView; }
  bool usesPawnInput() const { return usesPawnInput_; }
  int viewWidth() const { return viewWidth_; }
  int maxImbalance() const { return maxImbalance_; }
  int outputScale() const { return outputScale_; }
  int ownFeatures() const { return ownFeatures_; }
  int otherFeatures() const { return otherFeatures_; }
  int accumulatorLength() const { return accumulatorLength_; }
  int sideToMoveInput() const { return ownFeatures_ + otherFeatures_; }
  const int16_t (*featureTable() const)[512] { return featureTable_; }

  // ---- Input layer ----
  const int16_t* inputRow(int input) const { return layer(0).inputRow(input); }
  const int16_t* inputBiases() const { return layer(0).biasValues(); }

 protected:
  InputKind kind_;
  bool usesPawnInput_ = false;
  int32_t viewWidth_;
  int32_t maxImbalance_;
  int32_t outputScale_;
  int32_t ownFeatures_ = 0;
  int32_t otherFeatures_ = 0;
  int32_t accumulatorLength_ = 0;
  int16_t featureTable_[14][512];
};

}  // namespace tarn::nn
