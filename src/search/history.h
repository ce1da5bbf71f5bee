// What the search learns about moves while it runs: butterfly, capture and
// continuation histories and counter moves, per search thread, and the ordering
// keys built from them.
//
// Ordering keys carry a 16-bit value above the move in the low 16 bits, so a
// list sorts by one unsigned comparison and keeps its moves with it.
#pragma once

#include <cstdint>

#include "board/move_list.h"
#include "board/position.h"
#include "search/search_types.h"

namespace tarn {

// Ordering value of a piece type (victim and attacker scale): pawn 1 .. king 15.
constexpr int OrderValue[7] = {1, 3, 4, 5, 9, 15, 0};
// Added to the victim value for a promotion, by promotion code (queen, knight, rook, bishop).
constexpr int PromotionGain[4] = {8, 2, 4, 3};

struct Histories {
  int16_t butterfly[8][4096];
  int16_t capture[7][12][64];            // [captured type, 6 = none][piece index][destination]
  int16_t continuation[12][64][2][768];  // [piece index][destination][block][previous pieceTo]
  Move counterMoves[768];

  void clear();

  int16_t& butterflyOf(PieceCode piece, Move m) { return butterfly[historyGroup(piece)][m & 4095]; }
  int16_t& captureOf(int capturedType, PieceCode piece, int to) { return capture[capturedType][pieceIndex(piece)][to]; }
  int16_t& continuationOf(PieceCode piece, int to, int block, int previous) {
    return continuation[pieceIndex(piece)][to][block][previous];
  }
};

// Previous moves' continuation indices (pieceTo, 0 = unknown).
struct PreviousMoves {
  int prev1 = 0, prev2 = 0, prev4 = 0;
};

// Whether a move counts as quiet for the histories: no enemy piece on its
// destination and not a pawn move onto the last rank.
bool isQuietForHistory(const Position& pos, Move m);

// Captures and promotions: 512 * (victim + promotion gain) - 16 * attacker + capture history / 2.
void scoreCaptures(MoveList& list, const Position& pos, const Histories& h);
// Quiet moves: butterfly plus continuation histories.
void scoreQuiets(MoveList& list, const Position& pos, const Histories& h, const PreviousMoves& prev);
// Evasions and the root list: sound captures first, losing root moves last.
void scoreEvasions(MoveList& list, const Position& pos, const Histories& h, int prev1, bool atRoot);
// Sorts the scored entries from `start` on by descending key; the moves follow.
void sortScored(MoveList& list, int start = 0);

int combinedHistory(const Position& pos, Move m, const Histories& h, const PreviousMoves& prev);

// A fixed list of moves tried at a node, for the history penalties.
template <int N>
struct TriedMoves {
  int count = 0;
  Move moves[N];
  void add(Move m) {
    if (count < N) moves[count++] = m;
  }
};

struct Killers {
  Move killer1 = NullMove, killer2 = NullMove;
};

// After a cut-off or a new best move: killers and counter move for a quiet move,
// then (from depth 2 to 15) the histories of the best move, and with `penalize`
// the penalties of the other moves tried.
void updateHistories(const Position& pos, Histories& h, Killers& killers, Move best, int depth, bool bigBonus,
                     const PreviousMoves& prev, const TriedMoves<16>& captures, const TriedMoves<64>& quiets,
                     bool penalize);

// Moves `m` to index `start` if it stands at or after it, shifting the others down.
void moveToFront(MoveList& list, Move m, int start);

}  // namespace tarn
