// What the front ends ask of a search, and the flags by which they steer a
// running one.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/types.h"
#include "search/search_types.h"

namespace tarn {

enum SearchMode : int { ModeIdle = 0, ModeThink = 1, ModeInfinite = 2, ModePonder = 3 };

constexpr int MaxSearchMoves = 256;  // "searchmoves" beyond this are dropped

struct SearchLimits {
  int maxDepth = MaxDepth;
  int fixedDepth = 0;          // a depth chosen in the window program; used instead of maxDepth when >= 1
  uint64_t maxNodes = 0;       // 0: none
  double targetTime = 1.0;     // seconds: the soft budget
  double extraTime = 0.0;      // seconds spent in proportion to instability
  double increment = 0.0;      // own increment, seconds
  bool useTime = true;         // false: no time limit at all (no clock and no movetime given)
  int searchMoveCount = 0;     // root moves to consider in infinite mode; 0 = all
  Move searchMoves[MaxSearchMoves];
  int mode = ModeThink;
  bool useBook = false;        // ask the opening book before an ordinary search
  int multiPV = 1;
  int threads = 1;
  int contemptMid = 0, contemptEnd = 0;
};

// Written by the front end between searches, read by the search.
extern SearchLimits searchLimits;

enum StopRequest : int { NoStop = 0, StopAndAnswer = 1, StopAndDiscard = 2 };
enum PonderState : int { NotPondering = 0, Pondering = 1, PonderHit = 2, PonderMiss = 3 };

extern std::atomic<int> stopRequest;
extern std::atomic<int> ponderState;
extern std::atomic<int> workersRunning;

}  // namespace tarn
