// Move ordering, the exchange test, histories and the move picker.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "search/history.h"
#include "search/move_picker.h"
#include "search/repetition_table.h"
#include "search/see.h"
#include "search_test_helpers.h"

namespace tarn::test {
namespace {

Move move(const Position& pos, const char* text) {
  MoveList legal(PromoteAll);
  generateLegal(pos, legal);
  for (Move m : legal)
    if (moveToCoordinate(m, pos, false) == text) return m;
  ADD_FAILURE() << "no move " << text;
  return NullMove;
}

TEST(StaticExchange, ThresholdsOnKnownExchanges) {
  struct Case {
    const char* fen;
    const char* move;
    int threshold;
    bool expected;
  };
  const Case cases[] = {
      // A pawn defended by a pawn: taking it with the rook loses the rook for a pawn.
      {"4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", 0, false},
      {"4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", -500, true},
      // An undefended pawn: winning 96.
      {"4k3/8/8/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", 96, true},
      {"4k3/8/8/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", 97, false},
      // Pawn takes queen, defended: 1028 - 96.
      {"4k3/8/2p5/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 1028 - 96, true},
      {"4k3/8/2p5/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 1028 - 95, false},
      // X-ray: two rooks against a rook defended once.
      {"3rk3/8/8/3r4/8/8/3R4/3RK3 w - - 0 1", "d2d5", 0, true},
      // A quiet push to the eighth rank, unattacked: 932 >= 96.
      {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", 96, true},
      // The same push covered by a rook: the new queen is lost.
      {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", 0, false},
      // En passant wins a pawn.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 96, true},
      // Castling exchanges nothing.
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", 0, true},
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", 1, false},
  };
  for (const Case& c : cases) {
    TestPosition p(c.fen);
    EXPECT_EQ(seeAtLeast(p.pos, move(p.pos, c.move), c.threshold), c.expected) << c.fen << " " << c.move;
  }
}

TEST(History, GravityKeepsEntriesBounded) {
  TestPosition p("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  auto histories = std::make_unique<Histories>();
  histories->clear();
  Killers killers;
  const Move m = move(p.pos, "a1a5");
  TriedMoves<16> captures;
  TriedMoves<64> quiets;
  for (int i = 0; i < 200; ++i) updateHistories(p.pos, *histories, killers, m, 10, false, {}, captures, quiets, false);
  const int entry = histories->butterflyOf(p.pos.board[A1], m);
  EXPECT_GT(entry, 7000);
  EXPECT_LE(entry, 8192);
  EXPECT_EQ(killers.killer1, m);
  // Depth 16 and beyond: killers, but no histories.
  Killers other;
  const Move m2 = move(p.pos, "a1a6");
  updateHistories(p.pos, *histories, other, m2, 16, false, {}, captures, quiets, false);
  EXPECT_EQ(other.killer1, m2);
  EXPECT_EQ(histories->butterflyOf(p.pos.board[A1], m2), 0);
}

TEST(MoveOrdering, CapturesOfBigPiecesByLittlePiecesComeFirst) {
  // Pawn and knight can both take the queen.
  TestPosition p("4k3/8/8/3q4/4P3/2N5/8/4K3 w - - 0 1");
  auto histories = std::make_unique<Histories>();
  histories->clear();
  MoveList list(PromoteAll);
  generateMoves(p.pos, list, ~Bitboard(0), p.pos.colourBB[Black]);
  scoreCaptures(list, p.pos, *histories);
  sortScored(list);
  ASSERT_GE(list.count, 2);
  EXPECT_EQ(moveToCoordinate(list.moves[0], p.pos, false), "e4d5");
  EXPECT_EQ(moveToCoordinate(list.moves[1], p.pos, false), "c3d5");
}

// The picker hands out every legal move exactly once, whatever table move,
// killers and counter move it is given.
TEST(MovePicker, EveryMoveOnce) {
  std::mt19937 rng(7);
  auto histories = std::make_unique<Histories>();
  histories->clear();
  const char* fens[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 10",
                        "r1bq1r1k/1pp1n1pp/1p1p4/4p2Q/4Pp2/1BNP4/PPP2PPP/3R1RK1 w - - 2 14",
                        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 11",
                        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"};
  for (const char* fen : fens) {
    TestPosition p(fen);
    Position pos = p.pos;
    for (int ply = 0; ply < 40; ++ply) {
      MoveList legal(PromoteAll);
      generateLegal(pos, legal);
      if (legal.empty()) break;
      auto pick = [&]() -> Move { return rng() % 3 ? legal[int(rng() % unsigned(legal.size()))] : Move(rng()); };
      Killers killers{pick(), pick()};
      MovePicker picker(pos, pick(), *histories, killers, pick(), {});
      std::multiset<Move> handedOut;
      int stage;
      for (Move m; (m = picker.next(stage));)
        if (!isIllegal(pos, m)) handedOut.insert(m);
      std::multiset<Move> expected(legal.begin(), legal.end());
      EXPECT_EQ(handedOut, expected) << toFen(pos);
      makeMoveChecked(pos, legal[int(rng() % unsigned(legal.size()))]);
    }
  }
}

TEST(RepetitionTable, CountsSurviveRemovalsInTheMiddleOfARun) {
  RepetitionTable table;
  table.clear();
  // Three keys landing in the same slot.
  const Key a = 0x100, b = 0x200, c = 0x300;
  table.add(a, 1);
  table.add(b, 2);
  table.add(c, 2);
  table.remove(b, 2);
  EXPECT_EQ(table.count(a), 1);
  EXPECT_EQ(table.count(b), 0);
  EXPECT_EQ(table.count(c), 2);
  table.add(c, 2);
  EXPECT_EQ(table.count(c), 4);
}

}  // namespace
}  // namespace tarn::test
