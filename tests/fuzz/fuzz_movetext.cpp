// PGN movetext: any bytes are walked without harm; every move played is recorded,
// and the record replays its own texts to the position the walk reached.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/game_record.h"
#include "board/notation.h"
#include "board/zobrist.h"

namespace {

using namespace tarn;

void require(bool ok, const char* what, std::string_view input) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_movetext: %s\ninput (%zu bytes): %.*s\n", what, input.size(), int(input.size()), input.data());
  std::abort();
}

bool samePosition(const Position& a, const Position& b) {
  return std::memcmp(a.board, b.board, sizeof a.board) == 0 && a.key == b.key && a.sideToMove == b.sideToMove &&
         a.castlingRights == b.castlingRights && a.epSquare == b.epSquare && a.fiftyCounter == b.fiftyCounter &&
         a.ply == b.ply;
}

bool consistent(const Position& p) {
  Position fresh = p;
  refreshPosition(fresh);
  return samePosition(p, fresh) && fresh.checkers == p.checkers && fresh.pawnKey == p.pawnKey &&
         std::memcmp(fresh.pieceBB, p.pieceBB, sizeof p.pieceBB) == 0 && fresh.blockers[0] == p.blockers[0] &&
         fresh.blockers[1] == p.blockers[1];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initZobrist(), initAttackTables(), true);
  (void)ready;
  static const std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
  static CastlingSetup setup;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The standard array, or a Chess960 one chosen by the first byte.
  Position start{};
  setup.clear();
  const int number = size && (data[0] & 1) ? (data[0] * 7) % 960 : 518;
  require(setupChess960(start, number, setup), "no start position", text);
  chess960Mode = number != 518;

  record->reset(start);
  Position pos = start;
  parseMovetext(*record, text, pos);

  require(consistent(pos), "the walk ended in an inconsistent position", text);
  require(record->count >= 0 && record->count <= MaxRecordedPlies - 4, "record count out of range", text);
  for (int i = 0; i < record->count; ++i) {
    require(record->comments[size_t(i)].size() <= MaxCommentLength, "comment too long", text);
    require(std::strlen(record->moveText(i)) < RecordedMoveSize, "move text too long", text);
  }
  // A full record stops recording while the walk goes on; only complete records replay.
  if (pos.ply - start.ply == record->count && record->count < MaxRecordedPlies - 4)
    require(samePosition(record->positionAfter(record->count), pos), "the record replays to another position", text);
  chess960Mode = false;
  return 0;
}
