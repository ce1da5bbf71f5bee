#include "frontend/uci.h"

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/perft.h"
#include "eval/evaluate.h"
#include "frontend/command_words.h"
#include "frontend/engine_identity.h"
#include "frontend/uci_options.h"
#include "frontend/uci_report.h"

namespace tarn {

// Commands, by first word. Every line is first appended to the traffic log
// ("Received : LINE") when "Debug Log" is on. A line whose first word is none
// of these does nothing.
//
//   command        reply                                   waits for the search
//   ------------   -------------------------------------   ------------------------------------
//   isready        "readyok"                               until the last request is taken
//   setoption      nothing                                 no
//   ucinewgame     nothing                                 until idle
//   position       nothing                                 no
//   go perft N     "e2e4: 20" lines, "Nodes searched: N"   no (runs on the loop's thread)
//   go ...         "info" lines, then "bestmove"           aborts and waits until idle first
//   stop           the running search's "bestmove"         until idle
//   ponderhit      nothing                                 until the last request is taken
//   eval           an "info string" line                   no
//   quit           nothing; the loop ends                  until idle
//   uci            nothing (the block is printed once, by start-up)
//
// The search plugs in at go, stop, ponderhit, ucinewgame and quit;
// until it exists "go" answers at once with the first legal move.

void printUciIdentification(ProtocolOutput& out, const EngineOptions& options) {
  out.line(std::string("id name ") + EngineName);
  out.line(std::string("id author ") + EngineAuthor);
  for (const UciOption& option : uciOptions()) out.line(uciOptionLine(option, options));
  out.line("uciok");
}

bool UciHandler::handleLine(std::string_view line) {
  state.log.received(line);
  const FirstWord command = splitFirstWord(line);
  const std::string_view word = command.word;
  if (word == "isready") isReady();
  else if (word == "setoption") applySetOption(state, command.rest);
  else if (word == "ucinewgame") newGame();
  else if (word == "position") position(command.rest);
  else if (word == "go") go(command.rest);
  else if (word == "stop") stop();
  else if (word == "ponderhit") ponderHit();
  else if (word == "eval") eval();
  else if (word == "quit") state.quit = true;
  if (!state.notice.empty()) {
    out.line("info string " + state.notice);
    state.notice.clear();
  }
  return !state.quit;
}

void UciHandler::isReady() {
  // Waits here until the search thread has taken the last request.
  out.line("readyok");
  state.log.append("readyok\n");
}

void UciHandler::newGame() { state.newGame(); }

void UciHandler::position(std::string_view arguments) {
  GameState& game = state.game;
  const FirstWord first = splitFirstWord(arguments);
  std::string_view rest = first.rest;
  if (first.word == "startpos") {
    game.setStartPosition();
  } else if (first.word == "fen") {
    // The FEN is every word up to the word "moves".
    std::string_view fen;
    for (FirstWord w = splitFirstWord(rest); !w.word.empty() && w.word != "moves"; w = splitFirstWord(w.rest))
      fen = rest.substr(0, size_t(w.word.data() + w.word.size() - rest.data()));
    const char* message = nullptr;
    if (!game.setFenPosition(fen, &message)) {
      std::string reason = message ? message : "";
      for (char& c : reason)
        if (c == '\n') c = ' ';
      out.line("info string invalid FEN (" + reason + "): position unchanged");
      return;
    }
  } else {
    rest = arguments;
  }
  if (!game.hasPosition()) game.setStartPosition();

  FirstWord w = splitFirstWord(rest);
  while (!w.word.empty() && w.word != "moves") w = splitFirstWord(w.rest);
  if (w.word != "moves") return;
  // Each token by itself; one that matches no legal move is skipped.
  for (w = splitFirstWord(w.rest); !w.word.empty(); w = splitFirstWord(w.rest)) game.playMoveToken(w.word);
}

void UciHandler::go(std::string_view arguments) {
  GameState& game = state.game;
  if (!game.hasPosition()) game.setStartPosition();
  const FirstWord first = splitFirstWord(arguments);
  if (first.word == "perft") {
    const int depth = leadingInt(first.rest);
    if (depth < 1) {
      out.line("info string perft needs a depth of 1 or more");
      return;
    }
    out.write(perftReport(game.position, depth));
    return;
  }

  // ---- The search plugs in here: stop and wait, read the limits,
  // post the request; the search thread prints "info" and "bestmove". Until
  // then the GUI gets an answer at once so that it never waits for one.
  out.line("info string no search in this build");
  MoveList legal;
  generateLegal(game.position, legal);
  if (legal.empty())
    printBestMove("bestmove 0000");
  else
    printBestMove(formatBestMove(legal[0], NullMove, game.position, isChess960()));
}

void UciHandler::printBestMove(const std::string& line) {
  state.log.append(line + "\n");
  out.line(line);
}

// The search is stopped here, its "bestmove" printed before this returns.
void UciHandler::stop() {}

// The running ponder search becomes an ordinary one here.
void UciHandler::ponderHit() {}

// The static evaluation of the current position, from the side to move's point of view.
void UciHandler::eval() {
  GameState& game = state.game;
  if (!game.hasPosition()) game.setStartPosition();
  if (!state.evalContext) state.evalContext = std::make_unique<EvalContext>();
  EvalContext& ctx = *state.evalContext;
  ctx.contemptMid = state.options.contemptMid;
  ctx.contemptEnd = state.options.contemptEnd;
  ctx.contemptSide = game.position.sideToMove;
  ctx.accumulator = nullptr;
  out.line("info string " + std::to_string(evaluate(game.position, ctx)) + " eval");
}

void runUciLoop(EngineState& state, ProtocolOutput& out, LineReader& input) {
  if (!state.game.hasPosition()) state.game.setStartPosition();
  UciHandler handler(state, out);
  std::string line;
  while (!state.quit && input.readLine(line, CommandLineLimit))
    if (!handler.handleLine(line)) break;
}

}  // namespace tarn
