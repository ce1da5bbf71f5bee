#include "search/iterative_deepening.h"

#include <algorithm>
#include <cstdlib>

#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/fen.h"
#include "board/notation.h"
#include "eval/nn/inference.h"
#include "eval/tb/syzygy.h"
#include "search/search.h"
#include "search/search_control.h"
#include "search/search_limits.h"
#include "search/time_management.h"

namespace tarn {

namespace {


// No pawns and one non-pawn piece, or two of which neither is a rook or queen.
bool trivialEnding(const Position& pos) {
  if (pos.pieceBB[Pawn]) return false;
  const int pieces = piecesOnBoard(pos);
  return pieces == 1 || (pieces == 2 && !pos.pieceBB[Rook] && !pos.pieceBB[Queen]);
}

// The root move list: legal moves (within "searchmoves" when given), ordered,
// filtered by the tablebases, with the table move in front. Outside analysis a
// tablebase move of a decided ending is the whole list; false when the
// tablebases decide the move without a search.
bool buildRootMoves(SearchThread& t) {
  const Position& root = t.root;
  t.rootMoves.clear();
  t.rootFromTablebase = false;

  const RootProbe probe = probeRoot(root);
  if (probe.wdl != WdlNone && probe.wdl != 0 && probe.move) {
    const int difference = std::abs(materialSum(root, White) - materialSum(root, Black));
    const bool decisiveBalance = materialSum(root, White) - 96 * popCount(root.pieces(White, Pawn)) ==
                                     materialSum(root, Black) - 96 * popCount(root.pieces(Black, Pawn)) &&
                                 popCount(root.pieces(White, Pawn)) <= 1 && popCount(root.pieces(Black, Pawn)) <= 1;
    const bool convertible = probe.wdl > 0 && (decisiveBalance || difference == 188 || difference == 204 || difference == 496);
    // Analysis always looks at every move.
    if (t.mode != ModeInfinite && (trivialEnding(root) || convertible)) {
      t.rootMoves.add(probe.move);
      t.rootFromTablebase = true;
      int score = trivialEnding(root) ? 10000 - probe.dtz : 1200 - probe.dtz;
      if (probe.wdl == -2) score = -score;
      t.slots[0].move = probe.move;
      t.slots[0].score = score;
      t.slots[0].pv.set(probe.move, MarkerTable);
      return !trivialEnding(root);
    }
  }

  MoveList legal(PromoteAll);
  generateLegal(root, legal);
  if (t.mode == ModeInfinite && searchLimits.searchMoveCount > 0) {
    // "searchmoves" come as coordinates: compare each legal move in that form.
    int kept = 0;
    for (int i = 0; i < legal.count; ++i) {
      const Move asText = parseCoordinateMove(moveToCoordinate(legal.moves[i], root, isChess960()));
      for (int j = 0; j < searchLimits.searchMoveCount; ++j)
        if (searchLimits.searchMoves[j] == asText) {
          legal.moves[kept++] = legal.moves[i];
          break;
        }
    }
    legal.count = kept;
  }
  scoreEvasions(legal, root, *t.histories, 0, true);
  sortScored(legal);

  // Keep the moves of the best tablebase class, and those without a result.
  int bestClass = -1000;
  int classes[MaxMoves];
  for (int i = 0; i < legal.count; ++i) {
    Position child = root;
    makeMoveChecked(child, legal.moves[i]);
    const RootProbe p = probeRoot(child);
    classes[i] = p.wdl == WdlNone ? 97 : 100 - p.wdl;
    if (classes[i] != 97) bestClass = std::max(bestClass, classes[i] - 100);
  }
  for (int i = 0; i < legal.count; ++i)
    if (classes[i] == 97 || classes[i] - 100 >= bestClass) t.rootMoves.add(legal.moves[i]);

  if (const TTSlot slot = t.tt->probe(root.key)) {
    const Move ttMove = slot.read().move;
    if (ttMove) moveToFront(t.rootMoves, ttMove, 0);
  }
  return true;
}

void resetStack(SearchThread& t) {
  for (int i = 0; i < StackSize + SearchThread::StackOffset + 2; ++i) {
    StackEntry& e = t.stackEntries[i];
    e.staticEval = ScoreNone;
    e.killers = Killers{};
    e.mateThreatMove = NullMove;
    e.pieceTo = 0;
    e.threatValue = 0;
    e.pawnAdvance = 0;
    e.extended = false;
    e.nullMove = false;
    e.moveCount = 0;
    e.destination = -1;
    if (i != SearchThread::StackOffset) e.netIndex = -1;
  }
  for (PvLine& line : t.pv) line.clear();
}

// A worker skips a depth that enough threads already search.
bool skipDepth(const SearchThread& t, int depth) {
  if (t.isMain() || depth <= 4) return false;
  const int mainDepth = mainThreadDepth();
  if (mainDepth > depth) return true;
  return mainDepth == depth && threadsAtDepth(depth) > (activeThreadCount() + 1) / 2;
}

}  // namespace

void moveRootMoveAfterSlot(SearchThread& t, Move m) {
  const int place = t.multiPvIndex + 1;
  if (place < t.rootMoves.count) moveToFront(t.rootMoves, m, place);
}

void rootMoveSearched(SearchThread& t, Move m, int score, int alpha, int beta, int depth, bool first, const PvLine& childPv) {
  RootMove& slot = t.slots[t.multiPvIndex];
  if (first && t.multiPvIndex == 0) t.firstMoveTime = secondsSince(t.iterationStart);
  if (first) {
    const int previous = slot.score;
    if (previous != ScoreNone) {
      if (score < previous - 60)
        t.instability += 3;
      else if (score < previous - 28 || score <= alpha)
        t.instability += 1;
      else if (score >= beta && t.instability < 2)
        t.instability += 1;
    }
  }
  if (first || score > alpha) {
    slot.move = m;
    slot.score = score;
    slot.depth = depth;
    slot.pv.extend(m, childPv);
    t.pv[0].extend(m, childPv);
  }
  if (!t.isMain()) return;
  if (score > alpha && depth >= 3)
    reportPv(t, t.multiPvIndex, score >= beta ? PvBound::Lower : PvBound::Exact);
  else if (first && depth >= 2 && score <= alpha)
    reportPv(t, t.multiPvIndex, PvBound::Upper);
}

Move iterativeDeepening(SearchThread& t, int maxDepth) {
  // 1.
  t.searchStart = nowMilliseconds();
  t.age8 = t.tt->age8();
  t.nullMovePermitted = t.root.pieceBB[Pawn] != 0;
  t.repetitions.add(t.root.key, 2);
  for (RootMove& s : t.slots) s = RootMove{};
  t.instability = 0;
  t.bestMoveChanges = 0;
  t.lastBestMove = NullMove;
  t.stableSince = 0;

  // 2. Root moves.
  if (!buildRootMoves(t)) {
    t.repetitions.remove(t.root.key, 2);
    return t.slots[0].move;
  }
  if (t.rootMoves.empty()) {
    t.repetitions.remove(t.root.key, 2);
    return NullMove;
  }
  t.slotCount = t.mode == ModeInfinite ? std::clamp(searchLimits.multiPV, 1, MaxRootMoves) : 1;
  t.slotCount = std::min(t.slotCount, t.rootMoves.count);
  for (int i = 0; i < t.slotCount; ++i) t.slots[i].move = t.rootMoves.moves[i];

  // 3.
  int depthReached = 0;
  for (int d = 1; d <= maxDepth; ++d) {
    if (skipDepth(t, d)) continue;
    bool aborted = false;
    for (int i = 0; i < t.slotCount && !aborted; ++i) {
      t.iterationDepth.store(d, std::memory_order_relaxed);
      t.multiPvIndex = i;
      if (i == 0) {
        t.firstMoveTime = 0;
        t.iterationStart = nowMilliseconds();
        resetStack(t);
      }
      const int s = t.slots[i].score == ScoreNone ? 0 : t.slots[i].score;
      int deltaLow = s >= 0 ? s * s / 10000 + 24 : s * s / 5000 + 24;
      int deltaHigh = s >= 1 ? s * s / 5000 + 24 : s * s / 10000 + 24;
      if (d < 4 || s < -9000) deltaLow = 20000;
      if (d < 4 || s > 9000) deltaHigh = 20000;
      int alpha = std::clamp(s - deltaLow, -10001, 10001);
      if (s < -2200) alpha = std::min(alpha, -9501);
      int beta = std::clamp(s + deltaHigh, -10001, 10001);
      if (s > 2200) beta = std::max(beta, 9501);
      int searchDepth = d;
      const int minDepth = d - d / 6;

      for (;;) {
        const bool wide = alpha < -9501 || beta > 9501;
        t.wideWindow = wide;
        t.selDepth = 0;
        Position pos = t.root;
        const int score = search(t, pos, alpha, beta, searchDepth, ReSearch, PvNode);
        if (score == SearchAborted) {
          aborted = true;
          break;
        }
        RootMove& slot = t.slots[i];
        slot.score = score;
        slot.pv = t.pv[0];
        if (slot.pv.length && !isMarker(slot.pv.moves[0])) slot.move = slot.pv.moves[0];
        slot.depth = searchDepth;
        if (score > alpha) {
          moveToFront(t.rootMoves, slot.move, i);
          if (score < beta) {
            if (searchDepth >= d) break;
            ++searchDepth;
          } else {
            searchDepth = std::max(searchDepth - 1, minDepth);
            deltaHigh *= 2;
            if (score >= 9501) {
              beta = 10001;
              alpha = 9501;
            } else if (score > 2200) {
              beta = 9501;
            } else {
              beta = std::min(beta + deltaHigh, 10001);
            }
          }
        } else {
          beta = (alpha + beta) / 2;
          deltaLow *= 2;
          if (score <= -9501) {
            alpha = -10001;
            beta = -9501;
          } else if (score >= -2200) {
            alpha = std::max(alpha - deltaLow, -10001);
          } else {
            alpha = -9501;
          }
        }
        if (wide) break;
      }
    }
    if (aborted) break;
    depthReached = d;

    // Best-move changes and instability.
    const Move best = t.slots[0].move;
    if (d > 2 && best != t.lastBestMove) ++t.bestMoveChanges;
    if (best != t.lastBestMove) t.stableSince = d;
    t.lastBestMove = best;
    int carried = t.instability;
    const int previousScore = t.previousRootScore[t.root.sideToMove];
    if (previousScore != ScoreNone) {
      if (t.slots[0].score < previousScore - 100)
        carried += 4;
      else if (t.slots[0].score < previousScore - 40)
        carried += 2;
    }
    t.previousInstability = std::min(carried, 6);
    t.instability = 0;

    // Stop decisions.
    if (!t.isMain()) {
      if (!workersRunning.load(std::memory_order_relaxed)) break;
      continue;
    }
    bool stop = stopBetweenIterations(t, d);
    const int score = t.slots[0].score;
    if (!(t.mode == ModeInfinite && t.slotCount > 1) && (score >= 10000 - d + 8 || score + 8 < d - 10000)) stop = true;
    if (searchLimits.maxNodes && totalNodes() >= searchLimits.maxNodes) stop = true;
    if (maxDepth < 3) reportPv(t, 0, PvBound::Exact);
    if (stop) break;
  }

  if (t.isMain() && depthReached > 0) {
    t.iterationDepth.store(depthReached, std::memory_order_relaxed);
    if (maxDepth >= 3) reportPv(t, std::min(t.multiPvIndex, t.slotCount - 1), PvBound::Exact);
  }
  t.repetitions.remove(t.root.key, 2);
  return t.slots[0].move ? t.slots[0].move : t.rootMoves.moves[0];
}

}  // namespace tarn
