#include "board/perft.h"

#include "board/fen.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"

namespace tarn {

uint64_t perft(const Position& pos, int depth) {
  MoveList list(PromoteAll);
  generatePseudoLegal(pos, list);
  uint64_t nodes = 0;
  if (depth <= 1) {
    for (Move m : list) nodes += !isIllegal(pos, m);
    return nodes;
  }
  CheckInfo ci;
  buildCheckInfo(pos, ci);
  for (Move m : list) {
    if (isIllegal(pos, m)) continue;
    Position next = pos;
    makeMove(next, m, givesCheck(pos, m, ci));
    nodes += perft(next, depth - 1);
  }
  return nodes;
}

std::vector<PerftDivision> perftDivide(const Position& pos, int depth) {
  std::vector<PerftDivision> result;
  MoveList list(PromoteAll);
  generateLegal(pos, list);
  for (Move m : list) {
    uint64_t nodes = 1;
    if (depth > 1) {
      Position next = pos;
      makeMoveChecked(next, m);
      nodes = perft(next, depth - 1);
    }
    result.push_back({m, nodes});
  }
  return result;
}

std::string perftReport(const Position& pos, int depth) {
  std::string text;
  uint64_t total = 0;
  for (const PerftDivision& d : perftDivide(pos, depth)) {
    text += moveToCoordinate(d.move, pos, isChess960()) + ": " + std::to_string(d.nodes) + "\n";
    total += d.nodes;
  }
  text += "\nNodes searched: " + std::to_string(total) + "\n";
  return text;
}

}  // namespace tarn
