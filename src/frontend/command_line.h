// Command-line extras beyond the design: they never read standard input.
//
//   tarnchess perft DEPTH [FEN]   per-move leaf counts and "Nodes searched: N"
//   tarnchess bench [DEPTH]       comes with the search
//   tarnchess tbprobe [--path DIR] FEN   tablebase result, distance and move
//   tarnchess --gui               window mode without reading standard input (startUp)
#pragma once

#include <optional>

namespace tarn {

// Runs the extra named by argv[1] and returns the process's exit status, or
// nothing when the command line names no extra (start-up goes on).
std::optional<int> runCommandLineExtra(int argc, char** argv);

// Window mode in a build without a window program: one line on standard error.
void reportNoWindowProgram();

}  // namespace tarn
