// Command-line extras beyond the design: they never read standard input.
//
//   tarnchess perft DEPTH [FEN]   per-move leaf counts and "Nodes searched: N"
//   tarnchess bench [DEPTH]       comes with the search
//   tarnchess tbprobe [--path DIR] FEN   tablebase result, distance and move
//   tarnchess pgn FILE            each game's ply count, result and final position
//   tarnchess book probe|build    the book moves of a position; a book from PGN games
//   tarnchess --gui               window mode without reading standard input (startUp)
#pragma once

#include <optional>
#include <string>

#include "board/position.h"

namespace tarn {

// Runs the extra named by argv[1] and returns the process's exit status, or
// nothing when the command line names no extra (start-up goes on).
std::optional<int> runCommandLineExtra(int argc, char** argv);

// Reads the FEN given to the extra `command` into `pos` (building the attack
// tables and keys first); on a bad FEN prints why on standard error and
// returns false.
bool readCommandLineFen(const char* command, const std::string& fen, Position& pos);

// Window mode in a build without a window program: one line on standard error.
void reportNoWindowProgram();

}  // namespace tarn
