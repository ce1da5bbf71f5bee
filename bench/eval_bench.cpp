// The static evaluation as the search calls it: the network path with the
// ply's accumulator already up to date, and the hand-crafted path, both over a
// set of middle-game positions with warm caches.
#include <benchmark/benchmark.h>

#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/eval_context.h"
#include "eval/evaluate.h"
#include "eval/material_info.h"
#include "eval/nn/inference.h"
#include "eval/nn/network_set.h"
#include "eval/nn/random_parameters.h"

namespace {

using namespace tarn;

constexpr const char* MiddleGames[] = {
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 10",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "rq3rk1/ppp2ppp/1bnpb3/3N2B1/3NP3/7P/PPPQ1PP1/2KR3R w - - 7 14",
    "r1bq1r1k/1pp1n1pp/1p1p4/4p2Q/4Pp2/1BNP4/PPP2PPP/3R1RK1 w - - 2 14",
    "r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15",
    "r1bqkb1r/pp3ppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQK2R b KQkq - 3 6",
    "2r2rk1/1bqnbppp/p2ppn2/1p6/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 0 13",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
};

struct EvalBench {
  std::vector<Position> positions;
  std::vector<nn::Accumulator> accumulators;

  EvalBench() {
    initZobrist();
    initAttackTables();
    CastlingSetup setup{};
    for (const char* fen : MiddleGames) {
      Position pos;
      readFen(pos, fen, setup);
      positions.push_back(pos);
    }
    accumulators.resize(positions.size());
  }
};

EvalBench& evalBench() {
  static EvalBench b;
  return b;
}

// The same networks the network benchmarks use.
void loadRandomNetworks() { nn::fillRandomParameters(nn::networks(), 1, 300); }

void EvaluateNetworkPath(benchmark::State& state) {
  EvalBench& b = evalBench();
  loadRandomNetworks();
  initEvaluation();
  EvalContext ctx;
  std::vector<int> netIndex(b.positions.size());
  for (size_t i = 0; i < b.positions.size(); ++i) {
    netIndex[i] = getMaterialInfo(ctx.materialInfo, b.positions[i]).netIndex;
    if (netIndex[i] < 0) {
      state.SkipWithError("a benchmark position has no network");
      return;
    }
    nn::refresh(netIndex[i], b.positions[i], b.accumulators[i]);
  }
  size_t i = 0;
  for (auto _ : state) {
    ctx.accumulator = &b.accumulators[i];
    benchmark::DoNotOptimize(evaluate(b.positions[i], ctx));
    i = i + 1 == b.positions.size() ? 0 : i + 1;
  }
  state.SetItemsProcessed(state.iterations());
}

void EvaluateHandCrafted(benchmark::State& state) {
  EvalBench& b = evalBench();
  // A folder without a network file unloads every network.
  nn::loadNetworks("/nonexistent/tarnchess-bench");
  initEvaluation();
  EvalContext ctx;
  size_t i = 0;
  for (auto _ : state) {
    ctx.accumulator = nullptr;
    benchmark::DoNotOptimize(evaluate(b.positions[i], ctx));
    i = i + 1 == b.positions.size() ? 0 : i + 1;
  }
  state.SetItemsProcessed(state.iterations());
  loadRandomNetworks();
  initEvaluation();
}

BENCHMARK(EvaluateNetworkPath);
BENCHMARK(EvaluateHandCrafted);

}  // namespace
