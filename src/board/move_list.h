// A fixed-capacity list of moves, filled by the generators without allocating.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

// No position has more than 323 pseudo-legal moves, so a list of 324 can never
// overflow. The bound counts each piece's largest empty-board reach: at most nine
// queens (27 each), two rooks (14), two bishops (13), two knights (8), the king (8)
// and two castlings = 323. A pawn that has not promoted reaches at most three
// squares with four promotions each (12), less than the queen it could become,
// and an evasion list is a subset of the same moves.
constexpr int MaxMoves = 324;

// Which promotions the pawn emitter writes for one pawn move onto the last rank.
enum PromotionMode : int32_t {
  PromoteQueenKnight = 0,  // queen, knight
  PromoteQueenOnly = 1,    // queen
  PromoteAll = 2,          // queen, knight, bishop, rook
};

struct MoveList {
  int32_t count = 0;
  int32_t promotionMode = PromoteQueenKnight;
  Move moves[MaxMoves];
  int32_t scores[MaxMoves];  // used only by the search's move ordering

  MoveList() = default;
  explicit MoveList(PromotionMode mode) : promotionMode(mode) {}

  void add(Move m) { moves[count++] = m; }
  void clear() { count = 0; }
  int size() const { return count; }
  bool empty() const { return count == 0; }
  Move operator[](int i) const { return moves[i]; }
  const Move* begin() const { return moves; }
  const Move* end() const { return moves + count; }
  bool contains(Move m) const {
    for (int i = 0; i < count; ++i)
      if (moves[i] == m) return true;
    return false;
  }
};

}  // namespace tarn
