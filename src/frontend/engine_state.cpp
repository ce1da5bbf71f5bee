#include "frontend/engine_state.h"

#include "board/fen.h"
#include "board/make_move.h"
#include "board/notation.h"
#include "eval/tb/syzygy.h"
#include "frontend/engine_services.h"

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
  return playMoveText(token, position, &record);
}

void EngineState::newGame() {
  // The search is stopped and waited for here once it exists.
  game.setStartPosition();
  gameResult.store(GameRunning, std::memory_order_relaxed);
  clearSearchHistories();
  initTablebases(options.syzygyPath);
}

EngineState& engineState() {
  static EngineState state;
  return state;
}

}  // namespace tarn
