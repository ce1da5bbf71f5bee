#include "platform/clock.h"

namespace tarn {

double secondsSince(TimePoint start) { return std::chrono::duration<double>(SteadyClock::now() - start).count(); }

int64_t millisecondsSince(TimePoint start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

}  // namespace tarn
