// The search's reports as UCI lines: principal variations, the current root move
// and the final "bestmove".
#pragma once

#include "frontend/engine_state.h"
#include "frontend/protocol_output.h"

namespace tarn {

// Directs the search's reports to `out` as UCI lines (and "bestmove" to the traffic log).
void installUciReports(EngineState& state, ProtocolOutput& out);

// Starts the search threads if start-up has not (handlers driven directly, as in tests).
void ensureSearchThreads(EngineState& state);

}  // namespace tarn
