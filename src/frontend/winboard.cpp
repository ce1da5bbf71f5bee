#include "frontend/winboard.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "board/draw_rules.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "frontend/command_words.h"
#include "frontend/engine_book.h"
#include "frontend/engine_identity.h"
#include "frontend/game_files.h"
#include "frontend/uci_report.h"
#include "frontend/uci_search_report.h"
#include "frontend/winboard_report.h"
#include "platform/executable_folder.h"
#include "search/game_decisions.h"
#include "search/time_management.h"

namespace tarn {

// Commands, by first word; every line first goes to the traffic log when it is on.
//
//   command                  what it does
//   ----------------------   ------------------------------------------------------------
//   protover N               the three "feature" lines
//   accepted, rejected       nothing (answers to the feature lines)
//   name NAME                the opponent's name, for the game log
//   new                      new game, engine plays Black, Chess960 off, depth limit 100
//   variant fischerandom     Chess960 on
//   setboard FEN             the position (a FEN that does not read: "tellusererror Illegal position")
//   force                    the engine plays neither side; a running search stops
//   go                       the engine plays the side to move and thinks
//   a move (e2e4, O-O)       played; claims the game's end; answers or pondering goes on
//   level MPS BASE INC       time control (BASE in minutes or minutes:seconds)
//   st SECONDS               a fixed time for every move (until the next "level")
//   time N, otim N           the engine's and the opponent's clock, centiseconds
//   sd DEPTH                 depth limit
//   cores N                  threads for the next search
//   post, nopost             thinking lines on or off
//   hard, easy               pondering on or off
//   ?                        move now (the line alone)
//   ping N                   a running search answers first, then "pong N"
//   draw                     "offer draw" when the engine accepts one
//   result RESULT {TEXT}     the game ends: game log, and the book learns from a loss
//   undo, remove             one or two plies back
//   analyze, exit            analysis of the position (moves, undo and setboard follow it)
//   evaluate                 "Evaluation: N" without a line end
//   quit                     the loop ends
//
// "nps" (a node budget instead of time) is not supported: the line is ignored.

namespace {

constexpr int GameLogMinimumPly = 3;   // shorter games are not logged
constexpr double MoveTimeShare = 0.98; // of an "st" time, as of a UCI movetime

bool isDigit(char c) { return c >= '0' && c <= '9'; }

double numberOr(std::string_view text, double fallback) {
  const std::string copy(trimBlanks(text));
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() ? fallback : value;
}

}  // namespace

void printWinBoardFeatures(ProtocolOutput& out) {
  out.line(std::string("feature myname=\"") + EngineName + "\" name=1 setboard=1 ping=1 smp=1");
  out.line("feature variants=\"normal,fischerandom\"");
  out.line("feature done=1");
}

bool looksLikeWinBoardMove(std::string_view text) {
  if (text.size() >= 4 && isDigit(text[1]) && isDigit(text[3])) return true;
  return text.find("O-O") != std::string_view::npos;
}

WinBoardHandler::WinBoardHandler(EngineState& state, ProtocolOutput& out) : state(state), out(out) {}

WinBoardHandler::~WinBoardHandler() {
  if (!reportsInstalled) return;
  stopSearch(StopAndDiscard);
  setSearchCallbacks({});
}

void WinBoardHandler::startSession() {
  // The settings the search thread would otherwise read while the loop may write them.
  resignOn = settingFlag(*state.active, "Resign");
  drawOffersOn = settingFlag(*state.active, "DrawOffers");
  logGames = settingFlag(*state.active, "LogGames");
  bookEnabled = settingFlag(*state.active, "BookEnabled");
  whitePointOfView = state.options.winBoardWhitePOV;
  pondering = state.options.ponder;
  state.log.setEnabled(settingFlag(engineSettings, "DebugLog"));
  ensureSearchThreads(state);
  SearchCallbacks callbacks;
  callbacks.pv = [this](const SearchThread& main, int line, PvBound bound) { principalVariation(main, line, bound); };
  callbacks.book = [this](const SearchThread& main, const BookAnswer& answer) { bookProbed(main, answer); };
  callbacks.bestMove = [this](const SearchResult& result) { searchFinished(result); };
  setSearchCallbacks(std::move(callbacks));
  reportsInstalled = true;
  {
    std::lock_guard lock(mutex);
    state.newGame();
    state.options.depthLimit = DefaultDepthLimit;
    state.options.nodeLimit = 0;
    state.engineColor = EnginePlaysBlack;
  }
}

bool WinBoardHandler::handleLine(std::string_view line) {
  state.log.received(line);
  const FirstWord command = splitFirstWord(line);
  const std::string_view word = command.word, rest = command.rest;
  if (word == "accepted" || word == "rejected") return true;
  if (word == "name") {
    // The whole rest of the line: names may hold blanks.
    if (rest.size() >= 2) state.active->setPlayerName(trimBlanks(rest));
  } else if (word == "protover") {
    printWinBoardFeatures(out);
  } else if (word == "time") {
    std::lock_guard lock(mutex);
    clockState.engineCentiseconds = numberOr(rest, clockState.engineCentiseconds);
  } else if (word == "otim") {
    std::lock_guard lock(mutex);
    clockState.opponentCentiseconds = numberOr(rest, clockState.opponentCentiseconds);
  } else if (word == "force") {
    stopSearch(StopAndDiscard);
    std::lock_guard lock(mutex);
    analysis = false;
    state.engineColor = EnginePlaysNeither;
  } else if (word == "go") {
    go();
  } else if (word == "setboard") {
    setBoard(rest);
  } else if (word == "level") {
    level(rest);
  } else if (word == "st") {
    std::lock_guard lock(mutex);
    clockState.secondsPerMove = std::max(0.0, numberOr(rest, 0));
  } else if (word == "post" || word == "nopost") {
    std::lock_guard lock(mutex);
    thinkingOutput = word == "post";
  } else if (word == "hard" || word == "easy") {
    std::lock_guard lock(mutex);
    pondering = word == "hard";
  } else if (word == "cores") {
    const std::string_view count = trimBlanks(rest);
    std::lock_guard lock(mutex);
    if (!count.empty() && isDigit(count[0])) state.options.threadCount = std::clamp(leadingInt(count), 1, MaxSearchThreads);
  } else if (word == "new") {
    newGame();
  } else if (word == "variant") {
    if (splitFirstWord(rest).word == "fischerandom") chess960Mode.store(true, std::memory_order_relaxed);
  } else if (word == "quit") {
    stopSearch(StopAndDiscard);
    state.quit = true;
  } else if (word == "undo") {
    takeBack(1);
  } else if (word == "remove") {
    takeBack(2);
  } else if (word == "evaluate") {
    evaluate();
  } else if (word == "result") {
    result(rest);
  } else if (word == "draw") {
    if (acceptsDraw(searchActive(), thinkingSearchActive(), lastReportedScore(), drawOffersOn)) out.line("offer draw");
  } else if (word == "analyze") {
    analyze();
  } else if (word == "exit") {
    stopSearch(StopAndDiscard);
    std::lock_guard lock(mutex);
    analysis = false;
  } else if (word == "sd") {
    std::lock_guard lock(mutex);
    state.options.depthLimit = std::clamp(leadingInt(rest), 1, DefaultDepthLimit);
  } else if (word == "?") {
    if (rest.empty()) stopSearchNow();
  } else if (word == "ping") {
    ping(rest);
  } else if (looksLikeWinBoardMove(word)) {
    opponentMove(word);
  }
  return !state.quit;
}

void WinBoardHandler::newGame() {
  chess960Mode.store(false, std::memory_order_relaxed);
  if (!ready()) return;  // the session sets the game up itself
  stopSearch(StopAndDiscard);
  std::lock_guard lock(mutex);
  analysis = false;
  state.newGame();
  state.options.depthLimit = DefaultDepthLimit;
  state.options.nodeLimit = 0;
  state.engineColor = EnginePlaysBlack;
}

void WinBoardHandler::setBoard(std::string_view fen) {
  if (!ready()) return;
  stopSearch(StopAndDiscard);
  bool accepted;
  {
    std::lock_guard lock(mutex);
    accepted = state.game.setFenPosition(fen);
  }
  if (!accepted) {
    out.line("tellusererror Illegal position");
    return;
  }
  restartAnalysis();
}

void WinBoardHandler::level(std::string_view arguments) {
  const std::vector<std::string_view> words = splitWords(arguments);
  std::lock_guard lock(mutex);
  clockState.secondsPerMove = 0;
  if (words.size() > 0) clockState.movesPerControl = std::max(0, leadingInt(words[0]));
  if (words.size() > 1) {
    const std::string_view base = words[1];
    const size_t colon = base.find(':');
    state.options.clockMinutes = colon == std::string_view::npos
                                     ? leadingInt(base)
                                     : leadingInt(base.substr(0, colon)) + leadingInt(base.substr(colon + 1)) / 60.0;
  }
  if (words.size() > 2) state.options.clockIncrement = std::max(0.0, numberOr(words[2], 0));
}

void WinBoardHandler::setTimedLimits(double used) {
  SearchLimits& limits = searchLimits;
  const WinBoardClock& c = clockState;
  if (c.secondsPerMove > 0) {
    limits.targetTime = c.secondsPerMove * MoveTimeShare;
    limits.extraTime = 0;
  } else {
    const double left = c.engineCentiseconds * 0.01 - used;
    const TimeBudget b = allocateTime(left, state.options.clockIncrement, c.movesPerControl, state.game.position.ply);
    limits.targetTime = b.target;
    limits.extraTime = b.extra;
  }
  limits.increment = state.options.clockIncrement;
  limits.useTime = true;
  limits.maxDepth = std::clamp(state.options.depthLimit, 1, MaxDepth);
  limits.fixedDepth = 0;
  limits.maxNodes = uint64_t(std::max<int64_t>(state.options.nodeLimit, 0));
  limits.searchMoveCount = 0;
  limits.multiPV = 1;
  limits.threads = state.options.threadCount;
  limits.contemptMid = state.options.contemptMid;
  limits.contemptEnd = state.options.contemptEnd;
  limits.useBook = bookEnabled;
  ponderingEnabled.store(pondering, std::memory_order_relaxed);
}

void WinBoardHandler::setAnalysisLimits() {
  SearchLimits& limits = searchLimits;
  limits.useTime = false;
  limits.maxDepth = MaxDepth;
  limits.maxNodes = 0;
  limits.searchMoveCount = 0;
  limits.multiPV = std::clamp(state.options.multiPV, 1, MaxRootMoves);
  limits.threads = state.options.threadCount;
  limits.contemptMid = state.options.contemptMid;
  limits.contemptEnd = state.options.contemptEnd;
}

// Posts a thinking search of the current position. The search is idle first,
// so no report can wait for the lock while the request is posted.
void WinBoardHandler::think() {
  stopSearch(StopAndDiscard);
  std::lock_guard lock(mutex);
  setTimedLimits();
  state.log.append("Start Thinking...\n");
  requestSearch(state.game.position, state.game.record.keys.data(), ModeThink);
}

// In analysis mode, analyses the current position afresh; the search must be idle.
void WinBoardHandler::restartAnalysis() {
  std::lock_guard lock(mutex);
  if (!analysis) return;
  setAnalysisLimits();
  requestSearch(state.game.position, state.game.record.keys.data(), ModeInfinite);
}

void WinBoardHandler::go() {
  if (!ready()) return;
  stopSearch(StopAndDiscard);
  {
    std::lock_guard lock(mutex);
    state.engineColor = state.game.position.sideToMove;
    analysis = false;
    gameResult.store(GameRunning, std::memory_order_relaxed);
  }
  think();
}

void WinBoardHandler::analyze() {
  if (!ready()) return;
  stopSearch(StopAndDiscard);
  {
    std::lock_guard lock(mutex);
    state.engineColor = EnginePlaysNeither;
    analysis = true;
  }
  restartAnalysis();
}

void WinBoardHandler::takeBack(int plies) {
  if (!ready()) return;
  stopSearch(StopAndDiscard);
  {
    std::lock_guard lock(mutex);
    state.game.takeBack(plies);
  }
  restartAnalysis();
}

void WinBoardHandler::evaluate() {
  if (!ready()) return;
  int score;
  {
    std::lock_guard lock(mutex);
    score = state.staticEvaluation();
  }
  out.write("Evaluation: " + std::to_string(score));
}

void WinBoardHandler::ping(std::string_view arguments) {
  // A search that was asked for answers first: its move comes before the "pong".
  waitForRequestTaken();
  stopSearch(StopAndAnswer);
  out.line("pong " + std::to_string(leadingInt(arguments)));
  // Analysis goes on after the answer.
  if (ready()) restartAnalysis();
}

void WinBoardHandler::result(std::string_view text) {
  const int outcome = text.find("1-0") != std::string_view::npos   ? WhiteWon
                      : text.find("0-1") != std::string_view::npos ? BlackWon
                                                                   : GameDrawn;
  stopSearch(StopAndDiscard);
  gameResult.store(outcome, std::memory_order_relaxed);
  if (!ready()) return;
  std::lock_guard lock(mutex);
  if (state.game.position.ply >= GameLogMinimumPly && logGames) {
    ++gameLogCounter;
    std::string error;
    if (!saveMainGame(state, pathBesideExecutable(WinBoardGameLog), gameLogCounter, &error))
      out.line("info string game log not written: " + error);
  }
  const bool lost = (outcome == WhiteWon && state.engineColor == EnginePlaysBlack) ||
                    (outcome != WhiteWon && state.engineColor == EnginePlaysWhite);
  if (lost) openingBook().learnFromLoss(state.game.record, outcome);
}

// The game-end claims after the opponent's move: mate, the fifty-move rule, a
// third repetition. Stalemate is left to the GUI.
void WinBoardHandler::claimGameEnd() {
  const Position& pos = state.game.position;
  MoveList legal;
  generateLegal(pos, legal);
  if (pos.checkers && legal.empty())
    out.line(pos.sideToMove == Black ? "1-0 {White Mates}" : "0-1 {Black Mates}");
  else if (pos.fiftyCounter > FiftyMoveLimit)
    out.line("1/2-1/2 {Draw by 50 Move Rule}");
  else if (repetitionCount(pos, state.game.record.keys.data()) >= 2)
    out.line("1/2-1/2 {Draw by Repetition}");
}

void WinBoardHandler::opponentMove(std::string_view move) {
  if (!ready()) return;
  if (analysis) stopSearch(StopAndDiscard);
  bool played;
  Key now;
  bool engineToMove;
  {
    std::lock_guard lock(mutex);
    played = state.game.playMoveToken(move);
    if (played) {
      gameResult.store(GameRunning, std::memory_order_relaxed);
      claimGameEnd();
    }
    now = state.game.position.key;
    engineToMove = int(state.game.position.sideToMove) == state.engineColor;
  }
  // A move that does not play is taken back by the GUI.
  if (!played) out.line("Illegal move: " + std::string(move));

  if (analysis) {
    restartAnalysis();
    return;
  }
  bool hit = false;
  const bool pondered = ponderSearchPending();
  state.log.append(pondered ? "SS=PONDER\n" : "SS=NOT PONDER\n");
  if (pondered) {
    std::unique_lock lock(mutex);
    hit = played && now == ponderKey;
    lock.unlock();
    if (hit) {
      tarn::ponderHit();
    } else {
      ponderMiss();
      stopSearch(StopAndDiscard);
    }
  }
  if (engineToMove && !hit) think();
}

void WinBoardHandler::searchFinished(const SearchResult& r) {
  // Analysis never moves; a ponder search moves only when its prediction came true.
  if (!r.best || r.discarded || r.mode == ModeInfinite || (r.mode == ModePonder && !r.ponderHit)) return;
  std::lock_guard lock(mutex);
  GameState& game = state.game;
  if (game.position.key != r.root->key) return;  // the game went on without this search
  const Position before = game.position;
  if (!game.playMove(r.best)) return;
  const std::string move = moveToCoordinate(r.best, before, isChess960());

  if (gameResult.load(std::memory_order_relaxed) == GameRunning) {
    const EngineDecision decision =
        decideAfterEngineMove(r.score, before.sideToMove, game.position, resignOn, drawOffersOn, false);
    if (decision == EngineDecision::Resign) {
      out.line("resign");
      return;
    }
    if (decision == EngineDecision::OfferDraw) out.line("offer draw");
  }
  out.line("move " + move);
  state.log.append("wbSendMove " + move + "\n");

  // Pondering on the predicted reply.
  if (state.engineColor == EnginePlaysNeither || !pondering || !r.ponder || isMarker(r.ponder) ||
      gameResult.load(std::memory_order_relaxed) != GameRunning || stopRequest.load() == StopAndDiscard)
    return;
  MoveList legal(PromoteAll);
  generateLegal(game.position, legal);
  if (!legal.contains(r.ponder)) return;
  Position predicted = game.position;
  makeMoveChecked(predicted, r.ponder);
  refreshPosition(predicted);
  // The position before the predicted move joins the history the ponder search sees.
  game.record.keys[game.position.ply] = game.position.key;
  ponderKey = predicted.key;
  ponderPrefix = "{ " + moveToText(r.ponder, game.position, San) + "} ";
  // The clock after this move: what it showed, less the search, plus the increment.
  setTimedLimits(r.elapsedSeconds - state.options.clockIncrement);
  requestSearchFromCallback(predicted, game.record.keys.data(), ModePonder);
}

void WinBoardHandler::principalVariation(const SearchThread& main, int line, PvBound bound) {
  std::string prefix;
  {
    std::lock_guard lock(mutex);
    if (!thinkingOutput) return;
    if (main.mode == ModePonder) prefix = ponderPrefix;
  }
  const RootMove& slot = main.slots[std::clamp(line, 0, std::max(0, main.slotCount - 1))];
  int score = slot.score;
  if (main.root.sideToMove == Black && whitePointOfView) score = -score;
  std::span<const Move> moves(slot.pv.moves, size_t(slot.pv.length));
  if (moves.empty() && slot.move) moves = std::span<const Move>(&slot.move, 1);
  const WinBoardBound mark = bound == PvBound::Upper   ? WinBoardBound::FailLow
                             : bound == PvBound::Lower ? WinBoardBound::FailHigh
                                                       : WinBoardBound::Exact;
  const TimeFigures t = timeFigures(secondsSince(main.searchStart), totalNodes());
  out.line(winBoardThinkingLine(main.iterationDepth.load(std::memory_order_relaxed), score, t.centiseconds,
                                totalNodes(), prefix + winBoardPv(main.root, moves, mark)));
}

void WinBoardHandler::bookProbed(const SearchThread& main, const BookAnswer& answer) {
  {
    std::lock_guard lock(mutex);
    if (!thinkingOutput) return;
  }
  const RootMove& held = main.slots[0];
  out.line(winBoardBookLine(main.root, answer.move, answer.score, answer.candidates, held.score,
                            std::span<const Move>(held.pv.moves, size_t(held.pv.length))));
}

void runWinBoardLoop(WinBoardHandler& handler, EngineState& state, LineReader& input) {
  handler.startSession();
  if (state.quit) return;
  std::string line;
  while (input.readLine(line, CommandLineLimit))
    if (!handler.handleLine(line)) break;
}

}  // namespace tarn
