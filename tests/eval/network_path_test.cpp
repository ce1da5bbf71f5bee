// The network path of the evaluation: raw output, scaling, compression, the
// material term, the side to move and the rounding, checked against the rules
// written out here, with random networks loaded into the engine's own set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "eval/material_info.h"
#include "eval/nn/inference.h"
#include "eval/nn/network_set.h"
#include "eval/nn/random_parameters.h"

namespace tarn {
namespace {

int expectedScore(const Position& pos, EvalContext& ctx) {
  MaterialInfo mi;
  getMaterialInfo(mi, pos);
  const nn::ChessBaseNet& net = nn::network(mi.netIndex);
  const nn::PawnNetEntry* pawns = net.usesPawnInput() ? &nn::getPawnInput(*ctx.pawnNetCache, pos, mi.key) : nullptr;
  const int n = nn::evaluatePosition(mi.netIndex, pos, pawns);
  int v = n * net.outputScale() / 64;
  if (std::abs(v) > 1200) v = (v > 0 ? 1 : -1) * (1200 + (std::abs(v) - 1200) / 8);
  v = std::max(-1600, std::min(1600, v));
  const int d = materialSum(pos, White) - materialSum(pos, Black);
  if (std::abs(d) > 96) v += d / 20;
  if (pos.sideToMove == Black) v = -v;
  return (v + 1 + (v > 0 ? 1 : 0)) & ~3;
}

TEST(NetworkPath, EvaluationFollowsTheScalingRules) {
  initZobrist();
  initAttackTables();
  initEvaluation();
  const std::string file = (std::filesystem::temp_directory_path() / "tarn-network-path.tnn").string();
  {
    auto set = std::make_unique<nn::NetworkSet>();
    nn::fillRandomParameters(*set, 7, 400);
    ASSERT_TRUE(nn::writeNetworks(*set, file));
  }
  ASSERT_EQ(nn::loadNetworkFile(nn::networks(), file), 14);

  auto ctx = std::make_unique<EvalContext>();
  std::mt19937 rng(3);
  int checked = 0, compressed = 0;
  for (int game = 0; game < 30; ++game) {
    CastlingSetup setup{};
    Position pos{};
    ASSERT_TRUE(readFen(pos, StartFen, setup));
    for (int ply = 0; ply < 120; ++ply) {
      MoveList legal;
      generateLegal(pos, legal);
      if (legal.empty()) break;
      makeMoveChecked(pos, legal[int(rng() % unsigned(legal.size()))]);
      MaterialInfo mi;
      getMaterialInfo(mi, pos);
      if (mi.netIndex < 0 || pawnCount(pos, White) + pawnCount(pos, Black) <= 3) continue;
      const int d = std::abs(materialSum(pos, White) - materialSum(pos, Black));
      if (d >= nn::network(mi.netIndex).maxImbalance()) continue;
      if (!hasPieces(pos.material[pos.sideToMove]) && isPawnStalemate(pos)) continue;
      ctx->clear();
      ctx->accumulator = nullptr;
      const int actual = evaluate(pos, *ctx);
      ASSERT_EQ(actual, expectedScore(pos, *ctx)) << toFen(pos);
      compressed += std::abs(actual) > 1200;
      ++checked;
    }
  }
  EXPECT_GT(checked, 500);
  EXPECT_GT(compressed, 0) << "no position reached the compressed range";

  // Back to the engine's state without networks for the other tests.
  nn::loadNetworkFile(nn::networks(), file + ".missing");
  EXPECT_EQ(nn::networks().loadedCount(), 0);
  std::remove(file.c_str());
}

}  // namespace
}  // namespace tarn
