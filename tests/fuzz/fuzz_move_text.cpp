// Typed, pasted and protocol move texts: any text either plays one legal move (or
// a null move) and records it, or leaves the position as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/game_record.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/zobrist.h"

namespace {

using namespace tarn;

constexpr const char* Fens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "4k3/8/8/8/8/8/8/5K1R w H - 0 1",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "4k3/8/8/8/1b6/8/3N4/r3K2R w K - 0 1",
    "1r2k1rr/8/8/8/8/8/8/1RR1K2R w Cbg - 0 1",
};
constexpr int PositionCount = int(sizeof Fens / sizeof Fens[0]);

struct Fixture {
  CastlingSetup setups[PositionCount];
  Position positions[PositionCount];
  std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();

  Fixture() {
    initZobrist();
    initAttackTables();
    for (int i = 0; i < PositionCount; ++i) {
      setups[i].clear();
      if (!readFen(positions[i], Fens[i], setups[i])) std::abort();
    }
  }
};

void require(bool ok, const char* what, int position, std::string_view input) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_move_text: %s\nposition: %s\ninput (%zu bytes): %.*s\n", what, Fens[position], input.size(),
               int(input.size()), input.data());
  std::abort();
}

bool sameBoardAndState(const Position& a, const Position& b) {
  return std::memcmp(a.board, b.board, sizeof a.board) == 0 && a.key == b.key && a.sideToMove == b.sideToMove &&
         a.castlingRights == b.castlingRights && a.epSquare == b.epSquare && a.fiftyCounter == b.fiftyCounter &&
         a.ply == b.ply;
}

bool consistent(const Position& p) {
  Position fresh = p;
  refreshPosition(fresh);
  return sameBoardAndState(p, fresh) && fresh.checkers == p.checkers && fresh.blockers[0] == p.blockers[0] &&
         fresh.blockers[1] == p.blockers[1] && fresh.pinners[0] == p.pinners[0] && fresh.pinners[1] == p.pinners[1] &&
         std::memcmp(fresh.pieceBB, p.pieceBB, sizeof p.pieceBB) == 0 && fresh.pawnKey == p.pawnKey &&
         fresh.psqScore == p.psqScore && fresh.material[0].weight == p.material[0].weight &&
         fresh.material[1].weight == p.material[1].weight;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  chess960Mode = size && (data[0] & 1);

  for (int i = 0; i < PositionCount; ++i) {
    const Position& start = fixture.positions[i];
    MoveList legal(PromoteAll);
    generateLegal(start, legal);

    GameRecord& record = *fixture.record;
    record.reset(start);
    Position pos = start;
    const bool played = playMoveText(text, pos, &record);
    if (!played) {
      require(sameBoardAndState(pos, start), "a refused text changed the position", i, text);
      require(record.count == 0, "a refused text was recorded", i, text);
    } else if (text.substr(0, 4) == "Null") {
      Position expected = start;
      makeNullMove(expected);
      require(sameBoardAndState(pos, expected), "Null is not the null move", i, text);
    } else {
      bool found = false;
      for (Move m : legal) {
        Position after = start;
        makeMoveChecked(after, m);
        found = found || sameBoardAndState(pos, after);
      }
      require(found, "the text played no legal move", i, text);
      require(consistent(pos), "the position is not self-consistent after the move", i, text);
      require(record.count == 1, "the move was not recorded", i, text);
      require(sameBoardAndState(record.positionAfter(1), pos), "the recorded text replays to another position", i, text);
    }

    // The coordinate reader and the printers agree with the legal list.
    const Move m = parseCoordinateMove(text);
    char out[MoveTextSize];
    for (TextStyle style : {LongAlgebraic, San, Coordinate}) {
      const bool isLegal = legal.contains(m);
      const bool printed = moveToText(out, m, start, style);
      require(std::strlen(out) < MoveTextSize, "move text too long", i, text);
      if (m != NullMove && !isMarker(m)) require(printed == isLegal, "printer and legal list disagree", i, text);
    }
  }
  chess960Mode = false;
  return 0;
}
