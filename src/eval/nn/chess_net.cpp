#include "eval/nn/chess_net.h"

#include <cstring>

#include "eval/nn/features.h"
#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"
#include "eval/nn/material_counts.h"

namespace tarn::nn {

ChessNet::ChessNet() : ChessBaseNet("General", InputKind::OneView, 640, 532, 20) { usesPawnInput_ = true; }

void ChessNet::buildLayers() {
  ownFeatures_ = GeneralOwnFeatures;
  otherFeatures_ = GeneralOtherFeatures;
  ChessBaseNet::buildLayers();
  buildFeatureTable();
  appendLayer(ownFeatures_ + otherFeatures_ + 1, 640, false, true);
  appendLayer(320, 16, true, false);
  appendLayer(320, 16, true, false);
  appendLayer(32, 16, false, false);
  appendLayer(16, 1, true, false);
  allocateParameters();
}

bool ChessNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  if (m.pawnsOnBoard() == 0) return false;
  return m.piecesOnBoard() >= 4 || (m.piecesOnBoard() >= 3 && m.ofType(Queen) >= 2);
}

int ChessNet::Forward(int16_t* activations) const {
  Accumulator acc;
  std::memcpy(acc.values, activations, sizeof(acc.values));
  return forwardWithPawnInput<ActiveKernels>(*this, acc, nullptr);
}

int ChessNet::evaluateWithPawnInput(const Accumulator& acc, const PawnNetEntry* pawnEntry) const {
  return forwardWithPawnInput<ActiveKernels>(*this, acc, pawnEntry);
}

int ChessNet::featureIndex(int pieceType, Color c, int square, bool mirrored) const {
  return generalFeatureIndex(pieceType, c, square, mirrored);
}

}  // namespace tarn::nn
