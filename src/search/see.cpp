#include "search/see.h"

#include "board/attacks.h"
#include "board/movegen.h"
#include "search/search_types.h"

namespace tarn {

namespace {

constexpr int PromotionExtra = 932;  // a queen instead of a pawn

}  // namespace

bool seeAtLeast(const Position& pos, Move m, int threshold) {
  const Color us = pos.sideToMove;
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode moving = pos.board[from];
  // Castling (the king onto its own rook) exchanges nothing.
  if (pos.board[to] != Empty && colorOf(pos.board[to]) == us) return threshold <= 0;
  const bool lastRank = (bit(to) & PromotionRanks) != 0;
  Bitboard occ = pos.occupied;

  int balance = pos.board[to] == Empty ? 0 : ExchangeValue[typeOf(pos.board[to])];
  int next = ExchangeValue[typeOf(moving)];
  if (typeOf(moving) == Pawn) {
    if (to == pos.epSquare) {
      occ ^= bit(to ^ 8);
      balance = ExchangeValue[Pawn];
    }
    if (lastRank) {
      balance += PromotionExtra;
      next = ExchangeValue[Queen];
    }
  }
  balance -= threshold;
  if (balance < 0) return false;
  // A recapture by an enemy pawn on the last rank brings it a queen.
  const int recaptureExtra = lastRank && (pawnAttackers(~us, to) & pos.pieces(~us, Pawn)) ? PromotionExtra : 0;
  if (balance - next - recaptureExtra >= 0) return true;

  occ ^= bit(from);
  occ |= bit(to);
  Bitboard attackers = attackersOf(pos, to, White, occ) | attackersOf(pos, to, Black, occ);
  const Bitboard diagonal = pos.pieceBB[Bishop] | pos.pieceBB[Queen];
  const Bitboard straight = pos.pieceBB[Rook] | pos.pieceBB[Queen];
  Color side = ~us;

  for (;;) {
    attackers &= occ;
    Bitboard own = attackers & pos.colourBB[side];
    // Pinned pieces take part only while no pinner of their own king is left.
    if (pos.pinners[~side] & occ) own &= ~pos.blockers[side];
    if (!own) break;

    int type = Pawn;
    while (!(own & pos.pieceBB[type])) ++type;
    if (type == King && (attackers & pos.colourBB[~side] & occ)) break;
    const int square = lowestSquare(own & pos.pieceBB[type]);
    occ ^= bit(square);
    if (type == Pawn || type == Bishop || type == Queen) attackers |= bishopAttacks(to, occ) & diagonal;
    if (type == Rook || type == Queen) attackers |= rookAttacks(to, occ) & straight;

    const bool promotes = type == Pawn && lastRank;
    const int gained = next + (promotes ? PromotionExtra : 0);
    next = promotes ? ExchangeValue[Queen] : ExchangeValue[type];
    if (side == us) {
      balance += gained;
      if (balance - next >= 0) return true;
    } else {
      balance -= gained;
      if (balance + next < 0) return false;
    }
    side = ~side;
  }
  return balance >= 0;
}

}  // namespace tarn
