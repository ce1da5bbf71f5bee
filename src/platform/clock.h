// The high-resolution monotonic clock of search timing.
#pragma once

#include <chrono>
#include <cstdint>

namespace tarn {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

inline TimePoint clockNow() { return SteadyClock::now(); }

// Seconds elapsed since `start`, with the clock's full resolution.
double secondsSince(TimePoint start);

// Whole milliseconds elapsed since `start`.
int64_t millisecondsSince(TimePoint start);

}  // namespace tarn
