// Raw outputs of all fourteen networks against the plain reference, bit for bit,
// with parameters that went through the writer and the reader.
#include <gtest/gtest.h>

#include "eval/nn/inference.h"
#include "network_reference.h"
#include "network_test_helpers.h"

namespace tarn::nn::test {
namespace {

// Positions for every network's material family, and middle games from random play.
std::vector<Board> samplePositions() {
  std::mt19937_64 rng(7);
  std::vector<Board> boards;
  boards.reserve(400);
  const char* families[] = {"KPPPkpp",  "KRPPkrp",  "KBPkbp",   "KBPPkbpp",     "KQPkqp",  "KNPPknp",
                            "KBPPknp",  "KRPkbp",   "KRPPknpp", "KQPkrrp",      "KQQPkrp", "KQPkrbp",
                            "KQPPknnp", "KRRPkrbp", "KRNPkbpp", "KQRBPPkqrnpp", "KPPkrp",  "KNNPkp"};
  for (const char* men : families)
    for (int i = 0; i < 12; ++i) boards.push_back(randomEndgame(rng, men));
  for (int game = 0; game < 8; ++game) {
    Board b = boardFromFen(StartFen);
    for (int ply = 0; ply < 60; ++ply) {
      MoveList moves(PromoteAll);
      generateLegal(b.pos, moves);
      if (moves.empty()) break;
      makeMoveChecked(b.pos, moves[int(rng() % unsigned(moves.size()))]);
      if (ply % 6 == 5) boards.push_back(b);
    }
  }
  return boards;
}

class NetworkOutputTest : public ::testing::TestWithParam<int> {};

TEST_P(NetworkOutputTest, EveryNetworkMatchesTheReference) {
  const NetworkSet& source = loadRandomNetworks(100 + uint64_t(GetParam()), GetParam());
  auto cache = std::make_unique<PawnNetCache>();
  cache->clear();
  int checked = 0;
  for (const Board& b : samplePositions()) {
    const std::vector<int16_t> pawn = refPawnStructure(source.pawnNet().parameters(), b.pos);
    const PawnNetEntry& entry = getPawnInput(*cache, b.pos, 0x12345678);
    for (int k = 0; k < PawnInputWidth; ++k) {
      ASSERT_EQ(entry.view0[k], pawn[k]) << toFen(b.pos);
      ASSERT_EQ(entry.view1[k], pawn[14 + k]) << toFen(b.pos);
    }
    for (int net = 0; net < ListNetworkCount; ++net) {
      Accumulator acc;
      refresh(net, b.pos, acc);
      const int expected = refOutput(net, source.record(net).parameters(), b.pos, pawn);
      ASSERT_EQ(evaluate(net, acc, &entry), expected) << network(net).name() << " " << toFen(b.pos);
      // The class interface gives the same numbers.
      if (network(net).usesPawnInput())
        ASSERT_EQ(network(net).evaluateWithPawnInput(acc, &entry), expected);
      else
        ASSERT_EQ(network(net).evaluatePosition(b.pos), expected);
      ++checked;
    }
  }
  EXPECT_GT(checked, 2500);
}

// Small parameters keep every sum in range; large ones saturate and wrap.
INSTANTIATE_TEST_SUITE_P(Magnitudes, NetworkOutputTest, ::testing::Values(150, 2000, 32767));

TEST(NetworkOutput, ColourFlipExchangesTheTwoViews) {
  loadRandomNetworks(5, 300);
  std::mt19937_64 rng(11);
  for (int i = 0; i < 40; ++i) {
    const Board b = randomEndgame(rng, i % 2 ? "KRBPPkrnp" : "KQPPPkqpp");
    Board flipped;
    flipped.setup = b.setup;
    flipColours(b.pos, flipped.pos, FlipSwapColours);
    for (int net = 0; net < GeneralNetIndex; ++net) {
      Accumulator a, f;
      refresh(net, b.pos, a);
      refresh(net, flipped.pos, f);
      const int width = network(net).viewWidth();
      for (int k = 0; k < width; ++k) {
        ASSERT_EQ(a.values[k], f.values[width + k]) << network(net).name() << " " << toFen(b.pos);
        ASSERT_EQ(a.values[width + k], f.values[k]) << network(net).name() << " " << toFen(b.pos);
      }
    }
  }
}

TEST(PawnNetCache, ComputesOnMissAndKeepsTheEntryUntilCleared) {
  loadRandomNetworks(5, 300);
  auto cache = std::make_unique<PawnNetCache>();
  cache->clear();
  const Board b = boardFromFen("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - - 0 1");
  PawnNetEntry& first = const_cast<PawnNetEntry&>(getPawnInput(*cache, b.pos, 7));
  const int16_t computed = first.view0[0];
  first.view0[0] = int16_t(computed + 1);
  // Same key: the stored entry is returned as it is.
  EXPECT_EQ(getPawnInput(*cache, b.pos, 7).view0[0], computed + 1);
  // Another material key, then a cleared cache: computed afresh.
  EXPECT_NE(pawnNetKey(b.pos, 8), pawnNetKey(b.pos, 7));
  cache->clear();
  EXPECT_EQ(getPawnInput(*cache, b.pos, 7).view0[0], computed);
  // The key covers castling rights and both kings, not only the pawns.
  const Board castling = boardFromFen("r3k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 b q - 0 1");
  const Board otherKing = boardFromFen("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/3K4 w - - 0 1");
  EXPECT_NE(pawnNetKey(castling.pos, 7), pawnNetKey(b.pos, 7));
  EXPECT_NE(pawnNetKey(otherKing.pos, 7), pawnNetKey(b.pos, 7));
}

}  // namespace
}  // namespace tarn::nn::test
