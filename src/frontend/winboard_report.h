// The lines the WinBoard front end prints about a search.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "board/position.h"

namespace tarn {

// The moves in SAN from `root`, each followed by a blank; the walk stops at the
// first empty, flagged or illegal move.
std::string sanLine(const Position& root, std::span<const Move> moves);

// The thinking line "DEPTH SCORE CENTISECONDS NODES PV".
std::string winBoardThinkingLine(int depth, int score, uint64_t centiseconds, uint64_t nodes, const std::string& pv);

// The thinking line of a book probe: the book's score, its move and its number
// of candidates in the node field. Without a book move the line carries the
// score and moves the search holds from its last report, and 0 nodes.
std::string winBoardBookLine(const Position& root, Move bookMove, int bookScore, int candidates, int heldScore,
                             std::span<const Move> heldMoves);

}  // namespace tarn
