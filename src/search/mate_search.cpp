#include "search/mate_search.h"

#include "board/check_info.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"

namespace tarn {

Move findMateInOne(const Position& pos) {
  if (pos.checkers) return NullMove;
  CheckInfo ci;
  buildCheckInfo(pos, ci);
  MoveList checks(PromoteQueenOnly);
  generateChecks(pos, checks, ~pos.colourBB[pos.sideToMove], ci, true);
  generateCastling(pos, checks);
  for (Move m : checks) {
    if (isIllegal(pos, m)) continue;
    const Bitboard checkers = givesCheck(pos, m, ci);
    if (!checkers) continue;
    Position after = pos;
    makeMove(after, m, checkers);
    if (isCheckmate(after)) return m;
  }
  return NullMove;
}

bool isMatingMove(const Position& pos, Move m) {
  if (!isPseudoLegal(pos, m, true, AnyKind) || isIllegal(pos, m)) return false;
  Position after = pos;
  if (!makeMoveChecked(after, m)) return false;
  return isCheckmate(after);
}

}  // namespace tarn
