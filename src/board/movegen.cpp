#include "board/movegen.h"

#include "board/legality.h"

namespace tarn {

namespace {

template <Color Us>
void generateMovesFor(const Position& pos, MoveList& list, Bitboard fromMask, Bitboard toMask) {
  const Bitboard own = pos.colourBB[Us];
  const Bitboard pawns = pos.pieces(Us, Pawn) & fromMask;
  emitPawnCaptures<Us>(list, pawns, pawnCaptureTargets(pos, toMask));
  emitPawnPushes<Us>(pos, list, pawns, toMask);
  emitPieceMoves<Knight>(pos, list, pos.pieces(Us, Knight) & fromMask, toMask);
  emitPieceMoves<Bishop>(pos, list, pos.pieces(Us, Bishop) & fromMask, toMask);
  emitPieceMoves<Rook>(pos, list, pos.pieces(Us, Rook) & fromMask, toMask);
  emitPieceMoves<Queen>(pos, list, pos.pieces(Us, Queen) & fromMask, toMask);
  emitKingMoves(pos, list, toMask & ~own);
}

// Squares attacked by colour `by`, seen with the given occupancy.
bool squareAttacked(const Position& pos, int s, Color by, Bitboard occupied) {
  return (pawnAttackers(by, s) & pos.pieces(by, Pawn)) || (knightAttacks(s) & pos.pieces(by, Knight)) ||
         (kingAttacks(s) & pos.pieces(by, King)) || (bishopAttacks(s, occupied) & pos.pieces(by, Bishop, Queen)) ||
         (rookAttacks(s, occupied) & pos.pieces(by, Rook, Queen));
}

template <Color Us>
void generateCastlingFor(const Position& pos, MoveList& list) {
  constexpr Color Them = ~Us;
  constexpr int HSide = Us == White ? 0 : 2;
  const CastlingSetup& setup = *pos.setup;
  const int king = pos.kingSquare[Us];
  for (int index = HSide; index < HSide + 2; ++index) {
    if (!(pos.castlingRights & (1 << index))) continue;
    if (setup.path[index] & pos.occupied) continue;
    const int rook = setup.rookSquare[index];
    if (rook == NoSquare) continue;
    // The squares the king passes before its destination must be safe; the
    // destination itself is left to the legality test.
    const bool hSide = index == HSide;
    const int destination = makeSquare(hSide ? 6 : 2, rowOf(king));
    bool safe = true;
    if (hSide) {
      for (int s = king + 1; s < destination && safe; ++s) safe = !squareAttacked(pos, s, Them, pos.occupied);
    } else {
      for (int s = king - 1; s > destination && safe; --s) safe = !squareAttacked(pos, s, Them, pos.occupied);
    }
    if (safe) list.add(makeMove(king, rook));
  }
}

template <Color Us>
void generateEvasionsFor(const Position& pos, MoveList& list) {
  constexpr Color Them = ~Us;
  const int king = pos.kingSquare[Us];
  const Bitboard own = pos.colourBB[Us];

  if (!moreThanOne(pos.checkers)) {
    const int checker = lowestSquare(pos.checkers);
    const Bitboard movable = own & ~pos.blockers[Us] & ~bit(king);
    const Bitboard pawns = pos.pieces(Us, Pawn) & movable;

    // a. Capture the checker.
    Bitboard capturers = ((rookAttacks(checker, pos.occupied) & pos.pieces(Us, Rook, Queen)) |
                          (bishopAttacks(checker, pos.occupied) & pos.pieces(Us, Bishop, Queen)) |
                          (knightAttacks(checker) & pos.pieces(Us, Knight)) |
                          (pawnAttackers(Us, checker) & pos.pieces(Us, Pawn))) &
                         movable;
    if ((pos.checkers & PromotionRanks) && (capturers & pawns)) {
      emitPawnCaptures<Us>(list, capturers & pawns, pos.checkers);
      capturers &= ~pawns;
    }
    while (capturers) list.add(makeMove(popLowest(capturers), checker));

    // b. En passant removing the pawn that has just advanced two squares.
    if (pos.epSquare != NoSquare && checker == pos.epSquare + (Us == White ? 8 : -8))
      emitPawnCaptures<Us>(list, pawns, bit(pos.epSquare));

    // c. Interpose.
    const Bitboard gap = between(king, checker);
    if (gap) {
      emitPawnPushes<Us>(pos, list, pawns, gap);
      emitPieceMoves<Knight>(pos, list, pos.pieces(Us, Knight) & movable, gap);
      emitPieceMoves<Bishop>(pos, list, pos.pieces(Us, Bishop) & movable, gap);
      emitPieceMoves<Rook>(pos, list, pos.pieces(Us, Rook) & movable, gap);
      emitPieceMoves<Queen>(pos, list, pos.pieces(Us, Queen) & movable, gap);
    }
  }
  emitKingMoves(pos, list, ~own & ~attackedSquares(pos, Them));
}

template <Color Us>
void generateChecksFor(const Position& pos, MoveList& list, Bitboard target, const CheckInfo& ci, bool pawnCaptures) {
  constexpr Color Them = ~Us;
  const int enemyKing = pos.kingSquare[Them];

  // 1. Direct checks by pieces.
  emitPieceMoves<Queen>(pos, list, pos.pieces(Us, Queen), ci.squares[Queen] & target);
  emitPieceMoves<Rook>(pos, list, pos.pieces(Us, Rook), ci.squares[Rook] & target);
  emitPieceMoves<Bishop>(pos, list, pos.pieces(Us, Bishop), ci.squares[Bishop] & target);
  emitPieceMoves<Knight>(pos, list, pos.pieces(Us, Knight), ci.squares[Knight] & target);

  // 2. Direct checks by pawns. With captures on and queen-only promotions, also
  // the promotions whose new queen checks, possibly through the square its pawn left.
  const Bitboard pawns = pos.pieces(Us, Pawn);
  constexpr Bitboard SeventhRank = Us == White ? rankBB(6) : rankBB(1);
  const bool queenPromotions = pawnCaptures && list.promotionMode == PromoteQueenOnly;
  auto promotesWithCheck = [&](int from, int to) {
    return (queenAttacks(to, pos.occupied ^ bit(from)) & bit(enemyKing)) != 0;
  };
  emitPawnPushes<Us>(pos, list, pawns, ci.squares[Pawn] & target);
  if (pawnCaptures) {
    emitPawnCaptures<Us>(list, pawns, pawnCaptureTargets(pos, target) & ci.squares[Pawn]);
    if (queenPromotions)
      for (Bitboard b = pawns & SeventhRank; b;) {
        const int from = popLowest(b);
        const int push = Us == White ? from - 8 : from + 8;
        Bitboard to = (pawnAttacks(Us, from) & pos.colourBB[Them]) | (pos.board[push] == Empty ? bit(push) : 0);
        for (to &= target; to;) {
          const int d = popLowest(to);
          if (promotesWithCheck(from, d)) list.add(makeMove(from, d, PromoQueen));
        }
      }
  }

  // 3. Discovered checks: a blocker of the enemy king that leaves the line.
  Bitboard discoverers = pos.blockers[Them] & pos.colourBB[Us];
  while (discoverers) {
    const int from = popLowest(discoverers);
    const int type = typeOf(pos.board[from]);
    Bitboard to;
    if (type == Pawn) {
      to = pawnAttacks(Us, from) & pos.colourBB[Them];
      const int push = Us == White ? from - 8 : from + 8;
      if (pos.board[push] == Empty && fileOf(from) != fileOf(enemyKing)) to |= bit(push);
      to &= ~ci.squares[Pawn];
      if (queenPromotions)  // those checking directly as well were emitted above
        for (Bitboard b = to & PromotionRanks; b;) {
          const int d = popLowest(b);
          if (promotesWithCheck(from, d)) to &= ~bit(d);
        }
    } else if (type == King) {
      to = kingAttacks(from) & ~pos.colourBB[Us];
    } else {
      to = attacksOf(type, from, pos.occupied) & ~ci.squares[type];
    }
    to &= target & ~lineThrough(enemyKing, from);
    while (to) list.add(makeMove(from, popLowest(to)));
  }
}

}  // namespace

void generateMoves(const Position& pos, MoveList& list, Bitboard fromMask, Bitboard toMask) {
  if (pos.sideToMove == White)
    generateMovesFor<White>(pos, list, fromMask, toMask);
  else
    generateMovesFor<Black>(pos, list, fromMask, toMask);
}

void generateCastling(const Position& pos, MoveList& list) {
  if (!(pos.castlingRights & (pos.sideToMove == White ? 3 : 12))) return;
  if (pos.sideToMove == White)
    generateCastlingFor<White>(pos, list);
  else
    generateCastlingFor<Black>(pos, list);
}

void generateEvasions(const Position& pos, MoveList& list) {
  if (pos.sideToMove == White)
    generateEvasionsFor<White>(pos, list);
  else
    generateEvasionsFor<Black>(pos, list);
}

void generateChecks(const Position& pos, MoveList& list, Bitboard target, const CheckInfo& ci, bool pawnCaptures) {
  if (pos.sideToMove == White)
    generateChecksFor<White>(pos, list, target, ci, pawnCaptures);
  else
    generateChecksFor<Black>(pos, list, target, ci, pawnCaptures);
}

void generateLegal(const Position& pos, MoveList& list) {
  MoveList pseudo(PromotionMode(list.promotionMode));
  generatePseudoLegal(pos, pseudo);
  for (Move m : pseudo)
    if (!isIllegal(pos, m)) list.add(m);
}

Bitboard attackersOf(const Position& pos, int s, Color c, Bitboard filter) {
  const Bitboard occ = pos.occupied & filter;
  return ((bishopAttacks(s, occ) & (pos.pieceBB[Queen] | pos.pieceBB[Bishop])) |
          (rookAttacks(s, occ) & (pos.pieceBB[Queen] | pos.pieceBB[Rook])) | (kingAttacks(s) & pos.pieceBB[King]) |
          (knightAttacks(s) & pos.pieceBB[Knight]) | (pawnAttackers(c, s) & pos.pieceBB[Pawn])) &
         pos.colourBB[c] & filter;
}

Bitboard attackedSquares(const Position& pos, Color c) {
  const Bitboard occ = pos.occupied & ~pos.pieces(~c, King);
  Bitboard result = c == White ? pawnAttackSet<White>(pos.pieces(White, Pawn)) : pawnAttackSet<Black>(pos.pieces(Black, Pawn));
  result |= kingAttacks(pos.kingSquare[c]) & (pos.pieces(c, King) ? ~Bitboard(0) : 0);
  for (Bitboard b = pos.pieces(c, Knight); b;) result |= knightAttacks(popLowest(b));
  for (Bitboard b = pos.pieces(c, Bishop, Queen); b;) result |= bishopAttacks(popLowest(b), occ);
  for (Bitboard b = pos.pieces(c, Rook, Queen); b;) result |= rookAttacks(popLowest(b), occ);
  return result;
}

bool isCheckmate(const Position& pos) {
  if (!pos.checkers) return false;
  const Color us = pos.sideToMove, them = ~us;
  const int king = pos.kingSquare[us];
  const Bitboard own = pos.colourBB[us];
  const bool flight = (kingAttacks(king) & ~own & ~attackedSquares(pos, them)) != 0;
  if (moreThanOne(pos.checkers)) return !flight;

  const int checker = lowestSquare(pos.checkers);
  const Bitboard movable = own & ~pos.blockers[us] & ~bit(king);
  if (attackersOf(pos, checker, us) & movable) return false;
  const Bitboard pawns = pos.pieces(us, Pawn) & movable;
  if (pos.epSquare != NoSquare && checker == pos.epSquare + (us == White ? 8 : -8)) {
    // Removing the checking pawn can open a diagonal onto the king, so each
    // en-passant capture is tested in full.
    for (Bitboard b = pawnAttackers(us, pos.epSquare) & pawns; b;)
      if (!isIllegal(pos, makeMove(popLowest(b), pos.epSquare))) return false;
  }
  if (flight) return false;
  if (distance(king, checker) <= 1 || (knightAttacks(king) & bit(checker))) return true;

  const Bitboard gap = between(king, checker);
  if (!gap) return true;
  const Bitboard empty = ~pos.occupied;
  Bitboard pushes;
  if (us == White) {
    const Bitboard single = (pawns >> 8) & empty;
    pushes = single | (((single & DoublePushRank[White]) >> 8) & empty);
  } else {
    const Bitboard single = (pawns << 8) & empty;
    pushes = single | (((single & DoublePushRank[Black]) << 8) & empty);
  }
  if (pushes & gap) return false;
  for (Bitboard b = gap; b;) {
    const int s = popLowest(b);
    const Bitboard blockers = ((knightAttacks(s) & pos.pieces(us, Knight)) |
                               (bishopAttacks(s, pos.occupied) & pos.pieces(us, Bishop, Queen)) |
                               (rookAttacks(s, pos.occupied) & pos.pieces(us, Rook, Queen))) &
                              movable;
    if (blockers) return false;
  }
  return true;
}

}  // namespace tarn
