#include "platform/signals.h"

#include <csignal>

namespace tarn {

void ignoreInterruptSignal() { std::signal(SIGINT, SIG_IGN); }

}  // namespace tarn
