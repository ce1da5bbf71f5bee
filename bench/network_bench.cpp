// Network hot paths, scalar reference against the build's vector kernels:
// accumulator refresh and incremental update, the two-view forward pass, the
// general network's forward pass with pawn input, and the pawn-structure network.
#include <benchmark/benchmark.h>

#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/zobrist.h"
#include "eval/nn/accumulator_ops.h"
#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"
#include "eval/nn/network_set.h"
#include "eval/nn/random_parameters.h"

namespace {

using namespace tarn;
using namespace tarn::nn;

struct NetworkBenchSetup {
  CastlingSetup setup{};
  Position before{};
  Position after{};
  Move move = NullMove;

  NetworkBenchSetup() {
    initZobrist();
    initAttackTables();
    fillRandomParameters(networks(), 1, 300);
    readFen(before, "r1bqk2r/pp1n1ppp/2p1pn2/3p4/1bPP4/2N1PN2/PP1B1PPP/R2QKB1R w KQkq - 0 1", setup);
    after = before;
    move = makeMove(F3, E5);  // a quiet knight move: two rows per view plus the side to move
    makeMoveChecked(after, move);
  }
};

const NetworkBenchSetup& benchSetup() {
  static NetworkBenchSetup s;
  return s;
}

constexpr int TwoViewNet = 11;  // GeneralEndgame, the widest two-view network (2 × 288)

template <class K>
void Refresh(benchmark::State& state) {
  const NetworkBenchSetup& s = benchSetup();
  const ChessBaseNet& net = networks().list(int(state.range(0)));
  Accumulator acc;
  for (auto _ : state) {
    refreshAccumulator<K>(net, s.before, acc);
    benchmark::DoNotOptimize(acc.values[0]);
  }
}

template <class K>
void Update(benchmark::State& state) {
  const NetworkBenchSetup& s = benchSetup();
  const ChessBaseNet& net = networks().list(int(state.range(0)));
  Accumulator parent, child;
  refreshAccumulator<K>(net, s.before, parent);
  for (auto _ : state) {
    child = parent;  // the search copies the parent's accumulator, then updates it
    updateAccumulator<K>(net, s.move, s.before, child, s.after);
    benchmark::DoNotOptimize(child.values[0]);
  }
}

template <class K>
void ForwardTwoView(benchmark::State& state) {
  const NetworkBenchSetup& s = benchSetup();
  const ChessBaseNet& net = networks().list(TwoViewNet);
  Accumulator acc;
  refreshAccumulator<K>(net, s.before, acc);
  for (auto _ : state) benchmark::DoNotOptimize(forwardTwoView<K>(net, acc));
}

template <class K>
void ForwardGeneral(benchmark::State& state) {
  const NetworkBenchSetup& s = benchSetup();
  const ChessBaseNet& net = networks().list(GeneralNetIndex);
  Accumulator acc;
  refreshAccumulator<K>(net, s.before, acc);
  PawnNetEntry pawn{};
  computePawnStructure<K>(networks().pawnNet(), s.before, pawn);
  for (auto _ : state) benchmark::DoNotOptimize(forwardWithPawnInput<K>(net, acc, &pawn));
}

template <class K>
void PawnStructure(benchmark::State& state) {
  const NetworkBenchSetup& s = benchSetup();
  PawnNetEntry pawn{};
  for (auto _ : state) {
    computePawnStructure<K>(networks().pawnNet(), s.before, pawn);
    benchmark::DoNotOptimize(pawn.view0[0]);
  }
}

template <class K>
bool registerNetworkBenchmarks() {
  const std::string kernels = K::Name;
  benchmark::RegisterBenchmark(("NetRefresh/" + kernels).c_str(), Refresh<K>)->Arg(TwoViewNet)->Arg(GeneralNetIndex);
  benchmark::RegisterBenchmark(("NetUpdate/" + kernels).c_str(), Update<K>)->Arg(TwoViewNet)->Arg(GeneralNetIndex);
  benchmark::RegisterBenchmark(("NetForwardTwoView/" + kernels).c_str(), ForwardTwoView<K>);
  benchmark::RegisterBenchmark(("NetForwardGeneralWithPawnInput/" + kernels).c_str(), ForwardGeneral<K>);
  benchmark::RegisterBenchmark(("NetPawnStructure/" + kernels).c_str(), PawnStructure<K>);
  return true;
}

const bool scalarRegistered = registerNetworkBenchmarks<ScalarKernels>();
#ifdef __AVX2__
const bool avx2Registered = registerNetworkBenchmarks<Avx2Kernels>();
#endif

}  // namespace
