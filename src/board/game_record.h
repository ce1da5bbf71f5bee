// The game being played or analysed: its start position, its moves as long
// algebraic text and the key of every position reached.
//
// keys[p] is the key of the position whose ply counter is p; repetition tests,
// the opening book and the search consult it. moves[i] is the move made from the
// position whose ply counter is i.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "board/position.h"

namespace tarn {

// State of the game: 0 running, 1 Black won, 2 White won, 3 drawn.
enum GameResult : int { GameRunning = 0, BlackWon = 1, WhiteWon = 2, GameDrawn = 3 };
extern std::atomic<int> gameResult;

constexpr int MaxRecordedPlies = 1000;
constexpr int RecordedMoveSize = 12;
constexpr int MaxCommentLength = 256;

class GameRecord {
 public:
  explicit GameRecord(bool isMain = false);

  Position start{};
  CastlingSetup startSetup{};  // stands in when a start position comes without one
  int count = 0;
  std::vector<std::array<char, RecordedMoveSize>> moves;
  std::vector<Key> keys;           // 65536 entries, indexed by the ply counter
  std::vector<std::string> comments;
  int64_t usedTime[2] = {0, 0};    // milliseconds per colour, for the clocks of the window program
  int64_t lastMoveTime = 0;

  // Empties the record and takes `pos` as its start position.
  void reset(const Position& pos);

  // Records `m` played from `before`; false when the record is full (the caller
  // still plays the move).
  bool appendMove(Move m, const Position& before);

  // True when a move played from `before` could not be recorded any more.
  bool isFull(const Position& before) const {
    return count + 4 >= MaxRecordedPlies || before.ply + 4 >= MaxRecordedPlies;
  }

  // The position whose ply counter is min(n, count): the start position with the
  // recorded moves replayed; the keys along the way are recorded.
  Position positionAfter(int n);

  const char* moveText(int ply) const { return moves[size_t(ply)].data(); }
  bool isMain() const { return main; }

 private:
  bool main;
};

}  // namespace tarn
