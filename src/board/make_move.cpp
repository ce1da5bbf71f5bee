#include "board/make_move.h"

#include "board/attacks.h"
#include "board/legality.h"
#include "board/zobrist.h"

namespace tarn {

namespace {

// Adds `delta` to the value bits of a weight word without touching the piece count.
inline void addWeightValue(MaterialCount& m, int delta) {
  m.weight = uint16_t((m.weight & ~WeightValueMask) | ((m.weight + delta) & WeightValueMask));
}

inline void removeMaterial(MaterialCount& m, int type) {
  m.signature = uint16_t(m.signature - SignatureStep[type]);
  addWeightValue(m, -PieceValue[type] / 2);
  if (type != Pawn) m.weight = uint16_t(m.weight - WeightPieceUnit);
}

// Mailbox, key and piece-square sum for one piece arriving or leaving; the
// bitboards and material are the caller's.
inline void putPiece(Position& pos, PieceCode p, int s) {
  pos.board[s] = p;
  pos.key ^= zobrist.pieceKey[p][s];
  if (typeOf(p) == Pawn)
    pos.pawnKey ^= zobrist.pieceKey[p][s];
  else
    pos.psqScore += pieceSquareTable[p][s];
}

inline void removePiece(Position& pos, int s) {
  const PieceCode p = pos.board[s];
  pos.board[s] = Empty;
  pos.key ^= zobrist.pieceKey[p][s];
  if (typeOf(p) == Pawn)
    pos.pawnKey ^= zobrist.pieceKey[p][s];
  else
    pos.psqScore -= pieceSquareTable[p][s];
}

}  // namespace

Bitboard makeMove(Position& pos, Move m, Bitboard newCheckers, const PrefetchHandle* table) {
  const Color us = pos.sideToMove, them = ~us;
  const int from = fromSquare(m);
  int to = toSquare(m);
  const PieceCode piece = pos.board[from];
  const int type = typeOf(piece);
  const uint8_t oldRights = pos.castlingRights;

  ++pos.ply;
  ++pos.fiftyCounter;

  // Step 2. King moves lose both rights; castling moves king and rook together.
  bool castling = false;
  if (type == King) {
    if (oldRights) pos.castlingRights &= us == White ? 12 : 3;
    if (pos.board[to] == makePiece(us, Rook)) {
      castling = true;
      const int rookFrom = to;
      const int kingTo = castlingKingDestination(from, rookFrom);
      const int rookTo = castlingRookDestination(from, rookFrom);
      const PieceCode rook = pos.board[rookFrom];
      removePiece(pos, from);
      removePiece(pos, rookFrom);
      putPiece(pos, piece, kingTo);
      putPiece(pos, rook, rookTo);
      const Bitboard rookMove = bit(rookFrom) ^ bit(rookTo);
      pos.pieceBB[Rook] ^= rookMove;
      pos.colourBB[us] ^= rookMove;
      to = kingTo;
    }
    pos.kingSquare[us] = Square(to);
  }

  // Step 3. A move from or onto a castling-rook square loses that right.
  if (oldRights) {
    if (pos.setup->rookMask & (bit(from) | bit(to)))
      for (int i = 0; i < 4; ++i)
        if (pos.setup->rookSquare[i] == from || pos.setup->rookSquare[i] == to) pos.castlingRights &= uint8_t(~(1 << i));
    if (pos.castlingRights != oldRights) pos.key ^= zobrist.castleKey[oldRights] ^ zobrist.castleKey[pos.castlingRights];
  }

  // Step 4.
  pos.key ^= zobrist.sideKey;
  const Bitboard fromTo = bit(from) ^ bit(to);
  pos.pieceBB[type] ^= fromTo;
  pos.colourBB[us] ^= fromTo;

  // Step 5. Capture and the piece itself.
  if (!castling) {
    const PieceCode captured = pos.board[to];
    if (captured != Empty) {
      const int capturedType = typeOf(captured);
      pos.colourBB[them] ^= bit(to);
      pos.pieceBB[capturedType] ^= bit(to);
      removeMaterial(pos.material[them], capturedType);
      removePiece(pos, to);
      pos.fiftyCounter = 0;
    }
    removePiece(pos, from);
    putPiece(pos, piece, to);
  }

  // Steps 6 and 7. En-passant square, pawn specials.
  const int oldEp = pos.epSquare;
  if (oldEp != NoSquare) pos.key ^= zobrist.epKey[oldEp];
  pos.epSquare = NoSquare;
  if (type == Pawn) {
    pos.fiftyCounter = 0;
    if (bit(to) & PromotionRanks) {
      const int newType = PromotionType[promotionCode(m)];
      const PieceCode promoted = makePiece(us, newType);
      removePiece(pos, to);
      putPiece(pos, promoted, to);
      pos.pieceBB[Pawn] ^= bit(to);
      pos.pieceBB[newType] ^= bit(to);
      MaterialCount& mc = pos.material[us];
      mc.signature = uint16_t(mc.signature + SignatureStep[newType] - 1);
      addWeightValue(mc, (PieceValue[newType] - PieceValue[Pawn]) / 2);
      mc.weight = uint16_t(mc.weight + WeightPieceUnit);
    } else if (to == oldEp) {
      const int victim = to ^ 8;
      removePiece(pos, victim);
      pos.colourBB[them] ^= bit(victim);
      pos.pieceBB[Pawn] ^= bit(victim);
      removeMaterial(pos.material[them], Pawn);
    } else if ((from ^ to) == 16) {
      const int passed = to ^ 8;
      if (pawnAttackers(them, passed) & pos.pieces(them, Pawn)) {
        pos.epSquare = Square(passed);
        pos.key ^= zobrist.epKey[passed];
      }
    }
  }

  // Step 8.
  if (table) __builtin_prefetch(static_cast<const char*>(table->base) + (pos.key & table->mask) * 64);

  // Steps 9 and 10.
  pos.occupied = pos.colourBB[White] | pos.colourBB[Black];
  computeBlockersAndPinners(pos);
  pos.checkers = newCheckers;
  pos.sideToMove = them;
  return newCheckers;
}

Bitboard makeMoveChecked(Position& pos, Move m) {
  CheckInfo ci;
  buildCheckInfo(pos, ci);
  return makeMove(pos, m, givesCheck(pos, m, ci));
}

void makeNullMove(Position& pos) {
  ++pos.ply;
  pos.sideToMove = ~pos.sideToMove;
  pos.key ^= zobrist.sideKey;
  if (pos.epSquare != NoSquare) {
    pos.key ^= zobrist.epKey[pos.epSquare];
    pos.epSquare = NoSquare;
  }
}

Bitboard givesCheck(const Position& pos, Move m, const CheckInfo& ci) {
  const Color us = pos.sideToMove;
  const int from = fromSquare(m), to = toSquare(m);
  const int type = typeOf(pos.board[from]);
  const int k = pos.kingSquare[~us];
  Bitboard result = 0;

  // Direct check by the moving piece.
  switch (type) {
    case Knight:
    case Bishop:
    case Rook:
    case Queen:
      result = ci.squares[type] & bit(to);
      break;
    case King:
      if (pos.board[to] == makePiece(us, Rook)) {
        // Castling: look at the king from the final squares of king and rook.
        const int kingTo = castlingKingDestination(from, to);
        const int rookTo = castlingRookDestination(from, to);
        const Bitboard occ = (pos.occupied ^ bit(from) ^ bit(to)) | bit(kingTo) | bit(rookTo);
        const Bitboard rooks = (pos.pieces(us, Rook) ^ bit(to)) | bit(rookTo);
        return ((rookAttacks(k, occ) & (rooks | pos.pieces(us, Queen))) |
                (bishopAttacks(k, occ) & pos.pieces(us, Bishop, Queen)));
      }
      break;
    default:  // pawn
      if (bit(to) & PromotionRanks) {
        const int newType = PromotionType[promotionCode(m)];
        // The new piece sees past the square its pawn has just left.
        if (attacksOf(newType, to, pos.occupied ^ bit(from)) & bit(k)) result = bit(to);
      } else {
        result = ci.squares[Pawn] & bit(to);
        if (to == pos.epSquare) {
          // Removing both pawns may open a line onto the king.
          const Bitboard occ = (pos.occupied ^ bit(from) ^ bit(to ^ 8)) | bit(to);
          result |= (rookAttacks(k, occ) & pos.pieces(us, Rook, Queen)) | (bishopAttacks(k, occ) & pos.pieces(us, Bishop, Queen));
        }
      }
      break;
  }

  // Discovered check: a blocker of the enemy king leaving its line uncovers the slider behind it.
  if ((pos.blockers[~us] & bit(from)) && !(lineThrough(k, from) & bit(to))) {
    const Bitboard behind = beyond(k, from) & pos.occupied;
    if (behind) result |= bit(k < from ? lowestSquare(behind) : highestSquare(behind));
  }
  return result;
}

}  // namespace tarn
