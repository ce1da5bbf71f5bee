// The "go" command: its words, and the search limits and mode they make.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "board/position.h"
#include "search/search_limits.h"

namespace tarn {

struct GoCommand {
  bool infinite = false;
  bool ponder = false;
  std::optional<int> perft;
  std::optional<double> wtime, btime;  // milliseconds
  int winc = 0, binc = 0;              // milliseconds
  bool movesToGoGiven = false;
  std::optional<int> movesToGo;        // absent when given but unreadable
  std::optional<int> moveTime;         // milliseconds
  std::optional<int> depth;
  std::optional<uint64_t> nodes;
  std::vector<Move> searchMoves;       // coordinate moves after "searchmoves"
};

// Reads the words after "go". Unreadable numbers leave their field at its default.
GoCommand parseGoCommand(std::string_view arguments);

// Fills `limits` for a search of `pos` and returns the search mode: infinite
// analysis, ponder or think. A command without a clock or "movetime" searches
// without a time limit (to its depth or node limit, or until "stop"); "infinite"
// clears the node limit of an earlier "go nodes".
int applyGoCommand(const GoCommand& go, const Position& pos, SearchLimits& limits);

}  // namespace tarn
