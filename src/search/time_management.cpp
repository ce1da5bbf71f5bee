#include "search/time_management.h"

#include <algorithm>
#include <chrono>

#include "board/types.h"
#include "search/search_limits.h"
#include "search/search_thread.h"

namespace tarn {

std::atomic<bool> ponderingEnabled{false};
std::atomic<bool> firstSearchOfGame{true};

int64_t nowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

double secondsSince(int64_t milliseconds) { return double(nowMilliseconds() - milliseconds) * 0.001; }

namespace {

// The tail both allocations share.
TimeBudget finish(double t, double target) {
  target = std::max(std::min(t * 0.71428573, target), 0.001);
  const double extra = std::min(std::max(t - 2 * target - 0.1, 0.0), target * 3.75);
  return {target, extra};
}

}  // namespace

TimeBudget allocateTimeMovesToGo(int movesToGo, double timeLeft, double increment) {
  double d = timeLeft / (movesToGo + 1.5);
  if (timeLeft > increment * 1.2 + d) d += increment;
  return finish(timeLeft, d);
}

TimeBudget allocateTime(double timeLeft, double increment, int movesPerControl, int gamePly) {
  if (movesPerControl > 0) {
    const double t = timeLeft - 0.5;
    const int movesToGo = movesPerControl - (((gamePly + 1) / 2) % movesPerControl);
    double d = t / (movesToGo + 1.5);
    if (t > increment * 1.2 + d) d += increment;
    return finish(t, d);
  }
  double t = timeLeft;
  if (increment == 0 && timeLeft < 60) t = timeLeft - 0.5;
  const bool ponder = ponderingEnabled.load(std::memory_order_relaxed);
  const double divisor = increment > 0 ? (ponder ? 28 : 34) : (ponder ? 34 : 40);
  t = std::max(t, 0.00001);
  double target = t / divisor;
  if (firstSearchOfGame.load(std::memory_order_relaxed)) target *= 1.25;
  target += std::min((t - target) * 0.5, increment * 0.8);
  return finish(t, target);
}

namespace {

double instabilityFactor(const SearchThread& t) {
  return std::min(t.instability * 0.25 + t.previousInstability / 6.0, 1.0);
}

}  // namespace

bool clockApplies(const SearchThread& t) {
  if (!searchLimits.useTime) return false;
  if (t.mode == ModeThink) return ponderState.load(std::memory_order_relaxed) != Pondering;
  return t.mode == ModePonder && ponderState.load(std::memory_order_relaxed) == PonderHit;
}

double softTimeLimit(const SearchThread& t) {
  return searchLimits.targetTime + instabilityFactor(t) * searchLimits.extraTime;
}

bool stopBetweenIterations(const SearchThread& t, int depth) {
  if (depth <= 3 || !clockApplies(t)) return false;
  if (t.rootMoves.count == 1 && !t.rootFromTablebase) return true;
  const double limit = softTimeLimit(t);
  if (t.previousInstability == 0 && limit - secondsSince(t.iterationStart) < 1.5 * t.firstMoveTime) return true;
  // Easy capture: a clear capture that has stayed best since depth 3.
  const Move best = t.slots[0].move;
  if (best && t.stableSince <= 3 && secondsSince(t.searchStart) > 0.4 * searchLimits.targetTime) {
    const PieceCode victim = t.root.board[toSquare(best)];
    if (victim != Empty && colorOf(victim) != t.root.sideToMove && typeOf(victim) != Pawn) return true;
  }
  return false;
}

}  // namespace tarn
