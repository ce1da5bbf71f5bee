// The bench command: a fixed set of positions searched to a fixed depth on one
// thread with a fresh table. With one thread the node count is deterministic, so
// it identifies the search and evaluation of a build.
#pragma once

#include <string>

namespace tarn {

constexpr int DefaultBenchDepth = 12;

// Prints one line per position and, last, "N nodes M nps"; returns the exit status.
int runBench(int depth);

// Sets the engine up for fixed-depth searches outside the protocols (bench,
// tools): keys, tables, the bitbases and networks found in `dataFolder`, and a
// transposition table of `tableMegabytes`. False when the table cannot be had.
bool prepareFixedDepthSearches(const std::string& dataFolder, int tableMegabytes);

}  // namespace tarn
