// "tarnchess tbprobe [--path DIR] FEN": what the tablebases say about a position.
#pragma once

namespace tarn {

// Prints "wdl W", "dtz D" and "bestmove M" (or "wdl none" when no table
// answers); the exit status: 0 when the position was read, 1 otherwise.
int runTbprobeCommand(int argc, char** argv);

}  // namespace tarn
