// Clock situation to time budget, and the time rules that stop a search.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn {

struct SearchThread;

// Milliseconds on the steady clock, and seconds since such a timestamp.
int64_t nowMilliseconds();
double secondsSince(int64_t milliseconds);

// Set by the front ends: pondering is on (more moves share the clock), and the
// next search is the first of the game (it may take a little more).
extern std::atomic<bool> ponderingEnabled;
extern std::atomic<bool> firstSearchOfGame;

struct TimeBudget {
  double target;  // seconds
  double extra;   // seconds, spent in proportion to instability
};

// Without moves-to-go; `movesPerControl` > 0 is a repeating control of that many
// moves (WinBoard and the window program), with `gamePly` the game's ply.
TimeBudget allocateTime(double timeLeft, double increment, int movesPerControl = 0, int gamePly = 0);
TimeBudget allocateTimeMovesToGo(int movesToGo, double timeLeft, double increment);

// Whether the clock limits the thread's search now: a timed think, or a ponder
// search after the ponder hit.
bool clockApplies(const SearchThread& t);

// target + f * extra, f growing with the instability of the root search.
double softTimeLimit(const SearchThread& t);

// Between iterations of the main thread: whether to stop for time.
bool stopBetweenIterations(const SearchThread& t, int depth);

}  // namespace tarn
