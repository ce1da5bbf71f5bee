// Iterative deepening over the root: the root move list, aspiration windows,
// MultiPV slots, the stop decisions between iterations and the reports.
#pragma once

#include "search/search_thread.h"

namespace tarn {

// Searches the thread's root up to `maxDepth`; returns the best move (NullMove
// when there is no legal move).
Move iterativeDeepening(SearchThread& t, int maxDepth);

// Root bookkeeping after a root move of a PV node was searched.
void rootMoveSearched(SearchThread& t, Move m, int score, int alpha, int beta, int depth, bool first, const PvLine& childPv);
// Moves a root move that has just beaten alpha to the place after the current slot.
void moveRootMoveAfterSlot(SearchThread& t, Move m);

}  // namespace tarn
