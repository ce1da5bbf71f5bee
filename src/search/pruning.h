// Where the rules that cut a node short, skip a move, or search it with less or
// more depth plug into the main search. Each rule is guarded by its switch of
// SearchSwitches.
#pragma once

#include "board/position.h"
#include "search/search.h"
#include "search/search_switches.h"
#include "search/search_thread.h"
#include "search/transposition_table.h"

namespace tarn {

// What the rules know of the node being searched.
struct NodeState {
  int ply;
  int depth;
  int alpha;           // kept current by the move loop
  int beta;
  int staticEval;
  int adjustedEval;
  bool improving;
  bool inCheck;
  bool pvNode;
  bool rootNode;
  SearchKind kind;
  NodeType type;
  Move excluded;
  Move ttMove;
  int ttScore;
  int ttDepth;
  Bound ttBound;
  uint8_t ttFacts;
  bool ttPv;
  bool tbResult;

  // Set before and during the move loop.
  int bestScore = ScoreNone;
  int lateMoveCount = 0;
  bool ttMoveSingular = false;
  bool mateThreatFound = false;
  bool futile = false;
  bool lateMovePruning = false;
  int lateMoveLimit = 0;
  bool reductions = false;
  bool threatDetection = false;
  bool mateThreatDetection = false;
  bool stopOnPrunedLateMove = false;  // no checks here: a late pruned move ends the loop
  bool stopLoop = false;
};

// Facts about a move, worked out before it is searched.
struct MoveFacts {
  bool givesCheck = false;
  bool dangerousCheck = false;
  bool promotionPush = false;
  bool tactical = false;
  bool threatEvasion = false;
  bool singular = false;
  bool createsMateThreat = false;
  bool needsMateThreat = false;  // pruned, but searched if it threatens mate
  int see = 0;                   // 1 when the exchange test at -17 passed, -1 when it failed, 0 not asked
  int pawnAdvance = 0;
  int threatValue = 0;
};

// Reverse futility, null move, the table-capture cut and ProbCut; a score to
// return at once, or ScoreNone.
int nodeLevelPruning(SearchThread& t, Position& pos, NodeState& node);

// The per-node flags of the move loop (futility, late-move pruning, reductions,
// threat and mate-threat detection).
void prepareMoveLoop(SearchThread& t, const Position& pos, NodeState& node);

// A mate in one found before the first move is tried: its score, or ScoreNone.
int mateInOneShortcut(SearchThread& t, Position& pos, NodeState& node, TTSlot slot);

// For the table move: the singular-extension test. Returns a score that ends the
// node (the multi-cut), or ScoreNone; sets node.ttMoveSingular.
int singularExtensionTest(SearchThread& t, Position& pos, NodeState& node);

MoveFacts moveFacts(SearchThread& t, const Position& pos, NodeState& node, Move m, int stage, Bitboard checkers);

// Whether the move is skipped unsearched.
bool pruneMove(SearchThread& t, const Position& pos, NodeState& node, Move m, int stage, MoveFacts& facts);

// After the move is made (`pos` is the child): mate-threat detection. False
// drops the move after all (a rescued pruned move that threatens nothing).
bool afterMove(SearchThread& t, Position& pos, const Position& before, NodeState& node, Move m, MoveFacts& facts);

// Whether the move is searched at full depth instead of one ply less.
bool extensionFor(SearchThread& t, const Position& before, NodeState& node, Move m, const MoveFacts& facts);

// The late-move reduction of a move after the first.
int lateMoveReduction(SearchThread& t, const Position& before, const NodeState& node, Move m, int stage,
                      const MoveFacts& facts, int moveCount, int newDepth);

}  // namespace tarn
