// Board micro-benchmarks: perft, generation with the legality filter, copy-make
// and SAN output. Compare runs made side by side; the machines are shared.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/perft.h"
#include "board/zobrist.h"

namespace {

using namespace tarn;

// Positions with their own castling records; built once.
struct BenchPositions {
  std::vector<CastlingSetup> setups;
  std::vector<Position> positions;

  explicit BenchPositions(const std::vector<const char*>& fens) : setups(fens.size()), positions(fens.size()) {
    initZobrist();
    initAttackTables();
    for (size_t i = 0; i < fens.size(); ++i) {
      setups[i].clear();
      if (!readFen(positions[i], fens[i], setups[i])) std::abort();
    }
  }
};

const Position& startPosition() {
  static const BenchPositions set({StartFen});
  return set.positions[0];
}

const Position& kiwipete() {
  static const BenchPositions set({"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"});
  return set.positions[0];
}

// Middle-game positions from published perft lists and engine games.
const std::vector<Position>& middleGames() {
  static const BenchPositions set({
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
      "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 1 8",
      "2r2rk1/1b2qppp/p3pn2/1p6/3N4/P1B1P3/1P2QPPP/2RR2K1 b - - 0 18",
      "r2q1rk1/1b1nbppp/pp1ppn2/8/2PNP3/2N1BP2/PP1QB1PP/R4RK1 w - - 2 12",
      "3r1rk1/p4ppp/1pq1pn2/2b5/2P5/1P2PN2/PB1Q1PPP/3R1RK1 b - - 4 19",
  });
  return set.positions;
}

void perftBench(benchmark::State& state, const Position& pos, int depth) {
  uint64_t leaves = 0;
  for (auto _ : state) {
    leaves = perft(pos, depth);
    benchmark::DoNotOptimize(leaves);
  }
  state.counters["leaves"] = double(leaves);
  state.counters["leaves/s"] = benchmark::Counter(double(leaves), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PerftStartDepth5(benchmark::State& state) { perftBench(state, startPosition(), 5); }
BENCHMARK(BM_PerftStartDepth5)->Unit(benchmark::kMillisecond);

void BM_PerftKiwipeteDepth4(benchmark::State& state) { perftBench(state, kiwipete(), 4); }
BENCHMARK(BM_PerftKiwipeteDepth4)->Unit(benchmark::kMillisecond);

// Pseudo-legal generation followed by the legality test, as the search uses them.
void BM_GenerateAndFilter(benchmark::State& state) {
  const std::vector<Position>& positions = middleGames();
  int64_t moves = 0;
  for (auto _ : state) {
    for (const Position& p : positions) {
      MoveList list;
      generatePseudoLegal(p, list);
      for (Move m : list) moves += !isIllegal(p, m);
    }
    benchmark::DoNotOptimize(moves);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(positions.size()));
  state.SetLabel("items = positions");
}
BENCHMARK(BM_GenerateAndFilter);

// Copy the record, make the move: the search's make and undo.
void BM_CopyMake(benchmark::State& state) {
  const std::vector<Position>& positions = middleGames();
  std::vector<std::pair<const Position*, Move>> work;
  std::vector<CheckInfo> infos(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    buildCheckInfo(positions[i], infos[i]);
    MoveList list;
    generateLegal(positions[i], list);
    for (Move m : list) work.emplace_back(&positions[i], m);
  }
  for (auto _ : state) {
    for (size_t i = 0; i < work.size(); ++i) {
      const Position& p = *work[i].first;
      const CheckInfo& ci = infos[size_t(&p - positions.data())];
      Position next = p;
      makeMove(next, work[i].second, givesCheck(p, work[i].second, ci));
      benchmark::DoNotOptimize(next.key);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(work.size()));
  state.SetLabel("items = moves");
}
BENCHMARK(BM_CopyMake);

// SAN of every legal move: a legal list for disambiguation, then a make for the check mark.
void BM_SanOutput(benchmark::State& state) {
  const std::vector<Position>& positions = middleGames();
  std::vector<std::pair<const Position*, Move>> work;
  for (const Position& p : positions) {
    MoveList list;
    generateLegal(p, list);
    for (Move m : list) work.emplace_back(&p, m);
  }
  char text[MoveTextSize];
  for (auto _ : state) {
    for (const auto& [p, m] : work) {
      moveToText(text, m, *p, San);
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(work.size()));
  state.SetLabel("items = moves");
}
BENCHMARK(BM_SanOutput);

}  // namespace
