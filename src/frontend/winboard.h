// The WinBoard (xboard protocol 2) front end, minimal for now:
// protover, ping, new, setboard, force, quit, variant and opponent moves.
#pragma once

#include <string_view>

#include "frontend/engine_state.h"
#include "frontend/line_reader.h"
#include "frontend/protocol_output.h"

namespace tarn {

// The three "feature" lines answering "protover".
void printWinBoardFeatures(ProtocolOutput& out);

// True for a line the protocol treats as an opponent's move: its second and
// fourth characters are digits ("e2e4", "e7e8q"), or it contains "O-O".
bool looksLikeWinBoardMove(std::string_view text);

class WinBoardHandler {
 public:
  WinBoardHandler(EngineState& state, ProtocolOutput& out) : state(state), out(out) {}

  // Handles one line (without its line end). Returns false once "quit" was
  // handled. Commands that need the board do nothing before the loop has set up
  // the game (the first line arrives before the engine exists).
  bool handleLine(std::string_view line);

 private:
  void newGame();
  void setBoard(std::string_view fen);
  void opponentMove(std::string_view move);

  EngineState& state;
  ProtocolOutput& out;
};

// Sets up a new game, then reads lines until "quit" or end of input.
void runWinBoardLoop(EngineState& state, ProtocolOutput& out, LineReader& input);

}  // namespace tarn
