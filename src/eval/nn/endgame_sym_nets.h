// The specialised two-view networks, one class per family of endings. Each
// declares which piece types it tells apart (and so how many inputs it has) and
// the material it evaluates; every rule requires pawns on the board.
#pragma once

#include "eval/nn/sym_net.h"

namespace tarn::nn {

// Kings and pawns only.
class PawnKingNet : public SymNet {
 public:
  PawnKingNet();
  void buildLayers() override;
  bool Applies(const Position& pos) const override;
};

// At most one piece per side, at least one in all, every piece of one type; for
// bishops, `oppositeBishops` must match whether both sides have one and they
// stand on squares of different colours.
class OnePieceSymNet : public SymNet {
 public:
  OnePieceSymNet(int pieceType, bool oppositeBishops);
  void buildLayers() override;
  bool Applies(const Position& pos) const override;
  bool oppositeBishops() const { return oppositeBishops_; }

 private:
  bool oppositeBishops_;
};

// One side's pieces are all of type A, the other's all of type B, at most
// maxCount of each: the sides differ in their count of A and in their count of B.
class DiffPieceSymNet : public SymNet {
 public:
  DiffPieceSymNet(int pieceTypeA, int pieceTypeB, int maxCount);
  void buildLayers() override;
  bool Applies(const Position& pos) const override;
  int maxCount() const { return maxCount_; }

 private:
  int maxCount_;
};

// A queen against at most 876 of non-pawn material (rooks, bishops, knights).
class GeneralQueenEndgameSymNet : public SymNet {
 public:
  GeneralQueenEndgameSymNet();
  void buildLayers() override;
  bool Applies(const Position& pos) const override;
};

// No queens, more than one piece in all and at most two per side.
class GeneralEndgameSymNet : public SymNet {
 public:
  GeneralEndgameSymNet();
  void buildLayers() override;
  bool Applies(const Position& pos) const override;
};

}  // namespace tarn::nn
