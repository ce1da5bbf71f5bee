#include "search/move_picker.h"

#include "board/attacks.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "search/see.h"

namespace tarn {

void generateTacticalMoves(const Position& pos, MoveList& list) {
  generateMoves(pos, list, ~Bitboard(0), pos.colourBB[~pos.sideToMove]);
  const Color us = pos.sideToMove;
  const Bitboard seventh = pos.pieces(us, Pawn) & (us == White ? rankBB(6) : rankBB(1));
  if (us == White)
    emitPawnPushes<White>(pos, list, seventh, PromotionRanks);
  else
    emitPawnPushes<Black>(pos, list, seventh, PromotionRanks);
}

MovePicker::MovePicker(const Position& pos, Move ttMove, const Histories& h, const Killers& killers, Move counter,
                       const PreviousMoves& prev)
    : pos(pos), h(h), prev(prev), ttMove(ttMove), special{killers.killer1, killers.killer2, counter},
      inCheck(pos.checkers != 0) {
  ttValid = ttMove != NullMove && isPseudoLegal(pos, ttMove, false, AnyKind);
  if (ttValid) ttTactical = !isQuietForHistory(pos, ttMove) || (typeOf(pos.board[fromSquare(ttMove)]) == Pawn && toSquare(ttMove) == pos.epSquare);
  if (!ttValid) this->ttMove = NullMove;
  if (inCheck) {
    generateEvasions(pos, list);
    scoreEvasions(list, pos, h, prev.prev1, false);
    sortScored(list);
    if (killers.killer1) moveToFront(list, killers.killer1, 0);
    if (ttValid) moveToFront(list, ttMove, 0);
    step = Evasions;
  } else {
    step = TableMove;
  }
}

bool MovePicker::alreadyTried(Move m) const {
  return m == ttMove || m == special[0] || m == special[1] || m == special[2];
}

Move MovePicker::next(int& stage) {
  for (;;) {
    switch (step) {
      case Evasions:
        stage = 1;
        if (cursor < list.count) return list.moves[cursor++];
        step = Done;
        return NullMove;

      case TableMove:
        step = GenerateCaptures;
        if (ttValid) {
          stage = 0;
          return ttMove;
        }
        [[fallthrough]];

      case GenerateCaptures: {
        list.clear();
        generateTacticalMoves(pos, list);
        scoreCaptures(list, pos, h);
        sortScored(list);
        cursor = 0;
        step = Captures;
        [[fallthrough]];
      }

      case Captures:
        while (cursor < list.count) {
          const Move m = list.moves[cursor++];
          if (m == ttMove) continue;
          const bool underPromotion = (bit(toSquare(m)) & PromotionRanks) && typeOf(pos.board[fromSquare(m)]) == Pawn &&
                                      promotionCode(m) != PromoQueen;
          if (underPromotion || !seeAtLeast(pos, m, -17)) {
            if (deferredCount < 32) deferred[deferredCount++] = m;
            continue;
          }
          stage = 1;
          return m;
        }
        step = Killer1;
        [[fallthrough]];

      case Killer1:
      case Killer2:
      case Counter: {
        const int i = step - Killer1;
        step = Step(step + 1);
        const Move m = special[i];
        bool fresh = m != NullMove && m != ttMove;
        for (int j = 0; j < i && fresh; ++j) fresh = special[j] != m;
        if (fresh && isPseudoLegal(pos, m, false, QuietOnly)) {
          stage = 2;
          return m;
        }
        continue;
      }

      case GenerateQuiets: {
        list.clear();
        const Color us = pos.sideToMove;
        const Bitboard seventh = pos.pieces(us, Pawn) & (us == White ? rankBB(6) : rankBB(1));
        generateMoves(pos, list, ~seventh, ~pos.occupied);
        generateCastling(pos, list);
        // Drop the en-passant captures the pawn emitter adds to any target.
        int kept = 0;
        for (int i = 0; i < list.count; ++i) {
          const Move m = list.moves[i];
          if (toSquare(m) == pos.epSquare && typeOf(pos.board[fromSquare(m)]) == Pawn) continue;
          list.moves[kept++] = m;
        }
        list.count = kept;
        scoreQuiets(list, pos, h, prev);
        sortScored(list);
        cursor = 0;
        step = Quiets;
        [[fallthrough]];
      }

      case Quiets:
        while (cursor < list.count) {
          const Move m = list.moves[cursor++];
          if (alreadyTried(m)) continue;
          stage = 3;
          return m;
        }
        step = Deferred;
        [[fallthrough]];

      case Deferred:
        if (deferredCursor < deferredCount) {
          stage = 4;
          return deferred[deferredCursor++];
        }
        step = Done;
        [[fallthrough]];

      case Done:
        return NullMove;
    }
  }
}

}  // namespace tarn
