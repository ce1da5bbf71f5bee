// Pruning, reductions and extensions of the main search. Every rule is guarded by
// its switch of SearchSwitches.
#include "search/pruning.h"

#include <algorithm>
#include <cstdlib>

#include "board/attacks.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/eval_tables.h"
#include "search/history.h"
#include "search/mate_search.h"
#include "search/see.h"

namespace tarn {

namespace {


bool isTacticalMove(const Position& pos, Move m) {
  const PieceCode target = pos.board[toSquare(m)];
  if (target != Empty && colorOf(target) != pos.sideToMove) return true;
  const bool pawn = typeOf(pos.board[fromSquare(m)]) == Pawn;
  return pawn && (toSquare(m) == pos.epSquare || (bit(toSquare(m)) & PromotionRanks));
}


// Enemy pieces attacking `s`, leaving out those pinned to their own king unless
// the piece on `s` is itself one of the pinners.
Bitboard attackersThatCount(const Position& pos, int s, Color enemy) {
  Bitboard attackers = attackersOf(pos, s, enemy);
  if (!(pos.pinners[~enemy] & bit(s))) attackers &= ~(pos.blockers[enemy] & pos.colourBB[enemy]);
  return attackers;
}

// The moved piece stood attacked by something it fears: a pawn (any piece), a
// minor (rook or queen), a rook (queen), or anything when undefended.
bool isThreatEvasion(const Position& pos, Move m) {
  const int from = fromSquare(m);
  const int type = typeOf(pos.board[from]);
  if (type < Knight || type > Queen) return false;
  const Color us = pos.sideToMove, them = ~us;
  const Bitboard attackers = attackersThatCount(pos, from, them);
  if (!attackers) return false;
  const int value = ExchangeValue[type];
  if ((attackers & pos.pieceBB[Pawn]) && value > 96) return true;
  if ((attackers & (pos.pieceBB[Knight] | pos.pieceBB[Bishop])) && value > 344) return true;
  if ((attackers & pos.pieceBB[Rook]) && value > 532) return true;
  return !attackersOf(pos, from, us);
}

// Whether the pawn has no enemy pawn ahead of it on its own or an adjacent file.
bool isPassedPawn(const Position& pos, Color us, int s) {
  return !(evalMasks.passedSpan[us][s] & pos.pieces(~us, Pawn));
}

// Threat of a quiet move: 3 a strong threat (a fork, an attack winning material),
// 2 a single real threat, 0 nothing, -1 a piece move that simply loses material.
int threatValueOf(const Position& pos, Move m, const MoveFacts& facts, int see) {
  const Color us = pos.sideToMove, them = ~us;
  const int from = fromSquare(m), to = toSquare(m);
  const int type = typeOf(pos.board[from]);
  const Bitboard occAfter = (pos.occupied ^ bit(from)) | bit(to);
  const Bitboard enemyPieces = pos.colourBB[them] & ~pos.pieceBB[Pawn] & ~pos.pieceBB[King];

  if (type >= Knight && type <= Queen && !facts.dangerousCheck && see < 0) return -1;

  if (type == Pawn) {
    if (facts.pawnAdvance == 7) return 3;
    if (facts.pawnAdvance == 6) return 2;
    if (!pieceCount(pos, them)) return 0;
    const int hits = popCount(pawnAttacks(us, to) & enemyPieces);
    if (!hits) return 0;
    if (see < 0) {
      // A push that loses the pawn threatens something only through a discovered attack.
      return 0;
    }
    return hits >= 2 ? 3 : 2;
  }

  // Which enemy pieces the moved piece attacks from its destination and may win:
  // those worth more than it, and undefended ones.
  const Bitboard attacks = type == King ? kingAttacks(to) : attacksOf(type, to, occAfter);
  Position after = pos;
  (void)after;
  auto defended = [&](int s) { return attackersOf(pos, s, them, ~bit(from)) != 0; };
  int strong = 0;
  for (Bitboard b = attacks & enemyPieces; b;) {
    const int s = popLowest(b);
    const int victim = typeOf(pos.board[s]);
    if (type == King) {
      if (!defended(s)) ++strong;
    } else if (ExchangeValue[victim] > ExchangeValue[type] || !defended(s)) {
      ++strong;
    }
  }

  if (type == Knight) {
    const int royal = popCount(attacks & (pos.pieces(them, King) | pos.pieces(them, Rook) | pos.pieces(them, Queen)));
    if (royal >= 2) return 3;
    if (royal == 1) return 2;
    const int bishops = popCount(attacks & pos.pieces(them, Bishop));
    if (bishops >= 2) return 3;
    if (bishops == 1) return 2;
    // A discovered attack on the queen, or a threat backed by a pawn.
    const Bitboard queens = pos.pieces(them, Queen);
    for (Bitboard sliders = pos.pieces(us, Bishop, Queen) | pos.pieces(us, Rook); queens && sliders;) {
      const int s = popLowest(sliders);
      const Bitboard line = between(s, lowestSquare(queens));
      if ((line & bit(from)) && popCount(line & occAfter) == 0 && (attacksOf(typeOf(pos.board[s]), s, occAfter) & queens))
        return 2;
    }
    if (strong && (pawnAttackers(us, to) & pos.pieces(us, Pawn))) return 2;
    return 0;
  }
  if (strong >= 2) return 3;
  return strong == 1 ? 2 : 0;
}

}  // namespace

// ---- Node-level rules -----------------------------------------------------------

int nodeLevelPruning(SearchThread& t, Position& pos, NodeState& node) {
  const int ply = node.ply, depth = node.depth, beta = node.beta;
  if (node.inCheck || node.pvNode || ply == 0 || node.kind != OrdinaryChild || t.stack(ply).mateThreatMove) return ScoreNone;
  const Color us = pos.sideToMove, them = ~us;
  const StackEntry& previous = t.stack(ply - 1);

  // 1. Reverse futility pruning.
  if (switchOn(searchSwitches.futilityPruning) && depth < 6 && ply > 1 && std::abs(beta) < DecisiveScore &&
      previous.pawnAdvance != 7) {
    int margin = depth * 120 + (previous.threatValue >= 2 ? 240 : node.improving ? 180 : 60);
    if (piecesOnBoard(pos) <= 4) margin += 110;
    if (beta < -500 && pieceCount(pos, them) >= 2) margin += (std::abs(beta) - 500) / 5;
    if (node.staticEval > beta + margin) {
      ++t.rules.reverseFutility;
      return node.staticEval;
    }
  }

  // 2. Null move.
  if (switchOn(searchSwitches.nullMovePruning) && t.nullMovePermitted && depth >= 2 && beta < DecisiveScore &&
      node.adjustedEval >= node.staticEval && !t.stack(ply - 2).nullMove && pieceCount(pos, us) &&
      node.staticEval > beta + 10 * std::max(7 - depth, 0)) {
    int reduced = depth - (depth - 2) / 4 - 3;
    if (!materialSum(pos, them)) reduced -= 2;
    const int own = nonPawnMaterial(pos, us);
    if (!pieceCount(pos, them) && own >= 1028 && node.staticEval > beta + 300 && previous.pawnAdvance != 7)
      reduced -= 2;
    else if (own < 688)
      reduced += 1;
    if ((ply > 2 && node.staticEval < t.stack(ply - 2).staticEval - 328) || previous.pawnAdvance == 7 || node.ttPv)
      reduced += 1;

    const Position before = pos;
    StackEntry& ss = t.stack(ply);
    makeSearchNullMove(t, pos, ply);
    ss.nullMove = true;
    ss.pieceTo = 0;
    ss.threatValue = 0;
    ss.pawnAdvance = 0;
    ss.destination = -1;
    t.stack(ply + 1).mateThreatMove = NullMove;
    int score;
    if (reduced < 0)
      score = -quiescence(t, pos, -beta, -beta + 1, 0, CutNode, true);
    else
      score = -search(t, pos, -beta, -beta + 1, std::max(reduced, 1), NullMoveChild, CutNode);
    pos = before;
    ss.nullMove = false;
    if (score == -SearchAborted) return SearchAborted;
    if (score >= beta) {
      ++t.rules.nullMove;
      return score;
    }
  }

  // 3. A deep enough table entry whose move wins material.
  if (node.ttMove && node.ttDepth >= 2 && node.ttDepth >= depth - 2 &&
      (node.ttBound == BoundLower || node.ttBound == BoundExact) && node.ttScore != ScoreNone &&
      node.ttScore > beta + 160 && previous.pawnAdvance != 7 && isPseudoLegal(pos, node.ttMove, false, AnyKind) &&
      isTacticalMove(pos, node.ttMove)) {
    ++t.rules.tableCaptureCut;
    return node.ttScore;
  }

  // 4. ProbCut: a capture that wins by a margin at reduced depth.
  if (switchOn(searchSwitches.probCutPruning) && depth > 5 && previous.threatValue < 3 && beta < DecisiveScore &&
      node.adjustedEval >= beta) {
    const int probBeta = beta + 160;
    MoveList captures;
    generateMoves(pos, captures, ~Bitboard(0), pos.colourBB[them]);
    scoreCaptures(captures, pos, *t.histories);
    sortScored(captures);
    CheckInfo ci;
    buildCheckInfo(pos, ci);
    const Position before = pos;
    int tried = 0;
    for (int i = 0; i < captures.count && tried < 3; ++i) {
      const Move m = captures.moves[i];
      if (m == node.excluded || isIllegal(pos, m) || !seeAtLeast(pos, m, 96)) continue;
      ++tried;
      makeSearchMove(t, pos, before, m, givesCheck(before, m, ci), ply);
      StackEntry& ss = t.stack(ply);
      ss.pieceTo = makePieceTo(before.board[fromSquare(m)], toSquare(m));
      ss.destination = toSquare(m);
      ss.threatValue = 0;
      ss.pawnAdvance = 0;
      ss.nullMove = false;
      t.stack(ply + 1).mateThreatMove = NullMove;
      int score = -quiescence(t, pos, -probBeta, -probBeta + 1, 0, CutNode, true);
      if (score != -SearchAborted && score >= probBeta) {
        t.repetitions.add(pos.key, 2);
        score = -search(t, pos, -probBeta, -probBeta + 1, depth - 4, ReSearch, CutNode);
        t.repetitions.remove(pos.key, 2);
      }
      pos = before;
      if (score == -SearchAborted) return SearchAborted;
      if (score >= probBeta) {
        ++t.rules.probCut;
        return probBeta;
      }
    }
  }
  return ScoreNone;
}

// ---- Flags of the move loop -----------------------------------------------------

void prepareMoveLoop(SearchThread& t, const Position& pos, NodeState& node) {
  const int ply = node.ply, depth = node.depth;
  const Color us = pos.sideToMove, them = ~us;
  const int margin = piecesOnBoard(pos) <= 3 ? 1200 : 160;
  node.futile = !node.pvNode && ply >= 2 && depth <= 1 && node.alpha >= -9499 && !node.inCheck &&
                node.staticEval < node.alpha - margin;
  node.lateMovePruning = switchOn(searchSwitches.lateMovePruning) && depth <= 9 && ply >= 2 && pieceCount(pos, us) &&
                         node.alpha >= -9499;
  node.lateMoveLimit = lmpCount[node.improving ? 1 : 0][std::clamp(depth, 1, 9)];
  node.reductions = switchOn(searchSwitches.lateMoveReductions) && depth >= 3 && !(node.rootNode && !t.rootReductions);
  node.threatDetection = switchOn(searchSwitches.threatMoveDetection) && depth >= 3 && materialSum(pos, us) &&
                         materialSum(pos, them);
  bool mateThreats = switchOn(searchSwitches.mateThreats) && depth >= 3 && !(node.ttFacts & FactNoMateThreat) &&
                     pos.pieces(us, Rook, Queen);
  if (mateThreats && pieceCount(pos, us) <= 1) {
    // With a single piece a mate needs the enemy king on the edge.
    constexpr Bitboard Edges = FileABB | FileHBB | Rank1BB | Rank8BB;
    mateThreats = (bit(pos.kingSquare[them]) & Edges) != 0;
  }
  node.mateThreatDetection = mateThreats;
  node.stopOnPrunedLateMove = depth < 3 && (node.ttFacts & FactNoChecks);
}

int mateInOneShortcut(SearchThread& t, Position& pos, NodeState& node, TTSlot slot) {
  if (!switchOn(searchSwitches.mateThreats) || node.excluded || node.kind == NullMoveChild || node.inCheck ||
      (node.ttFacts & FactNoChecks))
    return ScoreNone;
  const bool ttMoveValid = node.ttMove && isPseudoLegal(pos, node.ttMove, false, AnyKind);
  if (ttMoveValid && !(node.ttDepth < 3 && node.depth >= 3)) return ScoreNone;
  const int ply = node.ply;
  Move mate = NullMove;
  const Move remembered = t.stack(ply - 1).mateThreatMove;
  if (remembered && isMatingMove(pos, remembered)) mate = remembered;
  const Color us = pos.sideToMove;
  if (!mate && node.depth >= 3 && pieceCount(pos, us) >= 2 && pos.pieces(us, Rook, Queen)) mate = findMateInOne(pos);
  if (!mate) return ScoreNone;
  ++t.rules.mateInOne;
  t.pv[ply].set(mate);
  const int score = mateIn(ply + 1);
  if (slot) t.tt->store(slot, pos.key, -10001, 10001, mate, score, node.depth, ply, t.age8, node.staticEval, 0);
  return score;
}

// ---- Per move --------------------------------------------------------------------

int singularExtensionTest(SearchThread& t, Position& pos, NodeState& node) {
  if (!switchOn(searchSwitches.singularExtension) || node.ttScore == ScoreNone || node.ply == 0 || node.excluded)
    return ScoreNone;
  if (((node.ttFacts & FactSingular) && t.wideWindow) ||
      (node.inCheck && node.depth >= 7 && t.stack(node.ply).moveCount == 1)) {
    node.ttMoveSingular = true;
    return ScoreNone;
  }
  if (node.ttBound == BoundUpper || node.depth < 7 || node.ttDepth < node.depth - 2) return ScoreNone;
  const int singularBeta = std::max(node.ttScore - (2 * node.ttDepth + 8), -10000);
  const PvLine saved = t.pv[node.ply];
  const int score = search(t, pos, singularBeta - 1, singularBeta, node.depth / 2, ReSearch, CutNode, node.ttMove);
  t.pv[node.ply] = saved;
  if (score == SearchAborted) return SearchAborted;
  if (score < singularBeta) {
    ++t.rules.singular;
    node.ttMoveSingular = true;
    return ScoreNone;
  }
  if (score >= node.beta && node.beta < DecisiveScore) {
    ++t.rules.multiCut;
    return node.beta;
  }
  return ScoreNone;
}

MoveFacts moveFacts(SearchThread& t, const Position& pos, NodeState& node, Move m, int stage, Bitboard checkers) {
  MoveFacts f;
  const Color us = pos.sideToMove;
  const int from = fromSquare(m), to = toSquare(m);
  const int type = typeOf(pos.board[from]);
  f.givesCheck = checkers != 0;
  f.promotionPush = type == Pawn && (bit(to) & PromotionRanks);
  f.tactical = isTacticalMove(pos, m);
  auto seeOk = [&]() {
    if (!f.see) f.see = seeAtLeast(pos, m, -17) ? 1 : -1;
    return f.see > 0;
  };
  if (f.givesCheck) {
    const bool singleDirect = !moreThanOne(checkers) && (checkers & bit(to));
    f.dangerousCheck = t.stack(node.ply).mateThreatMove || !singleDirect || seeOk();
  }
  if (type == Pawn) {
    const int rank = relativeRank(us, to);
    if (rank == 6)
      f.pawnAdvance = 7;
    else if (rank == 5 && isPassedPawn(pos, us, to) && seeOk())
      f.pawnAdvance = 6;
  }
  f.threatEvasion = stage != 1 && isThreatEvasion(pos, m);
  if (node.threatDetection && !f.tactical) {
    const bool needsSee = (type >= Knight && type <= Queen && !f.dangerousCheck) || type == Pawn;
    f.threatValue = threatValueOf(pos, m, f, needsSee ? (seeOk() ? 1 : -1) : 1);
    if (f.threatValue >= 2) ++t.rules.threatMove;
  }
  f.singular = m == node.ttMove && node.ttMoveSingular;
  return f;
}

bool pruneMove(SearchThread& t, const Position& pos, NodeState& node, Move m, int stage, MoveFacts& f) {
  const int depth = node.depth;
  bool prune = false;

  // 1. A futile node keeps only checks and pushes to the seventh rank after the captures.
  if (node.futile && stage >= 2 && !f.givesCheck && f.pawnAdvance != 7) {
    prune = true;
    ++t.rules.futileSkip;
  }

  // 2. Late-move pruning.
  if (!prune && node.lateMovePruning && node.lateMoveCount > 1 && !f.dangerousCheck && f.pawnAdvance < 6) {
    const int d1 = depth - 1;
    const Color them = ~pos.sideToMove;
    auto seeBelow = [&](int threshold) { return !seeAtLeast(pos, m, threshold); };
    if (stage == 4) {
      if (pieceCount(pos, them) >= 2 && !f.threatEvasion && !f.givesCheck && d1 < 4) {
        if (seeBelow(-180 * std::max(depth, 1))) prune = true;
        else if (d1 < 2) {
          const PieceCode moving = pos.board[fromSquare(m)];
          const PieceCode target = pos.board[toSquare(m)];
          const int h = t.histories->capture[target == Empty ? 6 : typeOf(target)][pieceIndex(moving)][toSquare(m)];
          if (h < -64 * d1 * d1) prune = true;
        }
      }
    } else if ((stage == 2 || stage == 3) && f.threatValue < 2 && m != t.stack(node.ply).killers.killer1) {
      if (node.lateMoveCount > node.lateMoveLimit && !f.threatEvasion) {
        prune = true;
      } else {
        const PieceCode moving = pos.board[fromSquare(m)];
        const int prev1 = t.stack(node.ply - 1).pieceTo, prev2 = t.stack(node.ply - 2).pieceTo;
        if (d1 < 6 && switchOn(searchSwitches.futilityPruning) &&
            std::max(f.threatValue + depth, 1) * 220 < node.alpha - std::max(node.adjustedEval, node.staticEval))
          prune = true;
        else if (d1 < 4 && prev1 && prev2 &&
                 t.histories->continuation[pieceIndex(moving)][toSquare(m)][0][prev1] < -64 * d1 * d1 &&
                 t.histories->continuation[pieceIndex(moving)][toSquare(m)][1][prev2] < -64 * d1 * d1)
          prune = true;
        else if (d1 <= 6 && seeBelow(QuietSeeThreshold[std::max(d1, 0)]))
          prune = true;
      }
    }
  }
  if (!prune) return false;
  if (!node.futile) ++t.rules.lateMovePrune;

  // 3. Rescue: a move back into a position the game has seen, when behind...
  if (node.bestScore < 0 && node.bestScore != ScoreNone && !f.tactical && typeOf(pos.board[fromSquare(m)]) != Pawn) {
    const PieceCode piece = pos.board[fromSquare(m)];
    const Key estimate = pos.key ^ zobrist.pieceKey[piece][fromSquare(m)] ^ zobrist.pieceKey[piece][toSquare(m)] ^
                         zobrist.sideKey;
    if (t.repetitions.count(estimate) > 1) return false;
  }
  // ...or one that may threaten mate: made, then dropped unless it does.
  if ((node.mateThreatDetection && !f.givesCheck && f.threatValue != -1) || t.stack(node.ply - 1).mateThreatMove) {
    f.needsMateThreat = true;
    return false;
  }
  if (node.stopOnPrunedLateMove && node.lateMoveCount >= node.lateMoveLimit) node.stopLoop = true;
  return true;
}

bool afterMove(SearchThread& t, Position& pos, const Position& before, NodeState& node, Move m, MoveFacts& f) {
  if (!switchOn(searchSwitches.mateThreats)) return !f.needsMateThreat;
  const int ply = node.ply;
  const bool detect = node.mateThreatDetection && !f.givesCheck && f.threatValue != -1;
  if (detect || (f.needsMateThreat && !f.givesCheck)) {
    // Could the side that just moved mate if it were to move again?
    Position again = pos;
    makeNullMove(again);
    Move threat = detect ? findMateInOne(again) : NullMove;
    const Move remembered = t.stack(ply - 1).mateThreatMove;
    if (!threat && remembered && isMatingMove(again, remembered)) threat = remembered;
    if (threat) {
      ++t.rules.mateThreat;
      t.stack(ply + 1).mateThreatMove = threat;
      f.createsMateThreat = true;
      node.mateThreatFound = true;
    }
  }
  (void)before;
  (void)m;
  return !f.needsMateThreat || f.createsMateThreat;
}

bool extensionFor(SearchThread& t, const Position& before, NodeState& node, Move m, const MoveFacts& f) {
  if (!switchOn(searchSwitches.extensions)) return false;
  const int depth = node.depth, ply = node.ply;
  const bool parentExtended = t.stack(ply - 1).extended;
  if (f.singular) return true;
  if (depth <= 7 && !parentExtended && node.staticEval < node.alpha && node.adjustedEval > node.staticEval + 96 &&
      m == node.ttMove)
    return true;
  if (f.dangerousCheck && (depth <= 6 || piecesOnBoard(before) <= 4)) return true;
  if (f.pawnAdvance == 7 && depth == 1) return true;
  const PieceCode captured = before.board[toSquare(m)];
  if (captured != Empty && typeOf(captured) >= Knight && typeOf(captured) <= Queen && piecesOnBoard(before) <= 2)
    return true;
  if (!f.tactical && node.ttPv && depth >= 3 && ply > 0 && !parentExtended) {
    const PieceCode moving = before.board[fromSquare(m)];
    const int prev1 = t.stack(ply - 1).pieceTo, prev2 = t.stack(ply - 2).pieceTo;
    if (prev1 && prev2 && t.histories->continuation[pieceIndex(moving)][toSquare(m)][0][prev1] > 4096 &&
        t.histories->continuation[pieceIndex(moving)][toSquare(m)][1][prev2] > 4096)
      return true;
  }
  return false;
}

int lateMoveReduction(SearchThread& t, const Position& before, const NodeState& node, Move m, int stage,
                      const MoveFacts& f, int moveCount, int newDepth) {
  if (!node.reductions) return 0;
  const int n = std::min(node.lateMoveCount, 127);
  const int d = std::clamp(newDepth, 0, 127);
  const bool ttTactical = node.ttMove && isTacticalMove(before, node.ttMove);
  if (f.tactical || (node.rootNode && (f.dangerousCheck || moveCount <= 2))) {
    if (f.promotionPush && promotionCode(m) != PromoQueen && before.board[toSquare(m)] == Empty) return lmrTable[d][n] + 3;
    return f.tactical && !f.givesCheck && moveCount + (ttTactical ? 1 : 0) > 3 ? 1 : 0;
  }
  int r = lmrTable[d][n];
  if (node.ttPv || (!node.ttMove && moveCount <= 3)) --r;
  if (!node.improving || ttTactical || f.threatValue == -1) ++r;
  if (node.type == CutNode && t.stack(node.ply - 1).threatValue < 2) ++r;
  const int ply = node.ply;
  const int history = combinedHistory(before, m, *t.histories,
                                      PreviousMoves{t.stack(ply - 1).pieceTo, t.stack(ply - 2).pieceTo, t.stack(ply - 4).pieceTo});
  if (history >= 5462) --r;
  if (history < -4096) ++r;
  if (f.createsMateThreat) return std::min(r - 2, 1);
  if (m == t.stack(ply).killers.killer1 || f.dangerousCheck || f.pawnAdvance == 7) return std::min(r - 1, 2);
  if (f.threatValue < 2 && !f.threatEvasion && !f.givesCheck && stage != 2 && !f.singular && piecesOnBoard(before))
    return r;
  return r - 1;
}

}  // namespace tarn
