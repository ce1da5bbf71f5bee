// The main alpha-beta search: a fail-soft principal-variation search.
#include "search/search.h"

#include <algorithm>

#include "board/attacks.h"
#include "board/draw_rules.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/nn/inference.h"
#include "eval/tb/syzygy.h"
#include "search/iterative_deepening.h"
#include "search/move_picker.h"
#include "search/pruning.h"
#include "search/search_control.h"
#include "search/search_limits.h"
#include "search/search_snapshots.h"
#include "search/see.h"
#include "search/time_management.h"

namespace tarn {

namespace {

constexpr NodeType childType(NodeType t) { return t == PvNode ? PvNode : t == CutNode ? AllNode : CutNode; }


PreviousMoves previousMoves(SearchThread& t, int ply) {
  return PreviousMoves{t.stack(ply - 1).pieceTo, t.stack(ply - 2).pieceTo, t.stack(ply - 4).pieceTo};
}

bool isTactical(const Position& pos, Move m) {
  return !isQuietForHistory(pos, m) || (typeOf(pos.board[fromSquare(m)]) == Pawn && toSquare(m) == pos.epSquare);
}

}  // namespace

// ---- Helpers shared with the quiescence search and the root ------------------

int staticEvaluation(SearchThread& t, const Position& pos, int ply) {
  EvalContext& ctx = *t.eval;
  const StackEntry& entry = t.stack(ply);
  const MaterialInfo& mi = getMaterialInfo(ctx.materialInfo, pos);
  ctx.accumulator = entry.netIndex >= 0 && entry.netIndex == mi.netIndex ? &entry.accumulator : nullptr;
  return evaluate(pos, ctx);
}

namespace {

// Whether the network chosen for `pos` can evaluate it, so that its accumulator is worth keeping.
int usableNetwork(SearchThread& t, const Position& pos) {
  if (!nn::anyListNetworkLoaded()) return -1;
  const int index = getMaterialInfo(t.eval->materialInfo, pos).netIndex;
  return index >= 0 && nn::network(index).loaded() ? index : -1;
}

}  // namespace

void makeSearchMove(SearchThread& t, Position& pos, const Position& before, Move m, Bitboard checkers, int ply) {
  const PrefetchHandle prefetch{t.tt->base(), t.tt->mask()};
  makeMove(pos, m, checkers, t.tt->base() ? &prefetch : nullptr);
  StackEntry& parent = t.stack(ply);
  StackEntry& child = t.stack(ply + 1);
  const int index = usableNetwork(t, pos);
  child.netIndex = index;
  if (index < 0) return;
  if (index == parent.netIndex) {
    child.accumulator = parent.accumulator;
    nn::update(index, m, before, child.accumulator, pos);
  } else {
    nn::refresh(index, pos, child.accumulator);
  }
}

void makeSearchNullMove(SearchThread& t, Position& pos, int ply) {
  makeNullMove(pos);
  StackEntry& parent = t.stack(ply);
  StackEntry& child = t.stack(ply + 1);
  child.netIndex = parent.netIndex;
  if (parent.netIndex < 0) return;
  child.accumulator = parent.accumulator;
  nn::flipSideToMove(parent.netIndex, pos.sideToMove, child.accumulator);
}

bool isSearchDraw(const SearchThread& t, const Position& pos) {
  if (!pos.pieceBB[Pawn] && materialSum(pos, White) < 532 && materialSum(pos, Black) < 532 && !pos.checkers) return true;
  if (pos.fiftyCounter > 3 && t.repetitions.count(pos.key) > 1) return true;
  return pos.fiftyCounter >= FiftyMoveLimit && !isCheckmate(pos);
}

bool searchMustStop(SearchThread& t) {
  if (t.abort) return true;
  if (!t.isMain()) return t.abort = workersRunning.load(std::memory_order_relaxed) == 0;
  if (t.iterationDepth.load(std::memory_order_relaxed) < 2) return false;
  if (stopRequest.load(std::memory_order_relaxed) || ponderState.load(std::memory_order_relaxed) == PonderMiss)
    return t.abort = true;
  const uint64_t nodes = t.nodes.load(std::memory_order_relaxed);
  if (searchLimits.maxNodes && (nodes & 255) == 0 && totalNodes() >= searchLimits.maxNodes) return t.abort = true;
  if (nodes - t.lastClockCheck >= 2000) {
    t.lastClockCheck = nodes;
    // The window program's display follows the search at most eight times a second.
    if (searchSnapshotsEnabled() && !stopRequest.load(std::memory_order_relaxed) &&
        nowMilliseconds() - t.lastSnapshot >= 125) {
      t.lastSnapshot = nowMilliseconds();
      reportSnapshot(t);
    }
    if (clockApplies(t) && secondsSince(t.searchStart) > softTimeLimit(t)) return t.abort = true;
  }
  return false;
}

// ---- The node -------------------------------------------------------------------

int search(SearchThread& t, Position& pos, int alpha, int beta, int depth, SearchKind kind, NodeType type, Move excluded) {
  // Step 1. Stop check.
  if (searchMustStop(t)) return SearchAborted;

  // Step 2. Node set-up.
  const int ply = pos.ply - t.rootGamePly;
  const bool rootNode = ply == 0;
  const bool pvNode = type == PvNode;
  const bool inCheck = pos.checkers != 0;
  StackEntry& ss = t.stack(ply);
  t.stack(ply + 1).killers = Killers{};
  PvLine& pv = t.pv[ply];
  if (rootNode)
    pv.set(t.rootMoves.moves[t.multiPvIndex]);
  else
    pv.clear();
  t.selDepth = std::max(t.selDepth, ply);

  // Step 3. Too deep.
  if (ply > MaxSearchPly) return staticEvaluation(t, pos, ply);

  // Step 4. Mate-distance pruning.
  alpha = std::max(alpha, matedIn(ply));
  if (alpha >= std::min(beta, mateIn(ply + 1))) return alpha;
  const int alphaAtEntry = alpha;

  // Step 5. Transposition table.
  TranspositionTable& tt = *t.tt;
  TTSlot slot;
  Move ttMove = NullMove;
  int ttScore = ScoreNone, ttDepth = -128;
  Bound ttBound = BoundNone;
  uint8_t ttFacts = 0;
  int staticEval = ScoreNone;
  bool ttPv = pvNode;
  if (t.useTable && tt.ready() && !excluded) {
    slot = tt.probe(pos.key);
    if (slot) {
      const TTData e = slot.read();
      ttMove = e.hasMove() ? e.move : NullMove;
      ttBound = e.bound();
      ttDepth = e.depth;
      ttFacts = e.facts();
      int score;
      const bool usable = TranspositionTable::isUsable(e, alpha, beta, depth, ply, score);
      if (ttBound != BoundNone) ttScore = score;
      if (usable && !pvNode && ply > 2 && pos.fiftyCounter <= 99) {
        const bool ttMoveValid = ttMove && isPseudoLegal(pos, ttMove, true, AnyKind);
        if (ttMoveValid)
          pv.set(ttMove, MarkerTT);
        else
          pv.set(MarkerTT);
        if (ttMoveValid && ttBound != BoundUpper && ttScore > beta) {
          TriedMoves<16> noCaptures;
          TriedMoves<64> noQuiets;
          updateHistories(pos, *t.histories, ss.killers, ttMove, depth, true, previousMoves(t, ply), noCaptures,
                          noQuiets, false);
        }
        tt.refresh(slot);
        return ttScore;
      }
      if (ply > 0 && ttScore != ScoreNone && ttScore > beta && ttScore > 9499 && ttBound != BoundUpper) return ttScore;
      if (e.staticEval != NoScore && e.depth != ClaimedDepth) staticEval = e.staticEval;
    } else {
      slot = tt.claim(pos.key);
    }
    if (!pvNode) ttPv = (ttFacts & FactPv) != 0;
  }
  uint8_t nodeFacts = 0;
  if ((pvNode && depth >= 3) || (!pvNode && ttPv)) nodeFacts |= FactPv;

  // Step 6. Static evaluation.
  if (staticEval == ScoreNone) staticEval = staticEvaluation(t, pos, ply);
  ss.staticEval = staticEval;

  // Step 7. Tablebases.
  bool tbResult = false;
  int bestScore = ScoreNone;
  if (ply > 0 && pos.fiftyCounter == 0 && popCount(pos.pieceBB[Pawn]) <= 5 && !excluded) {
    const int wdl = probeWdl(pos, depth);
    if (wdl != WdlNone) {
      t.countTbHit();
      tbResult = true;
      pv.set(MarkerTable);
      const Color us = pos.sideToMove;
      const int d = (materialSum(pos, us) - materialSum(pos, ~us)) / 8;
      int score = wdl == 2 ? 900 + d : wdl == -2 ? d - 900 : wdl;
      const bool cut = (wdl == 2 && score >= beta) || (wdl == -2 && score <= alpha) || (wdl != 2 && wdl != -2);
      if (cut) {
        tt.store(slot, pos.key, alpha, beta, NullMove, score, depth, ply, t.age8, staticEval, nodeFacts);
        return score;
      }
      if (pvNode && score > 0) {
        bestScore = score;
        alpha = std::max(alpha, score);
      }
    }
  }

  // Step 8. Improving, and the table's better estimate.
  const bool improving = ply < 2 || t.stack(ply - 2).staticEval < staticEval;
  int adjustedEval = staticEval;
  if (ttScore != ScoreNone &&
      (ttBound == BoundExact || (ttBound == BoundLower && ttScore > staticEval) || (ttBound == BoundUpper && ttScore < staticEval)))
    adjustedEval = ttScore;

  NodeState node{ply, depth, alpha, beta, staticEval, adjustedEval, improving, inCheck, pvNode, rootNode,
                 kind, type, excluded, ttMove, ttScore, ttDepth, ttBound, ttFacts, ttPv, tbResult};
  node.bestScore = bestScore;

  // Step 9. Node-level pruning, then internal iterative deepening.
  if (const int cut = nodeLevelPruning(t, pos, node); cut != ScoreNone) return cut;
  const bool ttMoveValid = ttMove && isPseudoLegal(pos, ttMove, false, AnyKind);
  if ((pvNode || alpha < adjustedEval) && ply > 0 && !tbResult && depth >= 5 && !ttMoveValid && !excluded) {
    const int score = search(t, pos, alpha, beta, depth - depth / 3 - 2, ReSearch, type);
    if (score == SearchAborted) return SearchAborted;
    const Move m = pv.length ? pv.moves[0] : NullMove;
    if (m && !isMarker(m)) ttMove = m;
    pv.clear();
    node.ttMove = ttMove;
  }

  // Step 10. Per-node flags of the move loop, and the mate-in-one shortcut.
  prepareMoveLoop(t, pos, node);
  if (const int mate = mateInOneShortcut(t, pos, node, slot); mate != ScoreNone) return mate;

  // Step 11. The move loop.
  const PreviousMoves prev = previousMoves(t, ply);
  const Move counter = prev.prev1 ? t.histories->counterMoves[prev.prev1] : NullMove;
  MovePicker picker(pos, ttMove, *t.histories, ss.killers, counter, prev);
  ss.moveCount = inCheck ? picker.evasionCount() : 0;
  CheckInfo ci;
  buildCheckInfo(pos, ci);
  TriedMoves<16> triedCaptures;
  TriedMoves<64> triedQuiets;
  Move bestMove = NullMove;
  int moveCount = 0;
  bool checksGiven = false;
  int rootIndex = t.multiPvIndex;
  const Position before = pos;

  for (;;) {
    int stage = 1;
    Move m;
    if (rootNode) {
      if (rootIndex >= t.rootMoves.count) break;
      m = t.rootMoves.moves[rootIndex++];
    } else {
      m = picker.next(stage);
      if (!m) break;
    }
    // 1. Skip the excluded move and illegal moves.
    if (m == excluded) continue;
    if (isIllegal(pos, m)) continue;

    // 3. Counting and root bookkeeping.
    ++moveCount;
    ++node.lateMoveCount;
    if (rootNode) {
      t.currentRootMove = m;
      t.currentRootMoveNumber = rootIndex;
      if (t.isMain() && t.iterationDepth.load(std::memory_order_relaxed) > 8 && secondsSince(t.searchStart) > 1.5)
        reportCurrentMove(t);
    }

    // 4. The singular test of the table move, move facts and pruning.
    if (m == node.ttMove && !rootNode) {
      const int cut = singularExtensionTest(t, pos, node);
      if (cut == SearchAborted) return SearchAborted;
      if (cut != ScoreNone) return cut;
    }
    const Bitboard checkers = givesCheck(pos, m, ci);
    MoveFacts facts = moveFacts(t, pos, node, m, stage, checkers);
    if (facts.givesCheck && facts.dangerousCheck) checksGiven = true;
    if (pruneMove(t, pos, node, m, stage, facts)) {
      node.bestScore = bestScore = std::max(bestScore, alpha);
      if (node.stopLoop) break;
      continue;
    }

    // 5. Make the move.
    makeSearchMove(t, pos, before, m, checkers, ply);
    t.stack(ply + 1).mateThreatMove = NullMove;
    if (!afterMove(t, pos, before, node, m, facts)) {
      pos = before;
      node.bestScore = bestScore = std::max(bestScore, alpha);
      continue;
    }

    // 6. Extension and stack record.
    const bool extend = extensionFor(t, before, node, m, facts);
    if (extend) ++t.rules.extended;
    const int newDepth = extend ? depth : depth - 1;
    ss.threatValue = facts.threatValue;
    ss.pieceTo = makePieceTo(before.board[fromSquare(m)], toSquare(m));
    ss.extended = extend;
    ss.pawnAdvance = facts.pawnAdvance;
    ss.nullMove = false;
    ss.destination = toSquare(m);
    t.countNode();

    int score;
    PvLine& childPv = t.pv[std::min(ply + 1, StackSize - 1)];
    if (isSearchDraw(t, pos)) {
      // 7. A draw.
      score = drawScore(t);
      childPv.set(MarkerDraw);
    } else if (newDepth > 0) {
      // 8. Principal-variation search.
      t.repetitions.add(pos.key, 2);
      if (moveCount == 1) {
        score = -search(t, pos, -beta, -alpha, newDepth, OrdinaryChild, childType(type));
      } else {
        const int r = lateMoveReduction(t, before, node, m, stage, facts, moveCount, newDepth);
        const int reduced = r >= 0 ? std::max(newDepth - r, 1) : newDepth;
        if (reduced < newDepth) ++t.rules.reduced;
        score = -search(t, pos, -alpha - 1, -alpha, reduced, OrdinaryChild, CutNode);
        if (score != -SearchAborted && score > alpha && reduced < newDepth)
          score = -search(t, pos, -alpha - 1, -alpha, newDepth, OrdinaryChild, pvNode ? PvNode : AllNode);
        if (score != -SearchAborted && score > alpha) {
          RootMove saved;
          if (rootNode && pvNode) {
            ++t.instability;
            saved = t.slots[t.multiPvIndex];
            RootMove& slotMove = t.slots[t.multiPvIndex];
            slotMove.move = m;
            slotMove.score = score;
            slotMove.depth = depth;
            slotMove.pv.set(m);
            if (depth >= 3) moveRootMoveAfterSlot(t, m);
            if (depth > 5 && t.isMain()) reportSnapshot(t);
          }
          updateHistories(before, *t.histories, ss.killers, m, depth / 4, false, prev, triedCaptures, triedQuiets, false);
          if (score < beta) {
            score = -search(t, pos, -beta, -alpha, newDepth, ReSearch, type);
            if (rootNode && score != -SearchAborted && score <= alpha) {
              t.slots[t.multiPvIndex] = saved;
              if (depth > 5 && t.isMain()) reportSnapshot(t);
            }
          }
        }
      }
      t.repetitions.remove(pos.key, 2);
    } else {
      // 9. The horizon.
      score = -quiescence(t, pos, -beta, -alpha, 0, pvNode ? PvNode : CutNode);
    }

    // 10. Undo.
    pos = before;
    if (score == -SearchAborted) return SearchAborted;

    // 11. Root bookkeeping.
    if (rootNode && pvNode) rootMoveSearched(t, m, score, alpha, beta, depth, moveCount == 1, childPv);

    // 12. Best score, cut-off, new best move.
    if (score > bestScore) bestScore = score;
    node.bestScore = bestScore;
    if (score >= beta || score == mateIn(ply + 1)) {
      if (!excluded) {
        updateHistories(pos, *t.histories, ss.killers, m, depth, score >= beta + 96 || staticEval < alpha, prev,
                        triedCaptures, triedQuiets, true);
        uint8_t facts2 = nodeFacts;
        if (m == ttMove && node.ttMoveSingular) facts2 |= FactSingular;
        if (!checksGiven) facts2 |= FactNoChecks;
        if (depth >= 3 && !node.mateThreatFound) facts2 |= FactNoMateThreat;
        tt.store(slot, pos.key, alphaAtEntry, beta, m, score, depth, ply, t.age8, staticEval, facts2);
      } else if (isQuietForHistory(pos, m) && m != ss.killers.killer1) {
        ss.killers.killer2 = ss.killers.killer1;
        ss.killers.killer1 = m;
      }
      pv.set(m);
      return score;
    }
    if (score > alpha) {
      bestMove = m;
      if (pvNode) pv.extend(m, childPv);
      alpha = score;
      node.alpha = alpha;
    }

    // 13. Tried moves, for the penalties.
    if (isTactical(pos, m))
      triedCaptures.add(m);
    else
      triedQuiets.add(m);
  }

  // After the loop.
  int result;
  if (moveCount > 0)
    result = bestScore;
  else if (excluded)
    result = alpha;
  else if (inCheck)
    result = matedIn(ply);
  else {
    pv.set(MarkerDraw);
    result = 0;
  }

  if (bestMove && !excluded)
    updateHistories(pos, *t.histories, ss.killers, bestMove, depth, staticEval < alpha, prev, triedCaptures, triedQuiets,
                    true);
  if ((ply > 0 || t.multiPvIndex == 0) && slot && !excluded) {
    uint8_t facts = nodeFacts;
    if (bestMove && bestMove == ttMove && node.ttMoveSingular) facts |= FactSingular;
    if (depth >= 3 && !node.mateThreatFound) facts |= FactNoMateThreat;
    if (!checksGiven) facts |= FactNoChecks;
    tt.store(slot, pos.key, alphaAtEntry, beta, bestMove, result, depth, ply, t.age8, staticEval, facts);
  }
  return result;
}

}  // namespace tarn
