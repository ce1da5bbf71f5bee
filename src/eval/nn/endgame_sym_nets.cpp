#include "eval/nn/endgame_sym_nets.h"

#include <string>

#include "board/attacks.h"
#include "eval/nn/material_counts.h"

namespace tarn::nn {

namespace {

constexpr const char* PieceName[6] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};

// Section sizes by how many piece types besides pawn and king have their own inputs.
constexpr int OwnFeaturesFor[5] = {80, 144, 208, 272, 336};
constexpr int OtherFeaturesFor[5] = {112, 176, 240, 304, 368};

bool bishopsOnOppositeColours(const Position& pos) {
  const Bitboard white = pos.pieces(White, Bishop), black = pos.pieces(Black, Bishop);
  return white && black && ((white & DarkSquares) != 0) != ((black & DarkSquares) != 0);
}

}  // namespace

// ---- PawnKingNet ----

PawnKingNet::PawnKingNet() : SymNet("PawnKingEndgame", InputKind::TwoViews, 256, {}) {}

void PawnKingNet::buildLayers() { buildEvaluationLayers(OwnFeaturesFor[0], OtherFeaturesFor[0]); }

bool PawnKingNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  return m.pawnsOnBoard() > 0 && m.piecesOnBoard() == 0;
}

// ---- OnePieceSymNet ----

OnePieceSymNet::OnePieceSymNet(int pieceType, bool oppositeBishops)
    : SymNet(std::string(oppositeBishops ? "Opposite" : "") + PieceName[pieceType] + "Endgame", InputKind::TwoViews,
             256, {pieceType, NoPieceType, NoPieceType}, pieceType == Queen ? 932 : Unlimited),
      oppositeBishops_(oppositeBishops) {}

void OnePieceSymNet::buildLayers() { buildEvaluationLayers(OwnFeaturesFor[1], OtherFeaturesFor[1]); }

bool OnePieceSymNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  if (m.pawnsOnBoard() == 0) return false;
  if (m.pieces[White] > 1 || m.pieces[Black] > 1 || m.piecesOnBoard() == 0) return false;
  if (m.ofType(slots_.a) != m.piecesOnBoard()) return false;
  return slots_.a != Bishop || bishopsOnOppositeColours(pos) == oppositeBishops_;
}

// ---- DiffPieceSymNet ----

DiffPieceSymNet::DiffPieceSymNet(int pieceTypeA, int pieceTypeB, int maxCount)
    : SymNet(std::string(PieceName[pieceTypeA]) + PieceName[pieceTypeB] + "Endgame", InputKind::TwoViews, 256,
             {pieceTypeA, pieceTypeB, NoPieceType}),
      maxCount_(maxCount) {}

void DiffPieceSymNet::buildLayers() { buildEvaluationLayers(OwnFeaturesFor[2], OtherFeaturesFor[2]); }

bool DiffPieceSymNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  if (m.pawnsOnBoard() == 0) return false;
  const int a = slots_.a, b = slots_.b;
  for (int c = White; c <= Black; ++c) {
    const int pieces = m.pieces[c];
    if (pieces == 0) return false;
    // All of type A or all of type B.
    if (m.count[c][a] != pieces && m.count[c][b] != pieces) return false;
    if (m.count[c][a] > maxCount_ || m.count[c][b] > maxCount_) return false;
  }
  return m.count[White][a] != m.count[Black][a] && m.count[White][b] != m.count[Black][b];
}

// ---- GeneralQueenEndgameSymNet ----

GeneralQueenEndgameSymNet::GeneralQueenEndgameSymNet()
    : SymNet("GeneralQueenEndgame", InputKind::TwoViews, 256, {Queen, Rook, Bishop}) {}

void GeneralQueenEndgameSymNet::buildLayers() { buildEvaluationLayers(OwnFeaturesFor[4], OtherFeaturesFor[4]); }

bool GeneralQueenEndgameSymNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  if (m.pawnsOnBoard() == 0) return false;
  const int white = m.nonPawn[White], black = m.nonPawn[Black];
  const auto queenAgainst = [](int queenSide, int other) {
    return queenSide == PieceValue[Queen] && other >= 1 && other <= 876;
  };
  return white != black && (queenAgainst(white, black) || queenAgainst(black, white));
}

// ---- GeneralEndgameSymNet ----

GeneralEndgameSymNet::GeneralEndgameSymNet()
    : SymNet("GeneralEndgame", InputKind::TwoViews, 288, {Rook, Bishop, Knight}) {}

void GeneralEndgameSymNet::buildLayers() { buildEvaluationLayers(OwnFeaturesFor[3], OtherFeaturesFor[3]); }

bool GeneralEndgameSymNet::Applies(const Position& pos) const {
  const MaterialCounts m(pos);
  return m.pawnsOnBoard() > 0 && m.ofType(Queen) == 0 && m.piecesOnBoard() > 1 && m.pieces[White] <= 2 &&
         m.pieces[Black] <= 2;
}

}  // namespace tarn::nn
