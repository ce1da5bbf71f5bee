#include "board/game_record.h"

#include <chrono>
#include <cstring>

#include "board/make_move.h"
#include "board/notation.h"

namespace tarn {

std::atomic<int> gameResult{GameRunning};

namespace {

int64_t nowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

GameRecord::GameRecord(bool isMain)
    : moves(MaxRecordedPlies), keys(size_t(1) << 16), comments(MaxRecordedPlies), main(isMain) {
  start.setup = &startSetup;
}

void GameRecord::reset(const Position& pos) {
  start = pos;
  if (!start.setup) start.setup = &startSetup;
  count = 0;
  for (auto& m : moves) m[0] = '\0';
  for (auto& c : comments) c.clear();
  usedTime[White] = usedTime[Black] = 0;
  lastMoveTime = nowMilliseconds();
  keys[start.ply] = start.key;
}

bool GameRecord::appendMove(Move m, const Position& before) {
  // The ply counter indexes the move texts too, so a game stretched by null
  // moves is bounded by it as well as by the count.
  if (isFull(before)) return false;
  if (main) {
    if (before.ply >= count) {
      const int64_t now = nowMilliseconds();
      usedTime[before.ply & 1] += now - lastMoveTime;
      lastMoveTime = now;
    }
    gameResult.store(GameRunning, std::memory_order_relaxed);
  }
  keys[before.ply] = before.key;
  count = before.ply + 1;
  moveToText(moves[before.ply].data(), m, before, LongAlgebraic);
  return true;
}

Position GameRecord::positionAfter(int n) {
  // Moves are kept by the ply counter of the position they were made from, so a
  // game that starts with Black to move has its first move at index 1.
  Position pos = start;
  for (int i = start.ply; i < n && i < count && i < MaxRecordedPlies; ++i) {
    keys[pos.ply] = pos.key;
    const char* text = moves[size_t(i)].data();
    if (std::strncmp(text, "Null", 4) == 0) {
      makeNullMove(pos);
    } else {
      const MoveFields fields = parseMoveText(text, pos);
      matchAndPlayMove(pos, fields, fields.pieceType, fields.promotionType, nullptr);
    }
    keys[pos.ply] = pos.key;
  }
  return pos;
}

}  // namespace tarn
