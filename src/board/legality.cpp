#include "board/legality.h"

#include "board/attacks.h"
#include "board/movegen.h"

namespace tarn {

bool isIllegalSlow(const Position& pos, Move m) {
  const Color us = pos.sideToMove, them = ~us;
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode piece = pos.board[from];
  const int king = pos.kingSquare[us];

  if (typeOf(piece) == King) {
    if (pos.board[to] == makePiece(us, Rook)) {
      // Castling. A rook off the corner may be the only shield of the king's
      // destination against an enemy rook or queen on the same rank.
      if (!(bit(to) & Corners) && (rookAttacks(to, pos.occupied) & rankBB(rankOf(to)) & pos.pieces(them, Rook, Queen)))
        return true;
      return attackersOf(pos, castlingKingDestination(from, to), them) != 0;
    }
    // The king must not shield the square it steps to from a checking slider.
    return attackersOf(pos, to, them, ~bit(from)) != 0;
  }

  if ((pos.blockers[us] & bit(from)) && !(lineThrough(king, from) & bit(to))) return true;

  if (to == pos.epSquare && typeOf(piece) == Pawn) {
    const Bitboard occ = (pos.occupied ^ bit(from) ^ bit(to ^ 8)) | bit(to);
    return (rookAttacks(king, occ) & pos.pieces(them, Rook, Queen)) || (bishopAttacks(king, occ) & pos.pieces(them, Bishop, Queen));
  }
  return false;
}

bool isPseudoLegal(const Position& pos, Move m, bool evasion, MoveKind kind) {
  if (m == NullMove || isMarker(m) || (m & 0x4000)) return false;
  const Color us = pos.sideToMove;
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode piece = pos.board[from];
  if (piece == Empty || colorOf(piece) != us) return false;
  const int type = typeOf(piece);

  // Promotion bits only mean something on a pawn reaching the last rank.
  if (promotionCode(m) && !(type == Pawn && (bit(to) & PromotionRanks))) return false;

  if (isCastling(pos, m)) {
    if (kind == CapturesOnly || pos.checkers) return false;
    MoveList list;
    generateCastling(pos, list);
    return list.contains(m) && (!evasion || !isIllegal(pos, m));
  }

  if (evasion && type != King && pos.checkers) {
    MoveList list(PromoteAll);
    generateEvasions(pos, list);
    return list.contains(m) && !isIllegal(pos, m);
  }

  const PieceCode target = pos.board[to];
  if (target != Empty && colorOf(target) == us) return false;
  if (kind == QuietOnly && target != Empty) return false;
  const bool enPassant = type == Pawn && to == pos.epSquare;
  if (kind == CapturesOnly && target == Empty && !enPassant) return false;

  if (type == Pawn) {
    const int forward = us == White ? -8 : 8;
    if (kind == QuietOnly && (bit(to) & PromotionRanks)) return false;
    if (to == from + forward) {
      if (target != Empty) return false;
    } else if (to == from + 2 * forward) {
      if (target != Empty || pos.board[from + forward] != Empty || relativeRank(us, from) != 1) return false;
    } else if (pawnAttacks(us, from) & bit(to)) {
      if (target == Empty && !enPassant) return false;
    } else {
      return false;
    }
  } else if (!(attacksOf(type, from, pos.occupied) & bit(to))) {
    return false;
  }

  return !evasion || !isIllegal(pos, m);
}

}  // namespace tarn
