// The engine state the front ends own: options that the protocols set, and the
// game being played or analysed.
//
// One EngineState serves the whole run (engineState()); tests build their own.
// The protocol loop is the only writer. The search (a later Part) is handed a
// copy of what it needs when a search starts, so nothing here is shared with a
// running search thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "board/fen.h"
#include "board/game_record.h"
#include "board/position.h"
#include "frontend/settings.h"
#include "eval/eval_context.h"
#include "frontend/traffic_log.h"

namespace tarn {

constexpr int MaxSearchThreads = 256;
constexpr int MinHashMegabytes = 4;
constexpr int DefaultDepthLimit = 100;

// engineColor: which side the engine plays (Parts 4.3 and 2.6).
enum EngineColor : int { EnginePlaysWhite = 0, EnginePlaysBlack = 1, EnginePlaysNeither = 2, EnginePlaysBoth = 3 };

struct EngineOptions {
  int hashMegabytes = 64;       // the transposition table size asked for ("Hash", -TT, "HashMB")
  int threadCount = 1;          // requested search threads, 1..256, applied at the next search
  int multiPV = 1;              // principal variations in analysis mode
  int syzygyProbeDepth = 2;
  int contemptMid = 0;
  int contemptEnd = 0;
  bool ponder = false;          // stored only in UCI mode
  std::string syzygyPath;       // tablebase folder(s)
  int depthLimit = DefaultDepthLimit;
  int64_t nodeLimit = 0;        // 0: none
  double clockMinutes = 5;      // base time of a game, minutes (GUI, WinBoard "level")
  double clockIncrement = 5;    // increment per move, seconds
  bool winBoardWhitePOV = false;  // WinBoard thinking scores from White's side
};

// The main game: current position, its castling setup and the game record.
// Not copyable: the position points at the setup beside it.
class GameState {
 public:
  GameState();
  GameState(const GameState&) = delete;
  GameState& operator=(const GameState&) = delete;

  Position position{};
  CastlingSetup setup{};
  GameRecord record{true};

  // False until the first position is set up (the engine tables may not exist yet).
  bool hasPosition() const { return ready; }

  // Current position := the standard start position; the record starts from it, empty.
  void setStartPosition();

  // Current position := the position of `fen`, the record starts from it, empty.
  // A FEN that does not read leaves everything unchanged and returns false,
  // with the reason in `message` when given.
  bool setFenPosition(std::string_view fen, const char** message = nullptr);

  // Plays one move token on the current position and records it: "Null..." is a
  // null move (refused while in check, where it would leave the king en prise),
  // anything else goes through the board's move-text reader. False when nothing
  // was played. A move beyond the record's capacity is played but not recorded,
  // and the window program is told so.
  bool playMoveToken(std::string_view token);

  // Plays a move (a legal one only) and records it; false when it is not legal.
  bool playMove(Move m);

  // Current position := the position `plies` plies before it, replayed from the
  // record, which keeps its moves (the next move played overwrites from there).
  void takeBack(int plies);

 private:
  bool ready = false;
};

struct EngineState {
  EngineOptions options;
  GameState game;
  TrafficLog log;
  Settings* active = &activeSettings;  // "OwnBook" and the WinBoard "name" write here
  int engineColor = EnginePlaysNeither;
  bool quit = false;
  // A message for the protocol partner from the last command, printed as "info string".
  std::string notice;
  // The evaluator of the "eval" command, made on first use.
  std::unique_ptr<EvalContext> evalContext;

  // The static evaluation of the current position for the side to move, with
  // the contempt of the options.
  int staticEvaluation();

  // New game from the position of `fen` (the standard start position by
  // default): empty record, game running, search histories cleared (the
  // transposition table stays), tablebases re-initialised. A FEN that does not
  // read changes nothing and returns false, with the reason in `message`.
  bool newGame(std::string_view fen = StartFenShort, const char** message = nullptr);
};

// The state of this run.
EngineState& engineState();

}  // namespace tarn
