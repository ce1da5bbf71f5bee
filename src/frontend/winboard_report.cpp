#include "frontend/winboard_report.h"

#include <algorithm>

#include "board/legality.h"
#include "board/make_move.h"
#include "board/notation.h"
#include "frontend/uci_report.h"
#include "search/search_types.h"

namespace tarn {

std::string sanLine(const Position& root, std::span<const Move> moves) {
  std::string text;
  Position pos = root;
  for (Move m : moves) {
    if (!isLegalMove(pos, m)) break;
    text += moveToText(m, pos, San);  // SAN text ends in its blank
    makeMoveChecked(pos, m);
  }
  return text;
}

std::string winBoardPv(const Position& root, std::span<const Move> moves, WinBoardBound bound) {
  if (bound == WinBoardBound::Exact) return sanLine(root, moves);
  const size_t shown = bound == WinBoardBound::FailLow ? 2 : 1;
  return sanLine(root, moves.first(std::min(shown, moves.size()))) + (bound == WinBoardBound::FailLow ? "[--] " : "[++] ");
}

std::string winBoardThinkingLine(int depth, int score, uint64_t centiseconds, uint64_t nodes, const std::string& pv) {
  return std::to_string(depth) + ' ' + std::to_string(score) + ' ' + std::to_string(centiseconds) + ' ' +
         std::to_string(nodes) + ' ' + pv;
}

std::string winBoardBookLine(const Position& root, Move bookMove, int bookScore, int candidates, int heldScore,
                             std::span<const Move> heldMoves) {
  if (bookMove) return winBoardThinkingLine(0, bookScore, 0, uint64_t(candidates), sanLine(root, {&bookMove, 1}));
  // Before the first search of the game nothing is held: no score, no moves.
  if (heldScore == ScoreNone) return winBoardThinkingLine(0, 0, 0, 0, "");
  return winBoardThinkingLine(0, heldScore, 0, 0, sanLine(root, heldMoves));
}

}  // namespace tarn
