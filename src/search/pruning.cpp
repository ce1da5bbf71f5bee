#include "search/pruning.h"

namespace tarn {

// The node-level rules plug in here.
int nodeLevelPruning(SearchThread&, Position&, NodeState&) { return ScoreNone; }

void prepareMoveLoop(SearchThread&, const Position&, NodeState&) {}

int mateInOneShortcut(SearchThread&, Position&, NodeState&, TTSlot) { return ScoreNone; }

MoveFacts moveFacts(SearchThread&, const Position&, NodeState&, Move, int, Bitboard checkers) {
  MoveFacts facts;
  facts.givesCheck = checkers != 0;
  facts.dangerousCheck = facts.givesCheck;
  return facts;
}

bool pruneMove(SearchThread&, const Position&, NodeState&, Move, int, MoveFacts&) { return false; }

bool afterMove(SearchThread&, Position&, const Position&, NodeState&, Move, MoveFacts&) { return true; }

bool extensionFor(SearchThread&, const Position&, NodeState&, Move, const MoveFacts&) { return false; }

int lateMoveReduction(SearchThread&, const Position&, const NodeState&, Move, int, const MoveFacts&, int, int) { return 0; }

}  // namespace tarn
