#include "frontend/uci.h"

#include <algorithm>

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/perft.h"
#include "eval/evaluate.h"
#include "search/search_control.h"
#include "search/time_management.h"
#include "frontend/command_words.h"
#include "frontend/engine_identity.h"
#include "frontend/uci_go.h"
#include "frontend/uci_options.h"
#include "frontend/uci_search_report.h"
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
//   quit           the running search's "bestmove"         until idle; the loop ends
//   uci            nothing (the block is printed once, by start-up)
//

void printUciIdentification(ProtocolOutput& out, const EngineOptions& options) {
  out.line(std::string("id name ") + EngineName);
  out.line(std::string("id author ") + EngineAuthor);
  for (const UciOption& option : uciOptions()) out.line(uciOptionLine(option, options));
  out.line("uciok");
}

UciHandler::UciHandler(EngineState& state, ProtocolOutput& out) : state(state), out(out) { installUciReports(state, out); }

UciHandler::~UciHandler() {
  stopSearch(StopAndDiscard);
  setSearchCallbacks({});
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
  else if (word == "quit") quit();
  if (!state.notice.empty()) {
    out.line("info string " + state.notice);
    state.notice.clear();
  }
  return !state.quit;
}

void UciHandler::isReady() {
  waitForRequestTaken();
  out.line("readyok");
  state.log.append("readyok\n");
}

void UciHandler::newGame() {
  stopSearch(StopAndDiscard);
  state.newGame();
}

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
  const GoCommand command = parseGoCommand(arguments);
  if (command.perft) {
    if (*command.perft < 1) {
      out.line("info string perft needs a depth of 1 or more");
      return;
    }
    out.write(perftReport(game.position, *command.perft));
    return;
  }

  // A new search aborts the running one, which still answers.
  waitForRequestTaken();
  stopSearch(StopAndDiscard);
  ensureSearchThreads(state);
  const int mode = applyGoCommand(command, game.position, searchLimits);
  searchLimits.fixedDepth = 0;
  searchLimits.multiPV = std::clamp(state.options.multiPV, 1, MaxRootMoves);
  searchLimits.threads = state.options.threadCount;
  searchLimits.contemptMid = state.options.contemptMid;
  searchLimits.contemptEnd = state.options.contemptEnd;
  searchLimits.useBook = settingFlag(*state.active, "BookEnabled");
  ponderingEnabled.store(state.options.ponder, std::memory_order_relaxed);
  state.engineColor = mode == ModeInfinite ? int(EnginePlaysNeither) : int(game.position.sideToMove);
  if (mode != ModeInfinite) state.log.append(mode == ModePonder ? "Start Ponder...\n" : "Start Thinking...\n");
  requestSearch(game.position, game.record.keys.data(), mode);
}

// The running search stops; its "bestmove" is out before this returns.
void UciHandler::stop() {
  waitForRequestTaken();
  stopSearch(StopAndAnswer);
}

// A search that was asked for still answers before the program ends.
void UciHandler::quit() {
  waitForRequestTaken();
  stopSearch(StopAndAnswer);
  state.quit = true;
}

// The running ponder search goes on as an ordinary timed search.
void UciHandler::ponderHit() { tarn::ponderHit(); }

// The static evaluation of the current position, from the side to move's point of view.
void UciHandler::eval() { out.line("info string " + std::to_string(state.staticEvaluation()) + " eval"); }

void runUciLoop(EngineState& state, ProtocolOutput& out, LineReader& input) {
  if (!state.game.hasPosition()) state.game.setStartPosition();
  UciHandler handler(state, out);
  std::string line;
  while (!state.quit && input.readLine(line, CommandLineLimit))
    if (!handler.handleLine(line)) break;
  // The end of the input is a "quit": a search that was asked for still answers.
  if (!state.quit) handler.handleLine("quit");
}

}  // namespace tarn
