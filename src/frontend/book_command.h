// `tarnchess book probe|build`: the opening book from the command line.
#pragma once

namespace tarn {

//   tarnchess book probe [--book FILE] FEN
//       the book moves of the position ("MOVE VALUE" lines, coordinates), then
//       the move the book would choose, "bookmove M" or "bookmove none"
//   tarnchess book build [--from F] [--up-to U] [--max-games N] [--min-count C]
//                        [--white-pct W] [--black-pct B] PGN... OUT.tcb
//       builds a book from the games as the editor's "Add PGN" does and writes
//       it through the save filter; prints "positions N"
// Returns the exit status.
int runBookCommand(int argc, char** argv);

}  // namespace tarn
