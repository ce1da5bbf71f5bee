#include "frontend/winboard.h"

#include <string>

#include "board/fen.h"
#include "frontend/command_words.h"
#include "frontend/engine_identity.h"

namespace tarn {

// Commands, by first word; every line first goes to the traffic log when it is on.
//
//   command                reply                          state
//   --------------------   ----------------------------   -----------------------------------------
//   protover N             the three "feature" lines
//   ping N                 "pong N" (0 without a number)  (waits for a running search, later)
//   new                    nothing                        Chess960 off, new game, engine plays Black
//   setboard FEN           nothing                        current position and record start := FEN
//   force                  nothing                        engine plays neither side
//   variant fischerandom   nothing                        Chess960 on
//   quit                   nothing                        the loop ends
//   a move ("e2e4", O-O)   nothing yet                    played on the game (SAN or coordinates)
//
// Everything else of the protocol (time controls, go, analysis, undo, result, the
// game-end claims) comes with the search; until then such lines are ignored.

void printWinBoardFeatures(ProtocolOutput& out) {
  out.line(std::string("feature myname=\"") + EngineName + "\" name=1 setboard=1 ping=1 smp=1");
  out.line("feature variants=\"normal,fischerandom\"");
  out.line("feature done=1");
}

bool looksLikeWinBoardMove(std::string_view text) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.size() >= 4 && isDigit(text[1]) && isDigit(text[3])) return true;
  return text.find("O-O") != std::string_view::npos;
}

bool WinBoardHandler::handleLine(std::string_view line) {
  state.log.received(line);
  const FirstWord command = splitFirstWord(line);
  const std::string_view word = command.word;
  if (word == "protover") {
    printWinBoardFeatures(out);
  } else if (word == "ping") {
    // The running search is stopped and its move sent first.
    out.line("pong " + std::to_string(leadingInt(command.rest)));
  } else if (word == "new") {
    newGame();
  } else if (word == "setboard") {
    setBoard(command.rest);
  } else if (word == "force") {
    state.engineColor = EnginePlaysNeither;
  } else if (word == "variant") {
    if (splitFirstWord(command.rest).word == "fischerandom") chess960Mode.store(true, std::memory_order_relaxed);
  } else if (word == "quit") {
    state.quit = true;
  } else if (looksLikeWinBoardMove(word)) {
    opponentMove(word);
  }
  return !state.quit;
}

void WinBoardHandler::newGame() {
  chess960Mode.store(false, std::memory_order_relaxed);
  if (!state.game.hasPosition()) return;  // the loop sets the game up itself
  state.newGame();
  state.options.depthLimit = DefaultDepthLimit;
  state.options.nodeLimit = 0;
  state.engineColor = EnginePlaysBlack;
}

void WinBoardHandler::setBoard(std::string_view fen) {
  if (state.game.hasPosition()) state.game.setFenPosition(fen);
}

void WinBoardHandler::opponentMove(std::string_view move) {
  if (!state.game.hasPosition()) return;
  // An illegal move is not played; the search would still be started if it is the engine's turn.
  if (state.game.playMoveToken(move)) gameResult.store(GameRunning, std::memory_order_relaxed);
}

void runWinBoardLoop(EngineState& state, ProtocolOutput& out, LineReader& input) {
  state.newGame();
  state.options.depthLimit = DefaultDepthLimit;
  state.options.nodeLimit = 0;
  state.engineColor = EnginePlaysBlack;
  state.log.setEnabled(settingFlag(engineSettings, "DebugLog"));
  if (state.quit) return;
  WinBoardHandler handler(state, out);
  std::string line;
  while (input.readLine(line, CommandLineLimit))
    if (!handler.handleLine(line)) break;
}

}  // namespace tarn
