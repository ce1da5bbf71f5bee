#include "board/position.h"

#include <algorithm>

#include "board/attacks.h"
#include "board/zobrist.h"

namespace tarn {

int32_t pieceSquareTable[14][64];

namespace {

// King and rook destinations of the four castlings, as files.
constexpr int KingDestinationFile[4] = {6, 2, 6, 2};
constexpr int RookDestinationFile[4] = {5, 3, 5, 3};

// Blockers of colour `us`'s king and the enemy sliders pinning our pieces.
void computeLinesToKing(Position& pos, Color us) {
  const Color them = ~us;
  pos.blockers[us] = 0;
  pos.pinners[them] = 0;
  if (!hasPieces(pos.material[them])) return;
  const int k = pos.kingSquare[us];
  Bitboard candidates = (attackTables.rookRays[k] & pos.pieces(them, Rook, Queen)) |
                        (attackTables.bishopRays[k] & pos.pieces(them, Bishop, Queen));
  while (candidates) {
    const int s = popLowest(candidates);
    const Bitboard inBetween = between(s, k) & pos.occupied;
    if (inBetween && !moreThanOne(inBetween)) {
      pos.blockers[us] |= inBetween;
      if (inBetween & pos.colourBB[us]) pos.pinners[them] |= bit(s);
    }
  }
}

}  // namespace

void CastlingSetup::clear() {
  for (int i = 0; i < 4; ++i) {
    path[i] = 0;
    rookSquare[i] = NoSquare;
  }
  rookMask = 0;
}

void CastlingSetup::rebuildMask() {
  rookMask = 0;
  for (Square s : rookSquare)
    if (s != NoSquare) rookMask |= bit(s);
}

void CastlingSetup::setRook(int index, int kingSquare, int rookSq) {
  rookSquare[index] = Square(rookSq);
  rebuildMask();
  const int row = rowOf(rookSq);
  const int kingTo = makeSquare(KingDestinationFile[index], row);
  const int rookTo = makeSquare(RookDestinationFile[index], row);
  const int lo = std::min(std::min(kingSquare, rookSq), std::min(kingTo, rookTo));
  const int hi = std::max(std::max(kingSquare, rookSq), std::max(kingTo, rookTo));
  Bitboard p = 0;
  for (int s = lo; s <= hi; ++s) p |= bit(s);
  path[index] = p & ~bit(kingSquare) & ~bit(rookSq);
}

Key computeHashKey(const Position& pos, Color side, int epSquare, int castlingRights) {
  Key k = zobrist.castleKey[castlingRights];
  for (int s = 0; s < 64; ++s)
    if (pos.board[s] != Empty) k ^= zobrist.pieceKey[pos.board[s]][s];
  if (epSquare < NoSquare) k ^= zobrist.epKey[epSquare];
  if (side == Black) k ^= zobrist.sideKey;
  return k;
}

Key computePawnKey(const Position& pos) {
  Key k = 0;
  for (int s = 0; s < 64; ++s)
    if (pos.board[s] != Empty && typeOf(pos.board[s]) == Pawn) k ^= zobrist.pieceKey[pos.board[s]][s];
  return k;
}

void computeBlockersAndPinners(Position& pos) {
  computeLinesToKing(pos, White);
  computeLinesToKing(pos, Black);
}

void refreshPosition(Position& pos) {
  for (Bitboard& b : pos.pieceBB) b = 0;
  pos.colourBB[White] = pos.colourBB[Black] = 0;
  pos.material[White] = pos.material[Black] = MaterialCount{0, 0};
  pos.psqScore = 0;
  pos.kingSquare[White] = pos.kingSquare[Black] = 0;
  bool kingSeen[2] = {false, false};

  for (int s = 0; s < 64; ++s) {
    const PieceCode p = pos.board[s];
    if (p == Empty) continue;
    const Color c = colorOf(p);
    const int t = typeOf(p);
    pos.pieceBB[t] |= bit(s);
    pos.colourBB[c] |= bit(s);
    if (t != King) {
      MaterialCount& m = pos.material[c];
      m.signature = uint16_t(m.signature + SignatureStep[t]);
      m.weight = uint16_t((m.weight & ~WeightValueMask) | ((m.weight + PieceValue[t] / 2) & WeightValueMask));
      if (t != Pawn) m.weight = uint16_t(m.weight + WeightPieceUnit);
    } else if (!kingSeen[c]) {
      kingSeen[c] = true;
      pos.kingSquare[c] = Square(s);
    }
    if (t != Pawn) pos.psqScore += pieceSquareTable[p][s];
  }
  pos.occupied = pos.colourBB[White] | pos.colourBB[Black];

  const Color us = pos.sideToMove, them = ~us;
  const int k = pos.kingSquare[us];
  pos.checkers = kingSeen[us] ? ((rookAttacks(k, pos.occupied) & pos.pieces(them, Rook, Queen)) |
                                 (bishopAttacks(k, pos.occupied) & pos.pieces(them, Bishop, Queen)) |
                                 (knightAttacks(k) & pos.pieces(them, Knight)) |
                                 (pawnAttackers(them, k) & pos.pieces(them, Pawn)))
                              : 0;
  pos.key = computeHashKey(pos, pos.sideToMove, pos.epSquare, pos.castlingRights);
  pos.pawnKey = computePawnKey(pos);
  computeBlockersAndPinners(pos);
}

}  // namespace tarn
