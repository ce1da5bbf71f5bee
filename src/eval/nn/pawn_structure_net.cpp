#include "eval/nn/pawn_structure_net.h"

#include "eval/nn/features.h"

namespace tarn::nn {

PawnStructureNet::PawnStructureNet() : SymNet("GeneralPawn", InputKind::PawnStructure, 256, {}) {}

void PawnStructureNet::buildLayers() {
  ownFeatures_ = PawnStructureOwnFeatures;
  otherFeatures_ = PawnStructureOtherFeatures;
  ChessBaseNet::buildLayers();
  buildFeatureTable();
  appendLayer(ownFeatures_ + otherFeatures_ + PawnStructureMaterialFeatures, viewWidth_, false, true);
  appendLayer(viewWidth_, 16, true, false);
  allocateParameters();
}

}  // namespace tarn::nn
