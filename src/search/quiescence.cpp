// The quiescence search: captures, promotions, a few checks and check evasions
// below the horizon, so that the static evaluation is trusted only in quiet
// positions.
#include <algorithm>

#include "board/attacks.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "search/history.h"
#include "search/mate_search.h"
#include "search/move_picker.h"
#include "search/search.h"
#include "search/search_switches.h"
#include "search/see.h"

namespace tarn {

namespace {

enum QuiescenceMode { AllEvasions = 0, CaptureEvasions = 1, Captures = 2, Recaptures = 3 };


int victimValueOf(const Position& pos, Move m) {
  const PieceCode target = pos.board[toSquare(m)];
  if (target != Empty) return ExchangeValue[typeOf(target)];
  if (typeOf(pos.board[fromSquare(m)]) == Pawn && toSquare(m) == pos.epSquare) return ExchangeValue[Pawn];
  return 0;
}

bool isPromotionMove(const Position& pos, Move m) {
  return typeOf(pos.board[fromSquare(m)]) == Pawn && (bit(toSquare(m)) & PromotionRanks);
}

// Flight squares of the king in check in `after`, the checking pieces' squares left out.
int flightSquares(const Position& after) {
  const Color them = after.sideToMove;
  const int king = after.kingSquare[them];
  const Bitboard flights = kingAttacks(king) & ~after.colourBB[them] & ~attackedSquares(after, ~them) & ~after.checkers;
  return popCount(flights);
}

// Whether a check deep in the quiescence search is worth following: it leaves the
// king (almost) no flight square, or the checking piece attacks something it may win.
bool checkIsUseful(const Position& after, Move m, int evalPlusVictim, int target, int q) {
  const int flights = flightSquares(after);
  if (flights == 0 || (flights == 1 && q == 0)) return true;
  if (evalPlusVictim + 1208 < target) return false;
  const Color them = after.sideToMove, us = ~them;
  const int to = toSquare(m);
  const Bitboard attacked = attacksOf(typeOf(after.board[to]) == Pawn ? Queen : typeOf(after.board[to]), to, after.occupied);
  const Bitboard hit = typeOf(after.board[to]) == Pawn ? pawnAttacks(us, to) : attacked;
  const Bitboard defended = attackedSquares(after, them);
  Bitboard winnable = after.pieces(them, Queen);
  if (evalPlusVictim + 532 >= target) winnable |= after.pieces(them, Rook);
  if (evalPlusVictim + 344 >= target) winnable |= (after.pieces(them, Bishop) | after.pieces(them, Knight)) & ~defended;
  if (evalPlusVictim + 96 >= target && piecesOnBoard(after) < 5) winnable |= after.pieces(them, Pawn) & ~defended;
  return (hit & winnable) != 0;
}

}  // namespace

int quiescence(SearchThread& t, Position& pos, int alpha, int beta, int q, NodeType type, bool nullOrProbCut,
               bool usefulCheck) {
  // 1.
  const int ply = pos.ply - t.rootGamePly;
  PvLine& pv = t.pv[std::min(ply, StackSize - 1)];
  pv.clear();
  const bool pvNode = type == PvNode;
  const bool inCheck = pos.checkers != 0;
  if (ply >= StackSize - 2) return staticEvaluation(t, pos, std::min(ply, StackSize - 3));
  t.selDepth = std::max(t.selDepth, ply);

  // 2. Mate distance.
  alpha = std::max(alpha, matedIn(ply));
  beta = std::min(beta, mateIn(ply + 1));
  if (beta <= alpha) return alpha;

  // 3. Checkmated.
  if (inCheck && isCheckmate(pos)) return matedIn(ply);

  StackEntry& ss = t.stack(ply);
  const int parentEvasions = t.stack(ply - 1).moveCount;
  int mode;
  if (inCheck) {
    const bool full = q < 2 || (q == 2 && usefulCheck) || (q == 3 && t.stack(ply - 2).moveCount <= (pvNode ? 2 : 1));
    mode = full ? AllEvasions : CaptureEvasions;
  } else {
    mode = q <= 5 ? Captures : Recaptures;
  }
  const bool quietChecks = !inCheck && (q < 2 || (q == 2 && (parentEvasions == 1 || pvNode)));
  const int tableDepth = std::max(-1 - q, -4);
  const int alphaAtEntry = alpha, betaAtEntry = beta;

  // 4. Transposition table.
  TranspositionTable& tt = *t.tt;
  TTSlot slot;
  TTData entry{};
  int eval = ScoreNone, ttScore = ScoreNone;
  Move ttMove = NullMove;
  const bool useTable = t.useTable && tt.ready();
  if (useTable) {
    slot = tt.probe(pos.key);
    if (slot) {
      entry = slot.read();
      int score;
      ttMove = entry.hasMove() ? entry.move : NullMove;
      if (TranspositionTable::isUsable(entry, alpha, beta, tableDepth, ply, score)) {
        if (pvNode && ttMove && isPseudoLegal(pos, ttMove, true, AnyKind)) pv.set(ttMove, MarkerTT);
        tt.refresh(slot);
        return score;
      }
      if (entry.bound() != BoundNone) ttScore = score;
      if (entry.staticEval != NoScore && entry.depth != ClaimedDepth) eval = entry.staticEval;
    }
  }
  if (eval == ScoreNone) eval = staticEvaluation(t, pos, ply);
  if (useTable) {
    if (!slot) {
      slot = tt.selectSlot(tt.bucketOf(pos.key), TranspositionTable::keyCheckOf(pos.key), t.age8);
      entry = TTData{TranspositionTable::keyCheckOf(pos.key), t.age8, 0, NoScore, NullMove, ClaimedDepth, BoundNone};
    }
    entry.staticEval = int16_t(eval);
    entry.age = t.age8;
    if (entry.depth == ClaimedDepth) entry.score = int16_t(eval);
    slot.write(entry);
  }
  ss.staticEval = eval;

  // 5. Best score so far, perhaps from the table.
  int best = matedIn(ply);
  if (mode != AllEvasions && slot && entry.depth <= 0 && ttScore != ScoreNone &&
      (entry.bound() == BoundExact || (entry.bound() == BoundLower && ttScore > eval) ||
       (entry.bound() == BoundUpper && ttScore < eval))) {
    best = ttScore;
    if (pvNode && ttMove && isPseudoLegal(pos, ttMove, true, AnyKind)) pv.set(ttMove, MarkerTT);
  }

  // 6. Stand pat.
  if (mode != AllEvasions) {
    const int standPat = std::max(best, eval);
    if (standPat >= beta) return standPat;
    if (standPat > alpha)
      alpha = best = standPat;
    else
      best = alpha;
  }

  // 7.
  const int bonus = piecesOnBoard(pos) <= 3 ? 1200 : 220;

  // 8. Without quiet checks: a quick mate, and the hopeless cases.
  if (!quietChecks) {
    if (!inCheck && parentEvasions >= 1 && parentEvasions <= 3) {
      if (const Move mate = findMateInOne(pos); mate) {
        pv.set(mate);
        return mateIn(ply + 1);
      }
    }
    if (best < alpha) {
      const Color us = pos.sideToMove, them = ~us;
      int maxGain = pos.pieces(them, Queen) ? 1208 : pos.pieces(them, Rook) ? 532 : 344;
      if (pos.pieces(us, Pawn) & (us == White ? rankBB(6) : rankBB(1))) maxGain += 932;
      if (eval + maxGain + 100 + bonus < alpha) {
        pv.clear();
        return std::max(best, eval);
      }
    }
  }

  // 9.
  if (ply > MaxSearchPly) return eval;

  // 10. The moves of the mode.
  MoveList list;
  const Histories& h = *t.histories;
  if (mode == AllEvasions) {
    generateEvasions(pos, list);
    scoreEvasions(list, pos, h, t.stack(ply - 1).pieceTo, false);
    sortScored(list);
    ss.moveCount = list.count;
  } else if (mode == CaptureEvasions) {
    generateEvasions(pos, list);
    int kept = 0;
    for (int i = 0; i < list.count; ++i) {
      const Move m = list.moves[i];
      if (victimValueOf(pos, m) || isPromotionMove(pos, m)) list.moves[kept++] = m;
    }
    list.count = kept;
    scoreCaptures(list, pos, h);
    sortScored(list);
    ss.moveCount = 0;
  } else {
    generateTacticalMoves(pos, list);
    scoreCaptures(list, pos, h);
    sortScored(list);
    ss.moveCount = 0;
  }
  if (list.empty() && !quietChecks) return eval;

  t.repetitions.add(pos.key, 2);
  CheckInfo ci;
  buildCheckInfo(pos, ci);
  const Position before = pos;
  const int previousDestination = t.stack(ply - 1).destination;
  const int futilityBase = eval;
  Move bestMove = NullMove;
  Move deferred[20];
  int deferredCount = 0;
  MoveList checks;
  bool checksGenerated = false;

  for (int stage = 0; stage < 3; ++stage) {
    const Move* moves;
    int count;
    if (stage == 0) {
      moves = list.moves;
      count = list.count;
    } else if (stage == 1) {
      if (!quietChecks) continue;
      if (!checksGenerated) {
        generateChecks(pos, checks, ~pos.occupied, ci, false);
        checksGenerated = true;
      }
      moves = checks.moves;
      count = checks.count;
    } else {
      moves = deferred;
      count = deferredCount;
    }

    for (int i = 0; i < count; ++i) {
      const Move m = moves[i];
      const Bitboard checkers = givesCheck(pos, m, ci);
      if (!inCheck && isIllegal(pos, m)) continue;
      // Quiet checks only: captures and promotions had their turn in stage 0.
      if (stage == 1 && (!checkers || pos.board[toSquare(m)] != Empty || isPromotionMove(pos, m))) continue;
      const int victim = victimValueOf(pos, m);
      const int target = alpha - bonus;

      // The futility test: can the move still reach alpha?
      const PieceCode moving = pos.board[fromSquare(m)];
      int e = 0;
      if (typeOf(moving) == Pawn) {
        const int rank = relativeRank(pos.sideToMove, toSquare(m));
        e = rank == 7 ? 932 : rank == 6 ? 100 : 0;
      }
      const bool passesFutility = victim == ExchangeValue[Queen]
                                      ? futilityBase + e + 1028 + 180 >= target
                                      : futilityBase + e + victim + (victim && victim != ExchangeValue[Pawn] ? 40 : 0) >= target;

      bool useful = false;
      if (!checkers) {
        if (!inCheck && !passesFutility) continue;
        if (stage < 2 && !inCheck && !seeAtLeast(pos, m, -17)) {
          const bool guarded = pawnAttackers(~pos.sideToMove, toSquare(m)) & pos.pieces(~pos.sideToMove, Pawn);
          if (q == 0 && piecesOnBoard(pos) < 3 && stage == 0 && !guarded && deferredCount < 20)
            deferred[deferredCount++] = m;
          continue;
        }
        if (mode == Recaptures && toSquare(m) != previousDestination && !(isPromotionMove(pos, m) && !victim)) continue;
      } else if (stage < 2) {
        const bool singleDirect = !moreThanOne(checkers) && (checkers & bit(toSquare(m)));
        if (singleDirect && !inCheck && !seeAtLeast(pos, m, -17)) {
          if (q > 0) continue;
          const bool worth = victim >= (piecesOnBoard(pos) < 3 ? 96 : 328);
          if (worth && deferredCount < 20) deferred[deferredCount++] = m;
          continue;
        }
      } else if (!passesFutility) {
        continue;
      }

      // Search the move.
      t.countNode();
      t.countQNode();
      makeSearchMove(t, pos, before, m, checkers, ply);
      if (checkers && stage < 2) {
        useful = pvNode || nullOrProbCut || checkIsUseful(pos, m, eval + victim, target, q);
        if (stage == 1 && !useful) {
          pos = before;
          continue;
        }
      }
      int score;
      if (isSearchDraw(t, pos)) {
        score = drawScore(t);
      } else {
        ss.destination = toSquare(m);
        score = -quiescence(t, pos, -beta, -alpha, q + 1, type, false, useful);
      }
      pos = before;

      if (score > best) {
        best = score;
        if (score > alpha) {
          alpha = score;
          bestMove = m;
          if (pvNode) pv.extend(m, t.pv[std::min(ply + 1, StackSize - 1)]);
          if (score >= beta || score == mateIn(ply + 1)) goto done;
        }
      }
    }
  }
done:
  t.repetitions.remove(pos.key, 2);
  if (slot)
    tt.store(slot, pos.key, alphaAtEntry, betaAtEntry, bestMove, best, tableDepth, ply, t.age8, eval, 0);
  return best;
}

}  // namespace tarn
