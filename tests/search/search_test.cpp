// The search on positions with known answers: mates, draws, the table switch.
#include <gtest/gtest.h>

#include "board/legality.h"
#include "board/make_move.h"
#include "board/notation.h"
#include "search/search_control.h"
#include "search/search_types.h"
#include "search_test_helpers.h"

namespace tarn::test {
namespace {

SearchOutcome searchFen(const std::string& fen, int depth) {
  TestPosition p(fen);
  transpositionTable().clear();
  return searchFixedDepth(p.pos, depth);
}

struct MateCase {
  const char* fen;
  int movesToMate;
  const char* firstMove;
};

// Checked with an independent engine: each is a forced mate in the given number of moves.
const MateCase Mates[] = {
    {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", 2, "d5f6"},
    {"6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1", 2, "g2g1"},
    {"r1b2k1r/ppppq3/5N1p/4P2Q/4PP2/1B6/PP5P/n2K2R1 w - - 0 1", 2, "h5h6"},
    {"3r1r1k/1p3p1p/p2p4/4n1NN/6bQ/1BPq4/P3p1PP/1R5K w - - 0 1", 3, "g5f7"},
    {"2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - - 0 1", 3, "b1g6"},
    {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3, "f6a6"},
    {"6r1/p3p1r1/1p1pPp1k/q3n3/4P3/3BR2P/PPP2QP1/7K w - - 0 2", 4, "f2h4"},
};

TEST(Search, FindsForcedMates) {
  for (const MateCase& c : Mates) {
    const SearchOutcome r = searchFen(c.fen, 2 * c.movesToMate + 1);
    EXPECT_EQ(r.score, mateIn(2 * c.movesToMate - 1)) << c.fen;
    TestPosition p(c.fen);
    EXPECT_EQ(moveToCoordinate(r.best, p.pos, false), c.firstMove) << c.fen;
  }
}

TEST(Search, MatedAndStalematedRootsHaveNoMove) {
  EXPECT_EQ(searchFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 4).best, NullMove);        // stalemate
  EXPECT_EQ(searchFen("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", 4).best, NullMove);         // mate
}

TEST(Search, MatesInsteadOfStalemating) {
  // Qf7 would stalemate; Qf8 mates.
  const SearchOutcome r = searchFen("7k/8/6K1/8/8/8/8/5Q2 w - - 0 1", 4);
  EXPECT_EQ(r.score, mateIn(1));
  TestPosition p("7k/8/6K1/8/8/8/8/5Q2 w - - 0 1");
  EXPECT_EQ(moveToCoordinate(r.best, p.pos, false), "f1f8");
}

TEST(Search, TheDesperadoRookDraws) {
  // Black's king has no move: the rook checks for ever, and taking it stalemates.
  // A draw scores (nodes & 3) - 1 where it is found, so -2..2 at the root.
  for (const char* fen : {"7k/5Q2/6K1/8/8/8/8/r7 b - - 0 1", "7k/5Q2/7K/8/8/8/8/1r6 b - - 0 1"}) {
    const SearchOutcome r = searchFen(fen, 12);
    EXPECT_GE(r.score, -2) << fen;
    EXPECT_LE(r.score, 2) << fen;
  }
}

TEST(Search, BareKingsAreADraw) {
  const SearchOutcome r = searchFen("8/8/4k3/8/8/3BK3/8/8 w - - 0 1", 5);
  EXPECT_GE(r.score, -2);
  EXPECT_LE(r.score, 2);
}

TEST(Search, TheSameSearchTwiceCountsTheSameNodes) {
  const char* fen = "r1bq1rk1/ppp1nppp/4n3/3p3Q/3P4/1BP1B3/PP1N2PP/R4RK1 w - - 1 16";
  const SearchOutcome a = searchFen(fen, 6);
  const SearchOutcome b = searchFen(fen, 6);
  EXPECT_EQ(a.nodes, b.nodes);
  EXPECT_EQ(a.best, b.best);
}

TEST(Search, PrincipalVariationIsLegal) {
  const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 10";
  const SearchOutcome r = searchFen(fen, 6);
  TestPosition p(fen);
  Position pos = p.pos;
  ASSERT_GT(r.pv.length, 0);
  EXPECT_EQ(r.pv.moves[0], r.best);
  for (int i = 0; i < r.pv.length && !isMarker(r.pv.moves[i]); ++i) {
    ASSERT_TRUE(isPseudoLegal(pos, r.pv.moves[i], true, AnyKind)) << "move " << i;
    makeMoveChecked(pos, r.pv.moves[i]);
  }
}

}  // namespace
}  // namespace tarn::test
