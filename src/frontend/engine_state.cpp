#include "frontend/engine_state.h"

#include <algorithm>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "eval/evaluate.h"
#include "eval/tb/syzygy.h"
#include "frontend/engine_services.h"
#include "frontend/status_messages.h"

namespace tarn {

GameState::GameState() { position.setup = &setup; }

void GameState::setStartPosition() { setFenPosition(StartFenShort); }

bool GameState::setFenPosition(std::string_view fen, const char** message) {
  if (!readFen(position, fen, setup, message)) return false;
  record.reset(position);
  ready = true;
  return true;
}

bool GameState::playMoveToken(std::string_view token) {
  if (!ready || token.empty()) return false;
  const bool full = record.isFull(position);
  const bool played = playMoveText(token, position, &record);
  if (played && full) showStatus("Hit Maximum Move Number");
  return played;
}

bool GameState::playMove(Move m) {
  if (!ready) return false;
  MoveList legal(PromoteAll);
  generateLegal(position, legal);
  if (!legal.contains(m)) return false;
  const bool full = record.isFull(position);
  const Position before = position;
  makeMoveChecked(position, m);
  refreshPosition(position);
  record.appendMove(m, before);
  if (full) showStatus("Hit Maximum Move Number");
  return true;
}

void GameState::takeBack(int plies) {
  if (!ready) return;
  position = record.positionAfter(std::max(int(position.ply) - plies, 0));
  position.setup = &setup;
}

int EngineState::staticEvaluation() {
  if (!game.hasPosition()) game.setStartPosition();
  if (!evalContext) evalContext = std::make_unique<EvalContext>();
  EvalContext& ctx = *evalContext;
  ctx.contemptMid = options.contemptMid;
  ctx.contemptEnd = options.contemptEnd;
  ctx.contemptSide = game.position.sideToMove;
  ctx.accumulator = nullptr;
  return evaluate(game.position, ctx);
}

bool EngineState::newGame(std::string_view fen, const char** message) {
  // Stops the search and waits for it before the game changes under it.
  clearSearchHistories();
  if (!game.setFenPosition(fen, message)) return false;
  gameResult.store(GameRunning, std::memory_order_relaxed);
  initTablebases(options.syzygyPath);
  return true;
}

EngineState& engineState() {
  static EngineState state;
  return state;
}

}  // namespace tarn
