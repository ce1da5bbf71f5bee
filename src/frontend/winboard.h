// The WinBoard front end (xboard protocol 2): command handler and loop.
//
// Commands are recognised by the first word of the line; a line that is no
// command is an opponent's move when it looks like one. The search runs on its
// own threads and reports back through callbacks on the search thread, which
// print thinking lines, play the engine's move and start pondering.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "frontend/engine_state.h"
#include "frontend/line_reader.h"
#include "frontend/protocol_output.h"
#include "search/search_control.h"

namespace tarn {

// The game log of this mode, beside the executable.
constexpr const char* WinBoardGameLog = "WinboardGames.pgn";

// The three "feature" lines answering "protover".
void printWinBoardFeatures(ProtocolOutput& out);

// True for a line the protocol treats as an opponent's move: its second and
// fourth characters are digits ("e2e4", "e7e8q"), or it contains "O-O".
bool looksLikeWinBoardMove(std::string_view text);

// The protocol's clock: the engine's remaining time and the time control.
struct WinBoardClock {
  int movesPerControl = 0;        // "level": 0 for a whole game at base plus increment
  double secondsPerMove = 0;      // "st": a fixed time for every move, 0 for the clock
  double engineCentiseconds = 60.0;
  double opponentCentiseconds = 60.0;
};

class WinBoardHandler {
 public:
  WinBoardHandler(EngineState& state, ProtocolOutput& out);
  // Stops a running search and detaches the reports.
  ~WinBoardHandler();
  WinBoardHandler(const WinBoardHandler&) = delete;
  WinBoardHandler& operator=(const WinBoardHandler&) = delete;

  // The loop's set-up: a new game with the engine playing Black, the settings
  // the mode reads, and the search's reports directed here.
  void startSession();

  // Handles one line (without its line end). Returns false once "quit" was
  // handled. Commands that need the board do nothing before the session has
  // set the game up (the first line arrives before the engine exists).
  bool handleLine(std::string_view line);

  // What the search reports, on its own thread.
  void searchFinished(const SearchResult& result);
  void principalVariation(const SearchThread& main, int line, PvBound bound);
  void bookProbed(const SearchThread& main, const BookAnswer& answer);

  const WinBoardClock& clock() const { return clockState; }
  bool analysing() const { return analysis; }
  bool ponderingOn() const { return pondering; }
  bool thinkingOutputOn() const { return thinkingOutput; }

 private:
  bool ready() const { return state.game.hasPosition(); }
  void newGame();
  void setBoard(std::string_view fen);
  void level(std::string_view arguments);
  void opponentMove(std::string_view move);
  void claimGameEnd();
  void takeBack(int plies);
  void result(std::string_view text);
  void go();
  void analyze();
  void evaluate();
  void ping(std::string_view arguments);

  // Fills the search limits for a timed search of the current position; `used`
  // seconds of the clock are already spent.
  void setTimedLimits(double used = 0);
  void setAnalysisLimits();
  void think();
  void restartAnalysis();

  EngineState& state;
  ProtocolOutput& out;
  // Guards the game and the fields below that the search thread reads.
  mutable std::mutex mutex;
  WinBoardClock clockState;
  bool analysis = false;
  bool thinkingOutput = true;
  bool pondering = false;
  bool resignOn = true;
  bool drawOffersOn = true;
  bool whitePointOfView = false;
  bool logGames = true;
  bool bookEnabled = true;
  int gameLogCounter = 0;
  Key ponderKey = 0;          // the position the running ponder search started from
  std::string ponderPrefix;   // "{ SAN} " of the predicted move, for thinking lines
  bool reportsInstalled = false;
};

// Reads lines until "quit" or the end of the input, after setting the session up.
void runWinBoardLoop(WinBoardHandler& handler, EngineState& state, LineReader& input);

}  // namespace tarn
