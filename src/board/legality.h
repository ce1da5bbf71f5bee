// Legality of generated moves and of move words from elsewhere.
#pragma once

#include "board/position.h"

namespace tarn {

// The full test behind isIllegal, for king moves, pinned pieces and en passant.
bool isIllegalSlow(const Position& pos, Move m);

// True when the pseudo-legal move would leave the mover's king attacked or breaks
// a castling rule the generator does not test. Most moves are decided by the
// first line: only king moves, moves of pinned pieces and en passant need more.
inline bool isIllegal(const Position& pos, Move m) {
  const Color us = pos.sideToMove;
  const int from = fromSquare(m);
  if (from != pos.kingSquare[us] && !(pos.blockers[us] & bit(from)) && toSquare(m) != pos.epSquare) return false;
  return isIllegalSlow(pos, m);
}

enum MoveKind : int { QuietOnly = 0, CapturesOnly = 1, AnyKind = 2 };

// True when the move word is one the generators could produce here (and, with
// `evasion` set, also legal). For moves from outside the current generation:
// table moves, killers, moves to be printed.
bool isPseudoLegal(const Position& pos, Move m, bool evasion, MoveKind kind);

// True for a castling move: the king moving onto its own rook.
inline bool isCastling(const Position& pos, Move m) {
  const PieceCode p = pos.board[fromSquare(m)];
  return typeOf(p) == King && pos.board[toSquare(m)] == makePiece(colorOf(p), Rook);
}

// Where the king and the rook end up after castling with the rook on `rookSq`.
inline int castlingKingDestination(int kingSq, int rookSq) { return makeSquare(rookSq > kingSq ? 6 : 2, rowOf(kingSq)); }
inline int castlingRookDestination(int kingSq, int rookSq) { return makeSquare(rookSq > kingSq ? 5 : 3, rowOf(kingSq)); }

}  // namespace tarn
