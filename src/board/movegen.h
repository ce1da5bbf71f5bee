// Move generation and attack queries.
//
// The generators append pseudo-legal moves to a MoveList; the legality test of
// make-move (isIllegal) then drops the moves that leave the own king attacked.
// A complete legal list is: generateEvasions when in check, otherwise
// generateMoves (all squares, not own pieces) followed by generateCastling.
// The per-piece emitters are public because the search's staged generators call
// them directly.
#pragma once

#include "board/attacks.h"
#include "board/check_info.h"
#include "board/move_list.h"
#include "board/position.h"

namespace tarn {

// ---- Emitters ---------------------------------------------------------------

// Appends, for every destination d (lowest first), the pawn move from d + offset to d.
// Destinations on the last ranks come first, expanded by the list's promotion mode.
inline void emitPawnMoves(Bitboard destinations, MoveList& list, int offset) {
  Bitboard promotions = destinations & PromotionRanks;
  while (promotions) {
    const int to = popLowest(promotions);
    const int from = to + offset;
    list.add(makeMove(from, to, PromoQueen));
    if (list.promotionMode == PromoteQueenOnly) continue;
    list.add(makeMove(from, to, PromoKnight));
    if (list.promotionMode == PromoteAll) {
      list.add(makeMove(from, to, PromoBishop));
      list.add(makeMove(from, to, PromoRook));
    }
  }
  Bitboard quiet = destinations & ~PromotionRanks;
  while (quiet) {
    const int to = popLowest(quiet);
    list.add(makeMove(to + offset, to));
  }
}

// Appends each origin's attacks within `target`, origins and destinations lowest first.
template <int Type>
inline void emitPieceMoves(const Position& pos, MoveList& list, Bitboard origins, Bitboard target) {
  static_assert(Type >= Knight && Type <= Queen, "sliders and knights only");
  while (origins) {
    const int from = popLowest(origins);
    Bitboard to = attacksOf(Type, from, pos.occupied) & target;
    while (to) list.add(makeMove(from, popLowest(to)));
  }
}

inline void emitKingMoves(const Position& pos, MoveList& list, Bitboard target) {
  const int from = pos.kingSquare[pos.sideToMove];
  Bitboard to = kingAttacks(from) & target;
  while (to) list.add(makeMove(from, popLowest(to)));
}

// Pawn captures of colour C onto `targets` (the caller adds the en-passant square).
// White takes towards the a-file first (offset 9), then the h-file (7); Black
// takes with offset -9 (towards the h-file) first, then -7.
template <Color C>
inline void emitPawnCaptures(MoveList& list, Bitboard pawns, Bitboard targets) {
  if constexpr (C == White) {
    emitPawnMoves(((pawns & ~FileABB) >> 9) & targets, list, 9);
    emitPawnMoves(((pawns & ~FileHBB) >> 7) & targets, list, 7);
  } else {
    emitPawnMoves(((pawns & ~FileHBB) << 9) & targets, list, -9);
    emitPawnMoves(((pawns & ~FileABB) << 7) & targets, list, -7);
  }
}

// Capture targets of the side to move within `mask`, plus the en-passant square.
inline Bitboard pawnCaptureTargets(const Position& pos, Bitboard mask) {
  Bitboard t = pos.colourBB[~pos.sideToMove] & mask;
  if (pos.epSquare != NoSquare) t |= bit(pos.epSquare);
  return t;
}

inline void emitPawnCaptures(const Position& pos, MoveList& list, Bitboard pawns, Bitboard mask) {
  const Bitboard targets = pawnCaptureTargets(pos, mask);
  if (pos.sideToMove == White)
    emitPawnCaptures<White>(list, pawns, targets);
  else
    emitPawnCaptures<Black>(list, pawns, targets);
}

// Single and double pushes of the side's `pawns` onto empty squares within `target`.
template <Color C>
inline void emitPawnPushes(const Position& pos, MoveList& list, Bitboard pawns, Bitboard target) {
  const Bitboard empty = ~pos.occupied;
  if constexpr (C == White) {
    const Bitboard single = (pawns >> 8) & empty;
    emitPawnMoves(single & target, list, 8);
    emitPawnMoves(((single & DoublePushRank[White]) >> 8) & empty & target, list, 16);
  } else {
    const Bitboard single = (pawns << 8) & empty;
    emitPawnMoves(single & target, list, -8);
    emitPawnMoves(((single & DoublePushRank[Black]) << 8) & empty & target, list, -16);
  }
}

// ---- Generators -------------------------------------------------------------

// Non-castling pseudo-legal moves from `fromMask` to `toMask`: pawn captures,
// single pushes, double pushes, knights, bishops, rooks, queens, then the king
// (which fromMask does not filter).
void generateMoves(const Position& pos, MoveList& list, Bitboard fromMask, Bitboard toMask);

// The usual call: every non-castling pseudo-legal move.
inline void generateMoves(const Position& pos, MoveList& list) {
  generateMoves(pos, list, ~Bitboard(0), ~pos.colourBB[pos.sideToMove]);
}

// Castling moves (king onto its own rook), h-side first.
void generateCastling(const Position& pos, MoveList& list);

// Every pseudo-legal way out of check for a side in check.
void generateEvasions(const Position& pos, MoveList& list);

// Moves giving check onto `target`; `pawnCaptures` adds checking pawn captures and,
// in promotion mode 1, pushes promoting to a checking queen. Discovered checks
// that stay on the line they block are not emitted.
void generateChecks(const Position& pos, MoveList& list, Bitboard target, const CheckInfo& ci, bool pawnCaptures);

// Pseudo-legal moves by the calling contract: evasions in check, otherwise all moves and castling.
inline void generatePseudoLegal(const Position& pos, MoveList& list) {
  if (pos.checkers)
    generateEvasions(pos, list);
  else {
    generateMoves(pos, list);
    generateCastling(pos, list);
  }
}

// Only the legal moves.
void generateLegal(const Position& pos, MoveList& list);

// ---- Attack queries ---------------------------------------------------------

// Pieces of colour c (kings included) attacking s; sliders see only `filter`ed occupancy.
Bitboard attackersOf(const Position& pos, int s, Color c, Bitboard filter = ~Bitboard(0));

// Every square colour c attacks, with the defending king removed from the occupancy.
Bitboard attackedSquares(const Position& pos, Color c);

// True when the side to move is checkmated (false when it is not in check).
bool isCheckmate(const Position& pos);

}  // namespace tarn
