// FEN reader: any bytes either fail cleanly, leaving the target alone, or give a
// position that is self-consistent, writes back to a text that reads to the same
// position, fits a move list, and can be searched.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/perft.h"
#include "board/zobrist.h"

namespace {

using namespace tarn;

void require(bool ok, const char* what, std::string_view input) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_fen: %s\ninput (%zu bytes): %.*s\n", what, input.size(), int(input.size()), input.data());
  std::abort();
}

bool sameRecord(const Position& a, const Position& b) {
  return std::memcmp(a.board, b.board, sizeof a.board) == 0 && std::memcmp(a.pieceBB, b.pieceBB, sizeof a.pieceBB) == 0 &&
         a.colourBB[0] == b.colourBB[0] && a.colourBB[1] == b.colourBB[1] && a.occupied == b.occupied &&
         a.key == b.key && a.pawnKey == b.pawnKey && a.material[0].signature == b.material[0].signature &&
         a.material[0].weight == b.material[0].weight && a.material[1].signature == b.material[1].signature &&
         a.material[1].weight == b.material[1].weight && a.psqScore == b.psqScore &&
         a.kingSquare[0] == b.kingSquare[0] && a.kingSquare[1] == b.kingSquare[1] && a.ply == b.ply &&
         a.sideToMove == b.sideToMove && a.castlingRights == b.castlingRights && a.epSquare == b.epSquare &&
         a.fiftyCounter == b.fiftyCounter && a.setup == b.setup && a.checkers == b.checkers &&
         a.blockers[0] == b.blockers[0] && a.blockers[1] == b.blockers[1] && a.pinners[0] == b.pinners[0] &&
         a.pinners[1] == b.pinners[1];
}

// Pseudo-legal moves counted piece by piece, so that counting cannot overflow a
// list; the king, which every call emits, is counted once.
int pseudoLegalCount(const Position& p) {
  int total = 0;
  for (Bitboard own = p.colourBB[p.sideToMove]; own;) {
    const int from = popLowest(own);
    MoveList list(PromoteAll);
    generateMoves(p, list, bit(from), ~p.colourBB[p.sideToMove]);
    for (Move m : list) total += fromSquare(m) == from;
  }
  return total + 2;  // and the castlings
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initZobrist(), initAttackTables(), true);
  (void)ready;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  static CastlingSetup setup, before;
  setup.clear();
  Position pos{};
  pos.setup = &setup;
  const Position untouched = pos;
  before = setup;
  const char* message = nullptr;
  if (!readFen(pos, text, setup, &message)) {
    require(message != nullptr && *message, "failure without a message", text);
    require(sameRecord(pos, untouched), "a failed read changed the target", text);
    require(std::memcmp(&setup, &before, sizeof setup) == 0, "a failed read changed the castling record", text);
    return 0;
  }

  Position fresh = pos;
  refreshPosition(fresh);
  require(sameRecord(pos, fresh), "the position read is not self-consistent", text);

  // With rook-file letters every castling right survives the round trip.
  chess960Mode = true;
  char written[FenBufferSize];
  const int length = writeFen(written, pos);
  require(length > 0 && length < FenBufferSize && std::strlen(written) == size_t(length), "bad FEN length", text);
  CastlingSetup setup2;
  setup2.clear();
  Position again{};
  require(readFen(again, std::string_view(written, size_t(length)), setup2), "written FEN does not read back", text);
  require(again.key == pos.key && std::memcmp(again.board, pos.board, sizeof pos.board) == 0 &&
              again.castlingRights == pos.castlingRights && again.epSquare == pos.epSquare &&
              again.fiftyCounter == pos.fiftyCounter && again.sideToMove == pos.sideToMove,
          "written FEN reads back to another position", text);
  for (int k = 0; k < 4; ++k)
    require(!(pos.castlingRights & (1 << k)) || setup2.rookSquare[k] == setup.rookSquare[k], "castling rook moved", text);
  chess960Mode = false;

  Position flipped;
  flipColours(pos, flipped, FlipSwapColours);
  Position check = flipped;
  refreshPosition(check);
  require(sameRecord(flipped, check), "colour swap is not self-consistent", text);

  require(pseudoLegalCount(pos) <= MaxMoves, "a position the reader accepts overflows a move list", text);
  perft(pos, 2);
  return 0;
}
