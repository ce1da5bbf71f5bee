// The node searches: the principal-variation alpha-beta search and the
// quiescence search below its horizon.
#pragma once

#include "board/position.h"
#include "search/search_thread.h"

namespace tarn {

enum SearchKind : int { OrdinaryChild = 0, ReSearch = 1, NullMoveChild = 2 };
enum NodeType : int { PvNode = 0, CutNode = 1, AllNode = 2 };

int search(SearchThread& t, Position& pos, int alpha, int beta, int depth, SearchKind kind, NodeType type,
           Move excluded = NullMove);

// `q` counts quiescence levels from 0; `nullOrProbCut` marks a call made by a
// null-move or ProbCut test of the main search; `usefulCheck` tells a child that
// the check leading to it was judged worth a full evasion.
int quiescence(SearchThread& t, Position& pos, int alpha, int beta, int q, NodeType type, bool nullOrProbCut = false,
               bool usefulCheck = false);

// The static evaluation of the node at `ply`, with that ply's accumulator.
int staticEvaluation(SearchThread& t, const Position& pos, int ply);

// Makes `m` (giving `checkers`) on `pos` and brings the child's accumulator up to date.
void makeSearchMove(SearchThread& t, Position& pos, const Position& before, Move m, Bitboard checkers, int ply);
void makeSearchNullMove(SearchThread& t, Position& pos, int ply);

// A draw inside the search: bare material, repetition, or the fifty-move rule.
bool isSearchDraw(const SearchThread& t, const Position& pos);
inline int drawScore(const SearchThread& t) { return int(t.nodes.load(std::memory_order_relaxed) & 3) - 1; }

// True when the search must stop now (checked at every main-search node).
bool searchMustStop(SearchThread& t);

}  // namespace tarn
