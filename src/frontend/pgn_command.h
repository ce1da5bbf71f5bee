// `tarnchess pgn FILE`: what the game reader makes of every game of a PGN file.
#pragma once

namespace tarn {

// One line per game, "game N plies P result R fen FEN", then "games N". Moves
// that cannot be played are reported on standard error ("game N skipped MOVE at
// ply P") and the game goes on without them. Returns the exit status.
int runPgnCommand(int argc, char** argv);

}  // namespace tarn
