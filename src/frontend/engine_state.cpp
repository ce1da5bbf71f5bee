#include "frontend/engine_state.h"

#include <algorithm>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/notation.h"
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

void GameState::takeBack(int plies) {
  if (!ready) return;
  position = record.positionAfter(std::max(int(position.ply) - plies, 0));
  position.setup = &setup;
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
