// Incremental accumulators against fresh refreshes over long random games, for
// every network, with the special moves steered for: castling on both wings
// (standard and Chess960), en passant, all four promotions, captures of promoted
// pieces, null moves, and kings crossing between the d- and e-files.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/nn/inference.h"
#include "network_test_helpers.h"

namespace tarn::nn::test {
namespace {

struct Coverage {
  int castleHSide = 0, castleASide = 0, castle960 = 0, enPassant = 0, promotions[4] = {}, promotedCaptured = 0,
      nullMoves = 0, whiteKingCross[2] = {}, blackKingCross[2] = {};
};

bool isSpecial(const Position& pos, Move m, Bitboard promoted) {
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode p = pos.board[from];
  return isCastling(pos, m) || (typeOf(p) == Pawn && (to == pos.epSquare || to < 8 || to >= 56)) ||
         (promoted & bit(to)) || (typeOf(p) == King && fileOf(from) + fileOf(to) == 7);
}

void record(const Position& pos, Move m, bool chess960, Bitboard& promoted, Coverage& c) {
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode p = pos.board[from];
  if (isCastling(pos, m)) {
    (to > from ? c.castleHSide : c.castleASide)++;
    if (chess960) ++c.castle960;
  }
  if (promoted & bit(to)) ++c.promotedCaptured;
  promoted &= ~bit(to);
  if (promoted & bit(from)) promoted ^= bit(from) | bit(to);
  if (typeOf(p) == Pawn && to == pos.epSquare) ++c.enPassant;
  if (typeOf(p) == Pawn && (to < 8 || to >= 56)) {
    ++c.promotions[promotionCode(m)];
    promoted |= bit(to);
  }
  if (typeOf(p) == King && !isCastling(pos, m) && fileOf(from) + fileOf(to) == 7)
    (p == WKing ? c.whiteKingCross : c.blackKingCross)[fileOf(from) < fileOf(to) ? 0 : 1]++;
}

// Compares each network's incremental accumulator with a fresh one.
void expectFresh(const Accumulator* incremental, const Position& pos, const char* what) {
  for (int net = 0; net < ListNetworkCount; ++net) {
    Accumulator fresh;
    refresh(net, pos, fresh);
    const size_t bytes = size_t(network(net).accumulatorLength()) * sizeof(int16_t);
    ASSERT_EQ(std::memcmp(incremental[net].values, fresh.values, bytes), 0)
        << network(net).name() << " after " << what << " in " << toFen(pos);
  }
}

void playRandomGame(Board b, std::mt19937_64& rng, int plies, bool chess960, Coverage& coverage) {
  Accumulator acc[ListNetworkCount], child[ListNetworkCount];
  for (int net = 0; net < ListNetworkCount; ++net) refresh(net, b.pos, acc[net]);
  Bitboard promoted = 0;
  for (int ply = 0; ply < plies; ++ply) {
    const Position before = b.pos;
    if (!before.checkers && rng() % 12 == 0) {
      makeNullMove(b.pos);
      ++coverage.nullMoves;
      for (int net = 0; net < ListNetworkCount; ++net) {
        child[net] = acc[net];
        flipSideToMove(net, b.pos.sideToMove, child[net]);
      }
      ASSERT_NO_FATAL_FAILURE(expectFresh(child, b.pos, "a null move"));
      std::memcpy(acc, child, sizeof(acc));
      continue;
    }
    const std::vector<Move> moves = legalMoves(before);
    if (moves.empty()) return;
    std::vector<Move> special;
    for (Move m : moves)
      if (isSpecial(before, m, promoted)) special.push_back(m);
    const Move m = !special.empty() && rng() % 2 ? special[rng() % special.size()] : moves[rng() % moves.size()];
    record(before, m, chess960, promoted, coverage);
    makeMoveChecked(b.pos, m);
    for (int net = 0; net < ListNetworkCount; ++net) {
      child[net] = acc[net];
      update(net, m, before, child[net], b.pos);
    }
    char what[16];
    std::snprintf(what, sizeof(what), "move %04x", unsigned(m));
    ASSERT_NO_FATAL_FAILURE(expectFresh(child, b.pos, what));
    std::memcpy(acc, child, sizeof(acc));
  }
}

TEST(NetworkIncremental, UpdatesEqualRefreshOverRandomGames) {
  loadRandomNetworks(21, 2000);
  std::mt19937_64 rng(99);
  Coverage coverage;
  const char* starts[] = {
      StartFen,
      "r3k2r/pppq1ppp/2n1bn2/3pp3/3PP3/2N1BN2/PPPQ1PPP/R3K2R w KQkq - 0 1",
      "4k3/P1P3P1/8/8/8/8/p1p3p1/4K3 w - - 0 1",
      "r1n1k1n1/1P4P1/8/2pPp3/8/8/1p4p1/R1N1K1N1 w Qq e6 0 1",
      "4k3/2p1p1p1/8/1P1P1P2/8/8/8/3K4 b - - 0 1",
      "3k4/pp4pp/8/8/8/8/PP4PP/4K3 w - - 0 1",
  };
  for (int round = 0; round < 4; ++round)
    for (const char* fen : starts)
      ASSERT_NO_FATAL_FAILURE(playRandomGame(boardFromFen(fen), rng, 150, false, coverage));
  for (int game = 0; game < 12; ++game) {
    Board b;
    ASSERT_TRUE(setupChess960(b.pos, int(rng() % 960), *b.setup));
    ASSERT_NO_FATAL_FAILURE(playRandomGame(b, rng, 150, true, coverage));
  }
  EXPECT_GT(coverage.castleHSide, 0);
  EXPECT_GT(coverage.castleASide, 0);
  EXPECT_GT(coverage.castle960, 0);
  EXPECT_GT(coverage.enPassant, 0);
  for (int code = 0; code < 4; ++code) EXPECT_GT(coverage.promotions[code], 0) << "promotion code " << code;
  EXPECT_GT(coverage.promotedCaptured, 0);
  EXPECT_GT(coverage.nullMoves, 0);
  for (int way = 0; way < 2; ++way) {
    EXPECT_GT(coverage.whiteKingCross[way], 0) << "white king crossing, way " << way;
    EXPECT_GT(coverage.blackKingCross[way], 0) << "black king crossing, way " << way;
  }
}

}  // namespace
}  // namespace tarn::nn::test
