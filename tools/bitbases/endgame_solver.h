// Retrograde analysis of small endings: which positions White wins by force
// with best play, the fifty-move rule ignored.
//
// A position is a Setup (every man but the white king) plus the white king's
// square; results are 64-bit masks over that square, so one word answers a
// setup for all 64 squares of the white king at once.
//
// Each ending (a material balance) is solved on demand, together with every
// ending its captures and promotions lead to. Within an ending, positions with
// the same pawns form a slice; pawns only move forward, so the slices are
// solved from the most advanced pawns back, each slice by iterating to the
// least fixed point from "nothing won":
//   white to move wins  when some move reaches a position won with Black to move;
//   black to move loses when Black is mated, or has moves and all of them reach
//                       positions won with White to move (stalemate is a draw).
// Endings of five men are only solved for pawns that cannot all move freely:
// a white pawn must stand directly in front of the black pawn (see
// inBlockedFamily); their promotions then lead to five-man endings whose pawns
// are fixed, which keeps every ending small.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/types.h"

namespace tarn::bitbase_gen {

struct Man {
  uint8_t colour, type, square;
};

// Every man except the white king; the black king is always present.
struct Setup {
  Man men[6];
  int count = 0;

  void add(Color c, int type, int square) { men[count++] = Man{uint8_t(c), uint8_t(type), uint8_t(square)}; }
  void removeAt(int i) { men[i] = men[--count]; }
  Bitboard occupied() const;
  Bitboard ofColour(Color c) const;
  int blackKing() const;
  std::string materialName() const;  // e.g. "KQPvKP"
};

// Positions with five men or more are solved only when the black pawn is blocked by a white pawn.
bool inBlockedFamily(const Setup& s);

class EndgameSolver {
 public:
  EndgameSolver();
  ~EndgameSolver();

  // Mask of white king squares for which White wins the position with `side` to move.
  // Squares that make the position illegal give 0.
  uint64_t whiteWins(const Setup& s, Color side);
  // The same right after a double pawn push that allows an en-passant capture on `epSquare`.
  uint64_t whiteWinsWithEnPassant(const Setup& s, Color side, int epSquare);

  // Recomputes every solved position from its moves, independently of the
  // iteration's bookkeeping; returns the number of disagreements.
  uint64_t verifySolved();
  // Names and sizes of the endings solved, for the log.
  std::vector<std::string> report() const;
  // Calls f for every solved ending of at most `maxMen` men, kings included,
  // with each setup and side to move: the white king squares that make the
  // position legal and those that win it for White.
  void forEachSolved(int maxMen, const std::function<void(const std::string& ending, const Setup& s, Color side,
                                                         uint64_t legal, uint64_t wins)>& f) const;

  struct Table;

 private:
  Table& table(const Setup& s);
  void solve(Table& t);
  void solveSlice(Table& t, int slice);
  // Results worked out from the moves and the stored results of their targets;
  // epSquare >= 0 adds the en-passant capture on it.
  uint64_t whiteToMove(const Setup& s, int epSquare);
  uint64_t blackToMove(const Setup& s, int epSquare);

  std::map<std::string, std::unique_ptr<Table>> tables_;
};

// Legality masks shared with the table filling: squares of the white king for
// which the position with the given side to move is legal.
uint64_t legalWhiteToMove(const Setup& s);
uint64_t legalBlackToMove(const Setup& s);

}  // namespace tarn::bitbase_gen
