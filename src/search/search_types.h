// The score scale and the small records the search shares between its parts.
//
// Scores are from the side to move's point of view in engine units (pawn 96).
// Mate at ply p is 10000 - p, being mated ply - 10000; above 9000 is the mate
// range (stored relative to the node in the table), above 9500 decisive.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

constexpr int ScoreNone = -30000;      // no value: evaluation not computed, no best score yet
constexpr int SearchAborted = 100000;  // the search was stopped; every caller returns it at once
constexpr int MateValue = 10000;
constexpr int MateRange = 9000;
constexpr int DecisiveScore = 9500;

constexpr int mateIn(int ply) { return MateValue - ply; }
constexpr int matedIn(int ply) { return ply - MateValue; }

constexpr int StackSize = 136;      // search stack entries, plies 0..135
constexpr int MaxSearchPly = 127;   // deeper nodes return the static evaluation
constexpr int MaxPvLength = 134;    // moves in one principal-variation line
constexpr int MaxRootMoves = 10;    // MultiPV slots
constexpr int MaxDepth = 100;

// Material value of each piece type as the search and the exchange test count it.
constexpr int ExchangeValue[7] = {96, 328, 344, 532, 1028, 4000, 0};

// A principal variation: moves, possibly ending in a marker (0x8001 table,
// 0x8002 draw, 0x8003 tablebase).
struct PvLine {
  int length = 0;
  Move moves[MaxPvLength + 1];

  void clear() { length = 0; }
  void set(Move m) {
    moves[0] = m;
    length = 1;
  }
  void set(Move m, Move next) {
    moves[0] = m;
    moves[1] = next;
    length = 2;
  }
  // This line := m followed by `child`.
  void extend(Move m, const PvLine& child) {
    moves[0] = m;
    const int n = child.length < MaxPvLength ? child.length : MaxPvLength;
    for (int i = 0; i < n; ++i) moves[i + 1] = child.moves[i];
    length = n + 1;
  }
};

struct RootMove {
  Move move = NullMove;
  int score = ScoreNone;
  int depth = 0;
  PvLine pv;
};

// Piece index of the continuation histories: 0..5 White pawn..king, 6..11 Black.
constexpr int pieceIndex(PieceCode p) { return colorOf(p) * 6 + typeOf(p); }
// History group: pawn, minor or rook, queen, king per colour.
constexpr int historyGroup(PieceCode p) {
  constexpr int Group[6] = {0, 1, 1, 1, 2, 3};
  return colorOf(p) * 4 + Group[typeOf(p)];
}
constexpr int makePieceTo(PieceCode p, int to) { return pieceIndex(p) * 64 + to; }

}  // namespace tarn
