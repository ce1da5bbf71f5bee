// Which network evaluates a material balance: the first in list order whose rule applies.
#include <gtest/gtest.h>

#include "eval/nn/inference.h"
#include "network_test_helpers.h"

namespace tarn::nn::test {
namespace {

struct Case {
  const char* fen;
  int expected;
  const char* why;
};

TEST(NetworkSelection, FirstApplyingNetworkInListOrder) {
  const Case cases[] = {
      {"4k3/pp6/8/8/8/8/PPP5/4K3 w - - 0 1", 0, "kings and pawns"},
      {"4k3/p7/8/8/8/8/P7/R3K3 w - - 0 1", 1, "rook against nothing"},
      {"r3k3/p7/8/8/8/8/P7/R3K3 w - - 0 1", 1, "rook against rook"},
      {"2b1k3/p7/8/8/8/8/P7/2B1K3 w - - 0 1", 2, "bishops on opposite colours"},
      {"4kb2/p7/8/8/8/8/P7/2B1K3 w - - 0 1", 3, "bishops on the same colour"},
      {"4k3/p7/8/8/8/8/P7/2B1K3 w - - 0 1", 3, "a lone bishop is not an opposite-colour ending"},
      {"3qk3/p7/8/8/8/8/P7/3QK3 w - - 0 1", 4, "queen against queen: the one-piece rule comes first"},
      {"1n2k3/p7/8/8/8/8/P7/1N2K3 w - - 0 1", 5, "knight against knight"},
      {"1n2k3/p7/8/8/8/8/P7/2B1K3 w - - 0 1", 6, "bishop against knight"},
      {"2b1k3/p7/8/8/8/8/P7/R3K3 w - - 0 1", 7, "rook against bishop"},
      {"1n2k3/p7/8/8/8/8/P7/R3K3 w - - 0 1", 8, "rook against knight"},
      {"r3k3/p7/8/8/8/8/P7/3QK3 w - - 0 1", 9, "queen against rook: the two-piece rule comes first"},
      {"r3k2r/p7/8/8/8/8/P7/3QK3 w - - 0 1", 9, "queen against two rooks"},
      {"r3k3/p7/8/8/8/8/P7/2QQK3 w - - 0 1", 9, "two queens against a rook"},
      {"r1b1k3/p7/8/8/8/8/P7/3QK3 w - - 0 1", 10, "queen against rook and bishop (876)"},
      {"1nb1k3/p7/8/8/8/8/P7/3QK3 w - - 0 1", 10, "queen against bishop and knight"},
      {"r1b1k3/p7/8/8/8/8/P7/R2RK3 w - - 0 1", 11, "two rooks against rook and bishop"},
      {"2b1k3/p7/8/8/8/8/P7/RN2K3 w - - 0 1", 11, "rook and knight against bishop"},
      {"r1b1k3/p7/8/8/8/8/P7/R2QK3 w - - 0 1", 12, "queen and rook against rook and bishop: four pieces"},
      {"3qk3/p7/8/8/8/8/P7/1N1QK3 w - - 0 1", 12, "three pieces, two of them queens"},
      {"r3k3/p7/8/8/8/8/P7/R2QK3 w - - 0 1", -1, "queen and rook against rook: no network"},
      {"r3k3/8/8/8/8/8/8/R3K3 w - - 0 1", -1, "no pawns"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 12, "the start position"},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(selectNetwork(b.pos), c.expected) << c.why << ": " << c.fen;
  }
}

// Names are composed from piece names, so a slip shows only here.
TEST(NetworkSelection, NamesAndConstantsFollowTheList) {
  prepareBoardTables();
  const char* names[] = {"PawnKingEndgame",
                         "RookEndgame",
                         "OppositeBishopEndgame",
                         "BishopEndgame",
                         "QueenEndgame",
                         "KnightEndgame",
                         "BishopKnightEndgame",
                         "RookBishopEndgame",
                         "RookKnightEndgame",
                         "QueenRookEndgame",
                         "GeneralQueenEndgame",
                         "GeneralEndgame",
                         "General"};
  for (int k = 0; k < ListNetworkCount; ++k) EXPECT_EQ(network(k).name(), names[k]);
  EXPECT_EQ(networks().pawnNet().name(), "GeneralPawn");
  EXPECT_EQ(network(4).maxImbalance(), 932);
  EXPECT_EQ(network(GeneralNetIndex).maxImbalance(), 532);
  EXPECT_EQ(network(GeneralNetIndex).outputScale(), 20);
}

}  // namespace
}  // namespace tarn::nn::test
