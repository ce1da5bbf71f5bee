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

// How a thinking line's result relates to its search window.
enum class WinBoardBound { Exact, FailLow, FailHigh };

// The principal variation of a thinking line: SAN moves, each followed by a
// blank; a fail-low line ends after two moves with "[--] ", a fail-high line
// after one with "[++] ".
std::string winBoardPv(const Position& root, std::span<const Move> moves, WinBoardBound bound);

// The thinking line "DEPTH SCORE CENTISECONDS NODES PV".
std::string winBoardThinkingLine(int depth, int score, uint64_t centiseconds, uint64_t nodes, const std::string& pv);

// The thinking line of a book probe: the book's score, its move and its number
// of candidates in the node field. Without a book move the line carries the
// score and moves the search holds from its last report, and 0 nodes.
std::string winBoardBookLine(const Position& root, Move bookMove, int bookScore, int candidates, int heldScore,
                             std::span<const Move> heldMoves);

}  // namespace tarn
